#pragma once
// The fade mask's set-up animation: a basic animation of its own class, so that the marquee label
// recognises it when it ends.

#include "platform/quartz/CAAnimation.h"

class GradientSetupAnimation : public ios::CABasicAnimation {
    OBJC_CLASS_DECLARE(GradientSetupAnimation)
public:
    static objc::Ref<GradientSetupAnimation> animationWithKeyPath(const std::string& keyPath);

protected:
    GradientSetupAnimation() = default;
};
