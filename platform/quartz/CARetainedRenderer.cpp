#include "platform/quartz/CARetainedRenderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_set>

#include "platform/graphics/CGPath.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CALayer.h"
#include "platform/quartz/CALayerRenderer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/quartz/CAShapeLayer.h"

namespace ios {

namespace {

// Every live renderer hears every layer's change reports.
std::vector<CARetainedRenderer*>& liveRenderers() {
    static std::vector<CARetainedRenderer*> renderers;
    return renderers;
}

constexpr double kUnbounded = 1e7;

CADeviceRect unite(const CADeviceRect& a, const CADeviceRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool contains(const CADeviceRect& outer, const CADeviceRect& inner) {
    return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}

long long area(const CADeviceRect& r) { return r.empty() ? 0 : static_cast<long long>(r.width()) * r.height(); }

CADeviceRect unbounded() {
    const int far = static_cast<int>(kUnbounded);
    return {-far, -far, far, far};
}

// The device box of a rectangle of a layer's plane; unbounded when part of it lies behind the eye.
CADeviceRect boxOnDevice(const CATransform3D& device, const CGRect& r) {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (double x : {r.origin.x, r.origin.x + r.size.width})
        for (double y : {r.origin.y, r.origin.y + r.size.height}) {
            CAPoint3D q = CATransform3DApply(device, x, y, 0);
            if (!(q.w > 1e-9)) return unbounded();
            minX = std::min(minX, q.x / q.w);
            maxX = std::max(maxX, q.x / q.w);
            minY = std::min(minY, q.y / q.w);
            maxY = std::max(maxY, q.y / q.w);
        }
    return CADeviceRect::around(minX, minY, maxX, maxY);
}

// How far a blurred shadow (σ = radius / 2 on the device) and its offset carry paint, in pixels.
int shadowSpread(const CALayer& layer, const CATransform3D& device) {
    double scale = std::sqrt(std::fabs(CALayerRenderer::linearDeterminant(device)));
    double sigma = layer.shadowRadius() / 2 * scale;
    double ox = layer.shadowOffset().width * device.m11 + layer.shadowOffset().height * device.m21;
    double oy = layer.shadowOffset().width * device.m12 + layer.shadowOffset().height * device.m22;
    double reach = std::max(std::ceil(3 * sigma) + 3 + std::ceil(std::hypot(ox, oy)),
                            std::ceil(CALayerRenderer::shadowReach(layer, device)));
    return static_cast<int>(std::min(reach, kUnbounded / 4));
}

// A damaged box and the first place in the drawing order, in the last frame and in this one,
// of what changed there (kNone: not drawn then; 0: anything).
constexpr int kNone = INT_MAX;
struct Damage {
    CADeviceRect box;
    int before = kNone;
    int now = kNone;
};

// A layer drawn straight on the frame whose background fills `inner` (whole device pixels)
// opaquely: nothing beneath it shows there.
struct OpaqueCover {
    const CALayer* layer = nullptr;
    CADeviceRect inner;
    int order = 0;
};

// A backdrop blur's sampling area: damage there beneath it changes the blur.
struct BackdropSample {
    const CALayer* layer = nullptr;
    CADeviceRect box;     // where it paints
    CADeviceRect sample;  // what it samples
    int order = 0;
    int before = kNone;  // its order in the last frame
    double sigma = 0;
    int factor = 1;
    bool kept = false;  // drawn straight on the frame, with a blur kept from an earlier frame
};

}  // namespace

// ---------------------------------------------------------------------------------------------

struct CARetainedRenderer::State {
    CALayerFootprints footprints;                 // of the last update
    std::unordered_set<const CALayer*> changed;   // since the last update; never dereferenced
    std::vector<Damage> damage;                   // recorded since the last update
    std::unordered_set<const CALayer*> animated;  // animating at the last update
    std::vector<const CALayer*> roots;            // of the last update
    CABackdropBlurs blurs;                        // backdrop blurs drawn straight on the frame
    std::vector<OpaqueCover> covers;              // of the last update
};

namespace {

// One walk over the shown trees, as the renderer walks them, recording every drawn layer's
// footprint, the layers with animations and the sampling areas of backdrop blurs.
class FootprintPass {
public:
    explicit FootprintPass(CADeviceRect screen) : m_screen(screen) {}

