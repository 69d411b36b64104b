#pragma once
// One entry of the canvas's undo or redo stack: a tool and, for tools that can move, a snapshot
// of its position. Stacks are searched by the identity of the tool.

#include "drawing/FlintDrawingTool.h"
#include "platform/objc/Runtime.h"

class FlintDrawingToolState : public objc::Object {
    OBJC_CLASS_DECLARE(FlintDrawingToolState)
public:
    static objc::Ref<FlintDrawingToolState> stateForTool(const FlintDrawingToolRef& tool);
    // With capture YES and a tool that answers capturePositionObject, keeps its answer.
    static objc::Ref<FlintDrawingToolState> stateForTool(const FlintDrawingToolRef& tool, bool capturePosition);

    const FlintDrawingToolRef& tool() const { return m_tool; }
    void setTool(FlintDrawingToolRef tool) { m_tool = std::move(tool); }
    const objc::id& positionObject() const { return m_positionObject; }
    void setPositionObject(objc::id object) { m_positionObject = std::move(object); }
    bool hasPositionObject() const { return m_positionObject != nullptr; }

protected:
    FlintDrawingToolState() = default;

private:
    FlintDrawingToolRef m_tool;
    objc::id m_positionObject;
};

using FlintDrawingToolStateRef = objc::Ref<FlintDrawingToolState>;
