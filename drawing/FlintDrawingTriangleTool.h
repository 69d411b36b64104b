#pragma once
// The regular polygon of 3 sides.

#include "drawing/FlintDrawingPolygonTool.h"

class FlintDrawingTriangleTool : public FlintDrawingPolygonTool {
    OBJC_CLASS_DECLARE(FlintDrawingTriangleTool)
public:
    int numberOfSides() const override { return 3; }

protected:
    FlintDrawingTriangleTool() = default;
};
