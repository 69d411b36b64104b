#include "platform/quartz/CALayerRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIColor.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CABlur.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CALayer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/quartz/CAShapeLayer.h"
#include "platform/quartz/CATextLayer.h"
#include "platform/text/NSStringDrawing.h"

namespace ios {

namespace {

bool isAffine(const CATransform3D& t) { return std::fabs(t.m14) < 1e-12 && std::fabs(t.m24) < 1e-12 && t.m44 == 1; }

double linearDeterminant(const CATransform3D& t) { return t.m11 * t.m22 - t.m12 * t.m21; }

CGPoint anchorIn(const CALayer& l) {
    const CGRect& b = l.bounds();
    return {b.origin.x + l.anchorPoint().x * b.size.width, b.origin.y + l.anchorPoint().y * b.size.height};
}

// The part of the map from a layer to its superlayer that belongs to the layer itself.
CATransform3D ownTransform(const CALayer& l) {
    CGPoint a = anchorIn(l);
    CATransform3D t = CATransform3DConcat(CATransform3DMakeTranslation(-a.x, -a.y, 0), l.transform());
    return CATransform3DConcat(t, CATransform3DMakeTranslation(l.position().x, l.position().y, l.zPosition()));
}

// A transform applied about a layer's anchor point.
CATransform3D aboutAnchor(const CALayer& l, const CATransform3D& t) {
    if (CATransform3DIsIdentity(t)) return t;
    CGPoint a = anchorIn(l);
    return CATransform3DConcat(CATransform3DConcat(CATransform3DMakeTranslation(-a.x, -a.y, 0), t),
                               CATransform3DMakeTranslation(a.x, a.y, 0));
}

void setSourceColor(cairo_t* cr, const UIColor& c, double alpha = 1) {
    cairo_set_source_rgba(cr, c.red(), c.green(), c.blue(), c.alpha() * alpha);
}

bool visibleColor(const UIColorRef& c) { return c && c->alpha() > 0; }

// Where contents of `size` points go in `bounds` under a gravity (y down).
CGRect gravityRect(const std::string& gravity, const CGRect& bounds, CGSize size) {
    double bw = bounds.size.width, bh = bounds.size.height;
    if (gravity == kCAGravityResize || size.width <= 0 || size.height <= 0) return bounds;
    if (gravity == kCAGravityResizeAspect || gravity == kCAGravityResizeAspectFill) {
        double sx = bw / size.width, sy = bh / size.height;
        double s = gravity == kCAGravityResizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        size = {size.width * s, size.height * s};
    }
    double x = bounds.origin.x + (bw - size.width) / 2, y = bounds.origin.y + (bh - size.height) / 2;
    if (gravity.find("eft") != std::string::npos) x = bounds.origin.x;
    if (gravity.find("ight") != std::string::npos) x = bounds.origin.x + bw - size.width;
    if (gravity == kCAGravityTop || gravity == kCAGravityTopLeft || gravity == kCAGravityTopRight) y = bounds.origin.y;
    if (gravity == kCAGravityBottom || gravity == kCAGravityBottomLeft || gravity == kCAGravityBottomRight)
        y = bounds.origin.y + bh - size.height;
    return {{x, y}, size};
}

// A sub-path of the flattened path between two fractions of its length.
void appendPartialPath(cairo_t* cr, cairo_path_t* flat, double from, double to) {
    double total = 0;
    CGPoint current{}, start{};
    for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
        cairo_path_data_t* d = &flat->data[i];
        if (d->header.type == CAIRO_PATH_MOVE_TO) {
            current = start = {d[1].point.x, d[1].point.y};
        } else if (d->header.type == CAIRO_PATH_LINE_TO || d->header.type == CAIRO_PATH_CLOSE_PATH) {
            CGPoint p = d->header.type == CAIRO_PATH_LINE_TO ? CGPoint{d[1].point.x, d[1].point.y} : start;
            total += std::hypot(p.x - current.x, p.y - current.y);
            current = p;
        }
    }
    double a = from * total, b = to * total, walked = 0;
    bool drawing = false;
    for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
        cairo_path_data_t* d = &flat->data[i];
        if (d->header.type == CAIRO_PATH_MOVE_TO) {
            current = start = {d[1].point.x, d[1].point.y};
            drawing = false;
            continue;
        }
        if (d->header.type != CAIRO_PATH_LINE_TO && d->header.type != CAIRO_PATH_CLOSE_PATH) continue;
        CGPoint p = d->header.type == CAIRO_PATH_LINE_TO ? CGPoint{d[1].point.x, d[1].point.y} : start;
        double len = std::hypot(p.x - current.x, p.y - current.y);
        double s0 = std::max(a, walked), s1 = std::min(b, walked + len);
        if (len > 0 && s1 > s0) {
            auto at = [&](double s) {
                double f = (s - walked) / len;
                return CGPoint{current.x + (p.x - current.x) * f, current.y + (p.y - current.y) * f};
            };
            CGPoint q0 = at(s0), q1 = at(s1);
            if (!drawing) cairo_move_to(cr, q0.x, q0.y);
            cairo_line_to(cr, q1.x, q1.y);
            drawing = s1 >= walked + len;  // continue the run only if the segment was finished
        } else {
            drawing = false;
        }
        walked += len;
        current = p;
    }
}

}  // namespace

