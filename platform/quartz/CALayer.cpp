#include "platform/quartz/CALayer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CGContext.h"
#include "platform/quartz/CACompositor.h"
#include "platform/quartz/CARetainedRenderer.h"
#include "platform/quartz/CATransaction.h"

namespace ios {

OBJC_CLASS_DEFINE(CALayer, objc::Object)

double CACurrentMediaTime() {
    Process* p = Process::current();
    return p ? p->runLoop().now() : 0;
}

// ---------------------------------------------------------------------------------------------
// The animation clock: one per process. It keeps the layers that hold animations and steps them
// on the run loop at the next moment one of their animations starts or ends.

namespace {

struct AnimationClock {
    std::vector<objc::WeakRef<CALayer>> layers;
    RunLoop::Token token = 0;
    double scheduledAt = -1;

    void track(const objc::Ref<CALayer>& layer) {
        for (auto& w : layers)
            if (w.lock() == layer) return;
        layers.push_back(layer);
    }

    void scheduleAt(double time) {
        Process* p = Process::current();
        if (!p || time < 0) return;
        RunLoop& loop = p->runLoop();
        if (token && loop.isScheduled(token)) {
            if (scheduledAt <= time) return;
            loop.cancel(token);
        }
        scheduledAt = time;
        token = loop.scheduleAt(time, [this] { step(); });
    }

