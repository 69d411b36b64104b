#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <typeindex>
#include <unordered_map>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

OBJC_CLASS_DEFINE(UIResponder, objc::Object)
OBJC_CLASS_DEFINE(UIView, UIResponder)

void (*UIView::s_constraintLayoutHook)(UIView& view) = nullptr;

// --- UIResponder -------------------------------------------------------------------------------

namespace {

struct FirstResponderState {
    objc::WeakRef<objc::Object> responder;
    UIResponder* raw = nullptr;
    UIResponder* current() const { return responder.expired() ? nullptr : raw; }
};

FirstResponderState* firstResponderState() {
    Process* p = Process::current();
    return p ? &p->attached<FirstResponderState>() : nullptr;
}

bool finite(const CGRect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

}  // namespace

UIResponder* UIResponder::currentFirstResponder() {
    FirstResponderState* s = firstResponderState();
    return s ? s->current() : nullptr;
}

bool UIResponder::isFirstResponder() const { return currentFirstResponder() == this; }

bool UIResponder::becomeFirstResponder() {
    FirstResponderState* s = firstResponderState();
    if (!s || !canBecomeFirstResponder()) return false;
    UIResponder* current = s->current();
    if (current == this) return true;
    if (current && !current->resignFirstResponder()) return false;
    s->responder = weak_from_this();
    s->raw = this;
    return true;
}

bool UIResponder::resignFirstResponder() {
    if (!canResignFirstResponder()) return false;
    FirstResponderState* s = firstResponderState();
    if (s && s->current() == this) {
        s->responder.reset();
        s->raw = nullptr;
    }
    return true;
}

void UIResponder::touchesBegan(const UITouchList& touches, const UIEvent& event) {
    if (UIResponder* next = nextResponder()) next->touchesBegan(touches, event);
}
void UIResponder::touchesMoved(const UITouchList& touches, const UIEvent& event) {
    if (UIResponder* next = nextResponder()) next->touchesMoved(touches, event);
}
void UIResponder::touchesEnded(const UITouchList& touches, const UIEvent& event) {
    if (UIResponder* next = nextResponder()) next->touchesEnded(touches, event);
}
void UIResponder::touchesCancelled(const UITouchList& touches, const UIEvent& event) {
    if (UIResponder* next = nextResponder()) next->touchesCancelled(touches, event);
}

// --- creation ---------------------------------------------------------------------------------

UIView::~UIView() {
    for (auto& view : m_subviews) view->m_superview = nullptr;
    for (auto& recognizer : m_gestureRecognizers) recognizer->m_view = nullptr;
}

objc::Ref<CALayer> UIView::makeBackingLayer() const { return CALayer::layer(); }

void UIView::init(const CGRect& frame) {
    m_layer = makeBackingLayer();
    if (!m_layer) m_layer = CALayer::layer();
    m_layer->setContentsScale(mainScreenScale());
    m_layer->setDelegate(std::static_pointer_cast<UIView>(shared_from_this()));
    // Shown for the first time: a view that draws gets its store then.
    m_layer->setNeedsDisplay();
    setFrame(frame);
    m_initialized = true;
}

// --- geometry ---------------------------------------------------------------------------------

CGRect UIView::frame() const { return m_layer->frame(); }

void UIView::setFrame(const CGRect& frame) {
    if (!finite(frame)) {
        NSLogLine("UIView: ignored a frame that is not finite: " + NSStringFromCGRect(frame));
        return;
    }
    CGRect f = CGRectStandardize(frame);
    CGSize old = bounds().size;
    CGAffineTransform t = transform();
    if (CGAffineTransformIsIdentity(t)) {
        m_layer->setFrame(f);
    } else {
        CGSize size = old;
        if (t.b == 0 && t.c == 0 && t.a != 0 && t.d != 0)
            size = CGSizeMake(f.size.width / std::fabs(t.a), f.size.height / std::fabs(t.d));
        CGRect b = bounds();
        b.size = size;
        const CGPoint& anchor = m_layer->anchorPoint();
        // The anchor point sits at the position; with the default anchor that is the middle.
        CGPoint mid = CGPointMake(CGRectGetMidX(f), CGRectGetMidY(f));
        CGPoint offset =
            CGPointApplyAffineTransform(CGPointMake((anchor.x - 0.5) * size.width, (anchor.y - 0.5) * size.height), t);
        m_layer->setPosition(CGPointMake(mid.x + offset.x - t.tx, mid.y + offset.y - t.ty));
        m_layer->setBounds(b);
    }
    if (bounds().size != old) boundsSizeChanged(old);
}

void UIView::setBounds(const CGRect& b) {
    if (!finite(b)) {
        NSLogLine("UIView: ignored bounds that are not finite: " + NSStringFromCGRect(b));
        return;
    }
    CGSize old = bounds().size;
    m_layer->setBounds(CGRectStandardize(b));
    if (bounds().size != old) boundsSizeChanged(old);
}

void UIView::setCenter(const CGPoint& center) {
    if (!std::isfinite(center.x) || !std::isfinite(center.y)) {
        NSLogLine("UIView: ignored a center that is not finite: " + NSStringFromCGPoint(center));
        return;
    }
    m_layer->setPosition(center);
}

void UIView::setTransform(const CGAffineTransform& t) { m_layer->setAffineTransform(t); }

void UIView::boundsSizeChanged(const CGSize& oldSize) {
    setNeedsLayout();
    if (m_autoresizesSubviews) resizeSubviewsWithOldSize(oldSize);
}

// --- appearance -------------------------------------------------------------------------------

void UIView::setAlpha(double alpha) { m_layer->setOpacity(std::isfinite(alpha) ? alpha : 1.0); }
void UIView::setHidden(bool hidden) { m_layer->setHidden(hidden); }
void UIView::setClipsToBounds(bool clips) { m_layer->setMasksToBounds(clips); }
void UIView::setBackgroundColor(UIColorRef color) { m_layer->setBackgroundColor(std::move(color)); }

UIColorRef UIView::inheritedTint() const {
    for (const UIView* v = this; v; v = v->m_superview)
        if (v->m_tintColor) return v->m_tintColor;
    return nullptr;
}

UIColorRef UIView::tintColor() const {
    UIColorRef tint = inheritedTint();
    return tint ? tint : UIColor::systemBlueColor();
}

void UIView::setTintColor(UIColorRef color) {
    m_tintColor = std::move(color);
    propagateTintChange();
}

void UIView::propagateTintChange() {
    auto keep = shared_from_this();
    tintColorDidChange();
    auto children = m_subviews;
    for (auto& view : children)
        if (!view->m_tintColor) view->propagateTintChange();
}

UIView* UIView::viewWithTag(int tag) {
    if (m_tag == tag) return this;
    for (auto& view : m_subviews)
        if (UIView* found = view->viewWithTag(tag)) return found;
    return nullptr;
}

void UIView::setContentMode(UIViewContentMode mode) {
    m_contentMode = mode;
    m_layer->setNeedsDisplayOnBoundsChange(mode == UIViewContentMode::Redraw);
}

// --- the tree ---------------------------------------------------------------------------------

UIWindow* UIView::window() const {
    for (const UIView* v = this; v; v = v->m_superview)
        if (auto* w = dynamic_cast<const UIWindow*>(v)) return const_cast<UIWindow*>(w);
    return nullptr;
}

UIResponder* UIView::nextResponder() const {
    if (m_viewController) return m_viewController;
    return m_superview;
}

void UIView::placeSublayer(UIView& view, std::size_t index) {
    const auto& layer = view.m_layer;
    if (index + 1 < m_subviews.size())
        m_layer->insertSublayerBelow(layer, m_subviews[index + 1]->m_layer.get());
    else if (index > 0)
        m_layer->insertSublayerAbove(layer, m_subviews[index - 1]->m_layer.get());
    else
        m_layer->addSublayer(layer);
}

void UIView::notifyWillMoveToWindow(UIWindow* newWindow) {
    willMoveToWindow(newWindow);
    auto children = m_subviews;
    for (auto& view : children) view->notifyWillMoveToWindow(newWindow);
}

void UIView::notifyDidMoveToWindow() {
    didMoveToWindow();
    auto children = m_subviews;
    for (auto& view : children) view->notifyDidMoveToWindow();
}

void UIView::addSubview(const objc::Ref<UIView>& view) { attachSubview(view, m_subviews.size()); }

void UIView::insertSubview(const objc::Ref<UIView>& view, std::size_t index) { attachSubview(view, index); }

void UIView::insertSubviewBelowSubview(const objc::Ref<UIView>& view, const UIView* sibling) {
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](auto& v) { return v.get() == sibling; });
    if (it == m_subviews.end()) return addSubview(view);
    std::size_t index = static_cast<std::size_t>(it - m_subviews.begin());
    // Moving a view that sits before the sibling shifts the sibling down by one.
    if (view && view->m_superview == this) {
        auto own = std::find(m_subviews.begin(), m_subviews.end(), view);
        if (own < it) --index;
    }
    attachSubview(view, index);
}

