#include "platform/springboard/HomeScreen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/springboard/SBApplicationScreenView.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/springboard/SBIconView.h"
#include "platform/springboard/SBLockScreenView.h"
#include "platform/springboard/SBWallpaperView.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

namespace {

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct ParsedAddress {
    SBOpenRecord::Result kind = SBOpenRecord::Result::Nothing;
    std::string target;
    std::string why;  // for addresses that open nothing
};

ParsedAddress classifyAddress(const std::string& address) {
    ParsedAddress parsed;
    if (address.empty()) {
        parsed.why = "empty address";
        return parsed;
    }
    if (address.find_first_of(" \t\r\n") != std::string::npos) {
        parsed.why = "malformed address";
        return parsed;
    }
    auto colon = address.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(address[0])) ||
        address.substr(0, colon).find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.") != std::string::npos) {
        parsed.why = "malformed address";
        return parsed;
    }
    std::string scheme = lowercase(address.substr(0, colon));
    std::string rest = address.substr(colon + 1);
    if (scheme == "prefs" || scheme == "app-prefs") {
        if (rest.rfind("root=", 0) != 0) {
            parsed.why = "a settings address needs root=PAGE";
            return parsed;
        }
        std::string root = rest.substr(5, rest.find('&') == std::string::npos ? std::string::npos : rest.find('&') - 5);
        if (root.empty()) {
            parsed.why = "a settings address needs root=PAGE";
            return parsed;
        }
        parsed.kind = SBOpenRecord::Result::SettingsPage;
        parsed.target = root;
        return parsed;
    }
    if (scheme == "http" || scheme == "https") {
        if (rest.rfind("//", 0) != 0) {
            parsed.why = "malformed address";
            return parsed;
        }
        std::string authority =
            rest.substr(2, rest.find_first_of("/?#", 2) == std::string::npos ? std::string::npos
                                                                             : rest.find_first_of("/?#", 2) - 2);
        auto at = authority.rfind('@');
        std::string host = at == std::string::npos ? authority : authority.substr(at + 1);
        if (host.empty() || host.front() == ':') {
            parsed.why = "a web address needs a host";
            return parsed;
        }
        parsed.kind = SBOpenRecord::Result::WebPage;
        parsed.target = address;
        return parsed;
    }
    parsed.why = "no application opens \"" + scheme + ":\" addresses";
    return parsed;
}

}  // namespace

HomeScreen& HomeScreen::shared() { return Process::shared().attached<HomeScreen>(); }

HomeScreen::~HomeScreen() {
    if (m_clockToken)
        if (Process* p = Process::current()) p->runLoop().cancel(m_clockToken);
}

objc::Ref<_UIStatusBar> HomeScreen::statusBar() {
    if (!m_statusBar) {
        const auto& profile = Process::shared().profile();
        m_statusBar = objc::make<_UIStatusBar>();
        m_statusBar->setFrame(CGRectMake(0, 0, profile.width, profile.statusBarHeight));
    }
    return m_statusBar;
}

void HomeScreen::layoutStatusBar() {
    auto bar = statusBar();
    bar->setNeedsLayout();
    bar->layoutIfNeeded();
}

const DeviceConfiguration& HomeScreen::configuration() {
    if (!m_configuration) m_configuration = DeviceConfiguration::load();
    return *m_configuration;
}

void HomeScreen::boot() {
    if (m_booted) return;
    m_booted = true;
    configuration();
    UIApplication::installSharedApplication(objc::make<SpringBoard>());
    buildHomeWindow();
    buildStatusBarWindow();
    scheduleClockTick();
}

CGRect HomeScreen::iconViewFrame(std::size_t index) const {
    const auto& profile = Process::shared().profile();
    constexpr int kColumns = 4;
    bool notched = profile.statusBarHeight > 30;
    CGFloat spacing = (profile.width - kColumns * SBIconView::kIconSide) / (kColumns + 1);
    CGFloat rowPitch = notched ? 100 : 90;
    CGFloat top = profile.statusBarHeight + (notched ? 16 : 14);
    std::size_t column = index % kColumns, row = index / kColumns;
    CGFloat iconX = spacing + column * (SBIconView::kIconSide + spacing);
    return CGRectMake(std::round(iconX - (SBIconView::kWidth - SBIconView::kIconSide) / 2), top + row * rowPitch,
                      SBIconView::kWidth, SBIconView::kHeight);
}