CALayerRenderer::CALayerRenderer(cairo_t* cr) : m_cr(cr), m_target(cairo_get_group_target(cr)) {}

CALayerRenderer::CALayerRenderer(cairo_t* cr, const CALayerFootprints* footprints, CABackdropBlurs* blurs)
    : m_cr(cr), m_target(cairo_get_group_target(cr)), m_frame(m_target), m_footprints(footprints), m_blurs(blurs),
      m_cull(footprints != nullptr) {}

CATransform3D CALayerRenderer::ownTransform(const CALayer& layer) { return ios::ownTransform(layer); }
CATransform3D CALayerRenderer::aboutAnchor(const CALayer& layer, const CATransform3D& t) {
    return ios::aboutAnchor(layer, t);
}
bool CALayerRenderer::isAffine(const CATransform3D& t) { return ios::isAffine(t); }
double CALayerRenderer::linearDeterminant(const CATransform3D& t) { return ios::linearDeterminant(t); }
CGRect CALayerRenderer::gravityRect(const std::string& gravity, const CGRect& bounds, CGSize size) {
    return ios::gravityRect(gravity, bounds, size);
}
bool CALayerRenderer::visibleColor(const UIColorRef& color) { return ios::visibleColor(color); }

void CALayerRenderer::drawLayer(CALayer& model, const CATransform3D& parentPart, const CATransform3D& parentDevice) {
    if (m_cull) {
        auto it = m_footprints->find(&model);
        if (it != m_footprints->end() && it->second.box.intersect(clipExtents()).empty()) return;
    }
    objc::Ref<CALayer> presentation = model.hasAnimations() ? model.presentationLayer() : nullptr;
    const CALayer& layer = presentation ? *presentation : model;
    if (layer.isHidden() || layer.opacity() <= 0) return;
    CATransform3D device =
        CATransform3DConcat(CATransform3DFlatten(CATransform3DConcat(ownTransform(layer), parentPart)), parentDevice);
    if (!layer.isDoubleSided() && facesAway(device)) return;
    if (isAffine(device)) {
        if (std::fabs(linearDeterminant(device)) < 1e-6) return;  // seen edge-on: no area
        drawBody(model, layer, device);
    } else {
        drawProjected(model, layer, device);
    }
}

void CALayerRenderer::drawBody(CALayer& model, const CALayer& layer, const CATransform3D& device) {
    bool shadow = layer.shadowOpacity() > 0 && visibleColor(layer.shadowColor());
    bool group = layer.opacity() < 1 || layer.mask() || (shadow && !layer.shadowPath());
    if (shadow && layer.shadowPath()) drawPathShadow(layer, device);
    if (!group) {
        drawContent(model, layer, device);
        return;
    }
    double reach = shadow ? shadowReach(layer, device) : 0;
    CADeviceRect area = paintExtents().inflate(static_cast<int>(std::ceil(reach)));
    if (auto extents = subtreeExtents(model, layer, device)) area = area.intersect(*extents);
    if (area.empty()) return;

    cairo_surface_t* content = offscreen(area);
    withTarget(content, [&] { drawContent(model, layer, device); });
    if (auto mask = layer.mask()) {
        cairo_surface_t* maskSurface = offscreen(area);
        withTarget(maskSurface, [&] { drawLayer(*mask, CATransform3DIdentity, device); });
        cairo_t* c = cairo_create(content);
        cairo_set_operator(c, CAIRO_OPERATOR_DEST_IN);
        cairo_set_source_surface(c, maskSurface, 0, 0);
        cairo_paint(c);
        cairo_destroy(c);
        cairo_surface_destroy(maskSurface);
    }
    if (shadow && !layer.shadowPath()) drawShadowOf(content, area, layer, device);
    cairo_save(m_cr);
    cairo_identity_matrix(m_cr);
    cairo_set_source_surface(m_cr, content, 0, 0);
    cairo_paint_with_alpha(m_cr, layer.opacity());
    cairo_restore(m_cr);
    cairo_surface_destroy(content);
}

