#pragma once
// The delayed screenshot and the delayed lock: a one-second countdown shown in a banner window
// above the panel; the banner hides at "1" and the home screen acts at "0" (with the banner
// hidden first, whatever the start value). Touches beside the banner reach the panel below.
//
// A press while the countdown runs restarts it from its start value with one timer. A start
// value that is not a whole number of at least 1 counts down from "10".

#include <string>

#include "panel/PanelLayout.h"
#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

void startScreenshotTimer(FlintHost& host);
void startLockscreenTimer(FlintHost& host);
void invokeScreenshot(FlintHost& host, const objc::id& timer);
void invokeLockscreen(FlintHost& host, const objc::id& timer);

// The text a countdown starts from: the preference text when it is a whole number of at least 1
// (written in decimal), else "10".
std::string countdownStartValue(const std::string& preferenceText);

// Builds both banner windows, hidden, showing their start values.
void buildCountdownBanners(FlintHost& host, const PanelMetrics& metrics);

extern const ActionTable countdownActions;

}  // namespace flint
