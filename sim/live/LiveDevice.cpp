#include "sim/live/LiveDevice.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/quartz/CALayer.h"
#include "platform/springboard/DeviceConfiguration.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScreenRetainedFrame.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIWindow.h"
#include "sim/device/Device.h"
#include "startup/FlintPreferences.h"

namespace flint::live {

namespace {

constexpr std::size_t kLogTailLines = 200;
constexpr std::size_t kKeptDownloads = 8;
constexpr const char* kSaveToDownloadsType = "org.flint.live.save-to-downloads";

// The settings pane's keys with their defaults, as the system registers them, and the colour
// file's keys.
struct PreferenceKey {
    const char* key;
    const char* kind;  // "bool", "integer", "text"
    ios::Value defaultValue;
};

const std::vector<PreferenceKey>& preferenceKeys() {
    static const std::vector<PreferenceKey> keys = {
        {"enableAll", "bool", false},
        {"appearanceMode", "text", "adaptiveMode"},
        {"gestureOption", "integer", std::int64_t{0}},
        {"enableWave", "bool", false},
        {"enableMusicShortcut", "bool", false},
        {"userNameString", "text", "iCloud"},
        {"redditUrlString", "text", kDefaultRedditUrl},
        {"twitterUrlString", "text", kDefaultTwitterUrl},
        {"screenshotTimerString", "text", "10"},
        {"lockscreenTimerString", "text", "10"},
        {"App1", "text", ""},
        {"App2", "text", ""},
        {"App3", "text", ""},
        {"App4", "text", ""},
        {"App5", "text", ""},
        {"App6", "text", ""},
    };
    return keys;
}

const std::vector<const char*>& colorKeys() {
    static const std::vector<const char*> keys = {"flintBackgroundColor", "flintContainerColor", "flintLabelColor",
                                                  "flintButtonColor",     "flintImageColor",     "flintBannerColor",
                                                  "flintWaveColor"};
    return keys;
}

nlohmann::json toJson(const ios::Value& value) {
    if (value.isBool()) return value.boolValue();
    if (value.isInteger()) return value.integerValue();
    if (value.isReal()) return value.doubleValue();
    if (value.isString()) return *value.string();
    return nullptr;
}

bool layerAnimates(const ios::CALayer& layer) {
    if (layer.hasAnimations()) return true;
    for (const auto& sublayer : layer.sublayers())
        if (layerAnimates(*sublayer)) return true;
    return false;
}

std::string describeOpening(const ios::SBOpenRecord& r) {
    using Result = ios::SBOpenRecord::Result;
    switch (r.result) {
    case Result::Application: return "application " + r.target + " launched";
    case Result::SettingsPage: return "settings page " + r.target + " opened";
    case Result::WebPage: return "address " + r.target + " opened";
    case Result::Nothing: return "nothing opened for " + r.request;
    }
    return {};
}

ios::UITouchPhase touchPhase(TouchPhase phase) {
    switch (phase) {
    case TouchPhase::Began: return ios::UITouchPhase::Began;
    case TouchPhase::Moved: return ios::UITouchPhase::Moved;
    case TouchPhase::Ended: return ios::UITouchPhase::Ended;
    case TouchPhase::Cancelled: return ios::UITouchPhase::Cancelled;
    }
    return ios::UITouchPhase::Cancelled;
}

}  // namespace

LiveDevice::LiveDevice(const LiveOptions& options) : m_profile(options.profile) {
    sim::BootOptions boot;
    boot.root = options.root;
    boot.profile = options.profile;
    boot.appearance = options.appearance;
    sim::applyBackendChoice(boot, options.backend);
    // A fresh root gets the panel's parts switched on; a root with settings keeps them.
    bool hasSettings =
        !options.root.empty() && std::filesystem::exists(options.root / "private/var/mobile/Library/Preferences" /
                                                         (std::string(kPreferencesDomain) + ".plist"));
    if (!hasSettings) boot.preferences = {{"enableAll", true}, {"enableWave", true}, {"enableMusicShortcut", true}};
    m_device = std::make_unique<sim::Device>(boot);
    std::error_code ec;
    std::filesystem::create_directories(ios::devicePath(ios::kNotifySpoolFolder), ec);
    std::string error;
    if (!m_device->loadLibrary(error)) throw std::runtime_error("cannot load the library: " + error);
    m_device->bootHomeScreen();
    // Every share sheet of the live device can hand its image to the browser.
    ios::UIActivityViewController::addProcessActivity(ios::UIActivity::activityWithType(
        kSaveToDownloadsType, "Save to Downloads",
        [this](const std::vector<objc::id>& items, ios::UIActivity::Finished finished) {
            auto image = ios::UIActivity::firstImage(items);
            if (image) offerDownload(image);
            finished(image != nullptr);
        }));
    const auto& profile = ios::Process::shared().profile();
    m_appearance = profile.userInterfaceStyle;
    // The device's own scale: its @3x images and backing stores then draw one to one, which costs
    // the compositor less than resampling them to fewer pixels.
    m_scale = options.scale > 0 ? options.scale : profile.scale;
    auto& loop = ios::Process::shared().runLoop();
    loop.runUntilIdle();
    m_mediaStart = loop.now();
    m_wallStart = std::chrono::steady_clock::now();
    m_logSeen = ios::Process::shared().log().lines().size();
    m_hapticsSeen = ios::HapticsLog::shared().events().size();
    m_openingsSeen = ios::HomeScreen::shared().openRecords().size();
    m_photosSeen = photoCount();
    m_lockedSeen = ios::HomeScreen::shared().isLocked();
}

LiveDevice::~LiveDevice() = default;

const std::filesystem::path& LiveDevice::root() const { return m_device->root(); }

int LiveDevice::pixelWidth() const {
    return static_cast<int>(std::ceil(ios::Process::shared().profile().width * m_scale));
}
int LiveDevice::pixelHeight() const {
    return static_cast<int>(std::ceil(ios::Process::shared().profile().height * m_scale));
}

std::string LiveDevice::apply(const InputMessage& message) {
    // Input happens at its own moment: touches carry the time they arrived, not the last frame's.
    followWallClock();
    m_changed = true;
    if (auto* touch = std::get_if<TouchMessage>(&message)) {
        ios::sendTouch(touchPhase(touch->phase), ios::CGPointMake(touch->x, touch->y), touch->finger);
        return {};
    }
    if (auto* key = std::get_if<KeyMessage>(&message)) {
        bool taken = key->kind == KeyMessage::Kind::Text        ? ios::typeText(key->text)
                     : key->kind == KeyMessage::Kind::Backspace ? ios::pressBackspace()
                                                                : ios::pressReturn();
        return taken ? std::string() : "no text field has the focus";
    }
    if (auto* appearance = std::get_if<AppearanceMessage>(&message)) {
        m_appearance = appearance->style;
        ios::Process::shared().mutableProfile().userInterfaceStyle = m_appearance;
        ios::UITraitCollection::setCurrentUserInterfaceStyle(static_cast<ios::UIUserInterfaceStyle>(m_appearance));
        return {};
    }
    if (auto* pref = std::get_if<PreferenceMessage>(&message)) return applyPreference(*pref);
    if (auto* button = std::get_if<ButtonMessage>(&message)) {
        auto& home = ios::HomeScreen::shared();
        if (button->kind == ButtonMessage::Kind::Home)
            home.goHome();
        else if (home.isLocked())
            home.unlock();
        else
            home.lock();
        return {};
    }
    return "a profile change reboots the device";
}

// As the settings pane writes: the whole file with the one key changed, then the change
// notification.
std::string LiveDevice::applyPreference(const PreferenceMessage& pref) {
    const std::string path = pref.colors ? kColorFilePath : kSlotFilePath;
    bool exists = std::filesystem::exists(ios::devicePath(path));
    auto read = ios::dictionaryWithContentsOfFile(path);
    if (exists && !read) return path + " is not a readable property list; not overwriting it";
    ios::Dictionary values = read.value_or(ios::Dictionary{});
    switch (pref.kind) {
    case PreferenceMessage::Kind::Unset: values.erase(pref.key); break;
    case PreferenceMessage::Kind::Bool: values[pref.key] = pref.boolValue; break;
    case PreferenceMessage::Kind::Integer: values[pref.key] = pref.integerValue; break;
    case PreferenceMessage::Kind::Real: values[pref.key] = pref.realValue; break;
    case PreferenceMessage::Kind::Text: values[pref.key] = pref.textValue; break;
    }
    if (!ios::writeDictionaryToFile(values, path)) return "cannot write " + path;
    ios::CFNotificationCenterPostNotification(ios::CFNotificationCenterGetDarwinNotifyCenter(), kPreferencesChanged,
                                              nullptr, nullptr, true);
    return {};
}

void LiveDevice::followWallClock() {
    auto& loop = ios::Process::shared().runLoop();
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wallStart).count();
    double target = std::max(loop.now(), m_mediaStart + elapsed);
    double next = loop.nextFireTime();
    if (next >= 0 && next <= target) m_changed = true;
    loop.advanceTo(target);
}

