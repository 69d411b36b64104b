#pragma once
// The main screen's size and its class, decided by an exact comparison of the height: what every
// screen's layout changes with.

namespace flint {

enum class ScreenClass { Height667, Height736, Height812, Other };

ScreenClass screenClassForHeight(double height);

struct ScreenMetrics {
    double W = 0, H = 0;
    ScreenClass screenClass = ScreenClass::Other;

    static ScreenMetrics forSize(double width, double height);
    // The main screen's.
    static ScreenMetrics current();
};

}  // namespace flint