void HomeScreen::buildHomeWindow() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    m_homeWindow = objc::make<UIWindow>(screen);
    m_homeWindow->setWindowLevel(UIWindowLevelNormal);
    m_wallpaper = objc::make<SBWallpaperView>(screen);
    m_wallpaper->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_homeWindow->addSubview(m_wallpaper);
    const auto& applications = configuration().applications;
    for (std::size_t i = 0; i < applications.size(); ++i) {
        CGRect frame = iconViewFrame(i);
        if (CGRectGetMaxY(frame) > screen.size.height) {
            NSLogLine("HomeScreen: " + std::to_string(applications.size() - i) +
                      " applications do not fit on the first page");
            break;
        }
        auto icon = objc::make<SBIconView>(applications[i]);
        icon->setFrame(frame);
        m_homeWindow->addSubview(icon);
        m_icons.push_back(icon);
    }
    m_homeWindow->makeKeyAndVisible();
}

void HomeScreen::buildStatusBarWindow() {
    auto bar = statusBar();
    m_statusBarWindow = objc::make<UIWindow>(CGRectMake(0, 0, bar->bounds().size.width, bar->bounds().size.height));
    m_statusBarWindow->setWindowLevel(UIWindowLevelStatusBar);
    m_statusBarWindow->addSubview(bar);
    m_statusBarWindow->setHidden(false);
}

void HomeScreen::scheduleClockTick() {
    Process& process = Process::shared();
    double now = process.runLoop().now();
    double shown = _UIStatusBar::kClockBaseTime + now;
    double next = (std::floor(shown / 60) + 1) * 60 - _UIStatusBar::kClockBaseTime;
    m_clockToken = process.runLoop().scheduleAt(next, [this] { clockTick(); });
}

void HomeScreen::clockTick() {
    m_clockToken = 0;
    // A new minute changes the status bar's content, so it is laid out again.
    if (m_statusBar) {
        m_statusBar->refreshTime();
        layoutStatusBar();
    }
    if (m_lockView) m_lockView->refreshTime();
    scheduleClockTick();
}

InstalledApplication HomeScreen::applicationOrDefault(const std::string& bundleIdentifier, const std::string& name,
                                                      std::uint32_t color) {
    if (const auto* app = configuration().applicationWithIdentifier(bundleIdentifier)) return *app;
    return {bundleIdentifier, name, color};
}

void HomeScreen::showForeground(SBOpenRecord record, const InstalledApplication& application, int kind,
                                const std::string& detail) {
    m_records.push_back(std::move(record));
    m_foregroundRecord = m_records.size() - 1;
    CGRect screen = UIScreen::mainScreen()->bounds();
    m_foregroundWindow = objc::make<UIWindow>(screen);
    m_foregroundWindow->setWindowLevel(kApplicationWindowLevel);
    m_foregroundWindow->addSubview(objc::make<SBApplicationScreenView>(
        screen, static_cast<SBApplicationScreenView::Kind>(kind), application, detail));
    m_foregroundWindow->makeKeyAndVisible();
}

bool HomeScreen::launchApplication(const std::string& bundleIdentifier, bool suspended) {
    SBOpenRecord record{
        SBOpenRecord::Operation::Launch, bundleIdentifier, SBOpenRecord::Result::Nothing, {}, suspended};
    const InstalledApplication* app = configuration().applicationWithIdentifier(bundleIdentifier);
    if (!app) {
        NSLogLine("HomeScreen: no installed application \"" + bundleIdentifier + "\"; nothing launched");
        m_records.push_back(std::move(record));
        return false;
    }
    record.result = SBOpenRecord::Result::Application;
    record.target = bundleIdentifier;
    if (suspended) {
        m_records.push_back(std::move(record));
        return true;
    }
    InstalledApplication copy = *app;
    showForeground(std::move(record), copy, static_cast<int>(SBApplicationScreenView::Kind::Application), {});
    return true;
}