bool LiveDevice::advanceToWallClock() {
    followWallClock();
    bool changed = m_changed || isAnimating();
    m_changed = false;
    return changed;
}

bool LiveDevice::isAnimating() const {
    if (ios::activeTouchCount() > 0) return true;
    for (ios::UIWindow* window : ios::UIScreen::mainScreen()->visibleWindows())
        if (layerAnimates(*window->layer())) return true;
    return false;
}

double LiveDevice::secondsUntilNextTask() const {
    auto& loop = ios::Process::shared().runLoop();
    double next = loop.nextFireTime();
    return next < 0 ? -1 : std::max(0.0, next - loop.now());
}

ios::CARetainedRenderer& LiveDevice::compose() { return ios::UIScreenRetainedFrame(m_scale); }

std::string LiveDevice::addPhoto(const std::vector<std::uint8_t>& bytes) {
    auto size = encodedImageSize(bytes.data(), bytes.size());
    if (!size) return "not a PNG or JPEG image";
    if (size->width > kMaxImageSide || size->height > kMaxImageSide)
        return "the image is " + std::to_string(size->width) + " × " + std::to_string(size->height) +
               " pixels; at most 8192 on a side";
    auto image = ios::UIImage::imageWithData(bytes);
    if (!image) return "the image cannot be decoded";
    std::string error;
    if (ios::UIPhotoLibrary::shared().saveImage(image, error).empty()) return "cannot save the photo: " + error;
    m_changed = true;
    return {};
}

