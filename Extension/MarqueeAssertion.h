#pragma once
// Assertion failures of the marquee label: programming errors (a keyframe table given the wrong
// number of values). By default a failure is written to the log and to standard error and the
// process aborts; a handler may be installed instead (tests record the text).

#include <functional>
#include <string>

// The source every marquee-label assertion is reported against.
inline constexpr const char* kMarqueeLabelSourceFile = "Extension/MarqueeLabel";

using MarqueeAssertionHandler = std::function<void(const std::string& file, const std::string& description)>;

// Installs a handler (none restores the aborting default) and returns the previous one.
MarqueeAssertionHandler setMarqueeAssertionHandler(MarqueeAssertionHandler handler);

// Reports a failed assertion; returns only when a handler is installed and returns.
void marqueeAssertionFailure(const std::string& file, const std::string& description);
