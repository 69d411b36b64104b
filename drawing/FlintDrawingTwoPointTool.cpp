#include "drawing/FlintDrawingTwoPointTool.h"

#include "drawing/FlintDrawingToolState.h"

OBJC_CLASS_DEFINE(FlintDrawingTwoPointTool, objc::Object)
OBJC_CLASS_DEFINE(FlintDrawingFillableTool, FlintDrawingTwoPointTool)

objc::Ref<FlintDrawingToolState> FlintDrawingTwoPointTool::captureToolState() {
    return FlintDrawingToolState::stateForTool(FlintDrawingToolSelf(*this));
}
