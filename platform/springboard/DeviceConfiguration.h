#pragma once
// The simulated device's configuration, a property list in the device root at
// kDeviceConfigurationPath:
//
//   <dict>
//     <key>Profile</key>      <string>iphone-x</string>          iphone-8, iphone-8-plus, iphone-x, iphone-11
//     <key>Appearance</key>   <string>dark</string>              light, dark or unspecified
//     <key>Applications</key> <array>                             installed applications, in home-screen order
//       <dict><key>BundleIdentifier</key><string>com.apple.Music</string>
//             <key>Name</key><string>Music</string>
//             <key>IconColor</key><string>#FA2D48</string></dict> …
//     </array>
//     <key>NowPlaying</key>   <array>                             the media library
//       <dict><key>Title</key><string>…</string><key>Artist</key><string>…</string>
//             <key>Artwork</key><string>/var/mobile/Media/Artwork/1.png</string></dict> …
//     </array>
//   </dict>
//
// The Wi-Fi network and the carrier are network facts: they live in the device's network file
// (bsd::DeviceNetwork, "Library/Preferences/SystemConfiguration/FlintDeviceNetwork.json") and are
// read through the process's network back end, so the home screen, the captive-network and the
// telephony stand-ins always agree.
//
// A missing or unreadable file gives the defaults with one log line; a malformed entry is skipped
// with a log line naming it; a missing key takes its default.

#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/graphics/UIColor.h"

namespace ios {

inline constexpr const char* kDeviceConfigurationPath = "/var/mobile/Library/Flint/DeviceConfiguration.plist";

struct InstalledApplication {
    std::string bundleIdentifier;
    std::string name;
    std::uint32_t iconColor = 0x8E8E93;  // 0xRRGGBB
    objc::Ref<UIColor> color() const;
};

struct MediaTrack {
    std::string title;
    std::string artist;
    std::string artworkPath;  // device path; empty for none
};

class DeviceConfiguration {
public:
    std::string profile = "iphone-x";
    int appearance = 2;  // UIUserInterfaceStyle: 0 unspecified, 1 light, 2 dark
    std::vector<InstalledApplication> applications;
    std::vector<MediaTrack> nowPlaying;

    // The configuration of a device made on demand.
    static DeviceConfiguration defaults();
    // Reads the current process's file (kDeviceConfigurationPath under its device root).
    static DeviceConfiguration load();
    static DeviceConfiguration fromValue(const Value& value);
    Value toValue() const;
    // Writes the current process's file; false when it cannot be written.
    bool save() const;

    const InstalledApplication* applicationWithIdentifier(const std::string& bundleIdentifier) const;

    // The network facts, from the process's network back end: the network joined by the first
    // Wi-Fi interface that has joined one (none when none has) and the subscriber's carrier (none
    // without a SIM or when the telephony service fails).
    static std::optional<std::string> wifiNetworkName();
    static std::optional<std::string> carrierName();
};

// "light", "dark", "unspecified" ↔ 1, 2, 0; none for any other text.
std::optional<int> appearanceNamed(const std::string& name);
std::string appearanceName(int style);
// "#RRGGBB" or "RRGGBB" → 0xRRGGBB; none otherwise.
std::optional<std::uint32_t> parseHexColor(const std::string& text);
std::string hexColorText(std::uint32_t rgb);

}  // namespace ios