    void step() {
        token = 0;
        scheduledAt = -1;
        Process* p = Process::current();
        if (!p) return;
        double now = p->runLoop().now();
        double next = -1;
        auto snapshot = layers;
        for (auto& weak : snapshot) {
            auto layer = weak.lock();
            if (!layer) continue;
            double t = layer->processAnimations(now);
            if (t >= 0 && (next < 0 || t < next)) next = t;
        }
        std::erase_if(layers, [](const objc::WeakRef<CALayer>& w) {
            auto l = w.lock();
            return !l || !l->hasAnimations();
        });
        if (next >= 0) scheduleAt(std::max(next, now));
    }
};

AnimationClock* animationClock() {
    Process* p = Process::current();
    return p ? &p->attached<AnimationClock>() : nullptr;
}

void wakeAnimationClock() {
    if (AnimationClock* clock = animationClock()) clock->scheduleAt(CACurrentMediaTime());
}

CGRect boxOfCorners(const CATransform3D& t, const CGRect& r) {
    double xs[2] = {r.origin.x, r.origin.x + r.size.width};
    double ys[2] = {r.origin.y, r.origin.y + r.size.height};
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (double x : xs)
        for (double y : ys) {
            CAPoint3D p = CATransform3DProject(t, x, y, 0);
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

}  // namespace

// ---------------------------------------------------------------------------------------------

objc::Ref<CALayer> CALayer::layer() { return objc::make<CALayer>(); }

void CALayer::init() {
    m_borderColor = UIColor::blackColor();
    m_shadowColor = UIColor::blackColor();
}

CALayer::~CALayer() {
    for (auto& sub : m_sublayers)
        if (sub->m_superlayer == this) sub->m_superlayer = nullptr;
    // A layer that goes away takes its animations with it; transactions waiting on them go on.
    for (auto& r : m_animations)
        if (!r.ended)
            for (auto& c : r.completions) c->animationEnded();
}

objc::Ref<CALayer> CALayer::makeCopy() const { return copyOf(*this); }

void CALayer::changeValue(const char* key, const std::function<void()>& apply, bool unchanged) {
    // A set to the value it already has changes no pixel (layout passes set frames again and again).
    if (!m_model && !unchanged) CARetainedRenderer::layerWillChange(*this);
    objc::Ref<CAAnimation> action;
    if (!m_model && !CATransaction::disableActions())
        if (auto d = m_delegate.lock()) action = d->actionForLayer(*this, key);
    apply();
    if (action) addAnimation(action, key);
}

void CALayer::timingChanged() {
    if (!m_model) wakeAnimationClock();
}

// --- geometry ---------------------------------------------------------------------------------

void CALayer::setBounds(const CGRect& bounds) {
    CGSize old = m_bounds.size;
    changeValue(
        "bounds", [&] { m_bounds = bounds; }, m_bounds == bounds);
    sizeChanged(old);
}

void CALayer::sizeChanged(const CGSize& old) {
    if (m_model || old == m_bounds.size) return;
    if (m_needsDisplayOnBoundsChange) setNeedsDisplay();
    setNeedsLayout();
}

void CALayer::setPosition(const CGPoint& position) {
    changeValue(
        "position", [&] { m_position = position; }, m_position == position);
}
void CALayer::setZPosition(double z) {
    changeValue(
        "zPosition", [&] { m_zPosition = z; }, m_zPosition == z);
}
void CALayer::setAnchorPoint(const CGPoint& anchor) {
    changeValue(
        "anchorPoint", [&] { m_anchorPoint = anchor; }, m_anchorPoint == anchor);
}
void CALayer::setTransform(const CATransform3D& t) {
    changeValue(
        "transform", [&] { m_transform = t; }, m_transform == t);
}
void CALayer::setSublayerTransform(const CATransform3D& t) {
    changeValue(
        "sublayerTransform", [&] { m_sublayerTransform = t; }, m_sublayerTransform == t);
}

CGRect CALayer::frame() const {
    CATransform3D own = CATransform3DMakeTranslation(-(m_bounds.origin.x + m_anchorPoint.x * m_bounds.size.width),
                                                     -(m_bounds.origin.y + m_anchorPoint.y * m_bounds.size.height), 0);
    own = CATransform3DConcat(own, m_transform);
    own = CATransform3DConcat(own, CATransform3DMakeTranslation(m_position.x, m_position.y, 0));
    return boxOfCorners(CATransform3DFlatten(own), m_bounds);
}

void CALayer::setFrame(const CGRect& frame) {
    CGRect f = CGRectStandardize(frame);
    CGRect b = m_bounds;
    b.size = f.size;
    setPosition({f.origin.x + m_anchorPoint.x * f.size.width, f.origin.y + m_anchorPoint.y * f.size.height});
    setBounds(b);
}

// --- appearance -------------------------------------------------------------------------------

void CALayer::setHidden(bool hidden) {
    changeValue(
        "hidden", [&] { m_hidden = hidden; }, m_hidden == hidden);
}
void CALayer::setMasksToBounds(bool masks) {
    changeValue("masksToBounds", [&] { m_masksToBounds = masks; });
}
void CALayer::setMask(objc::Ref<CALayer> mask) {
    if (mask.get() == this) return;
    if (mask) mask->removeFromSuperlayer();
    changeValue("mask", [&] { m_mask = std::move(mask); });
}
void CALayer::setOpacity(double opacity) {
    changeValue(
        "opacity", [&] { m_opacity = std::clamp(opacity, 0.0, 1.0); }, m_opacity == opacity);
}
void CALayer::setCornerRadius(double radius) {
    changeValue(
        "cornerRadius", [&] { m_cornerRadius = std::max(0.0, radius); }, m_cornerRadius == radius);
}
void CALayer::setBackgroundColor(UIColorRef color) {
    changeValue("backgroundColor", [&] { m_backgroundColor = std::move(color); });
}
void CALayer::setBorderWidth(double width) {
    changeValue("borderWidth", [&] { m_borderWidth = std::max(0.0, width); });
}
void CALayer::setBorderColor(UIColorRef color) {
    changeValue("borderColor", [&] { m_borderColor = std::move(color); });
}
void CALayer::setShadowColor(UIColorRef color) {
    changeValue("shadowColor", [&] { m_shadowColor = std::move(color); });
}
void CALayer::setShadowOffset(const CGSize& offset) {
    changeValue("shadowOffset", [&] { m_shadowOffset = offset; });
}
void CALayer::setShadowOpacity(double opacity) {
    changeValue("shadowOpacity", [&] { m_shadowOpacity = std::clamp(opacity, 0.0, 1.0); });
}
void CALayer::setShadowRadius(double radius) {
    changeValue("shadowRadius", [&] { m_shadowRadius = std::max(0.0, radius); });
}
void CALayer::setShadowPath(CGPathRef path) {
    changeValue("shadowPath", [&] { m_shadowPath = std::move(path); });
}
void CALayer::setContents(UIImageRef image) {
    changeValue("contents", [&] { m_contents = std::move(image); });
}
void CALayer::setContentsGravity(const std::string& gravity) {
    changeValue("contentsGravity", [&] { m_contentsGravity = gravity; });
}
void CALayer::setContentsScale(double scale) {
    changeValue("contentsScale", [&] { m_contentsScale = scale > 0 ? scale : 1; });
}
void CALayer::setContentsTintColor(UIColorRef color) {
    changeValue("contentsTintColor", [&] { m_contentsTintColor = std::move(color); });
}

// --- custom drawing ---------------------------------------------------------------------------

void CALayer::setNeedsDisplay() { setNeedsDisplayInRect(m_bounds); }

void CALayer::setNeedsDisplayInRect(const CGRect& rect) {
    CGRect r = CGRectIntersection(CGRectStandardize(rect), m_bounds);
    if (CGRectIsNull(r) || CGRectIsEmpty(r)) {
        // An empty layer still wants drawing (once it has a size).
        if (CGRectIsEmpty(m_bounds)) m_needsDisplay = true;
        return;
    }
    m_dirty = CGRectUnion(m_dirty, r);
    m_needsDisplay = true;
    if (!m_model) CARetainedRenderer::layerNeedsDisplayInRect(*this, r);
}

bool CALayer::drawsContent() const {
    auto d = m_delegate.lock();
    return d && d->respondsToDrawLayer();
}

void CALayer::drawInContext(CGContext& context) {
    if (auto d = m_delegate.lock(); d && d->respondsToDrawLayer()) d->drawLayerInContext(*this, context);
}

void CALayer::display() {
    setNeedsDisplay();
    displayIfNeeded();
}

void CALayer::displayIfNeeded() {
    if (!m_needsDisplay) return;
    m_needsDisplay = false;
    CGRect dirty = m_dirty;
    m_dirty = CGRectNull;
    if (!drawsContent()) {
        m_backing.reset();
        return;
    }
    double scale = m_contentsScale;
    int w = static_cast<int>(std::ceil(m_bounds.size.width * scale - 1e-9));
    int h = static_cast<int>(std::ceil(m_bounds.size.height * scale - 1e-9));
    if (w <= 0 || h <= 0) {
        m_backing.reset();
        return;
    }
    bool whole = !m_backing || m_backingScale != scale || cairo_image_surface_get_width(m_backing.get()) != w ||
                 cairo_image_surface_get_height(m_backing.get()) != h;
    if (whole) {
        m_backing = adoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
        m_backingScale = scale;
        dirty = m_bounds;
    }
    if (CGRectIsNull(dirty)) return;
    // Whole device pixels, so a partial redraw leaves no half-covered seam.
    double x0 = std::floor((dirty.origin.x - m_bounds.origin.x) * scale) / scale + m_bounds.origin.x;
    double y0 = std::floor((dirty.origin.y - m_bounds.origin.y) * scale) / scale + m_bounds.origin.y;
    double x1 = std::ceil((dirty.origin.x + dirty.size.width - m_bounds.origin.x) * scale) / scale + m_bounds.origin.x;
    double y1 = std::ceil((dirty.origin.y + dirty.size.height - m_bounds.origin.y) * scale) / scale + m_bounds.origin.y;
    CGRect area{{x0, y0}, {x1 - x0, y1 - y0}};
    {
        CGContext context(m_backing.get(), scale);
        context.translateCTM(-m_bounds.origin.x, -m_bounds.origin.y);
        context.clipToRect(area);
        context.clearRect(area);
        drawInContext(context);
    }
    if (!drawsContent()) {  // the delegate found out while drawing that it draws nothing
        m_backing.reset();
        return;
    }
    cairo_surface_flush(m_backing.get());
    ++m_displayCount;
    m_lastDisplayRect = area;
}

void CALayer::renderInContext(CGContext& context) const {
    CACompositor::renderLayerContents(const_cast<CALayer&>(*this), context.cairo());
}

// --- layout -----------------------------------------------------------------------------------

void CALayer::layoutIfNeeded() {
    if (m_needsLayout) {
        m_needsLayout = false;
        layoutSublayers();
    }
    auto subs = m_sublayers;
    for (auto& s : subs) s->layoutIfNeeded();
}

void CALayer::layoutSublayers() {
    if (auto d = m_delegate.lock()) d->layoutSublayersOfLayer(*this);
}

// --- tree -------------------------------------------------------------------------------------

void CALayer::detachFromSuperlayer() {
    CALayer* parent = m_superlayer;
    if (!parent) return;
    CARetainedRenderer::layerWillChange(*this);
    auto& subs = parent->m_sublayers;
    auto it = std::find_if(subs.begin(), subs.end(), [&](const objc::Ref<CALayer>& l) { return l.get() == this; });
    m_superlayer = nullptr;
    if (it != subs.end()) subs.erase(it);  // may release this layer: nothing after this line
}

void CALayer::attachSublayer(const objc::Ref<CALayer>& layer) {
    layer->m_superlayer = this;
    if (layer->hasAnimations() || !m_animations.empty()) wakeAnimationClock();
}

void CALayer::removeFromSuperlayer() {
    auto keep = std::static_pointer_cast<CALayer>(shared_from_this());
    detachFromSuperlayer();
}

void CALayer::setSublayers(std::vector<objc::Ref<CALayer>> layers) {
    auto old = m_sublayers;
    for (auto& l : old) l->removeFromSuperlayer();
    for (auto& l : layers) addSublayer(l);
}

void CALayer::addSublayer(const objc::Ref<CALayer>& layer) { insertSublayerAtIndex(layer, m_sublayers.size()); }

void CALayer::insertSublayerAtIndex(const objc::Ref<CALayer>& layer, std::size_t index) {
    if (!layer || layer.get() == this || isDescendantOf(layer.get())) return;
    auto keep = layer;
    layer->detachFromSuperlayer();
    index = std::min(index, m_sublayers.size());
    m_sublayers.insert(m_sublayers.begin() + static_cast<std::ptrdiff_t>(index), layer);
    attachSublayer(layer);
    CARetainedRenderer::layerWillChange(*layer);
}

void CALayer::insertSublayerBelow(const objc::Ref<CALayer>& layer, const CALayer* sibling) {
    if (!layer) return;
    auto keep = layer;
    layer->detachFromSuperlayer();
    auto it = std::find_if(m_sublayers.begin(), m_sublayers.end(), [&](auto& l) { return l.get() == sibling; });
    insertSublayerAtIndex(layer, it == m_sublayers.end() ? 0 : static_cast<std::size_t>(it - m_sublayers.begin()));
}

void CALayer::insertSublayerAbove(const objc::Ref<CALayer>& layer, const CALayer* sibling) {
    if (!layer) return;
    auto keep = layer;
    layer->detachFromSuperlayer();
    auto it = std::find_if(m_sublayers.begin(), m_sublayers.end(), [&](auto& l) { return l.get() == sibling; });
    insertSublayerAtIndex(
        layer, it == m_sublayers.end() ? m_sublayers.size() : static_cast<std::size_t>(it - m_sublayers.begin()) + 1);
}

void CALayer::replaceSublayer(const CALayer* old, const objc::Ref<CALayer>& layer) {
    auto it = std::find_if(m_sublayers.begin(), m_sublayers.end(), [&](auto& l) { return l.get() == old; });
    if (it == m_sublayers.end() || !layer) return;
    std::size_t index = static_cast<std::size_t>(it - m_sublayers.begin());
    auto oldRef = *it;
    oldRef->removeFromSuperlayer();
    insertSublayerAtIndex(layer, index);
}

bool CALayer::isDescendantOf(const CALayer* layer) const {
    for (const CALayer* l = this; l; l = l->m_superlayer)
        if (l == layer) return true;
    return false;
}

std::vector<objc::Ref<CALayer>> CALayer::sublayersInDrawingOrder() const {
    auto out = m_sublayers;
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a->m_zPosition < b->m_zPosition; });
    return out;
}

// --- coordinates ------------------------------------------------------------------------------

CATransform3D CALayer::transformToSuperlayer() const {
    CATransform3D t = CATransform3DMakeTranslation(-(m_bounds.origin.x + m_anchorPoint.x * m_bounds.size.width),
                                                   -(m_bounds.origin.y + m_anchorPoint.y * m_bounds.size.height), 0);
    t = CATransform3DConcat(t, m_transform);
    t = CATransform3DConcat(t, CATransform3DMakeTranslation(m_position.x, m_position.y, m_zPosition));
    if (const CALayer* parent = m_superlayer; parent && !CATransform3DIsIdentity(parent->m_sublayerTransform)) {
        double ax = parent->m_bounds.origin.x + parent->m_anchorPoint.x * parent->m_bounds.size.width;
        double ay = parent->m_bounds.origin.y + parent->m_anchorPoint.y * parent->m_bounds.size.height;
        t = CATransform3DConcat(t, CATransform3DMakeTranslation(-ax, -ay, 0));
        t = CATransform3DConcat(t, parent->m_sublayerTransform);
        t = CATransform3DConcat(t, CATransform3DMakeTranslation(ax, ay, 0));
    }
    return t;
}

namespace {

// The flattened map from a layer's coordinates to the coordinates its tree's root sits in.
CATransform3D toRootSpace(const CALayer* layer) {
    CATransform3D t = CATransform3DIdentity;
    for (const CALayer* l = layer; l; l = l->superlayer())
        t = CATransform3DConcat(t, CATransform3DFlatten(l->transformToSuperlayer()));
    return t;
}

}  // namespace

CGPoint CALayer::convertPointFromLayer(const CGPoint& p, const CALayer* layer) const {
    CATransform3D m =
        CATransform3DConcat(layer ? toRootSpace(layer) : CATransform3DIdentity, CATransform3DInvert(toRootSpace(this)));
    CAPoint3D q = CATransform3DProject(m, p.x, p.y);
    return {q.x, q.y};
}

CGPoint CALayer::convertPointToLayer(const CGPoint& p, const CALayer* layer) const {
    CATransform3D m = toRootSpace(this);
    if (layer) m = CATransform3DConcat(m, CATransform3DInvert(toRootSpace(layer)));
    CAPoint3D q = CATransform3DProject(m, p.x, p.y);
    return {q.x, q.y};
}

CGRect CALayer::convertRectFromLayer(const CGRect& r, const CALayer* layer) const {
    CATransform3D m =
        CATransform3DConcat(layer ? toRootSpace(layer) : CATransform3DIdentity, CATransform3DInvert(toRootSpace(this)));
    return boxOfCorners(m, CGRectStandardize(r));
}

CGRect CALayer::convertRectToLayer(const CGRect& r, const CALayer* layer) const {
    CATransform3D m = toRootSpace(this);
    if (layer) m = CATransform3DConcat(m, CATransform3DInvert(toRootSpace(layer)));
    return boxOfCorners(m, CGRectStandardize(r));
}

bool CALayer::containsPoint(const CGPoint& p) const {
    const CGRect& b = m_bounds;
    return p.x >= b.origin.x && p.y >= b.origin.y && p.x < b.origin.x + b.size.width &&
           p.y < b.origin.y + b.size.height;
}

CALayer* CALayer::hitTest(const CGPoint& p) {
    if (m_hidden) return nullptr;
    CAPoint3D q = CATransform3DProject(CATransform3DInvert(CATransform3DFlatten(transformToSuperlayer())), p.x, p.y);
    CGPoint local{q.x, q.y};
    bool inside = containsPoint(local);
    if (m_masksToBounds && !inside) return nullptr;
    auto ordered = sublayersInDrawingOrder();
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it)
        if (CALayer* hit = (*it)->hitTest(local)) return hit;
    return inside ? this : nullptr;
}