void UIView::insertSubviewAboveSubview(const objc::Ref<UIView>& view, const UIView* sibling) {
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](auto& v) { return v.get() == sibling; });
    if (it == m_subviews.end()) return addSubview(view);
    std::size_t index = static_cast<std::size_t>(it - m_subviews.begin()) + 1;
    if (view && view->m_superview == this) {
        auto own = std::find(m_subviews.begin(), m_subviews.end(), view);
        if (own < it) --index;
    }
    attachSubview(view, index);
}

void UIView::attachSubview(const objc::Ref<UIView>& viewArgument, std::size_t index) {
    // A copy: the argument may be an element of the list this changes.
    const objc::Ref<UIView> view = viewArgument;
    if (!view || view.get() == this || isDescendantOfView(view.get())) return;
    auto self = shared_from_this();
    if (view->m_superview == this) {
        // A reorder among siblings: no tree notifications.
        std::erase(m_subviews, view);
        index = std::min(index, m_subviews.size());
        m_subviews.insert(m_subviews.begin() + static_cast<long>(index), view);
        placeSublayer(*view, index);
        setNeedsLayout();
        return;
    }
    UIWindow* oldWindow = view->window();
    UIWindow* newWindow = window();
    UIColorRef oldTint = view->tintColor();
    view->willMoveToSuperview(this);
    if (oldWindow != newWindow) view->notifyWillMoveToWindow(newWindow);
    if (UIView* old = view->m_superview) {
        old->willRemoveSubview(view.get());
        std::erase(old->m_subviews, view);
        old->setNeedsLayout();
    }
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + static_cast<long>(index), view);
    view->m_superview = this;
    placeSublayer(*view, index);
    setNeedsLayout();
    if (oldWindow != newWindow) view->notifyDidMoveToWindow();
    view->didMoveToSuperview();
    didAddSubview(view.get());
    if (!view->m_tintColor && !oldTint->isEqual(*view->tintColor())) view->propagateTintChange();
}

