#pragma once
// The replacement of the status bar's -layoutSubviews: it runs the previous implementation,
// then makes sure the bar carries the opening gesture that `gestureOption` asks for.

#include "platform/objc/Runtime.h"

namespace ios {
class UIView;
}

namespace flint {

// Replaces -layoutSubviews of `cls`, keeping the previous implementation.
void installLayoutHook(objc::Class* cls);

// The gesture table: the recogniser attached for an option (none outside 0 to 5).
struct GestureSetting {
    enum class Kind { None, Tap, Swipe } kind = Kind::None;
    int value = 0;  // taps required, or the swipe direction
};
GestureSetting gestureSettingForOption(std::int64_t option);

// Keeps at most one recogniser of the hook's own on the bar: none, or one matching the option.
// Recognisers attached by others are left alone.
void updateOpeningGesture(ios::UIView& bar, std::int64_t option);

}  // namespace flint