// --- key paths --------------------------------------------------------------------------------

namespace {

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

struct TransformComponents {
    double scale[3], rotation[3], translation[3];
    CATransform3D source;

    explicit TransformComponents(const CATransform3D& t) : source(t) {
        CATransform3DParts parts = CATransform3DDecompose(t);
        for (int i = 0; i < 3; ++i) {
            scale[i] = parts.scale[i];
            translation[i] = parts.translation[i];
        }
        CATransform3DGetEulerAngles(t, &rotation[0], &rotation[1], &rotation[2]);
    }

    CATransform3D compose() const {
        CATransform3D t = CATransform3DMakeScale(scale[0], scale[1], scale[2]);
        t = CATransform3DConcat(t, CATransform3DMakeRotation(rotation[0], 1, 0, 0));
        t = CATransform3DConcat(t, CATransform3DMakeRotation(rotation[1], 0, 1, 0));
        t = CATransform3DConcat(t, CATransform3DMakeRotation(rotation[2], 0, 0, 1));
        t = CATransform3DConcat(t, CATransform3DMakeTranslation(translation[0], translation[1], translation[2]));
        t.m14 = source.m14;
        t.m24 = source.m24;
        t.m34 = source.m34;
        t.m44 = source.m44;
        return t;
    }
};

int axisOf(const std::string& suffix) {
    if (suffix == "x") return 0;
    if (suffix == "y") return 1;
    if (suffix == "z") return 2;
    return -1;
}

}  // namespace

