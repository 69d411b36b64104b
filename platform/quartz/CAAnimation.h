#pragma once
// Explicit animations. An animation added to a layer (CALayer::addAnimation) is kept by
// reference; the layer records its own begin time and duration for it, so the same animation
// object can be added again later and starts afresh. Values are evaluated on demand from the
// layer's local time, which is how the presentation layer follows the media clock.

#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/objc/Runtime.h"
#include "platform/quartz/CAMediaTimingFunction.h"
#include "platform/quartz/CAValue.h"

namespace ios {

class CAAnimation;

inline const std::string kCAFillModeRemoved = "removed";
inline const std::string kCAFillModeForwards = "forwards";
inline const std::string kCAFillModeBackwards = "backwards";
inline const std::string kCAFillModeBoth = "both";

inline const std::string kCAAnimationLinear = "linear";
inline const std::string kCAAnimationDiscrete = "discrete";
inline const std::string kCAAnimationPaced = "paced";

// Optional callbacks; each is sent only when the delegate says it implements it. Both arrive on
// the main run loop, never from inside addAnimation or removeAnimation.
class CAAnimationDelegate {
public:
    virtual ~CAAnimationDelegate() = default;
    virtual bool respondsToAnimationDidStart() const { return true; }
    virtual bool respondsToAnimationDidStop() const { return true; }
    virtual void animationDidStart(CAAnimation& animation) {}
    // finished is false when the animation was removed before it ran to its end.
    virtual void animationDidStop(CAAnimation& animation, bool finished) {}
};

// The timing shared by layers and animations. Times of an animation are in its layer's local
// time; times of a layer are in its superlayer's (the media clock for a root layer).
class CAMediaTiming {
public:
    virtual ~CAMediaTiming() = default;
    double beginTime() const { return m_beginTime; }
    void setBeginTime(double t) {
        m_beginTime = t;
        timingChanged();
    }
    double duration() const { return m_duration; }
    void setDuration(double d) {
        m_duration = d;
        timingChanged();
    }
    double speed() const { return m_speed; }
    void setSpeed(double s) {
        m_speed = s;
        timingChanged();
    }
    double timeOffset() const { return m_timeOffset; }
    void setTimeOffset(double t) {
        m_timeOffset = t;
        timingChanged();
    }
    double repeatCount() const { return m_repeatCount; }
    void setRepeatCount(double c) {
        m_repeatCount = c;
        timingChanged();
    }
    double repeatDuration() const { return m_repeatDuration; }
    void setRepeatDuration(double d) {
        m_repeatDuration = d;
        timingChanged();
    }
    bool autoreverses() const { return m_autoreverses; }
    void setAutoreverses(bool a) {
        m_autoreverses = a;
        timingChanged();
    }
    const std::string& fillMode() const { return m_fillMode; }
    void setFillMode(const std::string& mode) {
        m_fillMode = mode;
        timingChanged();
    }

protected:
    // Layers reschedule the animations beneath them.
    virtual void timingChanged() {}

    double m_beginTime = 0;
    double m_duration = 0;
    double m_speed = 1;
    double m_timeOffset = 0;
    double m_repeatCount = 0;
    double m_repeatDuration = 0;
    bool m_autoreverses = false;
    std::string m_fillMode = kCAFillModeRemoved;
};

class CAAnimation : public objc::Object, public CAMediaTiming {
    OBJC_CLASS_DECLARE(CAAnimation)
public:
    static objc::Ref<CAAnimation> animation();

    const CAMediaTimingFunctionRef& timingFunction() const { return m_timingFunction; }
    void setTimingFunction(CAMediaTimingFunctionRef f) { m_timingFunction = std::move(f); }
    bool isRemovedOnCompletion() const { return m_removedOnCompletion; }
    void setRemovedOnCompletion(bool r) { m_removedOnCompletion = r; }
    // The delegate is retained, as the platform does.
    const objc::Ref<CAAnimationDelegate>& delegate() const { return m_delegate; }
    void setDelegate(objc::Ref<CAAnimationDelegate> d) { m_delegate = std::move(d); }

