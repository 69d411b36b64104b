#include "platform/uikit/UIControl.h"

#include <algorithm>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGestureRecognizer.h"

namespace ios {

OBJC_CLASS_DEFINE(UIControl, UIView)

void UIControl::addTarget(const objc::id& target, objc::SEL action, unsigned events) {
    if (!action || !events) return;
    for (auto& a : m_actions) {
        if (a.action == action && a.hasTarget == (target != nullptr) && a.target.lock() == target) {
            a.events |= events;
            return;
        }
    }
    m_actions.push_back({target, target != nullptr, action, events});
}

void UIControl::removeTarget(const objc::Object* target, objc::SEL action, unsigned events) {
    for (auto& a : m_actions) {
        if (target && a.target.lock().get() != target) continue;
        if (action && a.action != action) continue;
        a.events &= events ? ~events : 0u;
    }
    std::erase_if(m_actions, [](const TargetAction& a) { return a.events == 0; });
}

std::vector<objc::SEL> UIControl::actionsForTarget(const objc::Object* target, unsigned event) const {
    std::vector<objc::SEL> result;
    for (const auto& a : m_actions)
        if ((a.events & event) && (target ? a.target.lock().get() == target : !a.hasTarget)) result.push_back(a.action);
    return result;
}

void UIControl::sendAction(objc::SEL action, const objc::id& target, const UIEvent* event) {
    objc::id eventObject = event ? const_cast<UIEvent*>(event)->shared_from_this() : nullptr;
    if (target) {
        objc::msgSendAction(target, action, shared_from_this(), eventObject);
        return;
    }
    UIApplication::sharedApplication()->sendAction(action, nullptr, shared_from_this(), event);
}

void UIControl::setEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    if (!enabled && m_tracking) cancelTrackingWithEvent(nullptr);
    stateDidChange();
}

void UIControl::setSelected(bool selected) {
    if (m_selected == selected) return;
    m_selected = selected;
    stateDidChange();
}

void UIControl::setHighlighted(bool highlighted) {
    if (m_highlighted == highlighted) return;
    m_highlighted = highlighted;
    stateDidChange();
}

unsigned UIControl::state() const {
    unsigned s = UIControlStateNormal;
    if (m_highlighted) s |= UIControlStateHighlighted;
    if (!m_enabled) s |= UIControlStateDisabled;
    if (m_selected) s |= UIControlStateSelected;
    return s;
}

bool UIControl::beginTrackingWithTouch(const UITouch&, const UIEvent*) { return true; }
bool UIControl::continueTrackingWithTouch(const UITouch&, const UIEvent*) { return true; }
void UIControl::endTrackingWithTouch(const UITouch*, const UIEvent*) {}
void UIControl::cancelTrackingWithEvent(const UIEvent*) {}

bool UIControl::pointInsideTrackingArea(CGPoint point) const {
    return CGRectContainsPoint(CGRectInset(bounds(), -kControlTouchInsideMargin, -kControlTouchInsideMargin), point);
}

void UIControl::touchesBegan(const UITouchList& touches, const UIEvent& event) {
    if (touches.empty() || !m_enabled || m_touchActive) return;
    auto keep = shared_from_this();
    const UITouch& touch = *touches.front();
    m_trackingTouch = std::static_pointer_cast<UITouch>(touches.front()->shared_from_this());
    m_touchActive = true;
    m_touchInside = true;
    setHighlighted(true);
    m_tracking = beginTrackingWithTouch(touch, &event);
    unsigned events = UIControlEventTouchDown;
    if (touch.tapCount() > 1) events |= UIControlEventTouchDownRepeat;
    sendActionsForControlEventsWithEvent(events, &event);
}

void UIControl::touchesMoved(const UITouchList& touches, const UIEvent& event) {
    if (!m_touchActive || touches.empty() || touches.front() != m_trackingTouch.lock()) return;
    auto keep = shared_from_this();
    const UITouch& touch = *touches.front();
    bool wasInside = m_touchInside;
    m_touchInside = pointInsideTrackingArea(touch.locationInView(this));
    setHighlighted(m_touchInside);
    if (m_tracking) m_tracking = continueTrackingWithTouch(touch, &event);
    unsigned events = m_touchInside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
    if (m_touchInside != wasInside)
        events |= m_touchInside ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
    sendActionsForControlEventsWithEvent(events, &event);
}

void UIControl::touchesEnded(const UITouchList& touches, const UIEvent& event) {
    if (!m_touchActive || touches.empty() || touches.front() != m_trackingTouch.lock()) return;
    auto keep = shared_from_this();
    const UITouch& touch = *touches.front();
    m_touchInside = pointInsideTrackingArea(touch.locationInView(this));
    m_touchActive = false;
    setHighlighted(false);
    if (m_tracking) endTrackingWithTouch(&touch, &event);
    m_tracking = false;
    unsigned events = m_touchInside ? (UIControlEventTouchUpInside | UIControlEventPrimaryActionTriggered)
                                    : UIControlEventTouchUpOutside;
    sendActionsForControlEventsWithEvent(events, &event);
    m_touchInside = false;
}

void UIControl::touchesCancelled(const UITouchList& touches, const UIEvent& event) {
    if (!m_touchActive || touches.empty() || touches.front() != m_trackingTouch.lock()) return;
    auto keep = shared_from_this();
    m_touchActive = false;
    m_touchInside = false;
    setHighlighted(false);
    if (m_tracking) cancelTrackingWithEvent(&event);
    m_tracking = false;
    sendActionsForControlEventsWithEvent(UIControlEventTouchCancel, &event);
}

void UIControl::sendActionsForControlEventsWithEvent(unsigned events, const UIEvent* event) {
    auto keep = shared_from_this();
    auto actions = m_actions;
    for (const auto& a : actions) {
        if (!(a.events & events)) continue;
        objc::id target = a.target.lock();
        if (a.hasTarget && !target) continue;
        sendAction(a.action, target, event);
    }
}

bool UIControl::preventsAncestorGestureRecognizer(const UIGestureRecognizer& recognizer, const UITouch&) const {
    auto* tapRecognizer = dynamic_cast<const UITapGestureRecognizer*>(&recognizer);
    return tapRecognizer && tapRecognizer->numberOfTapsRequired() == 1 && tapRecognizer->numberOfTouchesRequired() == 1;
}

}  // namespace ios
