#include "drawing/FlintDrawingEllipseTool.h"

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingEllipseTool, FlintDrawingFillableTool)

void FlintDrawingEllipseTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    context->setAlpha(lineAlpha());
    // Dragging up or left gives negative sizes; the rectangle functions read them standardised.
    CGRect frame{firstPoint(), {lastPoint().x - firstPoint().x, lastPoint().y - firstPoint().y}};
    if (fill()) {
        if (lineColor()) context->setFillColor(*lineColor());
        context->fillEllipseInRect(frame);
    } else {
        if (lineColor()) context->setStrokeColor(*lineColor());
        context->setLineWidth(lineWidth());
        context->strokeEllipseInRect(frame);
    }
}