void UIView::bringSubviewToFront(const UIView* view) {
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](auto& v) { return v.get() == view; });
    if (it == m_subviews.end()) return;
    attachSubview(*it, m_subviews.size());
}

void UIView::sendSubviewToBack(const UIView* view) {
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](auto& v) { return v.get() == view; });
    if (it == m_subviews.end()) return;
    attachSubview(*it, 0);
}

void UIView::exchangeSubviewAtIndex(std::size_t i, std::size_t j) {
    if (i >= m_subviews.size() || j >= m_subviews.size() || i == j) return;
    std::swap(m_subviews[i], m_subviews[j]);
    for (std::size_t k : {std::min(i, j), std::max(i, j)}) placeSublayer(*m_subviews[k], k);
    setNeedsLayout();
}

void UIView::removeFromSuperview() {
    if (!m_superview) return;
    auto keep = std::static_pointer_cast<UIView>(shared_from_this());
    UIView* parent = m_superview;
    auto parentKeep = parent->shared_from_this();
    UIWindow* oldWindow = window();
    UIColorRef oldTint = tintColor();
    willMoveToSuperview(nullptr);
    if (oldWindow) notifyWillMoveToWindow(nullptr);
    parent->willRemoveSubview(this);
    // A first responder leaving its window resigns.
    if (UIResponder* first = currentFirstResponder())
        if (auto* v = dynamic_cast<UIView*>(first); v && v->isDescendantOfView(this)) v->resignFirstResponder();
    std::erase(parent->m_subviews, keep);
    m_superview = nullptr;
    m_layer->removeFromSuperlayer();
    parent->setNeedsLayout();
    if (oldWindow) notifyDidMoveToWindow();
    didMoveToSuperview();
    if (!m_tintColor && !oldTint->isEqual(*tintColor())) propagateTintChange();
}

bool UIView::isDescendantOfView(const UIView* view) const {
    for (const UIView* v = this; v; v = v->m_superview)
        if (v == view) return true;
    return false;
}

// --- layout -----------------------------------------------------------------------------------

void UIView::setNeedsLayout() {
    bool was = m_needsLayout;
    m_needsLayout = true;
    if (was || !Process::current()) return;
    if (UIWindow* w = window(); w && !w->isHidden())
        if (UIScreen* screen = UIScreen::mainScreenIfExists()) screen->scheduleLayout();
}

