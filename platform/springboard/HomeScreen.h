#pragma once
// The home screen of the simulated process: the wallpaper and the grid of installed
// applications in the home window, the status bar in its own window at the status-bar level, the
// foreground application's screen and the lock screen; and the operations the shared
// application offers (SpringBoard.h forwards to them): launching, opening addresses, screenshots
// and locking. Every launch and every opening is recorded, also those that open nothing.
//
// Windows, bottom to top: home (level 0), foreground application (kApplicationWindowLevel), lock
// screen (kLockScreenWindowLevel), status bar (1000).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/UIImage.h"
#include "platform/objc/Runtime.h"
#include "platform/springboard/DeviceConfiguration.h"
#include "platform/springboard/_UIStatusBar.h"

namespace ios {

class UIWindow;
class UIView;
class SBIconView;
class SBWallpaperView;
class SBApplicationScreenView;
class SBLockScreenView;

// Our choices, between the home window (0) and the status bar (1000).
inline constexpr double kApplicationWindowLevel = 1;
inline constexpr double kLockScreenWindowLevel = 999;

struct SBOpenRecord {
    enum class Operation { Launch, OpenURL, OpenURLWithOptions };
    enum class Result { Application, SettingsPage, WebPage, Nothing };
    Operation operation = Operation::Launch;
    std::string request;  // the bundle identifier or the address, as given
    Result result = Result::Nothing;
    std::string target;  // what came to the foreground: a bundle identifier, a settings root or an address
    bool suspended = false;
};

class HomeScreen {
public:
    // The current process's home screen, made on first use.
    static HomeScreen& shared();
    ~HomeScreen();

    objc::Ref<_UIStatusBar> statusBar();
    // Marks the status bar for layout and runs the pass, as the home screen does when it shows it.
    void layoutStatusBar();

    // Reads the device configuration, builds and shows the windows, installs the home screen's
    // shared application and starts the status-bar clock. Booting twice does nothing more.
    void boot();
    bool isBooted() const { return m_booted; }
    const DeviceConfiguration& configuration();

    objc::Ref<UIWindow> homeWindow() const { return m_homeWindow; }
    objc::Ref<UIWindow> statusBarWindow() const { return m_statusBarWindow; }
    objc::Ref<UIWindow> foregroundWindow() const { return m_foregroundWindow; }
    objc::Ref<UIWindow> lockScreenWindow() const { return m_lockWindow; }
    objc::Ref<SBWallpaperView> wallpaperView() const { return m_wallpaper; }
    const std::vector<objc::Ref<SBIconView>>& iconViews() const { return m_icons; }
    // The icon grid: four columns; the frame of the n-th icon view in the home window.
    CGRect iconViewFrame(std::size_t index) const;

    // --- operations ---
    // Brings an installed application to the foreground (with suspended, it launches without
    // coming forward). False, opening nothing, for an identifier that is not installed.
    bool launchApplication(const std::string& bundleIdentifier, bool suspended);
    // "prefs:root=NAME[&…]" (or "App-prefs:") shows that settings page, an http(s) address with a
    // host shows the browser; anything else (empty, malformed, unknown scheme) opens nothing.
    bool openURL(const std::string& address, bool withOptions = false);
    // Whether openURL would show something for the address (nothing is opened or recorded).
    static bool canOpenURL(const std::string& address);
    // Renders the screen and saves it to the photo library (UIPhotoLibrary); the saved file, none
    // on failure.
    std::optional<std::filesystem::path> takeScreenshot();
    const std::vector<std::filesystem::path>& screenshots() const { return m_screenshots; }
    // Locks the device: the lock screen shows over everything but the status bar.
    void lock();
    void unlock();
    bool isLocked() const { return m_locked; }
    // Closes the foreground application, back to the icons.
    void goHome();
    // What is in the foreground: the last opening that showed something, none on the home screen.
    const SBOpenRecord* foreground() const;
    const std::vector<SBOpenRecord>& openRecords() const { return m_records; }

    // The icon of an installed application; the blank placeholder for an unknown identifier.
    objc::Ref<UIImage> applicationIconImage(const std::string& bundleIdentifier, int format, double scale);

    // Lays out and renders the screen at `scale` (0: the screen's).
    objc::Ref<UIImage> snapshot(double scale = 0);

    // Settings roots and the page titles they show ("WIFI" → "Wi-Fi"); unknown roots show as given.
    static std::string settingsPageTitle(const std::string& root);

private:
    void buildHomeWindow();
    void buildStatusBarWindow();
    void showForeground(SBOpenRecord record, const InstalledApplication& application, int kind,
                        const std::string& detail);
    void scheduleClockTick();
    void clockTick();
    InstalledApplication applicationOrDefault(const std::string& bundleIdentifier, const std::string& name,
                                              std::uint32_t color);

    bool m_booted = false;
    std::optional<DeviceConfiguration> m_configuration;
    objc::Ref<_UIStatusBar> m_statusBar;
    objc::Ref<UIWindow> m_homeWindow;
    objc::Ref<UIWindow> m_statusBarWindow;
    objc::Ref<UIWindow> m_foregroundWindow;
    objc::Ref<UIWindow> m_lockWindow;
    objc::Ref<SBWallpaperView> m_wallpaper;
    objc::Ref<SBLockScreenView> m_lockView;
    std::vector<objc::Ref<SBIconView>> m_icons;
    std::vector<SBOpenRecord> m_records;
    std::optional<std::size_t> m_foregroundRecord;
    std::vector<std::filesystem::path> m_screenshots;
    bool m_locked = false;
    RunLoop::Token m_clockToken = 0;
};

}  // namespace ios