CAValue CALayer::valueForKeyPath(const std::string& path) const {
    if (path == "position") return m_position;
    if (path == "position.x") return m_position.x;
    if (path == "position.y") return m_position.y;
    if (path == "bounds") return m_bounds;
    if (path == "bounds.size") return m_bounds.size;
    if (path == "bounds.origin") return m_bounds.origin;
    if (path == "bounds.size.width") return m_bounds.size.width;
    if (path == "bounds.size.height") return m_bounds.size.height;
    if (path == "bounds.origin.x") return m_bounds.origin.x;
    if (path == "bounds.origin.y") return m_bounds.origin.y;
    if (path == "anchorPoint") return m_anchorPoint;
    if (path == "zPosition") return m_zPosition;
    if (path == "opacity") return m_opacity;
    if (path == "hidden") return m_hidden ? 1.0 : 0.0;
    if (path == "cornerRadius") return m_cornerRadius;
    if (path == "borderWidth") return m_borderWidth;
    if (path == "shadowOpacity") return m_shadowOpacity;
    if (path == "shadowRadius") return m_shadowRadius;
    if (path == "shadowOffset") return m_shadowOffset;
    if (path == "backgroundColor") return m_backgroundColor;
    if (path == "borderColor") return m_borderColor;
    if (path == "shadowColor") return m_shadowColor;
    if (path == "contentsTintColor") return m_contentsTintColor;
    if (path == "sublayerTransform") return m_sublayerTransform;
    if (path == "transform") return m_transform;
    if (startsWith(path, "transform.")) {
        TransformComponents c(m_transform);
        std::string rest = path.substr(10);
        if (rest == "rotation") return c.rotation[2];
        if (rest == "scale") return (c.scale[0] + c.scale[1] + c.scale[2]) / 3;
        if (rest == "translation") return CGSize{c.translation[0], c.translation[1]};
        if (startsWith(rest, "rotation.") && axisOf(rest.substr(9)) >= 0) return c.rotation[axisOf(rest.substr(9))];
        if (startsWith(rest, "scale.") && axisOf(rest.substr(6)) >= 0) return c.scale[axisOf(rest.substr(6))];
        if (startsWith(rest, "translation.") && axisOf(rest.substr(12)) >= 0)
            return c.translation[axisOf(rest.substr(12))];
    }
    return {};
}

