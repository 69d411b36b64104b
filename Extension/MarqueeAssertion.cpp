#include "Extension/MarqueeAssertion.h"

#include <cstdio>
#include <cstdlib>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"

namespace {
MarqueeAssertionHandler& installedHandler() {
    static MarqueeAssertionHandler handler;
    return handler;
}
}  // namespace

MarqueeAssertionHandler setMarqueeAssertionHandler(MarqueeAssertionHandler handler) {
    MarqueeAssertionHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

void marqueeAssertionFailure(const std::string& file, const std::string& description) {
    if (auto& handler = installedHandler()) {
        handler(file, description);
        return;
    }
    std::string line = "*** Assertion failure in " + file + ": " + description;
    if (ios::Process::current()) ios::NSLogLine(line);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::abort();
}
