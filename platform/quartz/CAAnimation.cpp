#include "platform/quartz/CAAnimation.h"

#include <cmath>

namespace ios {

OBJC_CLASS_DEFINE(CAAnimation, objc::Object)
OBJC_CLASS_DEFINE(CAPropertyAnimation, CAAnimation)
OBJC_CLASS_DEFINE(CABasicAnimation, CAPropertyAnimation)
OBJC_CLASS_DEFINE(CAKeyframeAnimation, CAPropertyAnimation)

objc::Ref<CAAnimation> CAAnimation::animation() { return objc::make<CAAnimation>(); }

void CAAnimation::setValue(const Value& value, const std::string& key) {
    if (value.isNone())
        m_values.erase(key);
    else
        m_values[key] = value;
}

Value CAAnimation::valueForKey(const std::string& key) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? Value() : it->second;
}

double CAAnimation::activeDuration(double duration) const {
    if (m_repeatDuration > 0) return m_repeatDuration;
    double cycle = duration * (m_autoreverses ? 2 : 1);
    double count = m_repeatCount > 0 ? m_repeatCount : 1;
    return count * cycle;
}

CAAnimation::Phase CAAnimation::phaseAt(double t, double duration) const {
    Phase phase;
    bool fillsBackwards = m_fillMode == kCAFillModeBackwards || m_fillMode == kCAFillModeBoth;
    bool fillsForwards = m_fillMode == kCAFillModeForwards || m_fillMode == kCAFillModeBoth;
    double active = activeDuration(duration);
    if (std::isnan(t)) return phase;
    if (t < 0) {
        if (!fillsBackwards) return phase;
        t = 0;
    }
    if (t >= active) {
        phase.ended = true;
        if (!fillsForwards) return phase;
        t = active;
    }
    phase.applies = true;
    if (duration <= 0) {
        phase.fraction = 1;
        return phase;
    }
    double cycle = duration * (m_autoreverses ? 2 : 1);
    double local;
    if (phase.ended) {
        // The end of the last (possibly partial) cycle, not the start of the next.
        local = std::isfinite(cycle) ? active - cycle * std::floor(active / cycle) : active;
        if (local == 0 && active > 0) local = cycle;
    } else {
        local = std::isfinite(cycle) ? std::fmod(t, cycle) : t;
    }
    if (m_autoreverses && local > duration) local = cycle - local;
    phase.fraction = std::clamp(local / duration, 0.0, 1.0);
    return phase;
}

objc::Ref<CAPropertyAnimation> CAPropertyAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto a = objc::make<CAPropertyAnimation>();
    a->setKeyPath(keyPath);
    return a;
}

objc::Ref<CABasicAnimation> CABasicAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto a = objc::make<CABasicAnimation>();
    a->setKeyPath(keyPath);
    return a;
}

CAValue CABasicAnimation::valueAt(const Phase& phase, const CAValue& underlying) const {
    if (!phase.applies) return underlying;
    double f = timingFunction() ? timingFunction()->progressAtTime(phase.fraction) : phase.fraction;
    bool additive = isAdditive();
    // In an additive animation the missing ends are "no change", not the value beneath.
    CAValue base = additive ? CAValueSubtract(underlying, underlying) : underlying;
    CAValue a, b;
    if (m_from && m_to) {
        a = m_from;
        b = m_to;
    } else if (m_from && m_by) {
        a = m_from;
        b = CAValueAdd(m_from, m_by);
    } else if (m_by && m_to) {
        a = CAValueSubtract(m_to, m_by);
        b = m_to;
    } else if (m_from) {
        a = m_from;
        b = base;
    } else if (m_to) {
        a = base;
        b = m_to;
    } else if (m_by) {
        a = base;
        b = CAValueAdd(base, m_by);
    } else {
        return underlying;
    }
    CAValue v = CAValueInterpolate(a, b, f);
    return additive ? CAValueAdd(underlying, v) : v;
}

objc::Ref<CAKeyframeAnimation> CAKeyframeAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto a = objc::make<CAKeyframeAnimation>();
    a->setKeyPath(keyPath);
    return a;
}

CAValue CAKeyframeAnimation::valueAtFraction(double f) const {
    const std::size_t n = m_values.size();
    if (n == 0) return {};
    if (n == 1) return m_values[0];

    bool keyTimesUsable = m_keyTimes.size() == n && m_calculationMode != kCAAnimationPaced;
    for (std::size_t i = 1; keyTimesUsable && i < n; ++i)
        if (!(m_keyTimes[i] >= m_keyTimes[i - 1])) keyTimesUsable = false;

    if (m_calculationMode == kCAAnimationDiscrete) {
        // Value i holds from key time i on; the list may carry one more entry, the end.
        bool discreteTimes = m_keyTimes.size() == n || m_keyTimes.size() == n + 1;
        for (std::size_t i = 1; discreteTimes && i < m_keyTimes.size(); ++i)
            if (!(m_keyTimes[i] >= m_keyTimes[i - 1])) discreteTimes = false;
        std::size_t index = 0;
        if (discreteTimes) {
            for (std::size_t i = 0; i < n; ++i)
                if (m_keyTimes[i] <= f) index = i;
        } else {
            index = std::min(n - 1, static_cast<std::size_t>(std::max(0.0, std::floor(f * n))));
        }
        return m_values[index];
    }

    auto keyTime = [&](std::size_t i) { return keyTimesUsable ? m_keyTimes[i] : double(i) / double(n - 1); };
    if (f <= keyTime(0)) return m_values[0];
    if (f >= keyTime(n - 1)) return m_values[n - 1];
    std::size_t segment = 0;
    while (segment + 2 < n && f >= keyTime(segment + 1)) ++segment;
    double start = keyTime(segment), end = keyTime(segment + 1);
    double local = end > start ? (f - start) / (end - start) : 1;
    if (segment < m_timingFunctions.size() && m_timingFunctions[segment])
        local = m_timingFunctions[segment]->progressAtTime(local);
    return CAValueInterpolate(m_values[segment], m_values[segment + 1], local);
}

CAValue CAKeyframeAnimation::valueAt(const Phase& phase, const CAValue& underlying) const {
    if (!phase.applies || m_values.empty()) return underlying;
    double f = timingFunction() ? timingFunction()->progressAtTime(phase.fraction) : phase.fraction;
    CAValue v = valueAtFraction(f);
    return isAdditive() ? CAValueAdd(underlying, v) : v;
}

}  // namespace ios