bool HomeScreen::openURL(const std::string& address, bool withOptions) {
    SBOpenRecord record{withOptions ? SBOpenRecord::Operation::OpenURLWithOptions : SBOpenRecord::Operation::OpenURL,
                        address,
                        SBOpenRecord::Result::Nothing,
                        {},
                        false};
    ParsedAddress parsed = classifyAddress(address);
    record.result = parsed.kind;
    record.target = parsed.target;
    switch (parsed.kind) {
    case SBOpenRecord::Result::SettingsPage:
        showForeground(std::move(record), applicationOrDefault("com.apple.Preferences", "Settings", 0x8E8E93),
                       static_cast<int>(SBApplicationScreenView::Kind::SettingsPage), settingsPageTitle(parsed.target));
        return true;
    case SBOpenRecord::Result::WebPage:
        showForeground(std::move(record), applicationOrDefault("com.apple.mobilesafari", "Safari", 0x0A84FF),
                       static_cast<int>(SBApplicationScreenView::Kind::WebPage), parsed.target);
        return true;
    default:
        NSLogLine("HomeScreen: cannot open \"" + address + "\": " + parsed.why);
        m_records.push_back(std::move(record));
        return false;
    }
}

bool HomeScreen::canOpenURL(const std::string& address) {
    return classifyAddress(address).kind != SBOpenRecord::Result::Nothing;
}

std::string HomeScreen::settingsPageTitle(const std::string& root) {
    static const std::pair<const char*, const char*> titles[] = {
        {"WIFI", "Wi-Fi"},
        {"CASTLE", "Apple ID"},
        {"MOBILE_DATA_SETTINGS_ID", "Mobile Data"},
        {"Bluetooth", "Bluetooth"},
        {"General", "General"},
        {"DISPLAY", "Display & Brightness"},
        {"Sounds", "Sounds & Haptics"},
        {"Privacy", "Privacy"},
    };
    for (const auto& [name, title] : titles)
        if (root == name) return title;
    return root;
}

const SBOpenRecord* HomeScreen::foreground() const {
    return m_foregroundRecord ? &m_records[*m_foregroundRecord] : nullptr;
}

void HomeScreen::goHome() {
    m_foregroundRecord.reset();
    if (m_foregroundWindow) m_foregroundWindow->setHidden(true);
    m_foregroundWindow.reset();
    if (m_homeWindow) m_homeWindow->makeKeyWindow();
}

void HomeScreen::lock() {
    if (!m_booted) boot();
    if (m_locked) return;
    m_locked = true;
    CGRect screen = UIScreen::mainScreen()->bounds();
    m_lockWindow = objc::make<UIWindow>(screen);
    m_lockWindow->setWindowLevel(kLockScreenWindowLevel);
    m_lockView = objc::make<SBLockScreenView>(screen);
    m_lockWindow->addSubview(m_lockView);
    m_lockWindow->makeKeyAndVisible();
}

void HomeScreen::unlock() {
    if (!m_locked) return;
    m_locked = false;
    if (m_lockWindow) m_lockWindow->setHidden(true);
    m_lockWindow.reset();
    m_lockView.reset();
    if (m_foregroundWindow)
        m_foregroundWindow->makeKeyWindow();
    else if (m_homeWindow)
        m_homeWindow->makeKeyWindow();
}

objc::Ref<UIImage> HomeScreen::applicationIconImage(const std::string& bundleIdentifier, int format, double scale) {
    return ios::applicationIconImage(configuration().applicationWithIdentifier(bundleIdentifier), format, scale);
}

objc::Ref<UIImage> HomeScreen::snapshot(double scale) {
    if (m_statusBar) m_statusBar->refreshTime();
    if (m_lockView) m_lockView->refreshTime();
    return UIScreen::mainScreen()->snapshot(scale);
}

std::optional<std::filesystem::path> HomeScreen::takeScreenshot() {
    auto image = snapshot(0);
    if (!image) {
        NSLogLine("HomeScreen: the screen could not be rendered; no screenshot");
        return std::nullopt;
    }
    std::string error;
    std::filesystem::path file = UIPhotoLibrary::shared().saveImage(image, error);
    if (file.empty()) {
        NSLogLine("HomeScreen: the screenshot could not be saved: " + error);
        return std::nullopt;
    }
    m_screenshots.push_back(file);
    return file;
}

}  // namespace ios