    CALayerFootprints footprints;
    std::unordered_set<const CALayer*> animated;
    std::vector<BackdropSample> backdrops;
    std::vector<OpaqueCover> covers;
    // Where layers drawn straight on the frame have edges that are neither horizontal nor
    // vertical (rotations, shapes, rounded corners): a clip through such an edge rasterises it
    // differently, so a repainted rectangle must take in the whole of each it touches.
    std::vector<CADeviceRect> slanted;

    // `offscreen`: drawn into a picture of its own (an opacity, mask or shadow group, or a 3D
    // plane) rather than straight on the frame.
    CADeviceRect measure(CALayer& model, const CATransform3D& parentPart, const CATransform3D& parentDevice,
                         const CALayer* plane, int spread, bool offscreen) {
        int order = ++m_order;
        if (model.hasAnimations()) animated.insert(&model);
        objc::Ref<CALayer> presentation = model.hasAnimations() ? model.presentationLayer() : nullptr;
        const CALayer& layer = presentation ? *presentation : model;
        if (layer.isHidden() || layer.opacity() <= 0) return {};
        CATransform3D device = CATransform3DConcat(
            CATransform3DFlatten(CATransform3DConcat(CALayerRenderer::ownTransform(layer), parentPart)), parentDevice);
        double det = CALayerRenderer::linearDeterminant(device);
        if (!layer.isDoubleSided() && det < 0) return {};
        bool affine = CALayerRenderer::isAffine(device);
        if (affine && std::fabs(det) < 1e-6) return {};

        const CALayer* innerPlane = plane;
        if (!affine && !plane) innerPlane = &model;
        bool shadow = layer.shadowOpacity() > 0 && CALayerRenderer::visibleColor(layer.shadowColor());
        int reach = shadow && !layer.shadowPath() && affine ? shadowSpread(layer, device) : 0;
        bool group = layer.opacity() < 1 || layer.mask() || (shadow && !layer.shadowPath());
        bool innerOffscreen = offscreen || group || !affine;

        CADeviceRect box = boxOnDevice(device, ownRect(model, layer)).inflate(2);
        if (shadow && layer.shadowPath() && !CGRectIsNull(layer.shadowPath()->boundingBox()))
            box = unite(box, boxOnDevice(device, layer.shadowPath()->boundingBox())
                                 .inflate(affine ? shadowSpread(layer, device) : 0));

        CADeviceRect sublayers;
        CATransform3D part = CALayerRenderer::aboutAnchor(layer, layer.sublayerTransform());
        int clips = layer.masksToBounds() ? 1 : 0;
        m_clips += clips;
        auto* replicator = dynamic_cast<const CAReplicatorLayer*>(&layer);
        long instances = replicator ? replicator->instanceCount() : 1;
        CATransform3D instance = CATransform3DIdentity;
        for (long i = 0; i < instances; ++i) {
            CATransform3D instancePart = CATransform3DConcat(CALayerRenderer::aboutAnchor(layer, instance), part);
            for (auto& sub : model.sublayersInDrawingOrder())
                sublayers =
                    unite(sublayers, measure(*sub, instancePart, device, innerPlane, spread + reach, innerOffscreen));
            if (replicator) instance = CATransform3DConcat(instance, replicator->instanceTransform());
        }
        m_clips -= clips;
        if (layer.masksToBounds()) sublayers = sublayers.intersect(boxOnDevice(device, layer.bounds()).inflate(2));
        box = unite(box, sublayers).inflate(reach);

        if (!affine && !plane) {
            // The picture is drawn flat and projected: it covers at most the projected extents.
            auto local = CALayerRenderer::localExtents(model, layer);
            box = local ? boxOnDevice(device, *local).inflate(2) : unbounded();
        }
        if (auto* backdrop = dynamic_cast<const CABackdropLayer*>(&layer); backdrop && !plane) {
            // As the renderer works it out for a blur straight on the frame.
            BackdropSample b;
            b.layer = &model;
            b.order = order;
            b.sigma = backdrop->blurRadius() / 2 * std::sqrt(std::fabs(det));
            b.factor = CALayerRenderer::blurFactor(b.sigma);
            b.box = CALayerRenderer::deviceBox(device, layer.bounds()).intersect(m_screen);
            b.sample = b.box.inflate(static_cast<int>(std::ceil(3 * b.sigma))).intersect(m_screen);
            b.kept = !offscreen && !group && affine && b.sigma > 0.3;
            if (!b.kept)
                b.sample = boxOnDevice(device, layer.bounds()).inflate(static_cast<int>(std::ceil(3 * b.sigma)) + 2);
            if (b.sigma > 0.3) backdrops.push_back(b);
        }

        if (!offscreen && affine) addSlanted(model, layer, device);
        if (!offscreen && affine && !presentation && m_clips == 0) addCover(model, layer, device, order);

        auto [it, first] = footprints.try_emplace(&model);
        CALayerFootprint& f = it->second;
        f.box = unite(f.box, box);  // a replicated layer reaches wherever any copy does
        f.replicated = !first;
        if (first) f.order = order;
        f.device = device;
        f.plane = plane;
        f.spread = std::max(f.spread, spread);
        if (auto mask = layer.mask()) markMask(*mask, &model);
        return box;
    }