bool CALayer::setValueForKeyPath(const std::string& path, const CAValue& v) {
    if (!m_model) CARetainedRenderer::layerWillChange(*this);
    if (v.isNone() &&
        !(path == "backgroundColor" || path == "borderColor" || path == "shadowColor" || path == "contentsTintColor"))
        return false;
    auto number = [&](double& field) {
        if (!v.holds<double>()) return false;
        field = v.number();
        return true;
    };
    auto color = [&](UIColorRef& field) {
        if (!v.isNone() && !v.holds<UIColorRef>()) return false;
        field = v.color();
        return true;
    };
    CGSize oldSize = m_bounds.size;
    bool ok = false;
    if (path == "position")
        ok = v.holds<CGPoint>() && (m_position = v.point(), true);
    else if (path == "position.x")
        ok = number(m_position.x);
    else if (path == "position.y")
        ok = number(m_position.y);
    else if (path == "bounds")
        ok = v.holds<CGRect>() && (m_bounds = v.rect(), true);
    else if (path == "bounds.size")
        ok = v.holds<CGSize>() && (m_bounds.size = v.size(), true);
    else if (path == "bounds.origin")
        ok = v.holds<CGPoint>() && (m_bounds.origin = v.point(), true);
    else if (path == "bounds.size.width")
        ok = number(m_bounds.size.width);
    else if (path == "bounds.size.height")
        ok = number(m_bounds.size.height);
    else if (path == "bounds.origin.x")
        ok = number(m_bounds.origin.x);
    else if (path == "bounds.origin.y")
        ok = number(m_bounds.origin.y);
    else if (path == "anchorPoint")
        ok = v.holds<CGPoint>() && (m_anchorPoint = v.point(), true);
    else if (path == "zPosition")
        ok = number(m_zPosition);
    else if (path == "opacity")
        ok = number(m_opacity) && (m_opacity = std::clamp(m_opacity, 0.0, 1.0), true);
    else if (path == "hidden")
        ok = v.holds<double>() && (m_hidden = v.number() >= 0.5, true);
    else if (path == "cornerRadius")
        ok = number(m_cornerRadius);
    else if (path == "borderWidth")
        ok = number(m_borderWidth);
    else if (path == "shadowOpacity")
        ok = number(m_shadowOpacity);
    else if (path == "shadowRadius")
        ok = number(m_shadowRadius);
    else if (path == "shadowOffset")
        ok = v.holds<CGSize>() && (m_shadowOffset = v.size(), true);
    else if (path == "backgroundColor")
        ok = color(m_backgroundColor);
    else if (path == "borderColor")
        ok = color(m_borderColor);
    else if (path == "shadowColor")
        ok = color(m_shadowColor);
    else if (path == "contentsTintColor")
        ok = color(m_contentsTintColor);
    else if (path == "sublayerTransform")
        ok = v.holds<CATransform3D>() && (m_sublayerTransform = v.transform(), true);
    else if (path == "transform")
        ok = v.holds<CATransform3D>() && (m_transform = v.transform(), true);
    else if (startsWith(path, "transform.")) {
        TransformComponents c(m_transform);
        std::string rest = path.substr(10);
        if (rest == "translation") {
            if (!v.holds<CGSize>()) return false;
            c.translation[0] = v.size().width;
            c.translation[1] = v.size().height;
        } else {
            if (!v.holds<double>()) return false;
            double x = v.number();
            if (rest == "rotation")
                c.rotation[2] = x;
            else if (rest == "scale")
                c.scale[0] = c.scale[1] = c.scale[2] = x;
            else if (startsWith(rest, "rotation.") && axisOf(rest.substr(9)) >= 0)
                c.rotation[axisOf(rest.substr(9))] = x;
            else if (startsWith(rest, "scale.") && axisOf(rest.substr(6)) >= 0)
                c.scale[axisOf(rest.substr(6))] = x;
            else if (startsWith(rest, "translation.") && axisOf(rest.substr(12)) >= 0)
                c.translation[axisOf(rest.substr(12))] = x;
            else
                return false;
        }
        m_transform = c.compose();
        ok = true;
    }
    if (ok) sizeChanged(oldSize);
    return ok;
}

