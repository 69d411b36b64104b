#include "startup/ScreenMetrics.h"

#include "platform/uikit/UIScreen.h"

namespace flint {

ScreenClass screenClassForHeight(double height) {
    if (height == 667) return ScreenClass::Height667;
    if (height == 736) return ScreenClass::Height736;
    if (height == 812) return ScreenClass::Height812;
    return ScreenClass::Other;
}

ScreenMetrics ScreenMetrics::forSize(double width, double height) {
    ScreenMetrics m;
    m.W = width;
    m.H = height;
    m.screenClass = screenClassForHeight(height);
    return m;
}

ScreenMetrics ScreenMetrics::current() {
    ios::CGRect bounds = ios::UIScreen::mainScreen()->bounds();
    return forSize(bounds.size.width, bounds.size.height);
}

}  // namespace flint
