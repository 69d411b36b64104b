#include "Extension/MarqueeAnimationDelegate.h"

void MarqueeAnimationDelegate::animationDidStop(ios::CAAnimation& animation, bool finished) {
    if (auto label = m_label.lock()) label->animationDidStop(animation, finished);
}
