#include "drawing/FlintDrawingLineTool.h"

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingLineTool, FlintDrawingTwoPointTool)

void FlintDrawingLineTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    if (lineColor()) context->setStrokeColor(*lineColor());
    context->setLineCap(kCGLineCapRound);
    context->setLineWidth(lineWidth());
    context->setAlpha(lineAlpha());
    context->moveToPoint(firstPoint().x, firstPoint().y);
    context->addLineToPoint(lastPoint().x, lastPoint().y);
    context->strokePath();
}
