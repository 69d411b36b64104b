#include "drawing/FlintDrawingEllipseTool.h"

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingEllipseTool, FlintDrawingFillableTool)

void FlintDrawingEllipseTool::draw() {
    drawSpannedShape(&CGContext::fillEllipseInRect, &CGContext::strokeEllipseInRect);
}
