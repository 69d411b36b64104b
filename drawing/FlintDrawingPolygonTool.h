#pragma once
// A regular polygon whose circumscribed circle has the drag as its diameter, first vertex straight
// below the centre; stroked with round caps and joins, or filled and stroked together.

#include <vector>

#include "drawing/FlintDrawingTwoPointTool.h"

class FlintDrawingPolygonTool : public FlintDrawingFillableTool {
    OBJC_CLASS_DECLARE(FlintDrawingPolygonTool)
public:
    void draw() override;
    virtual int numberOfSides() const = 0;
    // The vertices in drawing order: the start point, then i = 1 … n (the last closes the outline).
    std::vector<ios::CGPoint> vertices() const;

protected:
    FlintDrawingPolygonTool() = default;
};
