#pragma once
// The common input handling of the tools drawn between two points (line, rectangle, ellipse,
// arrow, triangle, pentagon, hexagon): the shape spans from the touch-down point (firstPoint) to
// the latest touch point (lastPoint).

#include "drawing/FlintDrawingTool.h"
#include "platform/objc/Runtime.h"

namespace ios {
class CGContext;
}

class FlintDrawingTwoPointTool : public objc::Object, public FlintDrawingTool {
    OBJC_CLASS_DECLARE(FlintDrawingTwoPointTool)
public:
    void setInitialPoint(ios::CGPoint point) override { m_firstPoint = point; }
    void moveFromPoint(ios::CGPoint startPoint, ios::CGPoint endPoint) override { m_lastPoint = endPoint; }
    objc::Ref<FlintDrawingToolState> captureToolState() override;
    void draw() override {}

    ios::UIColorRef lineColor() const override { return m_lineColor; }
    void setLineColor(ios::UIColorRef color) override { m_lineColor = std::move(color); }
    double lineAlpha() const override { return m_lineAlpha; }
    void setLineAlpha(double alpha) override { m_lineAlpha = alpha; }
    double lineWidth() const override { return m_lineWidth; }
    void setLineWidth(double width) override { m_lineWidth = width; }

    ios::CGPoint firstPoint() const { return m_firstPoint; }
    void setFirstPoint(ios::CGPoint p) { m_firstPoint = p; }
    ios::CGPoint lastPoint() const { return m_lastPoint; }
    void setLastPoint(ios::CGPoint p) { m_lastPoint = p; }

protected:
    FlintDrawingTwoPointTool() = default;

private:
    ios::UIColorRef m_lineColor;
    double m_lineAlpha = 1;
    double m_lineWidth = 1;
    ios::CGPoint m_firstPoint{};
    ios::CGPoint m_lastPoint{};
};

// A two-point tool that can be filled instead of stroked.
class FlintDrawingFillableTool : public FlintDrawingTwoPointTool {
    OBJC_CLASS_DECLARE(FlintDrawingFillableTool)
public:
    bool fill() const { return m_fill; }
    void setFill(bool fill) { m_fill = fill; }

protected:
    FlintDrawingFillableTool() = default;
    // Draws the shape spanning the first and latest points, filled or stroked in the tool's colour,
    // width and alpha, through `fillShape` or `strokeShape`.
    void drawSpannedShape(void (ios::CGContext::*fillShape)(const ios::CGRect&),
                          void (ios::CGContext::*strokeShape)(const ios::CGRect&));

private:
    bool m_fill = false;
};