void LiveDevice::offerDownload(const objc::Ref<ios::UIImage>& image) {
    auto bytes = ios::UIImagePNGRepresentation(image);
    if (bytes.empty()) {
        ios::NSLogLine("live view: the shared image could not be encoded; nothing to download");
        return;
    }
    std::size_t number = m_nextDownload++;
    m_downloads[number] = std::move(bytes);
    while (m_downloads.size() > kKeptDownloads) m_downloads.erase(m_downloads.begin());
    std::string name = "flint-" + std::to_string(number) + ".png";
    m_events.push_back({{"type", "download"}, {"url", "/downloads/" + name}, {"name", name}});
}

const std::vector<std::uint8_t>* LiveDevice::download(std::size_t number) const {
    auto it = m_downloads.find(number);
    return it == m_downloads.end() ? nullptr : &it->second;
}

std::size_t LiveDevice::photoCount() const { return ios::UIPhotoLibrary::shared().photoCount(); }

std::filesystem::path LiveDevice::photoPath(std::size_t index) const {
    auto paths = ios::UIPhotoLibrary::shared().photoPaths();
    return index < paths.size() ? paths[index] : std::filesystem::path();
}

nlohmann::json LiveDevice::state() const {
    nlohmann::json s;
    const auto& profile = ios::Process::shared().profile();
    s["type"] = "state";
    s["profile"] = m_profile;
    nlohmann::json profiles = nlohmann::json::array();
    for (const auto& p : ios::deviceProfiles()) profiles.push_back(p.name);
    s["profiles"] = profiles;
    s["appearance"] = ios::appearanceName(m_appearance);
    s["width"] = profile.width;
    s["height"] = profile.height;
    s["scale"] = m_scale;
    s["pixelWidth"] = pixelWidth();
    s["pixelHeight"] = pixelHeight();
    s["photos"] = photoCount();
    s["locked"] = ios::HomeScreen::shared().isLocked();
    const auto& lines = ios::Process::shared().log().lines();
    nlohmann::json log = nlohmann::json::array();
    for (std::size_t i = lines.size() > kLogTailLines ? lines.size() - kLogTailLines : 0; i < lines.size(); ++i)
        log.push_back(lines[i]);
    s["log"] = log;
    auto domain = ios::dictionaryWithContentsOfFile(kSlotFilePath).value_or(ios::Dictionary{});
    nlohmann::json prefs = nlohmann::json::array();
    for (const auto& key : preferenceKeys()) {
        auto it = domain.find(key.key);
        prefs.push_back({{"key", key.key},
                         {"kind", key.kind},
                         {"value", toJson(it != domain.end() ? it->second : key.defaultValue)}});
    }
    s["preferences"] = prefs;
    auto colours = ios::dictionaryWithContentsOfFile(kColorFilePath).value_or(ios::Dictionary{});
    nlohmann::json colourList = nlohmann::json::array();
    for (const char* key : colorKeys()) {
        auto it = colours.find(key);
        colourList.push_back({{"key", key}, {"value", it != colours.end() ? toJson(it->second) : nlohmann::json("")}});
    }
    s["colors"] = colourList;
    return s;
}

