#include "platform/springboard/DeviceConfiguration.h"

#include <filesystem>

#include "platform/bsd/Backend.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"

namespace ios {

namespace {

constexpr const char* kLogPrefix = "DeviceConfiguration: ";

std::optional<std::string> textFor(const Value& dict, const char* key) {
    const Value& v = dict[key];
    if (const std::string* s = v.string()) return *s;
    return std::nullopt;
}

}  // namespace

objc::Ref<UIColor> InstalledApplication::color() const {
    return UIColor::colorWithRed(((iconColor >> 16) & 0xff) / 255.0, ((iconColor >> 8) & 0xff) / 255.0,
                                 (iconColor & 0xff) / 255.0, 1);
}

std::optional<int> appearanceNamed(const std::string& name) {
    if (name == "unspecified") return 0;
    if (name == "light") return 1;
    if (name == "dark") return 2;
    return std::nullopt;
}

std::string appearanceName(int style) {
    switch (style) {
    case 1: return "light";
    case 2: return "dark";
    default: return "unspecified";
    }
}

std::optional<std::uint32_t> parseHexColor(const std::string& text) {
    std::string digits = !text.empty() && text.front() == '#' ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
}

std::string hexColorText(std::uint32_t rgb) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06X", rgb & 0xffffff);
    return buffer;
}

DeviceConfiguration DeviceConfiguration::defaults() {
    DeviceConfiguration c;
    c.applications = {
        {"com.apple.mobilephone", "Phone", 0x34C759},   {"com.apple.MobileSMS", "Messages", 0x30D158},
        {"com.apple.mobilesafari", "Safari", 0x0A84FF}, {"com.apple.Music", "Music", 0xFA2D48},
        {"com.apple.camera", "Camera", 0x636366},       {"com.apple.mobileslideshow", "Photos", 0xFF9F0A},
        {"com.apple.mobiletimer", "Clock", 0x1C1C1E},   {"com.apple.Preferences", "Settings", 0x8E8E93},
        {"com.apple.AppStore", "App Store", 0x0A7AFF},  {"com.apple.news", "News", 0xFF375F},
        {"com.apple.mobilenotes", "Notes", 0xFFD60A},   {"com.apple.mobilemail", "Mail", 0x1E90FF},
        {"com.apple.mobilecal", "Calendar", 0xFF453A},  {"com.apple.Maps", "Maps", 0x64D2FF},
        {"com.apple.weather", "Weather", 0x5AC8FA},     {"com.spotify.client", "Spotify", 0x1DB954},
    };
    c.nowPlaying = {
        {"Harbour Lights", "The Quiet Pines", "/var/mobile/Media/Artwork/harbour-lights.png"},
        {"Paper Planes at Dawn", "Mira Solen", "/var/mobile/Media/Artwork/paper-planes.png"},
        {"Static Bloom", "North of Nowhere", ""},
    };
    return c;
}

