#include "startup/FlintPreferences.h"

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/NumberDescription.h"
#include "platform/foundation/PropertyList.h"
#include "platform/services/HBPreferences.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"

// The library's initialiser runs the load routine, which may already replace slots and colour
// dictionaries; these globals are therefore initialised ahead of every default-priority
// initialiser of the library, the load routine's included.
#define FLINT_EARLY __attribute__((init_priority(101)))

std::string bundleID1 FLINT_EARLY = "com.apple.camera";
std::string bundleID2 FLINT_EARLY = "com.apple.mobileslideshow";
std::string bundleID3 FLINT_EARLY = "com.apple.mobilephone";
std::string bundleID4 FLINT_EARLY = "com.apple.AppStore";
std::string bundleID5 FLINT_EARLY = "com.apple.news";
std::string bundleID6 FLINT_EARLY = "com.apple.mobiletimer";
objc::Ref<ios::UIImpactFeedbackGenerator> gen FLINT_EARLY;

namespace flint {

namespace {

std::shared_ptr<const ios::Dictionary> g_colors FLINT_EARLY = std::make_shared<const ios::Dictionary>();
objc::Ref<ios::HBPreferences> g_preferences;

void colorsChanged(ios::CFNotificationCenterRef, void*, const std::string&, const void*, const ios::Value*) {
    loadColorDictionary();
}

ios::Value current(const char* key, ios::Value fallback) {
    return g_preferences ? g_preferences->objectForKey(key) : fallback;
}

std::string textOf(const ios::Value& value) { return ios::textOfValue(value).value_or(""); }

}  // namespace

void loadColorDictionary() {
    auto read = ios::dictionaryWithContentsOfFile(kColorFilePath);
    g_colors = std::make_shared<const ios::Dictionary>(read ? std::move(*read) : ios::Dictionary{});
}

std::shared_ptr<const ios::Dictionary> colorDictionary() { return g_colors; }

std::optional<std::string> colorText(const std::string& key) {
    auto colors = g_colors;
    auto it = colors->find(key);
    if (it == colors->end()) return std::nullopt;
    return it->second.stringValue();
}

void observeColorChanges() {
    ios::CFNotificationCenterAddObserver(ios::CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &colorsChanged,
                                         kPreferencesChanged, nullptr, ios::CFNotificationSuspensionBehavior::Coalesce);
}

void bringUpPreferences() {
    g_preferences = objc::make<ios::HBPreferences>(kPreferencesDomain);
    auto& store = *g_preferences;
    store.registerBool(false, "enableAll");
    store.registerObject("adaptiveMode", "appearanceMode");

    // A number (or numeric text) left by an older settings pane becomes adaptive mode for good;
    // both mode names read as 0.
    if (store.objectForKey("appearanceMode").integerValue() >= 1) store.setObject("adaptiveMode", "appearanceMode");

    store.registerInteger(0, "gestureOption");
    store.registerObject(ios::Value(), "icloudAvatarImage");
    store.registerBool(false, "enableWave");
    store.registerBool(false, "enableMusicShortcut");
    store.registerObject("iCloud", "userNameString");
    store.registerObject(kDefaultRedditUrl, "redditUrlString");
    store.registerObject(kDefaultTwitterUrl, "twitterUrlString");
    store.registerObject("10", "screenshotTimerString");
    store.registerObject("10", "lockscreenTimerString");
    store.registerPreferenceChangeBlock(&reloadApplicationSlots);
}

ios::HBPreferences* preferences() { return g_preferences.get(); }

std::string& applicationSlot(int n) {
    static std::string* const slots[] = {&bundleID1, &bundleID2, &bundleID3, &bundleID4, &bundleID5, &bundleID6};
    return *slots[(n >= 1 && n <= 6 ? n : 1) - 1];
}

void reloadApplicationSlots() {
    for (int n = 1; n <= 6; ++n) {
        // The file is read afresh for each slot.
        auto slots = ios::dictionaryWithContentsOfFile(kSlotFilePath);
        if (!slots) continue;
        auto it = slots->find("App" + std::to_string(n));
        if (it == slots->end()) continue;
        if (auto text = it->second.stringValue()) applicationSlot(n) = *text;
    }
}

bool enableAll() { return current("enableAll", false).boolValue(); }
std::string appearanceMode() { return textOf(current("appearanceMode", "adaptiveMode")); }
std::int64_t gestureOption() { return current("gestureOption", 0).integerValue(); }
ios::Value icloudAvatarImage() { return current("icloudAvatarImage", {}); }
bool enableWave() { return current("enableWave", false).boolValue(); }
bool enableMusicShortcut() { return current("enableMusicShortcut", false).boolValue(); }
std::string userNameString() { return textOf(current("userNameString", "iCloud")); }
std::string redditUrlString() { return textOf(current("redditUrlString", kDefaultRedditUrl)); }
std::string twitterUrlString() { return textOf(current("twitterUrlString", kDefaultTwitterUrl)); }
std::string screenshotTimerString() { return textOf(current("screenshotTimerString", "10")); }
std::string lockscreenTimerString() { return textOf(current("lockscreenTimerString", "10")); }

void resetPreferencesForTesting() {
    g_preferences.reset();
    g_colors = std::make_shared<const ios::Dictionary>();
    bundleID1 = "com.apple.camera";
    bundleID2 = "com.apple.mobileslideshow";
    bundleID3 = "com.apple.mobilephone";
    bundleID4 = "com.apple.AppStore";
    bundleID5 = "com.apple.news";
    bundleID6 = "com.apple.mobiletimer";
    gen.reset();
}

}  // namespace flint