void CALayerRenderer::drawContent(CALayer& model, const CALayer& layer, const CATransform3D& device) {
    const CGRect& bounds = layer.bounds();
    double radius = layer.cornerRadius();
    setMatrix(device);
    if (visibleColor(layer.backgroundColor())) {
        cairoAddRoundedRect(m_cr, bounds, radius);
        setSourceColor(m_cr, *layer.backgroundColor());
        cairo_fill(m_cr);
    }
    if (auto* backdrop = dynamic_cast<const CABackdropLayer*>(&layer)) drawBackdrop(model, *backdrop, device);

    cairo_save(m_cr);
    if (layer.masksToBounds()) {
        setMatrix(device);
        cairoAddRoundedRect(m_cr, bounds, radius);
        cairo_clip(m_cr);
    }
    setMatrix(device);
    drawContents(model, layer);
    if (auto* shape = dynamic_cast<const CAShapeLayer*>(&layer))
        drawShape(*shape);
    else if (auto* gradient = dynamic_cast<const CAGradientLayer*>(&layer))
        drawGradient(*gradient);
    else if (auto* text = dynamic_cast<const CATextLayer*>(&layer))
        drawText(*text);

    CATransform3D part = aboutAnchor(layer, layer.sublayerTransform());
    auto sublayers = model.sublayersInDrawingOrder();
    if (auto* replicator = dynamic_cast<const CAReplicatorLayer*>(&layer)) {
        CATransform3D instance = CATransform3DIdentity;
        for (long i = 0; i < replicator->instanceCount(); ++i) {
            CATransform3D instancePart = CATransform3DConcat(aboutAnchor(layer, instance), part);
            for (auto& sub : sublayers) drawLayer(*sub, instancePart, device);
            instance = CATransform3DConcat(instance, replicator->instanceTransform());
        }
    } else {
        for (auto& sub : sublayers) drawLayer(*sub, part, device);
    }
    cairo_restore(m_cr);

    if (layer.borderWidth() > 0 && visibleColor(layer.borderColor())) {
        setMatrix(device);
        double bw = std::min(layer.borderWidth(), std::min(bounds.size.width, bounds.size.height) / 2);
        cairo_save(m_cr);
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairoAddRoundedRect(m_cr, bounds, radius);
        CGRect inner{{bounds.origin.x + bw, bounds.origin.y + bw},
                     {bounds.size.width - 2 * bw, bounds.size.height - 2 * bw}};
        if (inner.size.width > 0 && inner.size.height > 0) cairoAddRoundedRect(m_cr, inner, std::max(0.0, radius - bw));
        setSourceColor(m_cr, *layer.borderColor());
        cairo_fill(m_cr);
        cairo_restore(m_cr);
    }
}

void CALayerRenderer::drawContents(CALayer& model, const CALayer& layer) {
    const CGRect& bounds = layer.bounds();
    if (model.drawsContent()) {
        model.displayIfNeeded();
        cairo_surface_t* store = model.backingStore();
        if (!store && !model.drawsContent()) return drawContents(model, layer);  // found to draw nothing
        if (!store) return;
        double s = model.backingStoreScale();
        int pw = cairo_image_surface_get_width(store), ph = cairo_image_surface_get_height(store);
        CGRect r = gravityRect(layer.contentsGravity(), bounds, {pw / s, ph / s});
        paintSurface(store, r, pw, ph);
        return;
    }
    const UIImageRef& image = layer.contents();
    if (!image || !image->surface()) return;
    double s = layer.contentsScale();
    CGSize size{image->pixelWidth() / s, image->pixelHeight() / s};
    CGRect r = gravityRect(layer.contentsGravity(), bounds, size);
    const UIColorRef& tint = layer.contentsTintColor();
    image->paint(m_cr, r, 1, tint ? tint.get() : nullptr);
}