    // A mask and its sublayers repaint their owner wherever it is.
    void markMask(CALayer& mask, const CALayer* owner) {
        m_masks.emplace_back(&mask, owner);
        if (mask.hasAnimations()) animated.insert(&mask);
        for (auto& sub : mask.sublayers()) markMask(*sub, owner);
    }

    // The damage of every footprint: grown by the enclosing shadows, or the whole 3D plane.
    void resolve() {
        for (auto& [layer, f] : footprints) f.damage = f.box.inflate(f.spread);
        for (auto& [layer, f] : footprints)
            if (f.plane)
                if (auto it = footprints.find(f.plane); it != footprints.end())
                    f.damage = unite(f.damage, it->second.damage);
        for (auto& [mask, owner] : m_masks) {
            auto it = footprints.find(owner);
            if (it == footprints.end()) continue;
            CALayerFootprint& f = footprints[mask];
            f.box = unite(f.box, it->second.box);
            f.damage = unite(f.damage, it->second.damage);
            f.order = it->second.order;
            f.plane = owner;  // no finer map: its own changes repaint the owner
        }
        // A replicated blur has no one picture to keep.
        for (auto& b : backdrops) {
            CALayerFootprint& f = footprints[b.layer];
            b.kept = b.kept && !f.replicated;
            f.keepsBlur = b.kept;
        }
    }

private:
    // Whether a picture of `pixels` columns drawn `width` points wide is drawn at one pixel per
    // device pixel: scaled, its samples are placed with rounding that depends on the extents of
    // what is drawn, which a clip changes.
    static bool exactSteps(const CATransform3D& device, double width, double pixels) {
        return std::fabs(std::fabs(device.m11) * width - pixels) < 1e-9;
    }

    // An opaque, square-cornered, axis-aligned background with nothing clipping it covers the
    // whole device pixels inside its bounds.
    void addCover(const CALayer& model, const CALayer& layer, const CATransform3D& device, int order) {
        // A backdrop replaces its background's pixels with what it samples beneath.
        if (dynamic_cast<const CABackdropLayer*>(&layer)) return;
        const UIColorRef& background = layer.backgroundColor();
        if (!background || background->alpha() < 1 || layer.opacity() < 1 || layer.mask() || layer.cornerRadius() > 0 ||
            std::fabs(device.m12) > 1e-12 || std::fabs(device.m21) > 1e-12 || device.m11 <= 0 || device.m22 <= 0)
            return;
        const CGRect& b = layer.bounds();
        double x0 = device.m41 + b.origin.x * device.m11, x1 = x0 + b.size.width * device.m11;
        double y0 = device.m42 + b.origin.y * device.m22, y1 = y0 + b.size.height * device.m22;
        auto lim = [](double v) { return std::clamp(v, -1e7, 1e7); };
        CADeviceRect inner{static_cast<int>(std::ceil(lim(x0) - 1e-9)), static_cast<int>(std::ceil(lim(y0) - 1e-9)),
                           static_cast<int>(std::floor(lim(x1) + 1e-9)), static_cast<int>(std::floor(lim(y1) + 1e-9))};
        if (!inner.empty()) covers.push_back({&model, inner, order});
    }

