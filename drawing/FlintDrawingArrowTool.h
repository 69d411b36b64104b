#pragma once
// An arrow from the touch-down point to the latest point: a shaft and a two-barbed head whose
// barbs are four line widths long, with its tip one line width beyond the finger. Angles are taken
// in single precision.

#include "drawing/FlintDrawingTwoPointTool.h"

class FlintDrawingArrowTool : public FlintDrawingTwoPointTool {
    OBJC_CLASS_DECLARE(FlintDrawingArrowTool)
public:
    void draw() override;

    // atan2(Δy, Δx) of second − first, in single precision.
    static float angleWithFirstPoint(ios::CGPoint first, ios::CGPoint second);
    // (cos α × d, sin α × d), sine and cosine of α taken in single precision.
    static ios::CGPoint pointWithAngle(double angle, double distance);

protected:
    FlintDrawingArrowTool() = default;
};
