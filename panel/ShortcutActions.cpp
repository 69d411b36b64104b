#include "panel/ShortcutActions.h"

#include "startup/ScreenSupport.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIApplication.h"
#include "startup/FlintPreferences.h"

namespace flint {

namespace {

void finish(FlintHost& host) {
    screens::fireMediumImpact();
    ios::performSelectorAfterDelay(host.self(), objc::sel("dismissFlintWindow"), nullptr, 0);
}

void launch(FlintHost& host, const std::string& bundleIdentifier) {
    ios::UIApplication::sharedApplication()->launchApplicationWithIdentifier(bundleIdentifier, false);
    finish(host);
}

void openPlain(FlintHost& host, const char* address) {
    ios::UIApplication::sharedApplication()->openURL(std::string(address));
    finish(host);
}

void openWithOptions(FlintHost& host, const std::string& address) {
    ios::UIApplication::sharedApplication()->openURL(address, ios::Dictionary{}, nullptr);
    finish(host);
}

}  // namespace

void flintOpenApps1(FlintHost& host) { launch(host, bundleID1); }
void flintOpenApps2(FlintHost& host) { launch(host, bundleID2); }
void flintOpenApps3(FlintHost& host) { launch(host, bundleID3); }
void flintOpenApps4(FlintHost& host) { launch(host, bundleID4); }
void flintOpenApps5(FlintHost& host) { launch(host, bundleID5); }
void flintOpenApps6(FlintHost& host) { launch(host, bundleID6); }
void launchIcloud(FlintHost& host) { openPlain(host, "prefs:root=CASTLE"); }
void launchSettings(FlintHost& host) { launch(host, "com.apple.Preferences"); }
void launchTwitter(FlintHost& host) { openWithOptions(host, twitterUrlString()); }
void launchReddit(FlintHost& host) { openWithOptions(host, redditUrlString()); }
void launchWiFi(FlintHost& host) { openPlain(host, "prefs:root=WIFI"); }
void launchCellular(FlintHost& host) { openPlain(host, "prefs:root=MOBILE_DATA_SETTINGS_ID"); }
void launchMusic(FlintHost& host) { launch(host, "com.apple.Music"); }
void launchSpotify(FlintHost& host) { launch(host, "com.spotify.client"); }

const ActionTable shortcutActions FLINT_ACTION_TABLE = {
    {"flintOpenApps1", flintOpenApps1}, {"flintOpenApps2", flintOpenApps2}, {"flintOpenApps3", flintOpenApps3},
    {"flintOpenApps4", flintOpenApps4}, {"flintOpenApps5", flintOpenApps5}, {"flintOpenApps6", flintOpenApps6},
    {"launchIcloud", launchIcloud},     {"launchSettings", launchSettings}, {"launchTwitter", launchTwitter},
    {"launchReddit", launchReddit},     {"launchWiFi", launchWiFi},         {"launchCellular", launchCellular},
    {"launchMusic", launchMusic},       {"launchSpotify", launchSpotify},
};

}  // namespace flint