    void addSlanted(CALayer& model, const CALayer& layer, const CATransform3D& device) {
        bool axisAligned = std::fabs(device.m12) < 1e-12 && std::fabs(device.m21) < 1e-12;
        auto* shape = dynamic_cast<const CAShapeLayer*>(&layer);
        bool steps = !dynamic_cast<const CAGradientLayer*>(&layer);  // gradients step along each row
        const CGRect& bounds = layer.bounds();
        if (model.drawsContent()) {
            if (cairo_surface_t* store = model.backingStore()) {
                double s = model.backingStoreScale();
                int pw = cairo_image_surface_get_width(store);
                CGRect r = CALayerRenderer::gravityRect(layer.contentsGravity(), bounds,
                                                        {pw / s, cairo_image_surface_get_height(store) / s});
                steps = steps && exactSteps(device, r.size.width, pw);
            }
        } else if (const UIImageRef& image = layer.contents(); image && image->pixelWidth() > 0) {
            double s = layer.contentsScale();
            CGRect r = CALayerRenderer::gravityRect(layer.contentsGravity(), bounds,
                                                    {image->pixelWidth() / s, image->pixelHeight() / s});
            steps = steps && exactSteps(device, r.size.width, image->pixelWidth());
        }
        if (!axisAligned || !steps || (shape && shape->path() && !shape->path()->isEmpty())) {
            slanted.push_back(boxOnDevice(device, ownRect(model, layer)).inflate(2));
            return;
        }
        const CGRect& b = layer.bounds();
        double r = std::min({layer.cornerRadius(), b.size.width / 2, b.size.height / 2});
        if (r <= 0) return;
        for (double x : {b.origin.x, b.origin.x + b.size.width - r})
            for (double y : {b.origin.y, b.origin.y + b.size.height - r})
                slanted.push_back(boxOnDevice(device, {{x, y}, {r, r}}).inflate(2));
    }

    // What the layer itself may paint, in its own coordinates (sublayers and shadows aside).
    static CGRect ownRect(CALayer& model, const CALayer& layer) {
        CGRect r = layer.bounds();
        if (auto* shape = dynamic_cast<const CAShapeLayer*>(&layer);
            shape && shape->path() && !shape->path()->isEmpty()) {
            double grow = shape->lineWidth() * std::max(1.0, shape->miterLimit()) + 1;
            r = CGRectUnion(r, CGRectInset(shape->path()->boundingBox(), -grow, -grow));
        }
        if (model.drawsContent()) {
            if (cairo_surface_t* store = model.backingStore()) {
                double s = model.backingStoreScale();
                r = CGRectUnion(r, CALayerRenderer::gravityRect(layer.contentsGravity(), layer.bounds(),
                                                                {cairo_image_surface_get_width(store) / s,
                                                                 cairo_image_surface_get_height(store) / s}));
            }
        } else if (layer.contents()) {
            double s = layer.contentsScale();
            r = CGRectUnion(r, CALayerRenderer::gravityRect(
                                   layer.contentsGravity(), layer.bounds(),
                                   {layer.contents()->pixelWidth() / s, layer.contents()->pixelHeight() / s}));
        }
        return r;
    }

    std::vector<std::pair<CALayer*, const CALayer*>> m_masks;
    CADeviceRect m_screen;
    int m_order = 0;
    int m_clips = 0;  // ancestors clipping to their bounds around the layer being measured
};

}  // namespace

// ---------------------------------------------------------------------------------------------

CARetainedRenderer::CARetainedRenderer(CGSize size, double scale, UIColorRef background)
    : m_size(size), m_scale(scale > 0 && std::isfinite(scale) ? scale : 1), m_background(std::move(background)),
      m_state(std::make_unique<State>()) {
    m_pixelWidth = std::max(1, static_cast<int>(std::ceil(size.width * m_scale - 1e-9)));
    m_pixelHeight = std::max(1, static_cast<int>(std::ceil(size.height * m_scale - 1e-9)));
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_pixelWidth, m_pixelHeight);
    liveRenderers().push_back(this);
}

CARetainedRenderer::~CARetainedRenderer() {
    std::erase(liveRenderers(), this);
    cairo_surface_destroy(m_surface);
}

UIImageRef CARetainedRenderer::image() const {
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_pixelWidth, m_pixelHeight);
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, m_surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(copy);
    UIImageRef image = UIImage::imageWithSurface(copy, m_scale);
    cairo_surface_destroy(copy);
    return image;
}

void CARetainedRenderer::layerWillChange(const CALayer& layer) {
    for (CARetainedRenderer* r : liveRenderers()) r->recordChange(layer);
}

void CARetainedRenderer::layerNeedsDisplayInRect(const CALayer& layer, const CGRect& rect) {
    for (CARetainedRenderer* r : liveRenderers()) r->recordDisplay(layer, rect);
}

