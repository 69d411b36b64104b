#pragma once
// The nine theme colours (the colour type's Container category), resolved afresh at every call:
// in colour mode from the colour dictionary, in adaptive mode from the device's light or dark
// appearance. Each colour keeps the last value it resolved to and returns it when nothing
// resolves (adaptive mode with an unspecified style, or an unknown mode): null before the first.

#include "platform/graphics/UIColor.h"

namespace flint {

ios::UIColorRef flintContainerColor();
ios::UIColorRef flintLabelColor();
ios::UIColorRef flintButtonColor();
ios::UIColorRef flintImageColor();
ios::UIColorRef flintBannerColor();
ios::UIColorRef showcaseNavbarColor();
ios::UIColorRef showcaseBackgroundColor();
ios::UIColorRef showcaseToolColor();
ios::UIColorRef showcasePillColor();

// Forgets every colour's last value.
void resetThemeColorsForTesting();

}  // namespace flint