void CALayerRenderer::paintSurface(cairo_surface_t* surface, const CGRect& r, int pw, int ph) {
    if (pw <= 0 || ph <= 0 || r.size.width <= 0 || r.size.height <= 0) return;
    cairo_save(m_cr);
    cairo_translate(m_cr, r.origin.x, r.origin.y);
    cairo_scale(m_cr, r.size.width / pw, r.size.height / ph);
    cairo_set_source_surface(m_cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_GOOD);
    cairo_rectangle(m_cr, 0, 0, pw, ph);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CALayerRenderer::drawShape(const CAShapeLayer& shape) {
    if (!shape.path() || shape.path()->isEmpty()) return;
    cairo_new_path(m_cr);
    shape.path()->addToCairo(m_cr);
    if (visibleColor(shape.fillColor())) {
        cairo_set_fill_rule(
            m_cr, shape.fillRule() == kCAFillRuleEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        setSourceColor(m_cr, *shape.fillColor());
        cairo_fill_preserve(m_cr);
    }
    if (visibleColor(shape.strokeColor()) && shape.lineWidth() > 0 && shape.strokeEnd() > shape.strokeStart()) {
        if (shape.strokeStart() > 0 || shape.strokeEnd() < 1) {
            cairo_path_t* flat = cairo_copy_path_flat(m_cr);
            cairo_new_path(m_cr);
            appendPartialPath(m_cr, flat, shape.strokeStart(), shape.strokeEnd());
            cairo_path_destroy(flat);
        }
        cairo_set_line_width(m_cr, shape.lineWidth());
        cairo_set_line_cap(m_cr, shape.lineCap() == kCALineCapRound    ? CAIRO_LINE_CAP_ROUND
                                 : shape.lineCap() == kCALineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                                       : CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(m_cr, shape.lineJoin() == kCALineJoinRound   ? CAIRO_LINE_JOIN_ROUND
                                  : shape.lineJoin() == kCALineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                                         : CAIRO_LINE_JOIN_MITER);
        cairo_set_miter_limit(m_cr, shape.miterLimit());
        const auto& dash = shape.lineDashPattern();
        bool anyDash = std::any_of(dash.begin(), dash.end(), [](double d) { return d > 0; });
        if (anyDash) cairo_set_dash(m_cr, dash.data(), static_cast<int>(dash.size()), shape.lineDashPhase());
        setSourceColor(m_cr, *shape.strokeColor());
        cairo_stroke(m_cr);
        cairo_set_dash(m_cr, nullptr, 0, 0);
    }
    cairo_new_path(m_cr);
}

void CALayerRenderer::drawGradient(const CAGradientLayer& gradient) {
    const auto& colors = gradient.colors();
    if (colors.empty()) return;
    const CGRect& b = gradient.bounds();
    auto at = [&](CGPoint p) { return CGPoint{b.origin.x + p.x * b.size.width, b.origin.y + p.y * b.size.height}; };
    CGPoint s = at(gradient.startPoint()), e = at(gradient.endPoint());
    cairo_pattern_t* pattern;
    if (gradient.type() == kCAGradientLayerRadial) {
        double rx = std::fabs(e.x - s.x), ry = std::fabs(e.y - s.y);
        double r = std::max(rx, ry);
        pattern = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
        cairo_matrix_t m;
        cairo_matrix_init_translate(&m, s.x, s.y);
        cairo_matrix_scale(&m, rx > 0 ? rx : r, ry > 0 ? ry : r);
        cairo_matrix_invert(&m);
        cairo_pattern_set_matrix(pattern, &m);
    } else {
        pattern = cairo_pattern_create_linear(s.x, s.y, e.x, e.y);
    }
    auto locations = gradient.effectiveLocations();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const UIColorRef& c = colors[i];
        cairo_pattern_add_color_stop_rgba(pattern, std::clamp(locations[i], 0.0, 1.0), c ? c->red() : 0,
                                          c ? c->green() : 0, c ? c->blue() : 0, c ? c->alpha() : 0);
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(m_cr, pattern);
    cairo_rectangle(m_cr, b.origin.x, b.origin.y, b.size.width, b.size.height);
    cairo_fill(m_cr);
    cairo_pattern_destroy(pattern);
}

void CALayerRenderer::drawText(const CATextLayer& text) {
    if (text.string().empty() || !visibleColor(text.foregroundColor())) return;
    NSStringAttributes attributes;
    attributes.font = text.effectiveFont();
    attributes.foregroundColor = text.foregroundColor();
    const std::string& mode = text.alignmentMode();
    attributes.alignment = mode == kCAAlignmentCenter      ? NSTextAlignment::Center
                           : mode == kCAAlignmentRight     ? NSTextAlignment::Right
                           : mode == kCAAlignmentJustified ? NSTextAlignment::Justified
                           : mode == kCAAlignmentLeft      ? NSTextAlignment::Left
                                                           : NSTextAlignment::Natural;
    const std::string& truncation = text.truncationMode();
    attributes.lineBreakMode = truncation == kCATruncationEnd      ? NSLineBreakMode::ByTruncatingTail
                               : truncation == kCATruncationStart  ? NSLineBreakMode::ByTruncatingHead
                               : truncation == kCATruncationMiddle ? NSLineBreakMode::ByTruncatingMiddle
                               : text.isWrapped()                  ? NSLineBreakMode::ByWordWrapping
                                                                   : NSLineBreakMode::ByClipping;
    const CGRect& b = text.bounds();
    bool limitWidth = text.isWrapped() || truncation != kCATruncationNone;
    text.cachedLayout(attributes, limitWidth ? b.size.width : 0, text.isWrapped() ? 0 : 1)->draw(m_cr, b, 1);
}

void CALayerRenderer::drawBackdrop(CALayer& model, const CABackdropLayer& layer, const CATransform3D& device) {
    const CGRect& bounds = layer.bounds();
    double scale = std::sqrt(std::fabs(linearDeterminant(device)));
    double sigma = layer.blurRadius() / 2 * scale;
    CADeviceRect box = deviceBox(device, bounds);
    CADeviceRect region = box.intersect(clipExtents()).intersect(targetExtents());
    if (region.empty()) return;
    std::shared_ptr<cairo_surface_t> blurred;
    int factor = 1;
    CADeviceRect source = region.inflate(static_cast<int>(std::ceil(3 * sigma))).intersect(targetExtents());
    if (sigma > 0.3 && targetIsImage()) {
        factor = blurFactor(sigma);
        // On a retained frame, a blur that samples beyond the clip reuses what it sampled last
        // time (nothing beneath it changed there); one that samples only inside recomputes.
        CABackdropBlur* kept = nullptr;
        const CALayerFootprint* footprint = nullptr;
        if (m_blurs && m_footprints)
            if (auto it = m_footprints->find(&model); it != m_footprints->end()) footprint = &it->second;
        if (footprint && footprint->keepsBlur && m_target == m_frame) {
            CADeviceRect whole = box.intersect(targetExtents())
                                     .inflate(static_cast<int>(std::ceil(3 * sigma)))
                                     .intersect(targetExtents());
            CADeviceRect clip = clipExtents();
            bool fresh = whole.intersect(clip) == whole;  // all it samples was drawn in this pass
            CABackdropBlur& entry = (*m_blurs)[&model];
            if (fresh) {
                kept = &entry;
            } else if (entry.surface && entry.source == whole && entry.factor == factor && entry.sigma == sigma) {
                blurred = entry.surface;
                source = whole;
            }
        }
        if (!blurred) {
            blurred.reset(downsample(source, factor), cairo_surface_destroy);
            CABlurImageSurface(blurred.get(), sigma / factor, true);
            if (kept) *kept = {blurred, source, factor, sigma};
        }
    }
    cairo_save(m_cr);
    setMatrix(device);
    cairoAddRoundedRect(m_cr, bounds, layer.cornerRadius());
    cairo_clip(m_cr);
    cairo_identity_matrix(m_cr);
    if (blurred) {
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(blurred.get());
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, 1.0 / factor, 1.0 / factor);
        cairo_matrix_translate(&m, -source.x0, -source.y0);
        cairo_pattern_set_matrix(pattern, &m);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source(m_cr, pattern);
        cairo_paint(m_cr);
        cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
        cairo_pattern_destroy(pattern);
    }
    setSourceColor(m_cr, *layer.tintColor());
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

cairo_surface_t* CALayerRenderer::downsample(const CADeviceRect& rect, int factor) {
    cairo_surface_flush(m_target);
    double dx = 0, dy = 0;
    cairo_surface_get_device_offset(m_target, &dx, &dy);
    const std::uint8_t* data = cairo_image_surface_get_data(m_target);
    int stride = cairo_image_surface_get_stride(m_target);
    bool opaque = cairo_image_surface_get_format(m_target) == CAIRO_FORMAT_RGB24;
    // The rectangle in the target's pixels, already inside it (see targetExtents).
    int px0 = rect.x0 + static_cast<int>(dx), py0 = rect.y0 + static_cast<int>(dy);
    int pw = rect.width(), ph = rect.height();
    int w = (pw + factor - 1) / factor, h = (ph + factor - 1) / factor;
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    std::uint8_t* o = cairo_image_surface_get_data(out);
    int ostride = cairo_image_surface_get_stride(out);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(w) * 4);
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        int rows = std::min(factor, ph - y * factor);
        for (int j = 0; j < rows; ++j) {
            const std::uint8_t* p = data + (py0 + y * factor + j) * stride + px0 * 4;
            for (int bx = 0; bx < w; ++bx) {
                std::uint32_t* sum = &sums[static_cast<std::size_t>(bx) * 4];
                int columns = std::min(factor, pw - bx * factor);
                for (int i = 0; i < columns; ++i, p += 4) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                    sum[3] += opaque ? 255 : p[3];
                }
                counts[static_cast<std::size_t>(bx)] += static_cast<std::uint32_t>(columns);
            }
        }
        std::uint8_t* q = o + y * ostride;
        for (int x = 0; x < w; ++x) {
            std::uint32_t n = counts[static_cast<std::size_t>(x)];
            for (int c = 0; c < 4; ++c)
                q[x * 4 + c] =
                    static_cast<std::uint8_t>(n ? (sums[static_cast<std::size_t>(x) * 4 + c] + n / 2) / n : 0);
        }
    }
    cairo_surface_mark_dirty(out);
    return out;
}

