#pragma once
// The wave view's own copy of the colour dictionary, loaded at library load in every process
// and reloaded on every change notification, independently of the theme's copy.

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"

namespace flint {

void loadWaveColorDictionary();
void observeWaveColorChanges();
std::shared_ptr<const ios::Dictionary> waveColorDictionary();
// The wave colour text (`flintWaveColor`), or none.
std::optional<std::string> waveColorText();
void resetWaveColorsForTesting();

}  // namespace flint
