#include "platform/uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIView.h"

namespace ios {

OBJC_CLASS_DEFINE(UIGestureRecognizer, objc::Object)
OBJC_CLASS_DEFINE(UITapGestureRecognizer, UIGestureRecognizer)
OBJC_CLASS_DEFINE(UISwipeGestureRecognizer, UIGestureRecognizer)
OBJC_CLASS_DEFINE(UIPanGestureRecognizer, UIGestureRecognizer)

namespace {

double now() {
    Process* process = Process::current();
    return process ? process->runLoop().now() : 0;
}

double distance(CGPoint a, CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

CGPoint centroidOf(const UITouchList& touches) {
    if (touches.empty()) return CGPointZero;
    CGPoint sum;
    for (const auto& t : touches) {
        sum.x += t->screenLocation().x;
        sum.y += t->screenLocation().y;
    }
    return CGPointMake(sum.x / static_cast<double>(touches.size()), sum.y / static_cast<double>(touches.size()));
}

bool isFinal(UIGestureRecognizerState s) {
    return s == UIGestureRecognizerState::Ended || s == UIGestureRecognizerState::Cancelled ||
           s == UIGestureRecognizerState::Failed;
}

bool hasRecognized(UIGestureRecognizerState s) {
    return s == UIGestureRecognizerState::Began || s == UIGestureRecognizerState::Changed ||
           s == UIGestureRecognizerState::Ended;
}

// A screen-space vector expressed in a view's coordinate directions.
CGPoint vectorInView(CGPoint vector, CGPoint at, const UIView* view) {
    if (!view) return vector;
    CGPoint a = convertPointFromScreen(*view, at);
    CGPoint b = convertPointFromScreen(*view, CGPointMake(at.x + vector.x, at.y + vector.y));
    return CGPointMake(b.x - a.x, b.y - a.y);
}

CGPoint vectorFromView(CGPoint vector, CGPoint at, const UIView* view) {
    if (!view) return vector;
    CGPoint local = convertPointFromScreen(*view, at);
    CGPoint b = convertPointToScreen(*view, CGPointMake(local.x + vector.x, local.y + vector.y));
    return CGPointMake(b.x - at.x, b.y - at.y);
}

}  // namespace

// --- UIGestureRecognizer ---

UIGestureRecognizer::~UIGestureRecognizer() = default;

void UIGestureRecognizer::init(const objc::id& target, objc::SEL action) { addTarget(target, action); }

void UIGestureRecognizer::addTarget(const objc::id& target, objc::SEL action) {
    if (!target || !action) return;
    m_targets.push_back({target, action});
}

void UIGestureRecognizer::removeTarget(const objc::Object* target, objc::SEL action) {
    std::erase_if(m_targets, [&](const TargetAction& t) {
        return (!target || t.target.lock().get() == target) && (!action || t.action == action);
    });
}

void UIGestureRecognizer::sendActionsToTargets() {
    auto self = shared_from_this();
    auto targets = m_targets;
    for (const auto& t : targets)
        if (objc::id target = t.target.lock()) objc::msgSendAction(target, t.action, self);
}

void UIGestureRecognizer::setEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    if (enabled) return;
    auto keep = shared_from_this();
    if (m_state == UIGestureRecognizerState::Began || m_state == UIGestureRecognizerState::Changed)
        applyState(UIGestureRecognizerState::Cancelled);
    else if (m_state == UIGestureRecognizerState::Possible && m_sawTouches)
        applyState(UIGestureRecognizerState::Failed);
    reset();
}

void UIGestureRecognizer::requireGestureRecognizerToFail(const objc::Ref<UIGestureRecognizer>& other) {
    if (!other || other.get() == this) return;
    m_requiredToFail.push_back(other);
    other->m_dependents.push_back(std::static_pointer_cast<UIGestureRecognizer>(shared_from_this()));
}

bool UIGestureRecognizer::waitingForFailures() const {
    for (const auto& weak : m_requiredToFail) {
        auto other = weak.lock();
        if (other && other->m_sawTouches && other->m_state == UIGestureRecognizerState::Possible) return true;
    }
    return false;
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state) {
    if (state == m_state && state != UIGestureRecognizerState::Changed) return;
    if (state == UIGestureRecognizerState::Possible) {
        m_state = state;
        return;
    }
    if (m_state == UIGestureRecognizerState::Possible &&
        (state == UIGestureRecognizerState::Began || state == UIGestureRecognizerState::Ended)) {
        for (const auto& weak : m_requiredToFail) {
            auto other = weak.lock();
            if (other && hasRecognized(other->m_state)) {
                applyState(UIGestureRecognizerState::Failed);
                return;
            }
        }
        if (waitingForFailures()) {
            m_hasHeldState = true;
            m_heldState = state;
            return;
        }
    }
    applyState(state);
}

void UIGestureRecognizer::applyState(UIGestureRecognizerState state) {
    auto keep = shared_from_this();
    m_hasHeldState = false;
    m_state = state;
    switch (state) {
    case UIGestureRecognizerState::Began:
    case UIGestureRecognizerState::Changed:
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled: sendActionsToTargets(); break;
    default: break;
    }
    if (state == UIGestureRecognizerState::Failed || state == UIGestureRecognizerState::Began ||
        state == UIGestureRecognizerState::Ended)
        notifyDependents();
}

void UIGestureRecognizer::notifyDependents() {
    auto dependents = m_dependents;
    for (const auto& weak : dependents)
        if (auto other = weak.lock()) other->dependencyChanged();
}

void UIGestureRecognizer::dependencyChanged() {
    if (!m_hasHeldState) return;
    for (const auto& weak : m_requiredToFail) {
        auto other = weak.lock();
        if (other && hasRecognized(other->m_state)) {
            applyState(UIGestureRecognizerState::Failed);
            finishDeliveryIfDone();
            return;
        }
    }
    if (waitingForFailures()) return;
    applyState(m_heldState);
    finishDeliveryIfDone();
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const {
    CGPoint c = centroidOf(m_touches);
    return view ? convertPointFromScreen(*view, c) : c;
}

void UIGestureRecognizer::attachTouches(const UITouchList& touches) {
    m_sawTouches = true;
    for (const auto& t : touches)
        if (std::find(m_touches.begin(), m_touches.end(), t) == m_touches.end()) m_touches.push_back(t);
}

void UIGestureRecognizer::detachTouches(const UITouchList& touches) {
    for (const auto& t : touches) std::erase(m_touches, t);
}

void UIGestureRecognizer::touchesBegan(const UITouchList& touches, const UIEvent&) { attachTouches(touches); }
void UIGestureRecognizer::touchesMoved(const UITouchList&, const UIEvent&) {}
void UIGestureRecognizer::touchesEnded(const UITouchList& touches, const UIEvent&) { detachTouches(touches); }
void UIGestureRecognizer::touchesCancelled(const UITouchList& touches, const UIEvent&) { detachTouches(touches); }

void UIGestureRecognizer::reset() {
    bool wasInvolved = m_sawTouches;
    m_state = UIGestureRecognizerState::Possible;
    m_touches.clear();
    m_sawTouches = false;
    m_hasHeldState = false;
    if (wasInvolved) notifyDependents();
}

void UIGestureRecognizer::finishDeliveryIfDone() {
    if (m_touches.empty() && isFinal(m_state)) {
        auto keep = shared_from_this();
        reset();
    }
}

bool UIGestureRecognizer::acceptsTouches() const {
    return m_enabled && m_state == UIGestureRecognizerState::Possible && !m_hasHeldState;
}

// --- UITapGestureRecognizer ---

UITapGestureRecognizer::~UITapGestureRecognizer() { cancelTimer(); }

void UITapGestureRecognizer::cancelTimer() {
    if (!m_timer) return;
    if (Process* process = Process::current()) process->runLoop().cancel(m_timer);
    m_timer = 0;
}

void UITapGestureRecognizer::failNow() {
    cancelTimer();
    setState(UIGestureRecognizerState::Failed);
    finishDeliveryIfDone();
}

void UITapGestureRecognizer::touchesBegan(const UITouchList& touches, const UIEvent& event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (!acceptsTouches()) return;
    cancelTimer();
    for (const auto& t : touches) {
        if (m_tapsDone > 0 && distance(t->screenLocation(), m_firstTapLocation) > kMultiTapDistance) {
            failNow();
            return;
        }
        m_downLocations.push_back(t->screenLocation());
    }
    m_maxTouchesThisTap = std::max(m_maxTouchesThisTap, numberOfTouches());
    if (m_maxTouchesThisTap > m_touches) failNow();
}

void UITapGestureRecognizer::touchesMoved(const UITouchList&, const UIEvent&) {
    if (!acceptsTouches()) return;
    // A finger that wanders too far from where it came down is not tapping.
    const auto& touches = activeTouches();
    for (std::size_t i = 0; i < touches.size(); ++i) {
        CGPoint down = i < m_downLocations.size() ? m_downLocations[i] : touches[i]->screenLocation();
        if (distance(touches[i]->screenLocation(), down) > kTapAllowableMovement) {
            failNow();
            return;
        }
    }
}

void UITapGestureRecognizer::touchesEnded(const UITouchList& touches, const UIEvent& event) {
    touchesMoved(touches, event);
    UIGestureRecognizer::touchesEnded(touches, event);
    if (!acceptsTouches() || !activeTouches().empty()) return;
    if (m_maxTouchesThisTap != m_touches) {
        failNow();
        return;
    }
    if (m_tapsDone == 0) m_firstTapLocation = m_downLocations.empty() ? CGPointZero : m_downLocations.front();
    ++m_tapsDone;
    m_downLocations.clear();
    m_maxTouchesThisTap = 0;
    if (m_tapsDone >= m_taps) {
        setState(UIGestureRecognizerState::Recognized);
        return;
    }
    // Wait for the next tap; a longer pause fails the gesture.
    auto weak =
        objc::WeakRef<UITapGestureRecognizer>(std::static_pointer_cast<UITapGestureRecognizer>(shared_from_this()));
    if (Process* process = Process::current())
        m_timer = process->runLoop().scheduleAfter(kMultiTapInterval, [weak] {
            if (auto self = weak.lock()) {
                self->m_timer = 0;
                if (self->state() == UIGestureRecognizerState::Possible) self->failNow();
            }
        });
}

void UITapGestureRecognizer::touchesCancelled(const UITouchList& touches, const UIEvent& event) {
    UIGestureRecognizer::touchesCancelled(touches, event);
    if (acceptsTouches()) failNow();
}

void UITapGestureRecognizer::reset() {
    cancelTimer();
    m_tapsDone = 0;
    m_maxTouchesThisTap = 0;
    m_downLocations.clear();
    UIGestureRecognizer::reset();
}

// --- UISwipeGestureRecognizer ---

void UISwipeGestureRecognizer::touchesBegan(const UITouchList& touches, const UIEvent& event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (!acceptsTouches()) return;
    if (numberOfTouches() > m_touches) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    m_start = centroidOf(activeTouches());
    m_startTime = event.timestamp();
}

void UISwipeGestureRecognizer::touchesMoved(const UITouchList&, const UIEvent& event) {
    if (!acceptsTouches()) return;
    if (event.timestamp() - m_startTime > kSwipeMaximumDuration) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    if (numberOfTouches() != m_touches) return;
    CGPoint c = centroidOf(activeTouches());
    double dx = c.x - m_start.x, dy = c.y - m_start.y;
    struct Axis {
        unsigned bit;
        double along, across;
    };
    const Axis axes[] = {{UISwipeGestureRecognizerDirectionRight, dx, dy},
                         {UISwipeGestureRecognizerDirectionLeft, -dx, dy},
                         {UISwipeGestureRecognizerDirectionDown, dy, dx},
                         {UISwipeGestureRecognizerDirectionUp, -dy, dx}};
    for (const auto& axis : axes) {
        if (!(m_direction & axis.bit)) continue;
        if (axis.along >= kSwipeMinimumDistance && std::abs(axis.across) < axis.along / 2) {
            setState(UIGestureRecognizerState::Recognized);
            return;
        }
    }
}

void UISwipeGestureRecognizer::touchesEnded(const UITouchList& touches, const UIEvent& event) {
    touchesMoved(touches, event);
    UIGestureRecognizer::touchesEnded(touches, event);
    if (acceptsTouches() && activeTouches().empty()) setState(UIGestureRecognizerState::Failed);
}

void UISwipeGestureRecognizer::touchesCancelled(const UITouchList& touches, const UIEvent& event) {
    UIGestureRecognizer::touchesCancelled(touches, event);
    if (acceptsTouches()) setState(UIGestureRecognizerState::Failed);
}

void UISwipeGestureRecognizer::reset() {
    m_startTime = 0;
    UIGestureRecognizer::reset();
}

// --- UIPanGestureRecognizer ---

CGPoint UIPanGestureRecognizer::centroid() const { return centroidOf(activeTouches()); }

void UIPanGestureRecognizer::restartFromCentroid() {
    // A finger added or lifted moves the centroid; keep the translation where it was.
    CGPoint translation = CGPointMake(m_samples.empty() ? 0 : m_samples.back().point.x - m_origin.x,
                                      m_samples.empty() ? 0 : m_samples.back().point.y - m_origin.y);
    CGPoint c = centroid();
    m_origin = CGPointMake(c.x - translation.x, c.y - translation.y);
    m_samples.clear();
    m_samples.push_back({now(), c});
    m_lastCount = numberOfTouches();
}

void UIPanGestureRecognizer::touchesBegan(const UITouchList& touches, const UIEvent& event) {
    bool first = activeTouches().empty();
    UIGestureRecognizer::touchesBegan(touches, event);
    if (state() == UIGestureRecognizerState::Possible && numberOfTouches() > m_maxTouches) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    if (first) {
        m_origin = centroid();
        m_samples.assign(1, {event.timestamp(), m_origin});
        m_lastCount = numberOfTouches();
    } else if (state() != UIGestureRecognizerState::Failed) {
        restartFromCentroid();
    }
}

void UIPanGestureRecognizer::touchesMoved(const UITouchList&, const UIEvent& event) {
    if (state() == UIGestureRecognizerState::Failed || state() == UIGestureRecognizerState::Cancelled ||
        activeTouches().empty() || !isEnabled())
        return;
    CGPoint c = centroid();
    m_samples.push_back({event.timestamp(), c});
    // Keep what the velocity needs: the window plus one earlier sample.
    while (m_samples.size() > 2 && m_samples[1].time < event.timestamp() - kPanVelocityWindow)
        m_samples.erase(m_samples.begin());
    if (state() == UIGestureRecognizerState::Possible) {
        int n = numberOfTouches();
        if (n >= m_minTouches && n <= m_maxTouches && distance(c, m_origin) >= kPanHysteresis)
            setState(UIGestureRecognizerState::Began);
    } else if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed) {
        setState(UIGestureRecognizerState::Changed);
    }
}

void UIPanGestureRecognizer::touchesEnded(const UITouchList& touches, const UIEvent& event) {
    touchesMoved(touches, event);
    UIGestureRecognizer::touchesEnded(touches, event);
    bool active = state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed;
    if (activeTouches().empty() || (active && numberOfTouches() < m_minTouches)) {
        if (active)
            setState(UIGestureRecognizerState::Ended);
        else if (state() == UIGestureRecognizerState::Possible)
            setState(UIGestureRecognizerState::Failed);
        return;
    }
    restartFromCentroid();
}

void UIPanGestureRecognizer::touchesCancelled(const UITouchList& touches, const UIEvent& event) {
    UIGestureRecognizer::touchesCancelled(touches, event);
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Cancelled);
    else if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}