void CARetainedRenderer::recordChange(const CALayer& layer) {
    if (m_full || !m_state->changed.insert(&layer).second) return;
    // Where it was in the last frame; where it is now is found at the next update.
    if (auto it = m_state->footprints.find(&layer); it != m_state->footprints.end())
        m_state->damage.push_back({it->second.damage, it->second.order, kNone});
}

void CARetainedRenderer::recordDisplay(const CALayer& layer, const CGRect& rect) {
    if (m_full || m_state->changed.count(&layer)) return;
    auto it = m_state->footprints.find(&layer);
    if (it == m_state->footprints.end() || it->second.plane || it->second.replicated) return recordChange(layer);
    const CALayerFootprint& f = it->second;
    // The store's pixels (rounded out) through a filter that may reach a pixel or two further;
    // a store drawn at another scale than the device's spreads by the ratio.
    double deviceScale = std::sqrt(std::fabs(CALayerRenderer::linearDeterminant(f.device)));
    double storeScale = layer.backingStoreScale() > 0 ? layer.backingStoreScale() : layer.contentsScale();
    double ratio = storeScale > 0 ? std::max(deviceScale / storeScale, storeScale / deviceScale) : 1;
    int margin = 3 + static_cast<int>(std::ceil(std::min(ratio, 64.0)));
    CGRect inStore = rect;
    if (layer.contentsGravity() != kCAGravityResize) inStore = layer.bounds();  // moved or scaled: the whole of it
    CADeviceRect box = boxOnDevice(f.device, inStore).inflate(margin + f.spread).intersect(f.damage);
    m_state->damage.push_back({box, f.order, kNone});
}

