#pragma once
// Freehand pen: the whole stroke is one growing path of quadratic segments that run between the
// midpoints of successive touch samples and bend through the samples themselves.

#include "drawing/FlintDrawingTool.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIBezierPath.h"

// ((a.x + b.x) × 0.5, (a.y + b.y) × 0.5)
ios::CGPoint midPoint(ios::CGPoint a, ios::CGPoint b);

class FlintDrawingPenTool : public ios::UIBezierPath, public FlintDrawingTool {
    OBJC_CLASS_DECLARE(FlintDrawingPenTool)
public:
    void init() override;

    // The pen is fed through addPath…; these two do nothing.
    void setInitialPoint(ios::CGPoint point) override {}
    void moveFromPoint(ios::CGPoint startPoint, ios::CGPoint endPoint) override {}
    // Appends the segment from midPoint(p1, p2) to midPoint(c, p1) bending through p1 and returns
    // its bounding box, control point included.
    ios::CGRect addPathPreviousPreviousPoint(ios::CGPoint p2, ios::CGPoint p1, ios::CGPoint c);
    void draw() override;
    objc::Ref<FlintDrawingToolState> captureToolState() override;

    ios::UIColorRef lineColor() const override { return m_lineColor; }
    void setLineColor(ios::UIColorRef color) override { m_lineColor = std::move(color); }
    double lineAlpha() const override { return m_lineAlpha; }
    void setLineAlpha(double alpha) override { m_lineAlpha = alpha; }
    // The base path object's own line width.
    double lineWidth() const override { return ios::UIBezierPath::lineWidth(); }
    void setLineWidth(double width) override { ios::UIBezierPath::setLineWidth(width); }

    const ios::CGMutablePathRef& path() const { return m_path; }

protected:
    FlintDrawingPenTool() = default;
    // Adds the stroke to the current context's path and sets the common stroke parameters.
    void preparePath(ios::CGContext& context) const;

private:
    ios::CGMutablePathRef m_path;
    ios::UIColorRef m_lineColor;
    double m_lineAlpha = 1;
};
