#pragma once
// Observer of a drawing canvas. Every method is optional: the canvas sends only the ones the
// delegate answers respondsTo… for.

#include "drawing/FlintDrawingTool.h"

class FlintDrawingView;
class FlintDrawingLabelView;

class FlintDrawingViewDelegate {
public:
    virtual ~FlintDrawingViewDelegate() = default;

    enum class Method { WillBeginDraw, DidEndDraw, DidUndoDraw, DidRedoDraw, ConfigureTextToolLabelView };
    virtual bool respondsToDrawingViewMethod(Method method) const { return false; }

    virtual void drawingViewWillBeginDrawUsingTool(FlintDrawingView& view, const FlintDrawingToolRef& tool) {}
    virtual void drawingViewDidEndDrawUsingTool(FlintDrawingView& view, const FlintDrawingToolRef& tool) {}
    virtual void drawingViewDidUndoDrawUsingTool(FlintDrawingView& view, const FlintDrawingToolRef& tool) {}
    virtual void drawingViewDidRedoDrawUsingTool(FlintDrawingView& view, const FlintDrawingToolRef& tool) {}
    virtual void drawingViewConfigureTextToolLabelView(FlintDrawingView& view, FlintDrawingLabelView& label) {}
};
