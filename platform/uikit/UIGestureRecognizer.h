#pragma once
// Gesture recognisers with the platform's target/action model. Targets are held weakly; each
// action is sent with the recogniser as its argument when the selector takes one.

#include <vector>

#include "platform/objc/Runtime.h"

namespace ios {

class UIView;

enum class UIGestureRecognizerState { Possible, Began, Changed, Ended, Cancelled, Failed, Recognized = Ended };

class UIGestureRecognizer : public objc::Object {
    OBJC_CLASS_DECLARE(UIGestureRecognizer)
public:
    void init() override {}
    virtual void init(const objc::id& target, objc::SEL action);

    void addTarget(const objc::id& target, objc::SEL action);
    void removeTarget(const objc::Object* target, objc::SEL action);
    struct TargetAction {
        objc::WeakRef<objc::Object> target;
        objc::SEL action;
    };
    const std::vector<TargetAction>& targets() const { return m_targets; }

    UIView* view() const { return m_view; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    UIGestureRecognizerState state() const { return m_state; }
    void setState(UIGestureRecognizerState state) { m_state = state; }

    // Sends every target its action, as a recognised gesture does.
    void sendActionsToTargets();

protected:
    UIGestureRecognizer() = default;

private:
    friend class UIView;
    std::vector<TargetAction> m_targets;
    UIView* m_view = nullptr;
    bool m_enabled = true;
    UIGestureRecognizerState m_state = UIGestureRecognizerState::Possible;
};

class UITapGestureRecognizer : public UIGestureRecognizer {
    OBJC_CLASS_DECLARE(UITapGestureRecognizer)
public:
    int numberOfTapsRequired() const { return m_taps; }
    void setNumberOfTapsRequired(int taps) { m_taps = taps; }
    int numberOfTouchesRequired() const { return m_touches; }
    void setNumberOfTouchesRequired(int touches) { m_touches = touches; }

protected:
    UITapGestureRecognizer() = default;

private:
    int m_taps = 1;
    int m_touches = 1;
};

enum UISwipeGestureRecognizerDirection : unsigned {
    UISwipeGestureRecognizerDirectionRight = 1 << 0,
    UISwipeGestureRecognizerDirectionLeft = 1 << 1,
    UISwipeGestureRecognizerDirectionUp = 1 << 2,
    UISwipeGestureRecognizerDirectionDown = 1 << 3,
};

class UISwipeGestureRecognizer : public UIGestureRecognizer {
    OBJC_CLASS_DECLARE(UISwipeGestureRecognizer)
public:
    unsigned direction() const { return m_direction; }
    void setDirection(unsigned direction) { m_direction = direction; }
    int numberOfTouchesRequired() const { return m_touches; }

protected:
    UISwipeGestureRecognizer() = default;

private:
    unsigned m_direction = UISwipeGestureRecognizerDirectionRight;
    int m_touches = 1;
};

}  // namespace ios
