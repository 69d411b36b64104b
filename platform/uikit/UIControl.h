#pragma once
// Controls: target/action by control event, and touch tracking. A touch that starts on an
// enabled control is tracked: beginTrackingWithTouch at touch-down (false stops tracking),
// continueTrackingWithTouch at each move (false ends tracking), endTrackingWithTouch at lift and
// cancelTrackingWithEvent when the touch is cancelled. The touch events (down, drag
// inside/outside, up inside/outside, cancel) are sent around these hooks; "inside" means within
// the bounds grown by 70 points on every side.
//
// A control under the finger keeps a single tap to itself: one-finger single-tap recognisers of
// its superviews do not see the touch.

#include <string>
#include <vector>

#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIView.h"

namespace ios {

enum UIControlEvents : unsigned {
    UIControlEventTouchDown = 1u << 0,
    UIControlEventTouchDownRepeat = 1u << 1,
    UIControlEventTouchDragInside = 1u << 2,
    UIControlEventTouchDragOutside = 1u << 3,
    UIControlEventTouchDragEnter = 1u << 4,
    UIControlEventTouchDragExit = 1u << 5,
    UIControlEventTouchUpInside = 1u << 6,
    UIControlEventTouchUpOutside = 1u << 7,
    UIControlEventTouchCancel = 1u << 8,
    UIControlEventValueChanged = 1u << 12,
    UIControlEventPrimaryActionTriggered = 1u << 13,
    UIControlEventEditingDidBegin = 1u << 16,
    UIControlEventEditingChanged = 1u << 17,
    UIControlEventEditingDidEnd = 1u << 18,
    UIControlEventEditingDidEndOnExit = 1u << 19,
    UIControlEventAllTouchEvents = 0x00000FFFu,
    UIControlEventAllEditingEvents = 0x000F0000u,
    UIControlEventAllEvents = 0xFFFFFFFFu,
};

enum UIControlState : unsigned {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1u << 0,
    UIControlStateDisabled = 1u << 1,
    UIControlStateSelected = 1u << 2,
};

// The platform's drag-outside allowance around a control, in points (our choice).
inline constexpr double kControlTouchInsideMargin = 70;

class UIControl : public UIView, public UIGestureRecognizerArbiter {
    OBJC_CLASS_DECLARE(UIControl)
public:
    // A null target sends the action along the responder chain from the first responder.
    void addTarget(const objc::id& target, objc::SEL action, unsigned events);
    // Null target / action / zero events match any.
    void removeTarget(const objc::Object* target, objc::SEL action, unsigned events);
    struct TargetAction {
        objc::WeakRef<objc::Object> target;
        bool hasTarget = false;
        objc::SEL action = nullptr;
        unsigned events = 0;
    };
    const std::vector<TargetAction>& targetActions() const { return m_actions; }
    // The actions registered for a target (null: the nil target) and one event.
    std::vector<objc::SEL> actionsForTarget(const objc::Object* target, unsigned event) const;

    // Sends every action registered for any of the events, in order of registration.
    void sendActionsForControlEvents(unsigned events) { sendActionsForControlEventsWithEvent(events, nullptr); }
    void sendActionsForControlEventsWithEvent(unsigned events, const UIEvent* event);
    virtual void sendAction(objc::SEL action, const objc::id& target, const UIEvent* event);

    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    unsigned state() const;

    bool isTracking() const { return m_tracking; }
    bool isTouchInside() const { return m_touchInside; }

    // The tracking hooks subclasses override.
    virtual bool beginTrackingWithTouch(const UITouch& touch, const UIEvent* event);
    virtual bool continueTrackingWithTouch(const UITouch& touch, const UIEvent* event);
    virtual void endTrackingWithTouch(const UITouch* touch, const UIEvent* event);
    virtual void cancelTrackingWithEvent(const UIEvent* event);

    void touchesBegan(const UITouchList& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchList& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchList& touches, const UIEvent& event) override;
    void touchesCancelled(const UITouchList& touches, const UIEvent& event) override;

    bool preventsAncestorGestureRecognizer(const UIGestureRecognizer& recognizer, const UITouch& touch) const override;

    // Whether a point of the bounds' coordinates counts as inside for the touch-up and drag events.
    bool pointInsideTrackingArea(CGPoint point) const;

protected:
    UIControl() = default;
    // Called when enabled, selected or highlighted changes (buttons redraw).
    virtual void stateDidChange() { setNeedsDisplay(); }

private:
    std::vector<TargetAction> m_actions;
    objc::WeakRef<UITouch> m_trackingTouch;
    bool m_enabled = true;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_tracking = false;
    bool m_touchInside = false;
    bool m_touchActive = false;
};

}  // namespace ios