    // Arbitrary marks (setValue:forKey:), kept with the animation.
    void setValue(const Value& value, const std::string& key);
    Value valueForKey(const std::string& key) const;

    // Evaluation, given the animation's duration as resolved when it was added.
    // Time within the active period for a local animation time t (already offset and scaled),
    // or none when the animation does not apply at t (before its start or after its end without
    // a fill). `ended` tells whether t lies past the end.
    struct Phase {
        bool applies = false;
        bool ended = false;
        double fraction = 0;  // 0…1 through the current cycle, timing function not yet applied
    };
    Phase phaseAt(double animationTime, double duration) const;
    // Length of the whole active period (all repeats and reversals).
    double activeDuration(double duration) const;

protected:
    CAAnimation() = default;

private:
    CAMediaTimingFunctionRef m_timingFunction;
    bool m_removedOnCompletion = true;
    objc::Ref<CAAnimationDelegate> m_delegate;
    std::map<std::string, Value> m_values;
};

class CAPropertyAnimation : public CAAnimation {
    OBJC_CLASS_DECLARE(CAPropertyAnimation)
public:
    static objc::Ref<CAPropertyAnimation> animationWithKeyPath(const std::string& keyPath);
    const std::string& keyPath() const { return m_keyPath; }
    void setKeyPath(const std::string& path) { m_keyPath = path; }
    // An additive animation's value is added to the value beneath it.
    bool isAdditive() const { return m_additive; }
    void setAdditive(bool a) { m_additive = a; }

    // The animated value at a phase, given the value beneath (the model value, or what earlier
    // animations made of it). None when the animation has nothing to say.
    virtual CAValue valueAt(const Phase& phase, const CAValue& underlying) const { return underlying; }

protected:
    CAPropertyAnimation() = default;

private:
    std::string m_keyPath;
    bool m_additive = false;
};

class CABasicAnimation : public CAPropertyAnimation {
    OBJC_CLASS_DECLARE(CABasicAnimation)
public:
    static objc::Ref<CABasicAnimation> animationWithKeyPath(const std::string& keyPath);
    const CAValue& fromValue() const { return m_from; }
    void setFromValue(CAValue v) { m_from = std::move(v); }
    const CAValue& toValue() const { return m_to; }
    void setToValue(CAValue v) { m_to = std::move(v); }
    const CAValue& byValue() const { return m_by; }
    void setByValue(CAValue v) { m_by = std::move(v); }

    CAValue valueAt(const Phase& phase, const CAValue& underlying) const override;

protected:
    CABasicAnimation() = default;

private:
    CAValue m_from, m_to, m_by;
};

class CAKeyframeAnimation : public CAPropertyAnimation {
    OBJC_CLASS_DECLARE(CAKeyframeAnimation)
public:
    static objc::Ref<CAKeyframeAnimation> animationWithKeyPath(const std::string& keyPath);
    const std::vector<CAValue>& values() const { return m_values; }
    void setValues(std::vector<CAValue> v) { m_values = std::move(v); }
    // Fractions of the duration, one per value, rising from 0 to 1; other lists are ignored and
    // the values spread evenly.
    const std::vector<double>& keyTimes() const { return m_keyTimes; }
    void setKeyTimes(std::vector<double> t) { m_keyTimes = std::move(t); }
    // One per segment (values − 1); a missing one is linear.
    const std::vector<CAMediaTimingFunctionRef>& timingFunctions() const { return m_timingFunctions; }
    void setTimingFunctions(std::vector<CAMediaTimingFunctionRef> f) { m_timingFunctions = std::move(f); }
    const std::string& calculationMode() const { return m_calculationMode; }
    void setCalculationMode(const std::string& mode) { m_calculationMode = mode; }

    CAValue valueAt(const Phase& phase, const CAValue& underlying) const override;
    // The value at a fraction of the duration (after the animation's own timing function).
    CAValue valueAtFraction(double fraction) const;

protected:
    CAKeyframeAnimation() = default;

private:
    std::vector<CAValue> m_values;
    std::vector<double> m_keyTimes;
    std::vector<CAMediaTimingFunctionRef> m_timingFunctions;
    std::string m_calculationMode = kCAAnimationLinear;
};

}  // namespace ios
