#include "drawing/FlintDrawingPenTool.h"

#include "drawing/FlintDrawingToolState.h"
#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingPenTool, UIBezierPath)

CGPoint midPoint(CGPoint a, CGPoint b) { return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5}; }

void FlintDrawingPenTool::init() {
    UIBezierPath::init();
    setLineCapStyle(kCGLineCapRound);
    m_path = CGPathCreateMutable();
}

CGRect FlintDrawingPenTool::addPathPreviousPreviousPoint(CGPoint p2, CGPoint p1, CGPoint c) {
    CGPoint m1 = midPoint(p1, p2);
    CGPoint m2 = midPoint(c, p1);
    CGMutablePathRef sub = CGPathCreateMutable();
    CGPathMoveToPoint(sub, nullptr, m1.x, m1.y);
    CGPathAddQuadCurveToPoint(sub, nullptr, p1.x, p1.y, m2.x, m2.y);
    CGRect box = CGPathGetBoundingBox(sub);
    CGPathAddPath(m_path, nullptr, sub);
    return box;
}

void FlintDrawingPenTool::preparePath(CGContext& context) const {
    context.addPath(*m_path);
    context.setLineCap(kCGLineCapRound);
    context.setLineWidth(lineWidth());
}

void FlintDrawingPenTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    preparePath(*context);
    if (m_lineColor) context->setStrokeColor(*m_lineColor);
    context->setBlendMode(kCGBlendModeNormal);
    context->setAlpha(m_lineAlpha);
    context->strokePath();
}

objc::Ref<FlintDrawingToolState> FlintDrawingPenTool::captureToolState() {
    return FlintDrawingToolState::stateForTool(FlintDrawingToolSelf(*this));
}
