#pragma once
// Forwards the ends of a marquee's animations to the label without keeping it alive: the
// animations are held by layers the label owns.

#include "Extension/MarqueeLabel.h"
#include "platform/quartz/CAAnimation.h"

class MarqueeAnimationDelegate : public ios::CAAnimationDelegate {
public:
    explicit MarqueeAnimationDelegate(objc::WeakRef<MarqueeLabel> label) : m_label(std::move(label)) {}
    bool respondsToAnimationDidStart() const override { return false; }
    void animationDidStop(ios::CAAnimation& animation, bool finished) override;

private:
    objc::WeakRef<MarqueeLabel> m_label;
};