double CALayerRenderer::shadowReach(const CALayer& layer, const CATransform3D& device) {
    double scale = std::sqrt(std::fabs(linearDeterminant(device)));
    // The offset as drawn: a layer scaled unevenly moves its shadow further along one axis.
    double ox = layer.shadowOffset().width * device.m11 + layer.shadowOffset().height * device.m21;
    double oy = layer.shadowOffset().width * device.m12 + layer.shadowOffset().height * device.m22;
    double offset =
        std::max(std::hypot(layer.shadowOffset().width, layer.shadowOffset().height) * scale, std::hypot(ox, oy));
    return 3 * layer.shadowRadius() / 2 * scale + offset + 2;
}

void CALayerRenderer::drawShadowOf(cairo_surface_t* content, const CADeviceRect& area, const CALayer& layer,
                                   const CATransform3D& device) {
    double scale = std::sqrt(std::fabs(linearDeterminant(device)));
    double sigma = layer.shadowRadius() / 2 * scale;
    int margin = static_cast<int>(std::ceil(3 * sigma)) + 1;
    cairo_surface_t* alpha =
        cairo_image_surface_create(CAIRO_FORMAT_A8, area.width() + 2 * margin, area.height() + 2 * margin);
    cairo_t* c = cairo_create(alpha);
    // content carries its device offset, so its pixel (0, 0) lands at area's origin.
    cairo_set_source_surface(c, content, margin - area.x0, margin - area.y0);
    cairo_paint(c);
    cairo_destroy(c);
    CABlurImageSurface(alpha, sigma);
    paintShadowMask(alpha, area.x0 - margin, area.y0 - margin, layer, device);
    cairo_surface_destroy(alpha);
}