void UIView::layoutIfNeeded() {
    auto keep = shared_from_this();
    if (m_needsLayout) {
        m_needsLayout = false;
        if (s_constraintLayoutHook && !m_constraints.empty()) s_constraintLayoutHook(*this);
        if (m_viewController) m_viewController->viewWillLayoutSubviews();
        layoutSubviews();
        if (m_viewController) m_viewController->viewDidLayoutSubviews();
    }
    auto children = m_subviews;
    for (auto& view : children) view->layoutIfNeeded();
}

void UIView::addConstraint(const objc::Ref<NSLayoutConstraint>& constraint) {
    if (!constraint || std::find(m_constraints.begin(), m_constraints.end(), constraint) != m_constraints.end()) return;
    m_constraints.push_back(constraint);
    setNeedsLayout();
}

void UIView::addConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints) {
    for (auto& c : constraints) addConstraint(c);
}

void UIView::removeConstraint(const NSLayoutConstraint* constraint) {
    auto before = m_constraints.size();
    std::erase_if(m_constraints, [&](auto& c) { return c.get() == constraint; });
    if (m_constraints.size() != before) setNeedsLayout();
}

void UIView::removeConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints) {
    for (auto& c : constraints) removeConstraint(c.get());
}

void UIView::setTranslatesAutoresizingMaskIntoConstraints(bool t) {
    if (t == m_translatesAutoresizingMask) return;
    m_translatesAutoresizingMask = t;
    setNeedsLayout();
    if (m_superview) m_superview->setNeedsLayout();
}

void UIView::resizeSubviewsWithOldSize(const CGSize& oldSize) {
    auto children = m_subviews;
    for (auto& view : children)
        if (view->m_autoresizingMask != UIViewAutoresizingNone && view->m_translatesAutoresizingMask)
            view->resizeWithOldSuperviewSize(oldSize);
}

