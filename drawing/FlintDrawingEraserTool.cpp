#include "drawing/FlintDrawingEraserTool.h"

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingEraserTool, FlintDrawingPenTool)

void FlintDrawingEraserTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    // The only tool that keeps the shared context's state as it found it.
    context->saveGState();
    preparePath(*context);
    context->setBlendMode(kCGBlendModeClear);
    context->strokePath();
    context->restoreGState();
}
