#include "drawing/FlintDrawingRectangleTool.h"

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingRectangleTool, FlintDrawingFillableTool)

void FlintDrawingRectangleTool::draw() { drawSpannedShape(&CGContext::fillRect, &CGContext::strokeRect); }