void CALayerRenderer::drawPathShadow(const CALayer& layer, const CATransform3D& device) {
    double scale = std::sqrt(std::fabs(linearDeterminant(device)));
    double sigma = layer.shadowRadius() / 2 * scale;
    CGRect box = layer.shadowPath()->boundingBox();
    if (CGRectIsNull(box)) return;
    int margin = static_cast<int>(std::ceil(3 * sigma)) + 1;
    CADeviceRect area = deviceBox(device, box).inflate(margin);
    CADeviceRect visible = paintExtents().inflate(static_cast<int>(std::ceil(shadowReach(layer, device))));
    area = area.intersect(visible);
    if (area.empty()) return;
    cairo_surface_t* alpha = cairo_image_surface_create(CAIRO_FORMAT_A8, area.width(), area.height());
    cairo_t* c = cairo_create(alpha);
    cairo_matrix_t m = toCairo(device);
    m.x0 -= area.x0;
    m.y0 -= area.y0;
    cairo_set_matrix(c, &m);
    layer.shadowPath()->addToCairo(c);
    cairo_fill(c);
    cairo_destroy(c);
    CABlurImageSurface(alpha, sigma);
    paintShadowMask(alpha, area.x0, area.y0, layer, device);
    cairo_surface_destroy(alpha);
}

void CALayerRenderer::paintShadowMask(cairo_surface_t* alpha, int x, int y, const CALayer& layer,
                                      const CATransform3D& device) {
    // The offset is in the layer's coordinates, so it turns and scales with the layer.
    double ox = layer.shadowOffset().width * device.m11 + layer.shadowOffset().height * device.m21;
    double oy = layer.shadowOffset().width * device.m12 + layer.shadowOffset().height * device.m22;
    cairo_save(m_cr);
    cairo_identity_matrix(m_cr);
    double groupAlpha = layer.shadowPath() ? layer.opacity() : 1;  // a group's shadow gets its opacity later
    setSourceColor(m_cr, *layer.shadowColor(), layer.shadowOpacity() * groupAlpha);
    cairo_mask_surface(m_cr, alpha, x + ox, y + oy);
    cairo_restore(m_cr);
}

void CALayerRenderer::drawProjected(CALayer& model, const CALayer& layer, const CATransform3D& device) {
    std::optional<CGRect> local = localExtents(model, layer);
    if (!local || local->size.width <= 0 || local->size.height <= 0) return;
    CGRect e = *local;
    // Resolution of the flat picture: the projection's scale near the layer's centre.
    double cx = e.origin.x + e.size.width / 2, cy = e.origin.y + e.size.height / 2;
    CAPoint3D p0 = CATransform3DProject(device, cx, cy), px = CATransform3DProject(device, cx + 1, cy),
              py = CATransform3DProject(device, cx, cy + 1);
    double s = std::max(std::hypot(px.x - p0.x, px.y - p0.y), std::hypot(py.x - p0.x, py.y - p0.y));
    if (!std::isfinite(s) || s <= 0) return;
    s = std::clamp(s, 0.25, 8.0);
    int w = std::min(4096, static_cast<int>(std::ceil(e.size.width * s)));
    int h = std::min(4096, static_cast<int>(std::ceil(e.size.height * s)));
    double sx = w / e.size.width, sy = h / e.size.height;
    cairo_surface_t* flat = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    CATransform3D flatDevice = CATransform3DConcat(CATransform3DMakeTranslation(-e.origin.x, -e.origin.y, 0),
                                                   CATransform3DMakeScale(sx, sy, 1));
    bool cull = m_cull;
    m_cull = false;  // the flat picture has coordinates of its own
    withTarget(flat, [&] { drawBody(model, layer, flatDevice); });
    m_cull = cull;
    warp(flat, e, sx, sy, device);
    cairo_surface_destroy(flat);
}

