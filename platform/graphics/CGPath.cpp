#include "platform/graphics/CGPath.h"

#include <algorithm>
#include <cmath>

namespace ios {

namespace {
constexpr CGFloat kPi = 3.14159265358979323846;
// Control-point distance of a cubic quarter circle of radius 1.
constexpr CGFloat kKappa = 0.5522847498307936;

struct Bounds {
    CGFloat minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    bool any = false;
    void add(CGPoint p) {
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
        any = true;
    }
    CGRect rect() const { return any ? CGRect{{minX, minY}, {maxX - minX, maxY - minY}} : CGRectNull; }
};

CGPoint lerp(CGPoint a, CGPoint b, CGFloat t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

CGPoint cubicAt(CGPoint p0, CGPoint p1, CGPoint p2, CGPoint p3, CGFloat t) {
    CGFloat u = 1 - t;
    CGFloat a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

CGPoint quadAt(CGPoint p0, CGPoint p1, CGPoint p2, CGFloat t) {
    CGFloat u = 1 - t;
    return {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y};
}

// Roots in (0, 1) of the derivative of a one-dimensional cubic Bézier.
void cubicExtremaParams(CGFloat p0, CGFloat p1, CGFloat p2, CGFloat p3, std::vector<CGFloat>& out) {
    // B'(t)/3 = a t² + b t + c
    CGFloat a = -p0 + 3 * p1 - 3 * p2 + p3;
    CGFloat b = 2 * (p0 - 2 * p1 + p2);
    CGFloat c = p1 - p0;
    auto push = [&](CGFloat t) {
        if (t > 0 && t < 1) out.push_back(t);
    };
    if (std::abs(a) < 1e-12) {
        if (std::abs(b) > 1e-12) push(-c / b);
        return;
    }
    CGFloat disc = b * b - 4 * a * c;
    if (disc < 0) return;
    CGFloat sq = std::sqrt(disc);
    push((-b + sq) / (2 * a));
    push((-b - sq) / (2 * a));
}

CGPoint applyOptional(CGPoint p, const CGAffineTransform* t) { return t ? CGPointApplyAffineTransform(p, *t) : p; }
}  // namespace

void CGPath::moveTo(CGPoint p) {
    m_elements.push_back({CGPathElementType::MoveToPoint, {p}});
    m_current = m_subpathStart = p;
    m_hasCurrent = true;
}

void CGPath::lineTo(CGPoint p) {
    if (!m_hasCurrent) moveTo(p);
    m_elements.push_back({CGPathElementType::AddLineToPoint, {p}});
    m_current = p;
}

void CGPath::quadTo(CGPoint control, CGPoint end) {
    if (!m_hasCurrent) moveTo(control);
    m_elements.push_back({CGPathElementType::AddQuadCurveToPoint, {control, end}});
    m_current = end;
}

void CGPath::curveTo(CGPoint c1, CGPoint c2, CGPoint end) {
    if (!m_hasCurrent) moveTo(c1);
    m_elements.push_back({CGPathElementType::AddCurveToPoint, {c1, c2, end}});
    m_current = end;
}

void CGPath::closeSubpath() {
    if (!m_hasCurrent) return;
    m_elements.push_back({CGPathElementType::CloseSubpath, {}});
    m_current = m_subpathStart;
}

void CGPath::addRect(const CGRect& r) {
    CGFloat x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    moveTo({x, y});
    lineTo({x + w, y});
    lineTo({x + w, y + h});
    lineTo({x, y + h});
    closeSubpath();
}

void CGPath::addEllipseInRect(const CGRect& rect) {
    if (CGRectIsNull(rect)) return;
    CGRect r = CGRectStandardize(rect);
    if (r.size.width == 0 && r.size.height == 0) return;
    CGFloat rx = r.size.width / 2, ry = r.size.height / 2;
    CGFloat cx = r.origin.x + rx, cy = r.origin.y + ry;
    CGFloat kx = rx * kKappa, ky = ry * kKappa;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closeSubpath();
}

void CGPath::addRoundedRect(const CGRect& rect, CGFloat cw, CGFloat ch) {
    if (CGRectIsNull(rect)) return;
    CGRect r = CGRectStandardize(rect);
    cw = std::clamp(cw, 0.0, r.size.width / 2);
    ch = std::clamp(ch, 0.0, r.size.height / 2);
    if (cw == 0 || ch == 0) {
        addRect(r);
        return;
    }
    CGFloat minX = r.origin.x, minY = r.origin.y, maxX = minX + r.size.width, maxY = minY + r.size.height;
    CGFloat kx = cw * (1 - kKappa), ky = ch * (1 - kKappa);
    moveTo({minX + cw, minY});
    lineTo({maxX - cw, minY});
    curveTo({maxX - kx, minY}, {maxX, minY + ky}, {maxX, minY + ch});
    lineTo({maxX, maxY - ch});
    curveTo({maxX, maxY - ky}, {maxX - kx, maxY}, {maxX - cw, maxY});
    lineTo({minX + cw, maxY});
    curveTo({minX + kx, maxY}, {minX, maxY - ky}, {minX, maxY - ch});
    lineTo({minX, minY + ch});
    curveTo({minX, minY + ky}, {minX + kx, minY}, {minX + cw, minY});
    closeSubpath();
}

void CGPath::addArc(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise) {
    if (!std::isfinite(radius) || !std::isfinite(startAngle) || !std::isfinite(endAngle)) return;
    radius = std::abs(radius);
    const CGFloat full = 2 * kPi;
    CGFloat sweep = endAngle - startAngle;
    if (clockwise) {
        if (sweep > 0) sweep -= full * std::ceil(sweep / full);
        sweep = std::max(sweep, -full);
    } else {
        if (sweep < 0) sweep += full * std::ceil(-sweep / full);
        sweep = std::min(sweep, full);
    }
    CGPoint start{center.x + radius * std::cos(startAngle), center.y + radius * std::sin(startAngle)};
    if (m_hasCurrent)
        lineTo(start);
    else
        moveTo(start);
    int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
    CGFloat step = sweep / segments;
    CGFloat k = 4.0 / 3.0 * std::tan(step / 4);
    CGFloat a0 = startAngle;
    for (int i = 0; i < segments && sweep != 0; ++i) {
        CGFloat a1 = a0 + step;
        CGFloat c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
        CGPoint p1{center.x + radius * (c0 - k * s0), center.y + radius * (s0 + k * c0)};
        CGPoint p2{center.x + radius * (c1 + k * s1), center.y + radius * (s1 - k * c1)};
        CGPoint p3{center.x + radius * c1, center.y + radius * s1};
        curveTo(p1, p2, p3);
        a0 = a1;
    }
}

void CGPath::addLines(const std::vector<CGPoint>& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == 0)
            moveTo(points[i]);
        else
            lineTo(points[i]);
    }
}

void CGPath::addPath(const CGPath& other, const CGAffineTransform* t) {
    for (const CGPathElement& e : other.m_elements) {
        switch (e.type) {
        case CGPathElementType::MoveToPoint: moveTo(applyOptional(e.points[0], t)); break;
        case CGPathElementType::AddLineToPoint: lineTo(applyOptional(e.points[0], t)); break;
        case CGPathElementType::AddQuadCurveToPoint:
            quadTo(applyOptional(e.points[0], t), applyOptional(e.points[1], t));
            break;
        case CGPathElementType::AddCurveToPoint:
            curveTo(applyOptional(e.points[0], t), applyOptional(e.points[1], t), applyOptional(e.points[2], t));
            break;
        case CGPathElementType::CloseSubpath: closeSubpath(); break;
        }
    }
}

void CGPath::applyTransform(const CGAffineTransform& t) {
    for (CGPathElement& e : m_elements)
        for (CGPoint& p : e.points) p = CGPointApplyAffineTransform(p, t);
    m_current = CGPointApplyAffineTransform(m_current, t);
    m_subpathStart = CGPointApplyAffineTransform(m_subpathStart, t);
}

void CGPath::removeAllElements() {
    m_elements.clear();
    m_hasCurrent = false;
    m_current = m_subpathStart = {};
}

CGPoint CGPath::currentPoint() const { return m_hasCurrent ? m_current : CGPointZero; }

namespace {
int pointCount(CGPathElementType type) {
    switch (type) {
    case CGPathElementType::MoveToPoint:
    case CGPathElementType::AddLineToPoint: return 1;
    case CGPathElementType::AddQuadCurveToPoint: return 2;
    case CGPathElementType::AddCurveToPoint: return 3;
    case CGPathElementType::CloseSubpath: return 0;
    }
    return 0;
}
}  // namespace

CGRect CGPath::boundingBox() const {
    Bounds b;
    for (const CGPathElement& e : m_elements)
        for (int i = 0; i < pointCount(e.type); ++i) b.add(e.points[i]);
    return b.rect();
}

CGRect CGPath::pathBoundingBox() const {
    Bounds b;
    CGPoint cur{}, start{};
    std::vector<CGFloat> ts;
    for (const CGPathElement& e : m_elements) {
        switch (e.type) {
        case CGPathElementType::MoveToPoint:
            cur = start = e.points[0];
            b.add(cur);
            break;
        case CGPathElementType::AddLineToPoint:
            cur = e.points[0];
            b.add(cur);
            break;
        case CGPathElementType::AddQuadCurveToPoint: {
            CGPoint p0 = cur, p1 = e.points[0], p2 = e.points[1];
            b.add(p2);
            // Derivative root of a quadratic: t = (p0 − p1) / (p0 − 2p1 + p2).
            for (int axis = 0; axis < 2; ++axis) {
                CGFloat a0 = axis ? p0.y : p0.x, a1 = axis ? p1.y : p1.x, a2 = axis ? p2.y : p2.x;
                CGFloat den = a0 - 2 * a1 + a2;
                if (std::abs(den) > 1e-12) {
                    CGFloat t = (a0 - a1) / den;
                    if (t > 0 && t < 1) b.add(quadAt(p0, p1, p2, t));
                }
            }
            cur = p2;
            break;
        }
        case CGPathElementType::AddCurveToPoint: {
            CGPoint p0 = cur, p1 = e.points[0], p2 = e.points[1], p3 = e.points[2];
            b.add(p3);
            ts.clear();
            cubicExtremaParams(p0.x, p1.x, p2.x, p3.x, ts);
            cubicExtremaParams(p0.y, p1.y, p2.y, p3.y, ts);
            for (CGFloat t : ts) b.add(cubicAt(p0, p1, p2, p3, t));
            cur = p3;
            break;
        }
        case CGPathElementType::CloseSubpath: cur = start; break;
        }
    }
    return b.rect();
}

bool CGPath::containsPoint(CGPoint p, bool evenOdd) const {
    // Flatten to polygons, then count crossings of a ray towards +x.
    int winding = 0, crossings = 0;
    CGPoint cur{}, start{};
    bool open = false;
    auto edge = [&](CGPoint a, CGPoint b) {
        if ((a.y <= p.y) == (b.y <= p.y)) return;
        CGFloat x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
        if (x > p.x) {
            ++crossings;
            winding += b.y > a.y ? 1 : -1;
        }
    };
    auto closeOpen = [&] {
        if (open) edge(cur, start);
        open = false;
    };
    constexpr int kSteps = 24;
    for (const CGPathElement& e : m_elements) {
        switch (e.type) {
        case CGPathElementType::MoveToPoint:
            closeOpen();
            cur = start = e.points[0];
            open = true;
            break;
        case CGPathElementType::AddLineToPoint:
            edge(cur, e.points[0]);
            cur = e.points[0];
            break;
        case CGPathElementType::AddQuadCurveToPoint:
            for (int i = 1; i <= kSteps; ++i) {
                CGPoint q = quadAt(cur, e.points[0], e.points[1], CGFloat(i) / kSteps);
                CGPoint prev = quadAt(cur, e.points[0], e.points[1], CGFloat(i - 1) / kSteps);
                edge(prev, q);
            }
            cur = e.points[1];
            break;
        case CGPathElementType::AddCurveToPoint:
            for (int i = 1; i <= kSteps; ++i) {
                CGPoint q = cubicAt(cur, e.points[0], e.points[1], e.points[2], CGFloat(i) / kSteps);
                CGPoint prev = cubicAt(cur, e.points[0], e.points[1], e.points[2], CGFloat(i - 1) / kSteps);
                edge(prev, q);
            }
            cur = e.points[2];
            break;
        case CGPathElementType::CloseSubpath:
            edge(cur, start);
            cur = start;
            open = false;
            break;
        }
    }
    closeOpen();
    return evenOdd ? (crossings % 2) != 0 : winding != 0;
}

void CGPath::addToCairo(cairo_t* cr) const {
    CGPoint cur{};
    for (const CGPathElement& e : m_elements) {
        switch (e.type) {
        case CGPathElementType::MoveToPoint:
            cairo_move_to(cr, e.points[0].x, e.points[0].y);
            cur = e.points[0];
            break;
        case CGPathElementType::AddLineToPoint:
            cairo_line_to(cr, e.points[0].x, e.points[0].y);
            cur = e.points[0];
            break;
        case CGPathElementType::AddQuadCurveToPoint: {
            CGPoint c1 = lerp(cur, e.points[0], 2.0 / 3.0), c2 = lerp(e.points[1], e.points[0], 2.0 / 3.0);
            cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, e.points[1].x, e.points[1].y);
            cur = e.points[1];
            break;
        }
        case CGPathElementType::AddCurveToPoint:
            cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x,
                           e.points[2].y);
            cur = e.points[2];
            break;
        case CGPathElementType::CloseSubpath: {
            cairo_close_path(cr);
            double x, y;
            cairo_get_current_point(cr, &x, &y);
            cur = {x, y};
            break;
        }
        }
    }
}

