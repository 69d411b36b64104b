#include "panel/FlintBannerWindow.h"

OBJC_CLASS_DEFINE(FlintBannerWindow, ios::UIWindow)

ios::UIView* FlintBannerWindow::hitTest(const ios::CGPoint& point, const ios::UIEvent* event) {
    ios::UIView* hit = ios::UIWindow::hitTest(point, event);
    return hit == this ? nullptr : hit;
}
