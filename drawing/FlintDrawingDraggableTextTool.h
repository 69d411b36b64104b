#pragma once
// The text tool: creates and owns one text box, puts it on the canvas when drawn (nothing is
// painted), and records and restores the box's position for the canvas's undo and redo.

#include "drawing/FlintDrawingLabelView.h"
#include "drawing/FlintDrawingLabelViewTransform.h"
#include "drawing/FlintDrawingTool.h"

class FlintDrawingView;

class FlintDrawingDraggableTextTool : public objc::Object, public FlintDrawingTool {
    OBJC_CLASS_DECLARE(FlintDrawingDraggableTextTool)
public:
    // Makes a new box at the point, 50 wide and 100 high, configures it and opens the keyboard.
    void setInitialPoint(ios::CGPoint point) override;
    void moveFromPoint(ios::CGPoint startPoint, ios::CGPoint endPoint) override {}
    // Adds the box to the canvas when it has no parent.
    void draw() override;
    objc::Ref<FlintDrawingToolState> captureToolState() override;

    bool respondsToApplyToolState() const override { return true; }
    void applyToolState(const objc::Ref<FlintDrawingToolState>& state) override;
    bool respondsToCapturePositionObject() const override { return true; }
    objc::id capturePositionObject() override;

    void configureLabelView();
    // Moves the box to the position over 0.3 s.
    void applyTransform(const objc::Ref<FlintDrawingLabelViewTransform>& position);
    void hideHandle();
    void undraw();

    ios::UIColorRef lineColor() const override { return m_lineColor; }
    void setLineColor(ios::UIColorRef color) override { m_lineColor = std::move(color); }
    double lineAlpha() const override { return m_lineAlpha; }
    void setLineAlpha(double alpha) override { m_lineAlpha = alpha; }
    double lineWidth() const override { return m_lineWidth; }
    void setLineWidth(double width) override { m_lineWidth = width; }

    objc::Ref<FlintDrawingView> drawingView() const { return m_drawingView.lock(); }
    void setDrawingView(const objc::Ref<FlintDrawingView>& view) { m_drawingView = view; }
    const objc::Ref<FlintDrawingLabelView>& labelView() const { return m_labelView; }

protected:
    FlintDrawingDraggableTextTool() = default;

private:
    ios::UIColorRef m_lineColor;
    double m_lineAlpha = 1;
    double m_lineWidth = 1;
    objc::WeakRef<FlintDrawingView> m_drawingView;
    objc::Ref<FlintDrawingLabelView> m_labelView;
};