std::vector<nlohmann::json> LiveDevice::takeEvents() {
    std::vector<nlohmann::json> events = std::move(m_events);
    m_events.clear();
    const auto& lines = ios::Process::shared().log().lines();
    if (lines.size() < m_logSeen) m_logSeen = 0;
    if (lines.size() > m_logSeen) {
        nlohmann::json added = nlohmann::json::array();
        for (std::size_t i = std::max(m_logSeen, lines.size() > kLogTailLines ? lines.size() - kLogTailLines : 0);
             i < lines.size(); ++i)
            added.push_back(lines[i]);
        events.push_back({{"type", "log"}, {"lines", added}});
        m_logSeen = lines.size();
    }
    const auto& haptics = ios::HapticsLog::shared().events();
    for (std::size_t i = m_hapticsSeen; i < haptics.size(); ++i)
        events.push_back({{"type", "world"}, {"kind", "haptic"}, {"text", "haptic felt"}});
    m_hapticsSeen = haptics.size();
    const auto& openings = ios::HomeScreen::shared().openRecords();
    for (std::size_t i = m_openingsSeen; i < openings.size(); ++i)
        events.push_back({{"type", "world"}, {"kind", "open"}, {"text", describeOpening(openings[i])}});
    m_openingsSeen = openings.size();
    bool locked = ios::HomeScreen::shared().isLocked();
    if (locked != m_lockedSeen)
        events.push_back({{"type", "world"}, {"kind", "lock"}, {"text", locked ? "device locked" : "device unlocked"}});
    m_lockedSeen = locked;
    std::size_t photos = photoCount();
    if (photos != m_photosSeen) events.push_back({{"type", "photos"}, {"count", photos}});
    m_photosSeen = photos;
    return events;
}

}  // namespace flint::live
