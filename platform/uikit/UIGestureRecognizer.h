#pragma once
// Gesture recognisers with the platform's target/action model and state machine. Targets are
// held weakly; each action is sent with the recogniser as its argument when the selector takes
// one.
//
// States: every recogniser starts in Possible. A discrete one (tap, swipe) goes to Recognized
// (= Ended) or Failed; a continuous one (pan) goes Began, Changed…, then Ended or Cancelled, or
// Failed before it began. Actions are sent on Recognized/Began/Changed/Ended/Cancelled. Once all
// its touches have lifted, a recogniser in a final state resets to Possible.
//
// Touches reach recognisers through the touch dispatcher (TouchInjection.h): the recognisers of
// the hit view and of its ancestors, enabled ones only, before the view itself sees the touches.

#include <cstdint>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UITouch.h"

namespace ios {

class UIView;

enum class UIGestureRecognizerState { Possible, Began, Changed, Ended, Cancelled, Failed, Recognized = Ended };

using UITouchList = std::vector<objc::Ref<UITouch>>;

class UIGestureRecognizer : public objc::Object {
    OBJC_CLASS_DECLARE(UIGestureRecognizer)
public:
    ~UIGestureRecognizer() override;
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
    // Disabling cancels (or fails) a gesture in progress.
    void setEnabled(bool enabled);
    UIGestureRecognizerState state() const { return m_state; }
    // The platform's transition: sends the actions a state calls for and, for a recogniser that
    // must wait for others to fail, holds a recognition back until they do.
    void setState(UIGestureRecognizerState state);

    // When the gesture is recognised, the view's own touches are cancelled (default yes).
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }

    // This recogniser recognises only once `other` has failed; if `other` recognises, this fails.
    void requireGestureRecognizerToFail(const objc::Ref<UIGestureRecognizer>& other);

    // The centroid of the current touches in the view's coordinates (null: screen).
    CGPoint locationInView(const UIView* view) const;
    int numberOfTouches() const { return static_cast<int>(m_touches.size()); }

    // Sends every target its action, as a recognised gesture does.
    void sendActionsToTargets();

    // Delivery from the dispatcher; subclasses override the touch methods and call the base.
    virtual void touchesBegan(const UITouchList& touches, const UIEvent& event);
    virtual void touchesMoved(const UITouchList& touches, const UIEvent& event);
    virtual void touchesEnded(const UITouchList& touches, const UIEvent& event);
    virtual void touchesCancelled(const UITouchList& touches, const UIEvent& event);
    // Back to Possible, forgetting the gesture in progress.
    virtual void reset();

    bool isContinuous() const { return continuous(); }
    // Whether a touch sequence is in progress for this recogniser.
    bool isTracking() const { return !m_touches.empty(); }
    // Called by the dispatcher after each delivery: resets a finished recogniser whose touches
    // have all lifted.
    void finishDeliveryIfDone();

protected:
    UIGestureRecognizer() = default;
    virtual bool continuous() const { return false; }
    const UITouchList& activeTouches() const { return m_touches; }
    // Possible, enabled and not holding a recognition back for others to fail.
    bool acceptsTouches() const;
    // Called when a recogniser this one depends on has failed, with the state held back.
    void dependencyChanged();

private:
    friend class UIView;
    void attachTouches(const UITouchList& touches);
    void detachTouches(const UITouchList& touches);
    bool waitingForFailures() const;
    void notifyDependents();
    void applyState(UIGestureRecognizerState state);

    std::vector<TargetAction> m_targets;
    UIView* m_view = nullptr;
    bool m_enabled = true;
    bool m_cancelsTouchesInView = true;
    UIGestureRecognizerState m_state = UIGestureRecognizerState::Possible;
    UITouchList m_touches;
    bool m_sawTouches = false;  // touched since the last reset
    std::vector<objc::WeakRef<UIGestureRecognizer>> m_requiredToFail;
    std::vector<objc::WeakRef<UIGestureRecognizer>> m_dependents;
    bool m_hasHeldState = false;
    UIGestureRecognizerState m_heldState = UIGestureRecognizerState::Possible;
};