// --- time -------------------------------------------------------------------------------------

void CALayer::timeMapping(double* a, double* b) const {
    // Root first: each level maps its parent's time affinely.
    std::vector<const CALayer*> chain;
    for (const CALayer* l = this; l; l = l->m_superlayer) chain.push_back(l);
    double ra = 1, rb = 0;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const CALayer* l = *it;
        ra = ra * l->m_speed;
        rb = (rb - l->m_beginTime) * l->m_speed + l->m_timeOffset;
    }
    *a = ra;
    *b = rb;
}

double CALayer::localTimeFromMediaTime(double t) const {
    double a, b;
    timeMapping(&a, &b);
    return a * t + b;
}

double CALayer::mediaTimeFromLocalTime(double t) const {
    // Undo each level from this layer up; a frozen level (speed 0) maps back to its begin time.
    double time = t;
    for (const CALayer* l = this; l; l = l->m_superlayer)
        time = l->m_speed != 0 ? (time - l->m_timeOffset) / l->m_speed + l->m_beginTime : l->m_beginTime;
    return time;
}

double CALayer::convertTimeFromLayer(double t, const CALayer* layer) const {
    double media = layer ? layer->mediaTimeFromLocalTime(t) : t;
    return localTimeFromMediaTime(media);
}

double CALayer::convertTimeToLayer(double t, const CALayer* layer) const {
    double media = mediaTimeFromLocalTime(t);
    return layer ? layer->localTimeFromMediaTime(media) : media;
}

