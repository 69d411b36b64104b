#include "platform/graphics/CGContext.h"

#include <cmath>

#include "platform/foundation/SystemLog.h"
#include "platform/graphics/UIImage.h"

namespace ios {

namespace {
// Line widths above this are stroked at it: far beyond any screen, and the stroker's time grows
// with the width.
constexpr CGFloat kMaximumLineWidth = 10000;

bool finite(CGFloat a) { return std::isfinite(a); }
bool finite(CGFloat a, CGFloat b) { return std::isfinite(a) && std::isfinite(b); }
bool finiteRect(const CGRect& r) { return finite(r.origin.x, r.origin.y) && finite(r.size.width, r.size.height); }

cairo_line_cap_t cairoCap(CGLineCap cap) {
    switch (cap) {
    case CGLineCap::Round: return CAIRO_LINE_CAP_ROUND;
    case CGLineCap::Square: return CAIRO_LINE_CAP_SQUARE;
    default: return CAIRO_LINE_CAP_BUTT;
    }
}

cairo_line_join_t cairoJoin(CGLineJoin join) {
    switch (join) {
    case CGLineJoin::Round: return CAIRO_LINE_JOIN_ROUND;
    case CGLineJoin::Bevel: return CAIRO_LINE_JOIN_BEVEL;
    default: return CAIRO_LINE_JOIN_MITER;
    }
}

// Runs fn on an empty path and puts the caller's current path back afterwards, so rectangle
// operations leave the current path alone as on the platform.
template <class Fn>
void withIsolatedPath(cairo_t* cr, Fn fn) {
    if (!cairo_has_current_point(cr)) {
        fn();
        cairo_new_path(cr);
        return;
    }
    cairo_path_t* saved = cairo_copy_path(cr);
    cairo_new_path(cr);
    fn();
    cairo_new_path(cr);
    cairo_append_path(cr, saved);
    cairo_path_destroy(saved);
}
}  // namespace

cairo_operator_t cairoOperatorForBlendMode(CGBlendMode mode) {
    switch (mode) {
    case CGBlendMode::Normal: return CAIRO_OPERATOR_OVER;
    case CGBlendMode::Multiply: return CAIRO_OPERATOR_MULTIPLY;
    case CGBlendMode::Screen: return CAIRO_OPERATOR_SCREEN;
    case CGBlendMode::Overlay: return CAIRO_OPERATOR_OVERLAY;
    case CGBlendMode::Darken: return CAIRO_OPERATOR_DARKEN;
    case CGBlendMode::Lighten: return CAIRO_OPERATOR_LIGHTEN;
    case CGBlendMode::ColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    case CGBlendMode::ColorBurn: return CAIRO_OPERATOR_COLOR_BURN;
    case CGBlendMode::SoftLight: return CAIRO_OPERATOR_SOFT_LIGHT;
    case CGBlendMode::HardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case CGBlendMode::Difference: return CAIRO_OPERATOR_DIFFERENCE;
    case CGBlendMode::Exclusion: return CAIRO_OPERATOR_EXCLUSION;
    case CGBlendMode::Hue: return CAIRO_OPERATOR_HSL_HUE;
    case CGBlendMode::Saturation: return CAIRO_OPERATOR_HSL_SATURATION;
    case CGBlendMode::Color: return CAIRO_OPERATOR_HSL_COLOR;
    case CGBlendMode::Luminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case CGBlendMode::Clear: return CAIRO_OPERATOR_CLEAR;
    case CGBlendMode::Copy: return CAIRO_OPERATOR_SOURCE;
    case CGBlendMode::SourceIn: return CAIRO_OPERATOR_IN;
    case CGBlendMode::SourceOut: return CAIRO_OPERATOR_OUT;
    case CGBlendMode::SourceAtop: return CAIRO_OPERATOR_ATOP;
    case CGBlendMode::DestinationOver: return CAIRO_OPERATOR_DEST_OVER;
    case CGBlendMode::DestinationIn: return CAIRO_OPERATOR_DEST_IN;
    case CGBlendMode::DestinationOut: return CAIRO_OPERATOR_DEST_OUT;
    case CGBlendMode::DestinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
    case CGBlendMode::XOR: return CAIRO_OPERATOR_XOR;
    case CGBlendMode::PlusDarker: return CAIRO_OPERATOR_DARKEN;
    case CGBlendMode::PlusLighter: return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

CGContext::CGContext(cairo_t* cr) : m_cr(cairo_reference(cr)) {
    cairo_save(m_cr);
    cairo_get_matrix(m_cr, &m_base);
    cairo_new_path(m_cr);
    cairo_set_line_width(m_cr, 1);
    cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(m_cr, 10);
    cairo_set_dash(m_cr, nullptr, 0, 0);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
}

CGContext::CGContext(cairo_surface_t* surface, CGFloat scale)
    : CGContext([&] {
          cairo_t* cr = cairo_create(surface);
          if (scale > 0 && std::isfinite(scale)) cairo_scale(cr, scale, scale);
          return cr;
      }()) {
    cairo_destroy(m_cr);  // the delegating constructor took its own reference
}

CGContext::~CGContext() {
    for (std::size_t i = 0; i < m_stack.size(); ++i) cairo_restore(m_cr);
    cairo_restore(m_cr);
    cairo_destroy(m_cr);
}

cairo_surface_t* CGContext::surface() const { return cairo_get_target(m_cr); }

void CGContext::saveGState() {
    m_stack.push_back(m_state);
    cairo_save(m_cr);
}

void CGContext::restoreGState() {
    if (m_stack.empty()) return;
    m_state = std::move(m_stack.back());
    m_stack.pop_back();
    cairo_restore(m_cr);
}

void CGContext::setFillColor(const UIColor& c) { m_state.fill = {c.red(), c.green(), c.blue(), c.alpha()}; }
void CGContext::setFillColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    setFillColor(*UIColor::colorWithRed(r, g, b, a));
}
void CGContext::setStrokeColor(const UIColor& c) { m_state.stroke = {c.red(), c.green(), c.blue(), c.alpha()}; }
void CGContext::setStrokeColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    setStrokeColor(*UIColor::colorWithRed(r, g, b, a));
}

void CGContext::setLineWidth(CGFloat width) {
    if (!finite(width) || width < 0) return;
    if (width > kMaximumLineWidth) {
        NSLog("CGContext: line width %@ is beyond %@ points; stroking at %@", width, kMaximumLineWidth,
              kMaximumLineWidth);
        width = kMaximumLineWidth;
    }
    m_state.lineWidth = width;
    cairo_set_line_width(m_cr, width);
}
void CGContext::setLineCap(CGLineCap cap) {
    m_state.lineCap = cap;
    cairo_set_line_cap(m_cr, cairoCap(cap));
}
void CGContext::setLineJoin(CGLineJoin join) {
    m_state.lineJoin = join;
    cairo_set_line_join(m_cr, cairoJoin(join));
}
void CGContext::setMiterLimit(CGFloat limit) {
    if (!finite(limit)) return;
    m_state.miterLimit = limit;
    cairo_set_miter_limit(m_cr, limit);
}
void CGContext::setLineDash(CGFloat phase, const std::vector<CGFloat>& lengths) {
    bool any = false;
    for (CGFloat l : lengths) {
        if (!finite(l) || l < 0) return;
        any = any || l > 0;
    }
    if (!finite(phase)) phase = 0;
    m_state.dashPhase = phase;
    m_state.dashLengths = any ? lengths : std::vector<CGFloat>{};
    if (any)
        cairo_set_dash(m_cr, lengths.data(), static_cast<int>(lengths.size()), phase);
    else
        cairo_set_dash(m_cr, nullptr, 0, 0);
}
void CGContext::setAlpha(CGFloat alpha) {
    if (std::isnan(alpha)) return;
    m_state.alpha = std::clamp(alpha, 0.0, 1.0);
}
void CGContext::setBlendMode(CGBlendMode mode) { m_state.blendMode = mode; }
void CGContext::setShouldAntialias(bool antialias) {
    m_state.antialias = antialias;
    cairo_set_antialias(m_cr, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void CGContext::concatCTM(const CGAffineTransform& t) {
    if (!finite(t.a, t.b) || !finite(t.c, t.d) || !finite(t.tx, t.ty)) return;
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    // Cairo refuses singular transforms and would stop drawing for good; a collapsed space
    // draws nothing anyway, so it is kept as a flag until the state is restored.
    cairo_matrix_t probe = m;
    if (cairo_matrix_invert(&probe) != CAIRO_STATUS_SUCCESS) {
        m_state.singularCTM = true;
        return;
    }
    cairo_transform(m_cr, &m);
}
void CGContext::translateCTM(CGFloat tx, CGFloat ty) { concatCTM(CGAffineTransformMakeTranslation(tx, ty)); }
void CGContext::scaleCTM(CGFloat sx, CGFloat sy) { concatCTM(CGAffineTransformMakeScale(sx, sy)); }
void CGContext::rotateCTM(CGFloat angle) { concatCTM(CGAffineTransformMakeRotation(angle)); }

CGAffineTransform CGContext::getCTM() const {
    cairo_matrix_t current, baseInverse = m_base, relative;
    cairo_get_matrix(m_cr, &current);
    cairo_matrix_invert(&baseInverse);
    cairo_matrix_multiply(&relative, &current, &baseInverse);
    return {relative.xx, relative.yx, relative.xy, relative.yy, relative.x0, relative.y0};
}

void CGContext::clipToRect(const CGRect& r) {
    if (!finiteRect(r)) return;
    CGRect s = CGRectStandardize(r);
    withIsolatedPath(m_cr, [&] {
        cairo_rectangle(m_cr, s.origin.x, s.origin.y, s.size.width, s.size.height);
        cairo_clip(m_cr);
    });
}

void CGContext::clip() {
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(m_cr);
}

void CGContext::eoClip() {
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(m_cr);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
}

CGRect CGContext::getClipBoundingBox() const {
    double x1, y1, x2, y2;
    cairo_clip_extents(m_cr, &x1, &y1, &x2, &y2);
    if (x2 <= x1 || y2 <= y1) return CGRectNull;
    return {{x1, y1}, {x2 - x1, y2 - y1}};
}

void CGContext::beginPath() { cairo_new_path(m_cr); }

void CGContext::moveToPoint(CGFloat x, CGFloat y) {
    if (finite(x, y)) cairo_move_to(m_cr, x, y);
}

void CGContext::addLineToPoint(CGFloat x, CGFloat y) {
    if (finite(x, y)) cairo_line_to(m_cr, x, y);
}

void CGContext::addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y) {
    if (!finite(cpx, cpy) || !finite(x, y)) return;
    if (!cairo_has_current_point(m_cr)) cairo_move_to(m_cr, cpx, cpy);
    double x0, y0;
    cairo_get_current_point(m_cr, &x0, &y0);
    cairo_curve_to(m_cr, x0 + 2.0 / 3.0 * (cpx - x0), y0 + 2.0 / 3.0 * (cpy - y0), x + 2.0 / 3.0 * (cpx - x),
                   y + 2.0 / 3.0 * (cpy - y), x, y);
}

void CGContext::addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y) {
    if (!finite(cp1x, cp1y) || !finite(cp2x, cp2y) || !finite(x, y)) return;
    if (!cairo_has_current_point(m_cr)) cairo_move_to(m_cr, cp1x, cp1y);
    cairo_curve_to(m_cr, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContext::addRect(const CGRect& r) {
    if (!finiteRect(r)) return;
    CGPath p;
    p.addRect(r);
    p.addToCairo(m_cr);
}

void CGContext::addEllipseInRect(const CGRect& r) {
    if (!finiteRect(r)) return;
    CGPath p;
    p.addEllipseInRect(r);
    p.addToCairo(m_cr);
}

void CGContext::addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise) {
    if (!finite(x, y) || !finite(radius) || !finite(startAngle, endAngle)) return;
    CGPath p;
    if (cairo_has_current_point(m_cr)) {
        double cx, cy;
        cairo_get_current_point(m_cr, &cx, &cy);
        p.moveTo({cx, cy});
    }
    p.addArc({x, y}, radius, startAngle, endAngle, clockwise);
    p.addToCairo(m_cr);
}

void CGContext::addPath(const CGPath& path) {
    for (const CGPathElement& e : path.elements())
        for (const CGPoint& pt : e.points)
            if (!finite(pt.x, pt.y)) return;
    path.addToCairo(m_cr);
}

void CGContext::addPath(const CGPathRef& path) {
    if (path) addPath(*path);
}

void CGContext::closePath() {
    if (cairo_has_current_point(m_cr)) cairo_close_path(m_cr);
}

bool CGContext::isPathEmpty() const { return !cairo_has_current_point(m_cr); }

CGRect CGContext::getPathBoundingBox() const {
    if (isPathEmpty()) return CGRectNull;
    double x1, y1, x2, y2;
    cairo_path_extents(m_cr, &x1, &y1, &x2, &y2);
    return {{x1, y1}, {x2 - x1, y2 - y1}};
}

void CGContext::setSource(const CGColorRGBA& c) { cairo_set_source_rgba(m_cr, c.r, c.g, c.b, c.a * m_state.alpha); }

void CGContext::paint(bool stroke, bool fill, bool evenOdd) {
    if (m_state.singularCTM || (!stroke && !fill)) {
        cairo_new_path(m_cr);
        return;
    }
    cairo_save(m_cr);
    cairo_set_operator(m_cr, cairoOperatorForBlendMode(m_state.blendMode));
    if (fill) {
        cairo_set_fill_rule(m_cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        setSource(m_state.fill);
        if (stroke)
            cairo_fill_preserve(m_cr);
        else
            cairo_fill(m_cr);
    }
    if (stroke) {
        setSource(m_state.stroke);
        // A zero line width strokes the thinnest visible line, as on the platform.
        if (m_state.lineWidth == 0) {
            double ux = 1, uy = 1;
            cairo_device_to_user_distance(m_cr, &ux, &uy);
            cairo_set_line_width(m_cr, std::min(std::abs(ux), std::abs(uy)));
        }
        cairo_stroke(m_cr);
    }
    cairo_restore(m_cr);
    cairo_new_path(m_cr);
}

void CGContext::strokePath() { paint(true, false, false); }
void CGContext::fillPath() { paint(false, true, false); }
void CGContext::eoFillPath() { paint(false, true, true); }

void CGContext::drawPath(CGPathDrawingMode mode) {
    switch (mode) {
    case CGPathDrawingMode::Fill: paint(false, true, false); break;
    case CGPathDrawingMode::EOFill: paint(false, true, true); break;
    case CGPathDrawingMode::Stroke: paint(true, false, false); break;
    case CGPathDrawingMode::FillStroke: paint(true, true, false); break;
    case CGPathDrawingMode::EOFillStroke: paint(true, true, true); break;
    }
}

void CGContext::fillRect(const CGRect& r) { fillRects({r}); }

void CGContext::fillRects(const std::vector<CGRect>& rects) {
    withIsolatedPath(m_cr, [&] {
        for (const CGRect& r : rects) addRect(CGRectStandardize(r));
        paint(false, true, false);
    });
}

void CGContext::strokeRect(const CGRect& r) {
    withIsolatedPath(m_cr, [&] {
        addRect(CGRectStandardize(r));
        paint(true, false, false);
    });
}

void CGContext::strokeRectWithWidth(const CGRect& r, CGFloat width) {
    saveGState();
    setLineWidth(width);
    strokeRect(r);
    restoreGState();
}

void CGContext::clearRect(const CGRect& r) {
    if (m_state.singularCTM || !finiteRect(r)) return;
    CGRect s = CGRectStandardize(r);
    withIsolatedPath(m_cr, [&] {
        cairo_save(m_cr);
        cairo_set_operator(m_cr, CAIRO_OPERATOR_CLEAR);
        cairo_rectangle(m_cr, s.origin.x, s.origin.y, s.size.width, s.size.height);
        cairo_fill(m_cr);
        cairo_restore(m_cr);
    });
}

void CGContext::fillEllipseInRect(const CGRect& r) {
    withIsolatedPath(m_cr, [&] {
        addEllipseInRect(r);
        paint(false, true, false);
    });
}

void CGContext::strokeEllipseInRect(const CGRect& r) {
    withIsolatedPath(m_cr, [&] {
        addEllipseInRect(r);
        paint(true, false, false);
    });
}

void CGContext::strokeLineSegments(const std::vector<CGPoint>& points) {
    withIsolatedPath(m_cr, [&] {
        for (std::size_t i = 0; i + 1 < points.size(); i += 2) {
            moveToPoint(points[i].x, points[i].y);
            addLineToPoint(points[i + 1].x, points[i + 1].y);
        }
        paint(true, false, false);
    });
}

void CGContext::drawImage(const CGRect& r, const UIImage& image) {
    if (m_state.singularCTM || !finiteRect(r)) return;
    cairo_save(m_cr);
    cairo_set_operator(m_cr, cairoOperatorForBlendMode(m_state.blendMode));
    withIsolatedPath(m_cr, [&] { image.paint(m_cr, r, m_state.alpha); });
    cairo_restore(m_cr);
}

void CGContext::paintColor(const CGColorRGBA& color) {
    if (m_state.singularCTM) return;
    cairo_save(m_cr);
    cairo_set_operator(m_cr, cairoOperatorForBlendMode(m_state.blendMode));
    setSource(color);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

}  // namespace ios
