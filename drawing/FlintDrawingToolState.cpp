#include "drawing/FlintDrawingToolState.h"

OBJC_CLASS_DEFINE(FlintDrawingToolState, objc::Object)

FlintDrawingToolRef FlintDrawingToolSelf(FlintDrawingTool& tool) {
    auto* object = dynamic_cast<objc::Object*>(&tool);
    if (!object) return nullptr;
    return std::dynamic_pointer_cast<FlintDrawingTool>(object->shared_from_this());
}

objc::Ref<FlintDrawingToolState> FlintDrawingToolState::stateForTool(const FlintDrawingToolRef& tool) {
    return stateForTool(tool, false);
}

objc::Ref<FlintDrawingToolState> FlintDrawingToolState::stateForTool(const FlintDrawingToolRef& tool,
                                                                     bool capturePosition) {
    auto state = objc::make<FlintDrawingToolState>();
    state->m_tool = tool;
    if (capturePosition && tool && tool->respondsToCapturePositionObject())
        state->m_positionObject = tool->capturePositionObject();
    return state;
}