const std::vector<CADamageRect>& CARetainedRenderer::update(const std::vector<CALayer*>& roots) {
    State& s = *m_state;
    m_damage.clear();
    std::vector<const CALayer*> rootList(roots.begin(), roots.end());
    std::erase(rootList, nullptr);
    bool rootsChanged = rootList != s.roots;
    if (!m_full && s.changed.empty() && s.damage.empty() && s.animated.empty() && !rootsChanged) return m_damage;

    // Take what was recorded: reports made while drawing (a layer displaying) count for the next.
    std::unordered_set<const CALayer*> changed = std::move(s.changed);
    std::vector<Damage> rects = std::move(s.damage);
    s.changed.clear();
    s.damage.clear();
    bool full = m_full;
    m_full = false;

    const CADeviceRect screen{0, 0, m_pixelWidth, m_pixelHeight};
    FootprintPass pass(screen);
    CATransform3D deviceScale = CATransform3DMakeScale(m_scale, m_scale, 1);
    for (const CALayer* root : rootList)
        pass.measure(const_cast<CALayer&>(*root), CATransform3DIdentity, deviceScale, nullptr, 0, false);
    pass.resolve();
    const CALayerFootprints& now = pass.footprints;
    const CALayerFootprints& before = s.footprints;
    auto addNow = [&](const CALayer* l) {
        if (auto it = now.find(l); it != now.end()) rects.push_back({it->second.damage, kNone, it->second.order});
    };
    auto addBefore = [&](const CALayer* l) {
        if (auto it = before.find(l); it != before.end()) rects.push_back({it->second.damage, it->second.order, kNone});
    };
    for (const CALayer* l : changed) addNow(l);
    // Animations in flight repaint where they were and where they are.
    for (const CALayer* l : s.animated) addBefore(l), addNow(l);
    for (const CALayer* l : pass.animated) addBefore(l), addNow(l);
    if (rootsChanged) {
        std::vector<const CALayer*> keptBefore, keptNow;
        for (const CALayer* l : s.roots)
            if (std::find(rootList.begin(), rootList.end(), l) == rootList.end())
                addBefore(l);
            else
                keptBefore.push_back(l);
        for (const CALayer* l : rootList)
            if (std::find(s.roots.begin(), s.roots.end(), l) == s.roots.end())
                addNow(l);
            else
                keptNow.push_back(l);
        if (keptBefore != keptNow)  // re-ordered: each of them may now cover another
            for (const CALayer* l : keptNow) addBefore(l), addNow(l);
    }
    if (full) rects.assign(1, {screen, 0, 0});
    for (auto& r : rects) r.box = r.box.intersect(screen);
    std::erase_if(rects, [](const Damage& r) { return r.box.empty(); });

    // Damage beneath an opaque background that is the same in both frames changes no pixel there.
    std::vector<std::pair<OpaqueCover, OpaqueCover>> steady;  // the same cover, last frame and now
    for (const OpaqueCover& c : pass.covers) {
        if (changed.count(c.layer) || pass.animated.count(c.layer) || s.animated.count(c.layer)) continue;
        for (const OpaqueCover& b : s.covers)
            if (b.layer == c.layer && b.inner == c.inner) steady.emplace_back(b, c);
    }
    auto beneath = [](int order, int cover) { return order == kNone || (order != 0 && order < cover); };
    std::erase_if(rects, [&](const Damage& r) {
        for (const auto& [b, c] : steady)
            if (contains(c.inner, r.box) && beneath(r.before, b.order) && beneath(r.now, c.order)) return true;
        return false;
    });

    // A blur samples what lies beneath it: damage beneath it inside its sampling area (or
    // anywhere on it, when it has no blur kept from an earlier frame) grows to the whole area,
    // so the blur is sampled afresh. Damage above it repaints over the kept blur.
    for (auto& edge : pass.slanted) edge = edge.intersect(screen);
    std::erase_if(pass.slanted, [](const CADeviceRect& e) { return e.empty(); });
    for (auto& b : pass.backdrops) {
        b.sample = b.sample.intersect(screen);
        if (auto it = before.find(b.layer); it != before.end()) b.before = it->second.order;
        auto kept = s.blurs.find(b.layer);
        b.kept = b.kept && kept != s.blurs.end() && kept->second.surface && kept->second.source == b.sample &&
                 kept->second.factor == b.factor && kept->second.sigma == b.sigma;
    }
    auto grows = [](const Damage& r, const BackdropSample& b) {
        if (r.box.intersect(b.sample).empty() || contains(r.box, b.sample)) return false;
        if (!b.kept) return true;  // no blur to reuse: any change it samples resamples it
        return r.now <= b.order || (b.before != kNone && r.before <= b.before);
    };
    // Merge overlapping rectangles (and near ones, when the union wastes little), until stable.
    for (bool again = !rects.empty(); again;) {
        again = false;
        for (const auto& b : pass.backdrops)
            for (auto& r : rects)
                if (grows(r, b)) {
                    r.box = unite(r.box, b.sample);
                    again = true;
                }
        for (const CADeviceRect& edge : pass.slanted)
            for (auto& r : rects)
                if (!r.box.intersect(edge).empty() && !contains(r.box, edge)) {
                    r.box = unite(r.box, edge);
                    again = true;
                }
        for (std::size_t i = 0; i < rects.size(); ++i)
            for (std::size_t j = i + 1; j < rects.size(); ++j) {
                CADeviceRect u = unite(rects[i].box, rects[j].box);
                bool overlap = !rects[i].box.intersect(rects[j].box).empty();
                if (overlap || area(u) <= (area(rects[i].box) + area(rects[j].box)) * 5 / 4 + 1024) {
                    rects[i] = {u, std::min(rects[i].before, rects[j].before), std::min(rects[i].now, rects[j].now)};
                    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
                    j = i;
                    again = true;
                }
            }
    }

    cairo_t* cr = cairo_create(m_surface);
    for (const Damage& d : rects) {
        const CADeviceRect& r = d.box;
        cairo_save(cr);
        cairo_rectangle(cr, r.x0, r.y0, r.width(), r.height());
        cairo_clip(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        if (m_background)
            cairo_set_source_rgba(cr, m_background->red(), m_background->green(), m_background->blue(),
                                  m_background->alpha());
        else
            cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_scale(cr, m_scale, m_scale);
        for (const CALayer* root : rootList) {
            cairo_save(cr);
            CALayerRenderer renderer(cr, &now, &s.blurs);
            renderer.drawLayer(const_cast<CALayer&>(*root), CATransform3DIdentity, deviceScale);
            cairo_restore(cr);
        }
        cairo_restore(cr);
        m_damage.push_back({r.x0, r.y0, r.width(), r.height()});
    }
    cairo_destroy(cr);
    cairo_surface_flush(m_surface);

    // Keep the blurs of the backdrops still drawn straight on the frame, and nothing else.
    std::erase_if(s.blurs, [&](const auto& entry) {
        auto it = now.find(entry.first);
        return it == now.end() || !it->second.keepsBlur || !entry.second.surface;
    });
    s.footprints = std::move(pass.footprints);
    s.animated = std::move(pass.animated);
    s.covers = std::move(pass.covers);
    s.roots = std::move(rootList);
    return m_damage;
}

}  // namespace ios