namespace {

// Spreads `delta` over the flexible parts of one axis (leading margin, size, trailing margin) in
// proportion to their lengths, equally when the flexible parts are all empty. Returns the changes
// of the leading margin and of the size.
std::pair<double, double> distribute(double delta, double lead, double size, double trail, bool flexLead, bool flexSize,
                                     bool flexTrail) {
    double parts[3] = {std::max(0.0, lead), std::max(0.0, size), std::max(0.0, trail)};
    bool flex[3] = {flexLead, flexSize, flexTrail};
    int count = 0;
    double total = 0;
    for (int i = 0; i < 3; ++i)
        if (flex[i]) {
            ++count;
            total += parts[i];
        }
    if (count == 0 || delta == 0) return {0, 0};
    double share[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
        if (flex[i]) share[i] = total > 0 ? delta * parts[i] / total : delta / count;
    return {share[0], share[1]};
}

}  // namespace

void UIView::resizeWithOldSuperviewSize(const CGSize& oldSize) {
    if (!m_superview) return;
    CGSize newSize = m_superview->bounds().size;
    CGRect f = frame();
    unsigned m = m_autoresizingMask;
    auto [dx, dw] = distribute(newSize.width - oldSize.width, f.origin.x, f.size.width,
                               oldSize.width - CGRectGetMaxX(f), m & UIViewAutoresizingFlexibleLeftMargin,
                               m & UIViewAutoresizingFlexibleWidth, m & UIViewAutoresizingFlexibleRightMargin);
    auto [dy, dh] = distribute(newSize.height - oldSize.height, f.origin.y, f.size.height,
                               oldSize.height - CGRectGetMaxY(f), m & UIViewAutoresizingFlexibleTopMargin,
                               m & UIViewAutoresizingFlexibleHeight, m & UIViewAutoresizingFlexibleBottomMargin);
    if (dx == 0 && dw == 0 && dy == 0 && dh == 0) return;
    setFrame(CGRectMake(f.origin.x + dx, f.origin.y + dy, std::max(0.0, f.size.width + dw),
                        std::max(0.0, f.size.height + dh)));
}

CGSize UIView::sizeThatFits(const CGSize& size) const { return bounds().size; }

void UIView::sizeToFit() {
    CGSize s = sizeThatFits(bounds().size);
    CGRect f = frame();
    f.size = s;
    setFrame(f);
}

void UIView::invalidateIntrinsicContentSize() {
    setNeedsLayout();
    if (m_superview) m_superview->setNeedsLayout();
}

// --- drawing ----------------------------------------------------------------------------------

namespace {

// Whether a class overrides drawRect, learnt at the first display of one of its views.
struct DrawRectRegistry {
    std::mutex mutex;
    std::unordered_map<std::type_index, bool> overrides;
};

DrawRectRegistry& drawRectRegistry() {
    static DrawRectRegistry registry;
    return registry;
}

// Set by UIView::drawRect, the default that draws nothing.
thread_local bool t_defaultDrawRectReached = false;

}  // namespace

void UIView::drawRect(const CGRect&) { t_defaultDrawRectReached = true; }

bool UIView::respondsToDrawLayer() const {
    if (m_drawsState) return m_drawsState == 1;
    auto& registry = drawRectRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.overrides.find(std::type_index(typeid(*this)));
    if (it == registry.overrides.end()) return true;  // found out at the first display
    m_drawsState = it->second ? 1 : 2;
    return it->second;
}

void UIView::drawLayerInContext(CALayer& layer, CGContext& context) {
    auto keep = shared_from_this();
    CGRect area = context.getClipBoundingBox();
    UIGraphicsPushContext(&context);
    bool reached = t_defaultDrawRectReached;
    t_defaultDrawRectReached = false;
    drawRect(area);
    bool drewNothing = t_defaultDrawRectReached;
    t_defaultDrawRectReached = reached;
    UIGraphicsPopContext();
    if (!m_drawsState) {
        m_drawsState = drewNothing ? 2 : 1;
        auto& registry = drawRectRegistry();
        std::lock_guard lock(registry.mutex);
        registry.overrides.emplace(std::type_index(typeid(*this)), !drewNothing);
    }
    if (!drewNothing) ++m_drawCount;  // a view that draws nothing gets no backing store (see CALayer)
}

objc::Ref<CAAnimation> UIView::actionForLayer(CALayer& layer, const std::string& key) {
    if (!m_initialized) return nullptr;
    return uiview_animation::actionForLayer(layer, key);
}

// --- coordinates ------------------------------------------------------------------------------

namespace {

// The layer a view's coordinates convert against for a given other view: its layer, or for none
// the window's layer (the tree's root space when the view has no window).
const CALayer* targetLayer(const UIView& self, const UIView* view) {
    if (view) return view->layer().get();
    if (UIWindow* w = self.window()) return w->layer().get();
    return nullptr;
}

}  // namespace

CGPoint UIView::convertPointToView(const CGPoint& point, const UIView* view) const {
    return m_layer->convertPointToLayer(point, targetLayer(*this, view));
}

CGPoint UIView::convertPointFromView(const CGPoint& point, const UIView* view) const {
    return m_layer->convertPointFromLayer(point, targetLayer(*this, view));
}

CGRect UIView::convertRectToView(const CGRect& rect, const UIView* view) const {
    return m_layer->convertRectToLayer(rect, targetLayer(*this, view));
}

CGRect UIView::convertRectFromView(const CGRect& rect, const UIView* view) const {
    return m_layer->convertRectFromLayer(rect, targetLayer(*this, view));
}

// --- hit-testing ------------------------------------------------------------------------------

UIView* UIView::hitTest(const CGPoint& point, const UIEvent* event) {
    if (isHidden() || !m_userInteractionEnabled || alpha() < 0.01) return nullptr;
    if (!pointInside(point, event)) return nullptr;
    auto children = m_subviews;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CGPoint p = (*it)->convertPointFromView(point, this);
        if (UIView* hit = (*it)->hitTest(p, event)) return hit;
    }
    return this;
}

bool UIView::pointInside(const CGPoint& point, const UIEvent*) const { return CGRectContainsPoint(bounds(), point); }

// --- traits -----------------------------------------------------------------------------------

objc::Ref<UITraitCollection> UIView::traitCollection() const { return UITraitCollection::currentTraitCollection(); }

// --- gesture recognisers ----------------------------------------------------------------------

void UIView::addGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer) {
    if (!recognizer) return;
    if (recognizer->m_view && recognizer->m_view != this) {
        auto keep = recognizer;
        recognizer->m_view->removeGestureRecognizer(recognizer);
    }
    if (std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer) == m_gestureRecognizers.end())
        m_gestureRecognizers.push_back(recognizer);
    recognizer->m_view = this;
}

void UIView::removeGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer) {
    if (!recognizer || recognizer->m_view != this) return;
    recognizer->m_view = nullptr;
    std::erase(m_gestureRecognizers, recognizer);
}

}  // namespace ios
