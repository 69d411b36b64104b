#include "drawing/FlintDrawingTwoPointTool.h"

#include "platform/graphics/UIGraphics.h"

#include "drawing/FlintDrawingToolState.h"

OBJC_CLASS_DEFINE(FlintDrawingTwoPointTool, objc::Object)
OBJC_CLASS_DEFINE(FlintDrawingFillableTool, FlintDrawingTwoPointTool)

void FlintDrawingFillableTool::drawSpannedShape(void (ios::CGContext::*fillShape)(const ios::CGRect&),
                                                void (ios::CGContext::*strokeShape)(const ios::CGRect&)) {
    ios::CGContextRef context = ios::UIGraphicsGetCurrentContext();
    if (!context) return;
    context->setAlpha(lineAlpha());
    // Dragging up or left gives negative sizes; the rectangle functions read them standardised.
    ios::CGRect frame{firstPoint(), {lastPoint().x - firstPoint().x, lastPoint().y - firstPoint().y}};
    if (fill()) {
        if (lineColor()) context->setFillColor(*lineColor());
        (context->*fillShape)(frame);
    } else {
        if (lineColor()) context->setStrokeColor(*lineColor());
        context->setLineWidth(lineWidth());
        (context->*strokeShape)(frame);
    }
}

objc::Ref<FlintDrawingToolState> FlintDrawingTwoPointTool::captureToolState() {
    return FlintDrawingToolState::stateForTool(FlintDrawingToolSelf(*this));
}
