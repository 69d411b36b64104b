#pragma once
// View animations: the option bits and curves of UIView's animation blocks, and the process-wide
// stack of open blocks that turns property changes into layer animations.
//
// Inside a block (UIView::animateWithDuration…, or beginAnimations … commitAnimations), a change
// of an animatable layer property of a view (position, bounds, transform, opacity,
// backgroundColor, cornerRadius, border and shadow values, zPosition, anchorPoint) becomes a
// CABasicAnimation from the presentation value at that moment to the new model value, with the
// block's duration, delay and curve. A new animation of the same property interrupts the running
// one. A block's completion (or did-stop selector) runs on the run loop once all of its
// animations have ended: finished is false when any of them was interrupted or removed. A block
// that animated nothing completes at the next turn of the run loop, finished true.
//
// Curves (option bits): ease-in-out 0x00000 (the default), ease-in 0x10000, ease-out 0x20000,
// linear 0x30000. beginAnimations defaults: duration 0.2 s, ease-in-out.

#include <functional>
#include <memory>
#include <string>

#include "platform/objc/Runtime.h"
#include "platform/quartz/CAAnimation.h"
#include "platform/quartz/CAMediaTimingFunction.h"

namespace ios {

class CALayer;

enum UIViewAnimationOptions : unsigned long {
    UIViewAnimationOptionLayoutSubviews = 1 << 0,
    UIViewAnimationOptionAllowUserInteraction = 1 << 1,
    UIViewAnimationOptionBeginFromCurrentState = 1 << 2,
    UIViewAnimationOptionRepeat = 1 << 3,
    UIViewAnimationOptionAutoreverse = 1 << 4,
    UIViewAnimationOptionOverrideInheritedDuration = 1 << 5,
    UIViewAnimationOptionOverrideInheritedCurve = 1 << 6,
    UIViewAnimationOptionAllowAnimatedContent = 1 << 7,
    UIViewAnimationOptionShowHideTransitionViews = 1 << 8,
    UIViewAnimationOptionOverrideInheritedOptions = 1 << 9,
    UIViewAnimationOptionCurveEaseInOut = 0 << 16,
    UIViewAnimationOptionCurveEaseIn = 1 << 16,
    UIViewAnimationOptionCurveEaseOut = 2 << 16,
    UIViewAnimationOptionCurveLinear = 3 << 16,
};

enum class UIViewAnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

inline constexpr double UIViewBeginAnimationsDefaultDuration = 0.2;

// The timing function of a curve (linear, ease-in, ease-out, ease-in-ease-out control points).
CAMediaTimingFunctionRef UIViewAnimationTimingFunction(UIViewAnimationCurve curve);
// The curve encoded in option bits 16–19.
UIViewAnimationCurve UIViewAnimationCurveFromOptions(unsigned long options);

namespace uiview_animation {

// True while a block is open that animates (animations enabled, not performWithoutAnimation).
bool isAnimating();
// The action for a change of `key` on a view's layer, or none outside a block or for a key that
// does not animate. Called by UIView::actionForLayer.
objc::Ref<CAAnimation> actionForLayer(CALayer& layer, const std::string& key);
// Number of blocks whose completion has not run yet, for tests.
int pendingBlocksForTesting();

}  // namespace uiview_animation

}  // namespace ios
