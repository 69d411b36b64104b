#pragma once
// The drawing-tool protocol: one object per touch sequence on the canvas. A tool receives the
// touch points, keeps its geometry and paints itself into the current UIGraphics context, live
// while the finger moves and again whenever the canvas rebuilds its bitmap.
//
// Tools are objc objects that also adopt this interface; a FlintDrawingToolRef shares ownership
// with the object's own shared_ptr, so identity (the pointer) is the object's identity.

#include <memory>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/objc/Runtime.h"

class FlintDrawingToolState;

class FlintDrawingTool {
public:
    virtual ~FlintDrawingTool() = default;

    virtual void setInitialPoint(ios::CGPoint point) = 0;
    virtual void moveFromPoint(ios::CGPoint startPoint, ios::CGPoint endPoint) = 0;
    virtual void draw() = 0;
    virtual objc::Ref<FlintDrawingToolState> captureToolState() = 0;

    virtual ios::UIColorRef lineColor() const = 0;
    virtual void setLineColor(ios::UIColorRef color) = 0;
    virtual double lineAlpha() const = 0;
    virtual void setLineAlpha(double alpha) = 0;
    virtual double lineWidth() const = 0;
    virtual void setLineWidth(double width) = 0;

    // Optional operations; callers ask first.
    virtual bool respondsToApplyToolState() const { return false; }
    virtual void applyToolState(const objc::Ref<FlintDrawingToolState>& state) {}
    virtual bool respondsToCapturePositionObject() const { return false; }
    virtual objc::id capturePositionObject() { return nullptr; }
};

using FlintDrawingToolRef = std::shared_ptr<FlintDrawingTool>;

// A strong reference to a tool from the tool itself.
FlintDrawingToolRef FlintDrawingToolSelf(FlintDrawingTool& tool);
