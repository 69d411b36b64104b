#include "sim/demos/PanelDemo.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/UIImage.h"
#include "platform/services/MediaRemote.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "sim/device/Device.h"
#include "sim/scenario/ShowcaseCommands.h"
#include "sim/demos/ShowcaseDemo.h"
#include "startup/FlintPreferences.h"

namespace flint::sim {

namespace {

// Runs `body` in a child process and copies what it printed to `out`.
int inChildProcess(const std::function<int(std::ostream&)>& body, std::ostream& out) {
    int fds[2];
    if (pipe(fds) != 0) {
        out << "panel demo: cannot make a pipe\n";
        return 1;
    }
    out.flush();
    pid_t pid = fork();
    if (pid < 0) {
        out << "panel demo: cannot start a device process\n";
        return 1;
    }
    if (pid == 0) {
        close(fds[0]);
        std::ostringstream text;
        int rc = 1;
        try {
            rc = body(text);
        } catch (const std::exception& e) {
            text << "panel demo: " << e.what() << "\n";
        }
        std::string s = text.str();
        for (std::size_t done = 0; done < s.size();) {
            ssize_t n = write(fds[1], s.data() + done, s.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        close(fds[1]);
        _exit(rc);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.write(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// Cover art for the default library: a diagonal gradient with a disc.
void writeArtwork(const std::string& path, double hue) {
    auto colour = ios::UIColor::colorWithHue(hue, 0.7, 0.9, 1);
    auto deep = ios::UIColor::colorWithHue(std::fmod(hue + 0.1, 1.0), 0.8, 0.35, 1);
    auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(300, 300), 1, [&](ios::CGContext& c) {
        for (int i = 0; i < 30; ++i) {
            double t = i / 29.0;
            c.setFillColor(colour->red() * (1 - t) + deep->red() * t, colour->green() * (1 - t) + deep->green() * t,
                           colour->blue() * (1 - t) + deep->blue() * t, 1);
            c.fillRect(ios::CGRectMake(0, i * 10, 300, 10));
        }
        c.setFillColor(1, 1, 1, 0.25);
        c.fillEllipseInRect(ios::CGRectMake(60, 60, 180, 180));
        c.setFillColor(0, 0, 0, 0.35);
        c.fillEllipseInRect(ios::CGRectMake(135, 135, 30, 30));
    });
    std::error_code ec;
    std::filesystem::create_directories(ios::devicePath(path).parent_path(), ec);
    image->writePNG(ios::devicePath(path));
}

struct Booted {
    std::unique_ptr<Device> device;
    objc::Ref<ios::_UIStatusBar> bar;
};

// Boots a device with the panel's optional parts on, ready for a tap on the status bar.
bool boot(Booted& booted, const std::string& backend, const std::string& profile, int style,
          const ios::Dictionary& colours, std::vector<std::pair<std::string, ios::Value>> extra, std::ostream& out) {
    BootOptions options;
    options.profile = profile;
    options.appearance = style;
    applyBackendChoice(options, backend);
    options.preferences = {{"enableAll", true}, {"enableWave", true}, {"enableMusicShortcut", true}};
    for (auto& p : extra) options.preferences.push_back(std::move(p));
    booted.device = std::make_unique<Device>(options);
    if (!colours.empty()) ios::writeDictionaryToFile(colours, kColorFilePath);
    writeArtwork("/var/mobile/Media/Artwork/harbour-lights.png", 0.55);
    writeArtwork("/var/mobile/Media/Artwork/paper-planes.png", 0.08);
    std::string error;
    if (!booted.device->loadLibrary(error)) {
        out << "panel demo: cannot load the library: " << error << "\n";
        return false;
    }
    booted.device->bootHomeScreen();
    booted.bar = ios::HomeScreen::shared().statusBar();
    return true;
}

bool openPanel(Booted& booted, std::ostream& out) {
    auto& loop = booted.device->process().runLoop();
    ios::tap(screenCentreOf(*booted.bar));
    loop.advanceBy(0.1);
    auto window = objc::cast<ios::UIWindow>(hostProperty("flintWindow"));
    if (!window || window->isHidden()) {
        out << "panel demo: a tap on the status bar did not open the panel\n";
        return false;
    }
    return true;
}

void tapProperty(Booted& booted, const char* name) {
    if (auto view = objc::cast<ios::UIView>(hostProperty(name))) ios::tap(screenCentreOf(*view));
    booted.device->process().runLoop().advanceBy(0.1);
}

std::string labelText(Booted& booted, const char* name) {
    auto label = objc::cast<ios::UILabel>(hostProperty(name));
    return label && label->text() ? *label->text() : std::string();
}

std::string openedText(const ios::SBOpenRecord& r) {
    using Result = ios::SBOpenRecord::Result;
    switch (r.result) {
    case Result::Application: return "application " + r.target + " opened";
    case Result::SettingsPage: return "settings page " + r.target + " opened";
    case Result::WebPage: return "address " + r.target + " opened";
    case Result::Nothing: return "nothing opened for " + r.request;
    }
    return {};
}

int snapshot(const std::string& backend, const std::string& profile, int style, bool colourMode,
             const std::filesystem::path& dir, std::ostream& out) {
    Booted booted;
    ios::Dictionary colours;
    std::vector<std::pair<std::string, ios::Value>> extra;
    if (colourMode) {
        colours = {{"flintBackgroundColor", "#1D2B3A"}, {"flintContainerColor", "#2E4257"},
                   {"flintLabelColor", "#F4F1E8"},      {"flintButtonColor", "#3F5A75"},
                   {"flintImageColor", "#FFC857"},      {"flintBannerColor", "#2E4257"},
                   {"flintWaveColor", "#FFC85799"}};
        extra.emplace_back("appearanceMode", "colorMode");
    }
    if (!boot(booted, backend, profile, style, colours, std::move(extra), out) || !openPanel(booted, out)) return 1;
    booted.device->process().runLoop().advanceBy(0.5);
    std::string mode = colourMode ? "color" : style == 1 ? "light" : "dark";
    auto path = dir / ("panel-" + profile + "-" + mode + ".png");
    if (!ios::UIScreen::mainScreen()->writeSnapshotPNG(path)) {
        out << "panel demo: cannot write " << path.string() << "\n";
        return 1;
    }
    out << "wrote " << path.string() << "\n";
    return 0;
}

int exercise(const std::string& backend, const std::filesystem::path& dir, std::ostream& out) {
    Booted booted;
    if (!boot(booted, backend, "iphone-x", 2, {}, {{"screenshotTimerString", "3"}}, out)) return 1;
    auto& loop = booted.device->process().runLoop();
    auto& home = ios::HomeScreen::shared();
    auto haptics = [] { return ios::HapticsLog::shared().events().size(); };

    if (!openPanel(booted, out)) return 1;
    out << "panel: WiFi " << labelText(booted, "wifiNameLabel") << " at "
        << labelText(booted, "wifiIPLabel").substr(0, labelText(booted, "wifiIPLabel").find('\n')) << ", carrier "
        << labelText(booted, "cellularNameLabel") << " at " << labelText(booted, "cellularIPLabel") << "\n";
    tapProperty(booted, "appButton1");
    if (!home.openRecords().empty()) out << "shortcut app 1: " << openedText(home.openRecords().back()) << "\n";
    out << "  haptics fired: " << haptics() << ", panel "
        << (objc::cast<ios::UIWindow>(hostProperty("flintWindow"))->isHidden() ? "closed" : "open") << "\n";
    home.goHome();

    if (!openPanel(booted, out)) return 1;
    tapProperty(booted, "twitterButton");
    if (!home.openRecords().empty()) out << "shortcut social: " << openedText(home.openRecords().back()) << "\n";
    home.goHome();

    if (!openPanel(booted, out)) return 1;
    const std::size_t photos = ios::UIPhotoLibrary::shared().photoCount();
    tapProperty(booted, "screenshotButton");
    out << "countdown: banner shows \"" << labelText(booted, "screenshotCountdownLabel") << "\"";
    for (int s = 1; s <= 3; ++s) {
        loop.advanceBy(1.0);
        auto window = objc::cast<ios::UIWindow>(hostProperty("screenshotWindow"));
        out << ", after " << s << " s \"" << labelText(booted, "screenshotCountdownLabel") << "\""
            << (window && window->isHidden() ? " (hidden)" : "");
    }
    out << "\n  screenshot saved to the photo library: " << ios::UIPhotoLibrary::shared().photoCount() - photos
        << " new photo(s), haptics fired: " << haptics() << "\n";

    // The simulated player answers at once; a player of this machine in its own time (at most a second).
    auto settle = [&loop](const std::function<bool()>& changed) {
        loop.advanceBy(0.1);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!changed() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            loop.advanceBy(0.05);
        }
    };
    std::string title = labelText(booted, "titleLabel");
    out << "music: \"" << title << "\" by " << labelText(booted, "artistLabel") << "\n";
    tapProperty(booted, "nextImage");
    settle([&] { return labelText(booted, "titleLabel") != title; });
    out << "  next: \"" << labelText(booted, "titleLabel") << "\" by " << labelText(booted, "artistLabel") << "\n";
    bool wasPlaying = ios::MRNowPlayingPlayer::shared().isPlaying();
    tapProperty(booted, "playImage");
    settle([&] { return ios::MRNowPlayingPlayer::shared().isPlaying() != wasPlaying; });
    out << "  play/pause: " << (ios::MRNowPlayingPlayer::shared().isPlaying() ? "playing" : "paused")
        << ", haptics fired: " << haptics() << "\n";
    // The composer runs in this process, whose photo library holds the countdown's screenshot.
    return runShowcaseDemo(dir, out);
}

}  // namespace

int runPanelDemo(const std::string& outDir, std::ostream& out, const std::string& backend) {
    std::filesystem::path dir(outDir);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    int failures = 0;
    for (const char* profile : {"iphone-8", "iphone-8-plus", "iphone-x", "iphone-11"})
        for (int style : {1, 2})
            failures +=
                inChildProcess([&](std::ostream& o) { return snapshot(backend, profile, style, false, dir, o); },
                               out) != 0;
    failures +=
        inChildProcess([&](std::ostream& o) { return snapshot(backend, "iphone-x", 2, true, dir, o); }, out) != 0;
    failures += inChildProcess([&](std::ostream& o) { return exercise(backend, dir, o); }, out) != 0;
    return failures == 0 ? 0 : 1;
}

}  // namespace flint::sim
