#pragma once
// The ellipse inscribed in the rectangle spanned by the two points, stroked or filled.

#include "drawing/FlintDrawingTwoPointTool.h"

class FlintDrawingEllipseTool : public FlintDrawingFillableTool {
    OBJC_CLASS_DECLARE(FlintDrawingEllipseTool)
public:
    void draw() override;

protected:
    FlintDrawingEllipseTool() = default;
};
