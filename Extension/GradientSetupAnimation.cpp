#include "Extension/GradientSetupAnimation.h"

OBJC_CLASS_DEFINE(GradientSetupAnimation, ios::CABasicAnimation)

objc::Ref<GradientSetupAnimation> GradientSetupAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto animation = objc::make<GradientSetupAnimation>();
    animation->setKeyPath(keyPath);
    return animation;
}
