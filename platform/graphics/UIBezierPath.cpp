#include "platform/graphics/UIBezierPath.h"

#include <algorithm>

#include "platform/graphics/UIGraphics.h"

namespace ios {

OBJC_CLASS_DEFINE(UIBezierPath, objc::Object)

objc::Ref<UIBezierPath> UIBezierPath::bezierPath() { return objc::make<UIBezierPath>(); }

objc::Ref<UIBezierPath> UIBezierPath::bezierPathWithRect(const CGRect& rect) {
    auto path = bezierPath();
    path->m_path.addRect(rect);
    return path;
}

objc::Ref<UIBezierPath> UIBezierPath::bezierPathWithOvalInRect(const CGRect& rect) {
    auto path = bezierPath();
    path->m_path.addEllipseInRect(rect);
    return path;
}

objc::Ref<UIBezierPath> UIBezierPath::bezierPathWithRoundedRect(const CGRect& rect, CGFloat cornerRadius) {
    auto path = bezierPath();
    // Circular corners: the radius is limited by the shorter side.
    CGFloat limit = std::min(CGRectGetWidth(rect), CGRectGetHeight(rect)) / 2;
    CGFloat radius = std::clamp(cornerRadius, 0.0, limit);
    path->m_path.addRoundedRect(rect, radius, radius);
    return path;
}

objc::Ref<UIBezierPath> UIBezierPath::bezierPathWithArcCenter(CGPoint center, CGFloat radius, CGFloat startAngle,
                                                              CGFloat endAngle, bool clockwise) {
    auto path = bezierPath();
    path->addArcWithCenter(center, radius, startAngle, endAngle, clockwise);
    return path;
}

objc::Ref<UIBezierPath> UIBezierPath::bezierPathWithCGPath(const CGPathRef& cgPath) {
    auto path = bezierPath();
    path->setCGPath(cgPath);
    return path;
}

void UIBezierPath::moveToPoint(CGPoint p) { m_path.moveTo(p); }
void UIBezierPath::addLineToPoint(CGPoint p) { m_path.lineTo(p); }
void UIBezierPath::addQuadCurveToPoint(CGPoint end, CGPoint control) { m_path.quadTo(control, end); }
void UIBezierPath::addCurveToPoint(CGPoint end, CGPoint c1, CGPoint c2) { m_path.curveTo(c1, c2, end); }
void UIBezierPath::addArcWithCenter(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                                    bool clockwise) {
    // On screen (y down) clockwise is the increasing-angle direction, which CGPath calls
    // counter-clockwise.
    m_path.addArc(center, radius, startAngle, endAngle, !clockwise);
}
void UIBezierPath::closePath() { m_path.closeSubpath(); }
void UIBezierPath::appendPath(const UIBezierPath& other) { m_path.addPath(other.m_path); }
void UIBezierPath::removeAllPoints() { m_path.removeAllElements(); }
void UIBezierPath::applyTransform(const CGAffineTransform& t) { m_path.applyTransform(t); }

void UIBezierPath::setCGPath(const CGPathRef& path) {
    m_path.removeAllElements();
    if (path) m_path.addPath(*path);
}

void UIBezierPath::setLineDash(const std::vector<CGFloat>& pattern, CGFloat phase) {
    m_dash = pattern;
    m_dashPhase = phase;
}

void UIBezierPath::paint(bool stroke, CGBlendMode mode, CGFloat alpha, bool useMode) const {
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    c->saveGState();
    if (useMode) {
        c->setBlendMode(mode);
        c->setAlpha(alpha);
    }
    c->setLineWidth(m_lineWidth);
    c->setLineCap(m_lineCap);
    c->setLineJoin(m_lineJoin);
    c->setMiterLimit(m_miterLimit);
    c->setLineDash(m_dashPhase, m_dash);
    c->beginPath();
    c->addPath(m_path);
    if (stroke)
        c->strokePath();
    else if (m_usesEvenOdd)
        c->eoFillPath();
    else
        c->fillPath();
    c->restoreGState();
}

void UIBezierPath::fill() const { paint(false, CGBlendMode::Normal, 1, false); }
void UIBezierPath::stroke() const { paint(true, CGBlendMode::Normal, 1, false); }
void UIBezierPath::fillWithBlendMode(CGBlendMode mode, CGFloat alpha) const { paint(false, mode, alpha, true); }
void UIBezierPath::strokeWithBlendMode(CGBlendMode mode, CGFloat alpha) const { paint(true, mode, alpha, true); }

void UIBezierPath::addClip() const {
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    c->beginPath();
    c->addPath(m_path);
    if (m_usesEvenOdd)
        c->eoClip();
    else
        c->clip();
}

}  // namespace ios