// The platform's tap thresholds (our choices, kept in one place).
inline constexpr double kTapAllowableMovement = 10;   // points a touch may move and still tap
inline constexpr double kMultiTapInterval = 0.35;     // seconds from one touch-up to the next touch-down
inline constexpr double kMultiTapDistance = 45;       // points from the first tap
inline constexpr double kSwipeMinimumDistance = 50;   // points along the direction
inline constexpr double kSwipeMaximumDuration = 0.5;  // seconds from touch-down
inline constexpr double kPanHysteresis = 10;          // points before a pan begins
inline constexpr double kPanVelocityWindow = 0.1;     // seconds of movement used for velocity

class UITapGestureRecognizer : public UIGestureRecognizer {
    OBJC_CLASS_DECLARE(UITapGestureRecognizer)
public:
    ~UITapGestureRecognizer() override;
    int numberOfTapsRequired() const { return m_taps; }
    void setNumberOfTapsRequired(int taps) { m_taps = taps < 1 ? 1 : taps; }
    int numberOfTouchesRequired() const { return m_touches; }
    void setNumberOfTouchesRequired(int touches) { m_touches = touches < 1 ? 1 : touches; }

    void touchesBegan(const UITouchList& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchList& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchList& touches, const UIEvent& event) override;
    void touchesCancelled(const UITouchList& touches, const UIEvent& event) override;
    void reset() override;

protected:
    UITapGestureRecognizer() = default;

private:
    void cancelTimer();
    void failNow();

    int m_taps = 1;
    int m_touches = 1;
    int m_tapsDone = 0;
    int m_maxTouchesThisTap = 0;
    CGPoint m_firstTapLocation;
    std::vector<CGPoint> m_downLocations;  // per touch of the current tap, screen points
    std::uint64_t m_timer = 0;
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
    void setNumberOfTouchesRequired(int touches) { m_touches = touches < 1 ? 1 : touches; }

    void touchesBegan(const UITouchList& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchList& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchList& touches, const UIEvent& event) override;
    void touchesCancelled(const UITouchList& touches, const UIEvent& event) override;
    void reset() override;

protected:
    UISwipeGestureRecognizer() = default;

private:
    unsigned m_direction = UISwipeGestureRecognizerDirectionRight;
    int m_touches = 1;
    CGPoint m_start;
    double m_startTime = 0;
};

class UIPanGestureRecognizer : public UIGestureRecognizer {
    OBJC_CLASS_DECLARE(UIPanGestureRecognizer)
public:
    int minimumNumberOfTouches() const { return m_minTouches; }
    void setMinimumNumberOfTouches(int n) { m_minTouches = n < 1 ? 1 : n; }
    int maximumNumberOfTouches() const { return m_maxTouches; }
    void setMaximumNumberOfTouches(int n) { m_maxTouches = n < 1 ? 1 : n; }

    // Movement of the touches' centroid since touch-down (or since the last setTranslation),
    // expressed in the view's coordinate directions (null: screen).
    CGPoint translationInView(const UIView* view) const;
    void setTranslation(CGPoint translation, const UIView* view);
    // Points per second over the last 0.1 s of movement, in the view's coordinate directions.
    CGPoint velocityInView(const UIView* view) const;

    void touchesBegan(const UITouchList& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchList& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchList& touches, const UIEvent& event) override;
    void touchesCancelled(const UITouchList& touches, const UIEvent& event) override;
    void reset() override;

protected:
    UIPanGestureRecognizer() = default;
    bool continuous() const override { return true; }

private:
    CGPoint centroid() const;
    void restartFromCentroid();
    struct Sample {
        double time;
        CGPoint point;
    };
    int m_minTouches = 1;
    int m_maxTouches = 1000;
    CGPoint m_origin;  // screen centroid that translation is measured from
    std::vector<Sample> m_samples;
    int m_lastCount = 0;
};

}  // namespace ios
