#pragma once
// The regular polygon of 5 sides.

#include "drawing/FlintDrawingPolygonTool.h"

class FlintDrawingPentagonTool : public FlintDrawingPolygonTool {
    OBJC_CLASS_DECLARE(FlintDrawingPentagonTool)
public:
    int numberOfSides() const override { return 5; }

protected:
    FlintDrawingPentagonTool() = default;
};
