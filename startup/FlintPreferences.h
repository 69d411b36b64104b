#pragma once
// The process-wide view of the settings: the preferences store of the domain, the colour
// dictionary and the six application slots.

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/objc/Runtime.h"

namespace ios {
class HBPreferences;
class UIImpactFeedbackGenerator;
}  // namespace ios

// The application slots, exported under their own (unmangled) names.
extern "C" {
extern std::string bundleID1;
extern std::string bundleID2;
extern std::string bundleID3;
extern std::string bundleID4;
extern std::string bundleID5;
extern std::string bundleID6;
// The haptic generator of the panel's shortcuts, countdowns and transport buttons: replaced by a
// new generator at each use, then fired.
extern objc::Ref<ios::UIImpactFeedbackGenerator> gen;
}

namespace flint {

inline constexpr const char* kPreferencesDomain = "com.quillmoth.FlintPrefs";
inline constexpr const char* kPreferencesChanged = "com.quillmoth.FlintPrefs/preferences.changed";
inline constexpr const char* kColorFilePath =
    "/private/var/mobile/Library/Preferences/com.quillmoth.FlintPrefs.color.plist";
inline constexpr const char* kSlotFilePath = "/var/mobile/Library/Preferences/com.quillmoth.FlintPrefs.plist";
inline constexpr const char* kFallbackColor = "#131314";
inline constexpr const char* kDefaultRedditUrl = "https://www.reddit.com/r/jailbreak/";
inline constexpr const char* kDefaultTwitterUrl = "https://twitter.com/";

// Reads the colour file into a fresh dictionary (empty when missing or unreadable) and makes it
// the colour dictionary.
void loadColorDictionary();
// The current colour dictionary; the reference stays valid until the next reload.
std::shared_ptr<const ios::Dictionary> colorDictionary();
// The text under a colour key, or none.
std::optional<std::string> colorText(const std::string& key);
// Registers the system-wide observer whose callback reloads the colour dictionary.
void observeColorChanges();

// Creates the store, registers every key with its default, applies the appearance-mode
// correction and registers the slot reload as the change block.
void bringUpPreferences();
// The store; null in processes that did not qualify.
ios::HBPreferences* preferences();
// The slot reload: each slot takes the file's "App<n>" value when present.
void reloadApplicationSlots();
std::string& applicationSlot(int n);  // n = 1 to 6

// Typed readers of the current values (defaults where there is no store).
bool enableAll();
std::string appearanceMode();
std::int64_t gestureOption();
ios::Value icloudAvatarImage();
bool enableWave();
bool enableMusicShortcut();
std::string userNameString();
std::string redditUrlString();
std::string twitterUrlString();
std::string screenshotTimerString();
std::string lockscreenTimerString();

// Puts every process-wide value of this subsystem back as at load, for tests.
void resetPreferencesForTesting();

}  // namespace flint