// --- animations -------------------------------------------------------------------------------

void CALayer::addAnimation(const objc::Ref<CAAnimation>& animation, const std::string& key) {
    if (!animation || m_model) return;
    CARetainedRenderer::layerWillChange(*this);
    if (!key.empty()) removeAnimationForKey(key);
    AnimationRecord r;
    r.key = key;
    r.animation = animation;
    r.begin = animation->beginTime() != 0 ? animation->beginTime() : localTimeFromMediaTime(CACurrentMediaTime());
    r.duration = animation->duration() > 0 ? animation->duration() : CATransaction::animationDuration();
    r.completions = CATransaction::openCompletions();
    for (auto& c : r.completions) c->animationAdded();
    m_animations.push_back(std::move(r));
    if (AnimationClock* clock = animationClock()) {
        clock->track(std::static_pointer_cast<CALayer>(shared_from_this()));
        clock->scheduleAt(CACurrentMediaTime());
    }
}

objc::Ref<CAAnimation> CALayer::animationForKey(const std::string& key) const {
    if (key.empty()) return nullptr;
    for (auto& r : m_animations)
        if (r.key == key) return r.animation;
    return nullptr;
}

std::vector<std::string> CALayer::animationKeys() const {
    std::vector<std::string> keys;
    for (auto& r : m_animations)
        if (!r.key.empty()) keys.push_back(r.key);
    return keys;
}

