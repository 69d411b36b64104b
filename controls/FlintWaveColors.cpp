#include "controls/FlintWaveColors.h"

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/PropertyList.h"
#include "startup/FlintPreferences.h"

namespace flint {

namespace {

// Initialised ahead of the library initialiser that loads it (see the application slots).
std::shared_ptr<const ios::Dictionary> g_waveColors __attribute__((init_priority(101))) =
    std::make_shared<const ios::Dictionary>();

void waveColorsChanged(ios::CFNotificationCenterRef, void*, const std::string&, const void*, const ios::Value*) {
    loadWaveColorDictionary();
}

}  // namespace

void loadWaveColorDictionary() {
    auto read = ios::dictionaryWithContentsOfFile(kColorFilePath);
    g_waveColors = std::make_shared<const ios::Dictionary>(read ? std::move(*read) : ios::Dictionary{});
}

void observeWaveColorChanges() {
    ios::CFNotificationCenterAddObserver(ios::CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &waveColorsChanged,
                                         kPreferencesChanged, nullptr, ios::CFNotificationSuspensionBehavior::Coalesce);
}

std::shared_ptr<const ios::Dictionary> waveColorDictionary() { return g_waveColors; }

std::optional<std::string> waveColorText() {
    auto colors = g_waveColors;
    auto it = colors->find("flintWaveColor");
    return it == colors->end() ? std::nullopt : it->second.stringValue();
}

void resetWaveColorsForTesting() { g_waveColors = std::make_shared<const ios::Dictionary>(); }

}  // namespace flint
