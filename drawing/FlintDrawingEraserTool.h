#pragma once
// The eraser: a pen whose stroke clears the pixels under it (earlier tools and the background
// alike), whatever its colour and alpha.

#include "drawing/FlintDrawingPenTool.h"

class FlintDrawingEraserTool : public FlintDrawingPenTool {
    OBJC_CLASS_DECLARE(FlintDrawingEraserTool)
public:
    void draw() override;

protected:
    FlintDrawingEraserTool() = default;
};
