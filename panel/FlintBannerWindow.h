#pragma once
// The window of a countdown banner: a clear strip across the top of the screen that shows the
// banner above the panel. Only the views it shows take touches; a touch anywhere else in the
// strip goes on to the windows below it (the panel's buttons, the dismiss zone, the status bar).

#include "platform/uikit/UIWindow.h"

class FlintBannerWindow : public ios::UIWindow {
    OBJC_CLASS_DECLARE(FlintBannerWindow)
public:
    using ios::UIWindow::init;
    // None where the hit would be the window itself.
    ios::UIView* hitTest(const ios::CGPoint& point, const ios::UIEvent* event) override;

protected:
    FlintBannerWindow() = default;
};
