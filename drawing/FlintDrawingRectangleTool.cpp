#include "drawing/FlintDrawingRectangleTool.h"

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingRectangleTool, FlintDrawingFillableTool)

void FlintDrawingRectangleTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    context->setAlpha(lineAlpha());
    // Dragging up or left gives negative sizes; the rectangle functions read them standardised.
    CGRect frame{firstPoint(), {lastPoint().x - firstPoint().x, lastPoint().y - firstPoint().y}};
    if (fill()) {
        if (lineColor()) context->setFillColor(*lineColor());
        context->fillRect(frame);
    } else {
        if (lineColor()) context->setStrokeColor(*lineColor());
        context->setLineWidth(lineWidth());
        context->strokeRect(frame);
    }
}