void CALayer::animationRemoved(AnimationRecord r) {
    if (r.ended) return;
    if (!r.committed) {
        for (auto& c : r.completions) c->animationEnded();
        return;
    }
    // As on the platform, the stop arrives later, never inside the call that removed it.
    Process* p = Process::current();
    auto deliver = [animation = r.animation, completions = r.completions] {
        if (auto d = animation->delegate(); d && d->respondsToAnimationDidStop())
            d->animationDidStop(*animation, false);
        for (auto& c : completions) c->animationEnded();
    };
    if (p)
        p->runLoop().post(deliver);
    else
        deliver();
}

void CALayer::removeAnimationForKey(const std::string& key) {
    if (key.empty()) return;
    auto it =
        std::find_if(m_animations.begin(), m_animations.end(), [&](const AnimationRecord& r) { return r.key == key; });
    if (it == m_animations.end()) return;
    AnimationRecord r = std::move(*it);
    m_animations.erase(it);
    animationRemoved(std::move(r));
}

void CALayer::removeAllAnimations() {
    auto records = std::move(m_animations);
    m_animations.clear();
    for (auto& r : records) animationRemoved(std::move(r));
}

double CALayer::processAnimations(double now) {
    double a, b;
    timeMapping(&a, &b);
    double local = a * now + b;
    struct Event {
        objc::Ref<CAAnimation> animation;
        bool stop;
        std::vector<std::shared_ptr<CATransactionCompletion>> completions;
    };
    std::vector<Event> events;
    double next = -1;
    for (std::size_t i = 0; i < m_animations.size();) {
        AnimationRecord& r = m_animations[i];
        const CAAnimation& anim = *r.animation;
        double t = (local - r.begin) * anim.speed() + anim.timeOffset();
        double active = anim.activeDuration(r.duration);
        r.committed = true;
        if (!r.started && t >= -1e-9) {
            r.started = true;
            events.push_back({r.animation, false, {}});
        }
        if (r.started && !r.ended && t >= active - 1e-9 * std::max(1.0, std::fabs(active))) {
            r.ended = true;
            events.push_back({r.animation, true, r.completions});
            if (anim.isRemovedOnCompletion()) {
                m_animations.erase(m_animations.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
        }
        if (!r.ended && a != 0 && anim.speed() != 0) {
            double target = r.started ? active : 0;
            double when = ((target - anim.timeOffset()) / anim.speed() + r.begin - b) / a;
            if (std::isfinite(when) && when >= now) {
                when = std::max(when, now + 1e-9);
                if (next < 0 || when < next) next = when;
            }
        }
        ++i;
    }
    for (auto& e : events) {
        auto d = e.animation->delegate();
        if (!e.stop) {
            if (d && d->respondsToAnimationDidStart()) d->animationDidStart(*e.animation);
        } else {
            if (d && d->respondsToAnimationDidStop()) d->animationDidStop(*e.animation, true);
            for (auto& c : e.completions) c->animationEnded();
        }
    }
    return next;
}

void CALayer::applyAnimations(CALayer& target, double mediaTime) const {
    double local = localTimeFromMediaTime(mediaTime);
    for (const AnimationRecord& r : m_animations) {
        auto* property = dynamic_cast<const CAPropertyAnimation*>(r.animation.get());
        if (!property || property->keyPath().empty()) continue;
        double t = (local - r.begin) * property->speed() + property->timeOffset();
        CAAnimation::Phase phase = property->phaseAt(t, r.duration);
        if (!phase.applies) continue;
        CAValue under = target.valueForKeyPath(property->keyPath());
        target.setValueForKeyPath(property->keyPath(), property->valueAt(phase, under));
    }
}

objc::Ref<CALayer> CALayer::presentationLayer() const {
    if (m_model) return std::const_pointer_cast<CALayer>(std::static_pointer_cast<const CALayer>(shared_from_this()));
    objc::Ref<CALayer> copy = makeCopy();
    copy->m_animations.clear();
    copy->m_model = this;
    copy->m_modelKeepAlive = std::static_pointer_cast<const CALayer>(shared_from_this());
    applyAnimations(*copy, CACurrentMediaTime());
    return copy;
}

}  // namespace ios