void CALayerRenderer::warp(cairo_surface_t* flat, const CGRect& e, double sx, double sy, const CATransform3D& device) {
    // Device box of the corners that lie in front of the eye.
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (double x : {e.origin.x, e.origin.x + e.size.width})
        for (double y : {e.origin.y, e.origin.y + e.size.height}) {
            CAPoint3D q = CATransform3DApply(device, x, y, 0);
            if (q.w <= 1e-9) {
                minX = minY = -INFINITY;
                maxX = maxY = INFINITY;
                continue;
            }
            minX = std::min(minX, q.x / q.w);
            maxX = std::max(maxX, q.x / q.w);
            minY = std::min(minY, q.y / q.w);
            maxY = std::max(maxY, q.y / q.w);
        }
    CADeviceRect area = CADeviceRect::around(minX, minY, maxX, maxY).intersect(clipExtents());
    if (area.empty()) return;
    // Inverse of the plane's projective map (rows x, y, 1 → X, Y, W).
    double m[3][3] = {{device.m11, device.m12, device.m14},
                      {device.m21, device.m22, device.m24},
                      {device.m41, device.m42, device.m44}};
    double inv[3][3];
    double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                 m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-12) return;
    inv[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    inv[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inv[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inv[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    inv[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inv[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inv[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    inv[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inv[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;

    cairo_surface_flush(flat);
    const std::uint8_t* src = cairo_image_surface_get_data(flat);
    int sw = cairo_image_surface_get_width(flat), sh = cairo_image_surface_get_height(flat);
    int sstride = cairo_image_surface_get_stride(flat);
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width(), area.height());
    std::uint8_t* dst = cairo_image_surface_get_data(out);
    int dstride = cairo_image_surface_get_stride(out);
    auto texel = [&](int x, int y, int c) -> double {
        if (x < 0 || y < 0 || x >= sw || y >= sh) return 0;
        return src[y * sstride + x * 4 + c];
    };
    for (int y = area.y0; y < area.y1; ++y)
        for (int x = area.x0; x < area.x1; ++x) {
            double X = x + 0.5, Y = y + 0.5;
            double u = X * inv[0][0] + Y * inv[1][0] + inv[2][0];
            double v = X * inv[0][1] + Y * inv[1][1] + inv[2][1];
            double w = X * inv[0][2] + Y * inv[1][2] + inv[2][2];
            if (w == 0) continue;
            u /= w;
            v /= w;
            if (u * device.m14 + v * device.m24 + device.m44 <= 0) continue;  // behind the eye
            double fx = (u - e.origin.x) * sx - 0.5, fy = (v - e.origin.y) * sy - 0.5;
            if (fx < -1 || fy < -1 || fx > sw || fy > sh) continue;
            int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
            double ax = fx - ix, ay = fy - iy;
            std::uint8_t* q = dst + (y - area.y0) * dstride + (x - area.x0) * 4;
            for (int c = 0; c < 4; ++c) {
                double value = texel(ix, iy, c) * (1 - ax) * (1 - ay) + texel(ix + 1, iy, c) * ax * (1 - ay) +
                               texel(ix, iy + 1, c) * (1 - ax) * ay + texel(ix + 1, iy + 1, c) * ax * ay;
                q[c] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
            }
        }
    cairo_surface_mark_dirty(out);
    cairo_save(m_cr);
    cairo_identity_matrix(m_cr);
    cairo_set_source_surface(m_cr, out, area.x0, area.y0);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
    cairo_surface_destroy(out);
}

std::optional<CGRect> CALayerRenderer::localExtents(CALayer& model, const CALayer& layer, int depth) {
    CGRect r = layer.bounds();
    if (auto* shape = dynamic_cast<const CAShapeLayer*>(&layer); shape && shape->path() && !shape->path()->isEmpty())
        r = CGRectUnion(r, CGRectInset(shape->path()->boundingBox(), -shape->lineWidth() * shape->miterLimit(),
                                       -shape->lineWidth() * shape->miterLimit()));
    if (layer.contents() && !model.drawsContent()) {
        double s = layer.contentsScale();
        r = CGRectUnion(r, gravityRect(layer.contentsGravity(), layer.bounds(),
                                       {layer.contents()->pixelWidth() / s, layer.contents()->pixelHeight() / s}));
    }
    if (layer.shadowOpacity() > 0) {
        double reach = 1.5 * layer.shadowRadius() + 1;
        r = CGRectUnion(
            r, CGRectOffset(CGRectInset(r, -reach, -reach), layer.shadowOffset().width, layer.shadowOffset().height));
    }
    if (layer.masksToBounds()) return r;
    if (depth > 64) return std::nullopt;
    auto* replicator = dynamic_cast<const CAReplicatorLayer*>(&layer);
    long instances = replicator ? replicator->instanceCount() : 1;
    CATransform3D part = aboutAnchor(layer, layer.sublayerTransform());
    CATransform3D instance = CATransform3DIdentity;
    for (long i = 0; i < instances; ++i) {
        CATransform3D instancePart = CATransform3DConcat(aboutAnchor(layer, instance), part);
        for (auto& sub : model.sublayers()) {
            objc::Ref<CALayer> presentation = sub->hasAnimations() ? sub->presentationLayer() : nullptr;
            const CALayer& s = presentation ? *presentation : *sub;
            if (s.isHidden()) continue;
            auto inner = localExtents(*sub, s, depth + 1);
            if (!inner) return std::nullopt;
            CATransform3D map = CATransform3DFlatten(CATransform3DConcat(ownTransform(s), instancePart));
            for (double x : {inner->origin.x, inner->origin.x + inner->size.width})
                for (double y : {inner->origin.y, inner->origin.y + inner->size.height})
                    if (CATransform3DApply(map, x, y).w <= 1e-9) return std::nullopt;
            CGRect box = boxOf(map, *inner);
            r = CGRectUnion(r, box);
        }
        if (replicator) instance = CATransform3DConcat(instance, replicator->instanceTransform());
    }
    return r;
}

std::optional<CADeviceRect> CALayerRenderer::subtreeExtents(CALayer& model, const CALayer& layer,
                                                            const CATransform3D& device) {
    auto local = localExtents(model, layer);
    if (!local) return std::nullopt;
    return deviceBox(device, *local).inflate(1);
}

CGRect CALayerRenderer::boxOf(const CATransform3D& t, const CGRect& r) {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (double x : {r.origin.x, r.origin.x + r.size.width})
        for (double y : {r.origin.y, r.origin.y + r.size.height}) {
            CAPoint3D p = CATransform3DProject(t, x, y);
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

CADeviceRect CALayerRenderer::deviceBox(const CATransform3D& device, const CGRect& r) {
    CGRect b = boxOf(device, r);
    return CADeviceRect::around(b.origin.x, b.origin.y, b.origin.x + b.size.width, b.origin.y + b.size.height);
}

cairo_surface_t* CALayerRenderer::offscreen(const CADeviceRect& area) {
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, area.width()), std::max(1, area.height()));
    cairo_surface_set_device_offset(s, -area.x0, -area.y0);
    return s;
}

int CALayerRenderer::blurFactor(double sigma) {
    // A power of two, so the blurred picture is sampled at exact steps wherever a row starts.
    int factor = 1;
    while (factor * 2 <= sigma / 3) factor *= 2;
    return factor;
}

CADeviceRect CALayerRenderer::paintExtents() const {
    // A retained frame paints part of the frame, but pictures of their own (groups, shadows)
    // are made whole, as a full render makes them: clipping them would cut their shapes
    // differently along the clip and change pixels inside it.
    if (m_footprints && m_target == m_frame) {
        double dx = 0, dy = 0;
        cairo_surface_get_device_offset(m_frame, &dx, &dy);
        int x0 = static_cast<int>(-dx), y0 = static_cast<int>(-dy);
        return {x0, y0, x0 + cairo_image_surface_get_width(m_frame), y0 + cairo_image_surface_get_height(m_frame)};
    }
    return clipExtents();
}

CADeviceRect CALayerRenderer::clipExtents() const {
    cairo_save(m_cr);
    cairo_identity_matrix(m_cr);
    double x0, y0, x1, y1;
    cairo_clip_extents(m_cr, &x0, &y0, &x1, &y1);
    cairo_restore(m_cr);
    return CADeviceRect::around(x0, y0, x1, y1);
}

bool CALayerRenderer::targetIsImage() const {
    return cairo_surface_get_type(m_target) == CAIRO_SURFACE_TYPE_IMAGE && cairo_image_surface_get_data(m_target) &&
           (cairo_image_surface_get_format(m_target) == CAIRO_FORMAT_ARGB32 ||
            cairo_image_surface_get_format(m_target) == CAIRO_FORMAT_RGB24);
}

CADeviceRect CALayerRenderer::targetExtents() const {
    if (cairo_surface_get_type(m_target) != CAIRO_SURFACE_TYPE_IMAGE) return clipExtents();
    double dx = 0, dy = 0;
    cairo_surface_get_device_offset(m_target, &dx, &dy);
    int x0 = static_cast<int>(-dx), y0 = static_cast<int>(-dy);
    return {x0, y0, x0 + cairo_image_surface_get_width(m_target), y0 + cairo_image_surface_get_height(m_target)};
}

cairo_matrix_t CALayerRenderer::toCairo(const CATransform3D& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.m11, t.m12, t.m21, t.m22, t.m41, t.m42);
    return m;
}

void CALayerRenderer::setMatrix(const CATransform3D& device) {
    cairo_matrix_t m = toCairo(device);
    cairo_set_matrix(m_cr, &m);
}

bool CALayerRenderer::facesAway(const CATransform3D& device) { return linearDeterminant(device) < 0; }

}  // namespace ios