DeviceConfiguration DeviceConfiguration::fromValue(const Value& value) {
    DeviceConfiguration c = defaults();
    if (!value.isDictionary()) {
        NSLogLine(std::string(kLogPrefix) + "the file is not a dictionary; using the defaults");
        return c;
    }
    if (auto profile = textFor(value, "Profile")) {
        if (deviceProfileNamed(*profile))
            c.profile = *profile;
        else
            NSLogLine(std::string(kLogPrefix) + "unknown Profile \"" + *profile + "\"; using " + c.profile);
    }
    if (auto appearance = textFor(value, "Appearance")) {
        if (auto style = appearanceNamed(*appearance))
            c.appearance = *style;
        else
            NSLogLine(std::string(kLogPrefix) + "unknown Appearance \"" + *appearance + "\"; using " +
                      appearanceName(c.appearance));
    }
    if (const Value& apps = value["Applications"]; !apps.isNone()) {
        if (const Array* list = apps.array()) {
            c.applications.clear();
            for (std::size_t i = 0; i < list->size(); ++i) {
                const Value& entry = (*list)[i];
                auto identifier = textFor(entry, "BundleIdentifier");
                if (!identifier || identifier->empty()) {
                    NSLogLine(std::string(kLogPrefix) + "Applications[" + std::to_string(i) +
                              "] has no BundleIdentifier; skipped");
                    continue;
                }
                InstalledApplication app;
                app.bundleIdentifier = *identifier;
                app.name = textFor(entry, "Name").value_or(*identifier);
                if (auto colorText = textFor(entry, "IconColor")) {
                    if (auto rgb = parseHexColor(*colorText))
                        app.iconColor = *rgb;
                    else
                        NSLogLine(std::string(kLogPrefix) + "Applications[" + std::to_string(i) + "] IconColor \"" +
                                  *colorText + "\" is not #RRGGBB");
                }
                c.applications.push_back(std::move(app));
            }
        } else {
            NSLogLine(std::string(kLogPrefix) + "Applications is not an array; using the defaults");
        }
    }
    if (const Value& tracks = value["NowPlaying"]; !tracks.isNone()) {
        if (const Array* list = tracks.array()) {
            c.nowPlaying.clear();
            for (std::size_t i = 0; i < list->size(); ++i) {
                const Value& entry = (*list)[i];
                auto title = textFor(entry, "Title");
                if (!title) {
                    NSLogLine(std::string(kLogPrefix) + "NowPlaying[" + std::to_string(i) + "] has no Title; skipped");
                    continue;
                }
                c.nowPlaying.push_back(
                    {*title, textFor(entry, "Artist").value_or(""), textFor(entry, "Artwork").value_or("")});
            }
        } else {
            NSLogLine(std::string(kLogPrefix) + "NowPlaying is not an array; using the defaults");
        }
    }
    return c;
}

DeviceConfiguration DeviceConfiguration::load() {
    std::filesystem::path file = devicePath(kDeviceConfigurationPath);
    if (!std::filesystem::exists(file)) {
        NSLogLine(std::string(kLogPrefix) + "no file at " + kDeviceConfigurationPath + "; using the defaults");
        return defaults();
    }
    auto value = readPropertyListFile(file);
    if (!value) {
        NSLogLine(std::string(kLogPrefix) + kDeviceConfigurationPath +
                  " is not a readable property list; using the defaults");
        return defaults();
    }
    return fromValue(*value);
}

Value DeviceConfiguration::toValue() const {
    Dictionary root;
    root["Profile"] = profile;
    root["Appearance"] = appearanceName(appearance);
    Array apps;
    for (const auto& app : applications)
        apps.emplace_back(Dictionary{{"BundleIdentifier", app.bundleIdentifier},
                                     {"Name", app.name},
                                     {"IconColor", hexColorText(app.iconColor)}});
    root["Applications"] = std::move(apps);
    Array tracks;
    for (const auto& t : nowPlaying)
        tracks.emplace_back(Dictionary{{"Title", t.title}, {"Artist", t.artist}, {"Artwork", t.artworkPath}});
    root["NowPlaying"] = std::move(tracks);
    return Value(std::move(root));
}

bool DeviceConfiguration::save() const {
    std::filesystem::path file = devicePath(kDeviceConfigurationPath);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    return writePropertyListFile(toValue(), file);
}

const InstalledApplication* DeviceConfiguration::applicationWithIdentifier(const std::string& bundleIdentifier) const {
    for (const auto& app : applications)
        if (app.bundleIdentifier == bundleIdentifier) return &app;
    return nullptr;
}

std::optional<std::string> DeviceConfiguration::wifiNetworkName() {
    bsd::Backend& backend = bsd::backend();
    for (const std::string& name : backend.wifiInterfaces())
        if (auto network = backend.wifiNetworkName(name)) return network;
    return std::nullopt;
}

std::optional<std::string> DeviceConfiguration::carrierName() {
    bsd::CarrierFacts facts = bsd::backend().carrier();
    if (facts.exception || !facts.hasProvider) return std::nullopt;
    return facts.name;
}

}  // namespace ios
