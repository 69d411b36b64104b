#pragma once
// A straight line with round caps from the touch-down point to the latest point.

#include "drawing/FlintDrawingTwoPointTool.h"

class FlintDrawingLineTool : public FlintDrawingTwoPointTool {
    OBJC_CLASS_DECLARE(FlintDrawingLineTool)
public:
    void draw() override;

protected:
    FlintDrawingLineTool() = default;
};