bool operator==(const CGPath& a, const CGPath& b) {
    if (a.m_elements.size() != b.m_elements.size()) return false;
    for (std::size_t i = 0; i < a.m_elements.size(); ++i) {
        const CGPathElement &x = a.m_elements[i], &y = b.m_elements[i];
        if (x.type != y.type) return false;
        for (int k = 0; k < pointCount(x.type); ++k)
            if (!(x.points[k] == y.points[k])) return false;
    }
    return true;
}

// --- C-style API ---

CGMutablePathRef CGPathCreateMutable() { return std::make_shared<CGPath>(); }
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path) {
    return path ? std::make_shared<CGPath>(*path) : std::make_shared<CGPath>();
}
CGPathRef CGPathCreateCopy(const CGPathRef& path) { return path ? std::make_shared<const CGPath>(*path) : nullptr; }

CGPathRef CGPathCreateWithRect(const CGRect& r, const CGAffineTransform* t) {
    auto p = CGPathCreateMutable();
    CGPathAddRect(p, t, r);
    return p;
}
CGPathRef CGPathCreateWithEllipseInRect(const CGRect& r, const CGAffineTransform* t) {
    auto p = CGPathCreateMutable();
    CGPathAddEllipseInRect(p, t, r);
    return p;
}
CGPathRef CGPathCreateWithRoundedRect(const CGRect& r, CGFloat cw, CGFloat ch, const CGAffineTransform* t) {
    CGPath shape;
    shape.addRoundedRect(r, cw, ch);
    auto p = CGPathCreateMutable();
    p->addPath(shape, t);
    return p;
}

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat x, CGFloat y) {
    if (path) path->moveTo(applyOptional({x, y}, t));
}
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat x, CGFloat y) {
    if (path) path->lineTo(applyOptional({x, y}, t));
}
void CGPathAddQuadCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat cpx, CGFloat cpy,
                               CGFloat x, CGFloat y) {
    if (path) path->quadTo(applyOptional({cpx, cpy}, t), applyOptional({x, y}, t));
}
void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat cp1x, CGFloat cp1y,
                           CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y) {
    if (path) path->curveTo(applyOptional({cp1x, cp1y}, t), applyOptional({cp2x, cp2y}, t), applyOptional({x, y}, t));
}
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* t, const CGRect& r) {
    if (!path) return;
    CGPath shape;
    shape.addRect(r);
    path->addPath(shape, t);
}
void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* t, const CGRect& r) {
    if (!path) return;
    CGPath shape;
    shape.addEllipseInRect(r);
    path->addPath(shape, t);
}
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat radius,
                  CGFloat startAngle, CGFloat endAngle, bool clockwise) {
    if (!path) return;
    if (!t) {
        path->addArc({x, y}, radius, startAngle, endAngle, clockwise);
        return;
    }
    CGPath arc;
    arc.addArc({x, y}, radius, startAngle, endAngle, clockwise);
    // The arc's first element is a move; it becomes a line when the path already has a point.
    const auto& els = arc.elements();
    for (std::size_t i = 0; i < els.size(); ++i) {
        const CGPathElement& e = els[i];
        if (i == 0) {
            CGPoint p = CGPointApplyAffineTransform(e.points[0], *t);
            if (path->hasCurrentPoint())
                path->lineTo(p);
            else
                path->moveTo(p);
        } else {
            path->curveTo(CGPointApplyAffineTransform(e.points[0], *t), CGPointApplyAffineTransform(e.points[1], *t),
                          CGPointApplyAffineTransform(e.points[2], *t));
        }
    }
}
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* t, const CGPathRef& other) {
    if (path && other) path->addPath(*other, t);
}
void CGPathCloseSubpath(const CGMutablePathRef& path) {
    if (path) path->closeSubpath();
}

bool CGPathIsEmpty(const CGPathRef& path) { return !path || path->isEmpty(); }
CGPoint CGPathGetCurrentPoint(const CGPathRef& path) { return path ? path->currentPoint() : CGPointZero; }
CGRect CGPathGetBoundingBox(const CGPathRef& path) { return path ? path->boundingBox() : CGRectNull; }
CGRect CGPathGetPathBoundingBox(const CGPathRef& path) { return path ? path->pathBoundingBox() : CGRectNull; }
bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* t, CGPoint p, bool evenOdd) {
    if (!path) return false;
    if (t) p = CGPointApplyAffineTransform(p, CGAffineTransformInvert(*t));
    return path->containsPoint(p, evenOdd);
}
bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b) {
    if (!a || !b) return a == b;
    return *a == *b;
}

void cairoAddRoundedRect(cairo_t* cr, const CGRect& r, double radius) {
    double w = r.size.width, h = r.size.height;
    radius = std::min({radius, std::fabs(w) / 2, std::fabs(h) / 2});
    if (radius <= 0) {
        cairo_rectangle(cr, r.origin.x, r.origin.y, w, h);
        return;
    }
    double x = r.origin.x, y = r.origin.y;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

}  // namespace ios
