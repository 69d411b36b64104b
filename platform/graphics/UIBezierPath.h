#pragma once
// A path object with its own stroke parameters (line width, cap, join, miter limit, dash) that
// paints itself into the current UIGraphics context. Subclassable (drawing tools derive from it).

#include <vector>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"
#include "platform/objc/Runtime.h"

namespace ios {

class UIBezierPath : public objc::Object {
    OBJC_CLASS_DECLARE(UIBezierPath)
public:
    static objc::Ref<UIBezierPath> bezierPath();
    static objc::Ref<UIBezierPath> bezierPathWithRect(const CGRect& rect);
    static objc::Ref<UIBezierPath> bezierPathWithOvalInRect(const CGRect& rect);
    static objc::Ref<UIBezierPath> bezierPathWithRoundedRect(const CGRect& rect, CGFloat cornerRadius);
    // clockwise as seen on screen (y down): increasing angle.
    static objc::Ref<UIBezierPath> bezierPathWithArcCenter(CGPoint center, CGFloat radius, CGFloat startAngle,
                                                           CGFloat endAngle, bool clockwise);
    static objc::Ref<UIBezierPath> bezierPathWithCGPath(const CGPathRef& path);

    void moveToPoint(CGPoint p);
    void addLineToPoint(CGPoint p);
    void addQuadCurveToPoint(CGPoint end, CGPoint control);
    void addCurveToPoint(CGPoint end, CGPoint control1, CGPoint control2);
    void addArcWithCenter(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
    void closePath();
    void appendPath(const UIBezierPath& other);
    void removeAllPoints();
    void applyTransform(const CGAffineTransform& t);

    bool isEmpty() const { return m_path.isEmpty(); }
    CGPoint currentPoint() const { return m_path.currentPoint(); }
    // Control points included, as the platform's bounds.
    CGRect bounds() const { return m_path.boundingBox(); }
    bool containsPoint(CGPoint p) const { return m_path.containsPoint(p, m_usesEvenOdd); }
    // A snapshot of the path.
    CGPathRef CGPath() const { return std::make_shared<const ios::CGPath>(m_path); }
    void setCGPath(const CGPathRef& path);
    const ios::CGPath& path() const { return m_path; }

    CGFloat lineWidth() const { return m_lineWidth; }
    void setLineWidth(CGFloat w) { m_lineWidth = w; }
    CGLineCap lineCapStyle() const { return m_lineCap; }
    void setLineCapStyle(CGLineCap cap) { m_lineCap = cap; }
    CGLineJoin lineJoinStyle() const { return m_lineJoin; }
    void setLineJoinStyle(CGLineJoin join) { m_lineJoin = join; }
    CGFloat miterLimit() const { return m_miterLimit; }
    void setMiterLimit(CGFloat limit) { m_miterLimit = limit; }
    bool usesEvenOddFillRule() const { return m_usesEvenOdd; }
    void setUsesEvenOddFillRule(bool on) { m_usesEvenOdd = on; }
    void setLineDash(const std::vector<CGFloat>& pattern, CGFloat phase);

    // Paint in the current context with its fill or stroke colour; the path's own stroke
    // parameters apply for the call only (the context's state is saved and restored).
    void fill() const;
    void stroke() const;
    void fillWithBlendMode(CGBlendMode mode, CGFloat alpha) const;
    void strokeWithBlendMode(CGBlendMode mode, CGFloat alpha) const;
    // Intersects the current context's clip with the path's area.
    void addClip() const;

    void init() override {}

protected:
    UIBezierPath() = default;

private:
    void paint(bool stroke, CGBlendMode mode, CGFloat alpha, bool useMode) const;

    ios::CGPath m_path;
    CGFloat m_lineWidth = 1;
    CGLineCap m_lineCap = CGLineCap::Butt;
    CGLineJoin m_lineJoin = CGLineJoin::Miter;
    CGFloat m_miterLimit = 10;
    bool m_usesEvenOdd = false;
    std::vector<CGFloat> m_dash;
    CGFloat m_dashPhase = 0;
};

using UIBezierPathRef = objc::Ref<UIBezierPath>;

}  // namespace ios
