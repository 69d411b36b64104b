#pragma once
// Graphics paths: sub-paths of lines and quadratic and cubic Bézier curves. Rectangles, ellipses,
// rounded rectangles and arcs are stored as those elements (arcs and ellipses as cubic curves), so
// every consumer handles only the five element kinds.
//
// CGPathRef / CGMutablePathRef are shared pointers; the C-style functions below mirror the
// platform's and take an optional transform applied to the points as they are added.

#include <array>
#include <memory>
#include <vector>

#include <cairo.h>

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"

namespace ios {

enum class CGPathElementType {
    MoveToPoint = 0,
    AddLineToPoint = 1,
    AddQuadCurveToPoint = 2,
    AddCurveToPoint = 3,
    CloseSubpath = 4
};

struct CGPathElement {
    CGPathElementType type;
    // Control points first, end point last: move/line use points[0], a quadratic curve [0] control
    // and [1] end, a cubic curve [0], [1] controls and [2] end; close uses none.
    std::array<CGPoint, 3> points{};
};

class CGPath {
public:
    CGPath() = default;

    void moveTo(CGPoint p);
    // Without a current point these start a sub-path at p (lines) or at the control point (curves).
    void lineTo(CGPoint p);
    void quadTo(CGPoint control, CGPoint end);
    void curveTo(CGPoint control1, CGPoint control2, CGPoint end);
    void closeSubpath();
    // Closed sub-paths; the rectangle starts at its origin and runs along its width first.
    void addRect(const CGRect& r);
    // Four cubic curves starting at the rightmost point; an empty rectangle adds nothing.
    void addEllipseInRect(const CGRect& r);
    // Corner radii are clamped to half the width and height.
    void addRoundedRect(const CGRect& r, CGFloat cornerWidth, CGFloat cornerHeight);
    // An arc of the circle about center from startAngle to endAngle (radians, 0 along +x, pi/2
    // along +y). As on the platform's CGPath, clockwise = true sweeps by decreasing angle and
    // false by increasing angle (which, with y down, turns clockwise on screen). A line joins the
    // current point to the arc's start.
    void addArc(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
    void addLines(const std::vector<CGPoint>& points);
    void addPath(const CGPath& other, const CGAffineTransform* transform = nullptr);
    void applyTransform(const CGAffineTransform& t);
    void removeAllElements();

    bool isEmpty() const { return m_elements.empty(); }
    bool hasCurrentPoint() const { return m_hasCurrent; }
    CGPoint currentPoint() const;  // CGPointZero when there is none
    const std::vector<CGPathElement>& elements() const { return m_elements; }

    // Smallest rectangle holding every point, control points included (CGPathGetBoundingBox);
    // CGRectNull for an empty path.
    CGRect boundingBox() const;
    // Smallest rectangle holding the path itself, curve extrema included but not control points
    // (CGPathGetPathBoundingBox); CGRectNull for an empty path.
    CGRect pathBoundingBox() const;
    // Fill-rule hit test of the path's area; open sub-paths count as closed.
    bool containsPoint(CGPoint p, bool evenOdd = false) const;

    // Appends the path to cairo's current path (in cairo's current user space).
    void addToCairo(cairo_t* cr) const;

    friend bool operator==(const CGPath& a, const CGPath& b);

private:
    std::vector<CGPathElement> m_elements;
    CGPoint m_current{};
    CGPoint m_subpathStart{};
    bool m_hasCurrent = false;
};

using CGPathRef = std::shared_ptr<const CGPath>;
using CGMutablePathRef = std::shared_ptr<CGPath>;

CGMutablePathRef CGPathCreateMutable();
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path);
CGPathRef CGPathCreateCopy(const CGPathRef& path);
CGPathRef CGPathCreateWithRect(const CGRect& r, const CGAffineTransform* t);
CGPathRef CGPathCreateWithEllipseInRect(const CGRect& r, const CGAffineTransform* t);
CGPathRef CGPathCreateWithRoundedRect(const CGRect& r, CGFloat cornerWidth, CGFloat cornerHeight,
                                      const CGAffineTransform* t);

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat x, CGFloat y);
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat x, CGFloat y);
void CGPathAddQuadCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat cpx, CGFloat cpy,
                               CGFloat x, CGFloat y);
void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat cp1x, CGFloat cp1y,
                           CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* t, const CGRect& r);
void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* t, const CGRect& r);
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat radius,
                  CGFloat startAngle, CGFloat endAngle, bool clockwise);
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* t, const CGPathRef& other);
void CGPathCloseSubpath(const CGMutablePathRef& path);

bool CGPathIsEmpty(const CGPathRef& path);  // a null path is empty
CGPoint CGPathGetCurrentPoint(const CGPathRef& path);
CGRect CGPathGetBoundingBox(const CGPathRef& path);
CGRect CGPathGetPathBoundingBox(const CGPathRef& path);
bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* t, CGPoint p, bool evenOdd);
bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b);

// Appends a closed rounded rectangle to cairo's current path; the radius is limited to half the
// shorter side, and a rectangle without one is a plain rectangle.
void cairoAddRoundedRect(cairo_t* cr, const CGRect& r, double radius);

}  // namespace ios
