#pragma once
// The regular polygon of 6 sides.

#include "drawing/FlintDrawingPolygonTool.h"

class FlintDrawingHexagonTool : public FlintDrawingPolygonTool {
    OBJC_CLASS_DECLARE(FlintDrawingHexagonTool)
public:
    int numberOfSides() const override { return 6; }

protected:
    FlintDrawingHexagonTool() = default;
};
