#pragma once
// A rectangle spanned by the two points, stroked or filled.

#include "drawing/FlintDrawingTwoPointTool.h"

class FlintDrawingRectangleTool : public FlintDrawingFillableTool {
    OBJC_CLASS_DECLARE(FlintDrawingRectangleTool)
public:
    void draw() override;

protected:
    FlintDrawingRectangleTool() = default;
};