void UIPanGestureRecognizer::reset() {
    m_samples.clear();
    m_lastCount = 0;
    UIGestureRecognizer::reset();
}

CGPoint UIPanGestureRecognizer::translationInView(const UIView* view) const {
    if (m_samples.empty()) return CGPointZero;
    CGPoint current = m_samples.back().point;
    return vectorInView(CGPointMake(current.x - m_origin.x, current.y - m_origin.y), m_origin, view);
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation, const UIView* view) {
    CGPoint current = m_samples.empty() ? m_origin : m_samples.back().point;
    CGPoint screen = vectorFromView(translation, current, view);
    m_origin = CGPointMake(current.x - screen.x, current.y - screen.y);
}

CGPoint UIPanGestureRecognizer::velocityInView(const UIView* view) const {
    if (m_samples.size() < 2) return CGPointZero;
    const Sample& last = m_samples.back();
    std::size_t first = m_samples.size() - 2;
    while (first > 0 && m_samples[first - 1].time >= last.time - kPanVelocityWindow) --first;
    const Sample& from = m_samples[first];
    double dt = last.time - from.time;
    if (dt <= 0) return CGPointZero;
    CGPoint v = CGPointMake((last.point.x - from.point.x) / dt, (last.point.y - from.point.y) / dt);
    return vectorInView(v, last.point, view);
}

}  // namespace ios
