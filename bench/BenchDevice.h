#pragma once
// A home-screen process for the benchmarks: the library loaded with the panel's optional parts on,
// the bundle images this build drew installed, a simulated network and the home screen booted.

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "platform/bsd/Backend.h"
#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"
#include "platform/springboard/HomeScreen.h"
#include "startup/FlintPreferences.h"
#include "startup/entry/LoadRoutine.h"
#include "startup/UIColor+Container.h"

namespace flint::bench {

// The bundle images this build drew: <build>/resources/Flint.bundle beside <build>/bin.
inline void installBundle(const std::filesystem::path& root) {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    auto source = exe.parent_path().parent_path() / "resources/Flint.bundle";
    auto target = root / "Library/Application Support/Flint.bundle";
    std::filesystem::create_directories(target, ec);
    for (const auto& entry : std::filesystem::directory_iterator(source, ec))
        std::filesystem::copy_file(entry.path(), target / entry.path().filename(), ec);
}

struct PanelDevice {
    ios::testing::TestProcess process{[] {
        ios::Process::Options o;
        o.executablePath = "/System/Library/CoreServices/SpringBoard.app/SpringBoard";
        return o;
    }()};
    bsd::ScopedBackend network{std::make_shared<bsd::SimulatedBackend>(bsd::DeviceNetwork::typicalPhone())};
    objc::Ref<ios::_UIStatusBar> bar;

    // Extra preferences join (or override) the panel's optional parts.
    explicit PanelDevice(const ios::Dictionary& preferences = {}) {
        flint::resetFlintForTesting();
        flint::resetThemeColorsForTesting();
        installBundle(process.root());
        ios::Dictionary stored{{"enableAll", true}, {"enableWave", true}, {"enableMusicShortcut", true}};
        for (const auto& [key, value] : preferences) stored[key] = value;
        ios::writeDictionaryToFile(stored, flint::kSlotFilePath);
        flint::flintLoadRoutine();
        ios::HomeScreen::shared().boot();
        bar = ios::HomeScreen::shared().statusBar();
        ios::HomeScreen::shared().layoutStatusBar();
    }
    ~PanelDevice() { flint::resetFlintForTesting(); }
    void launch() { objc::msgSend(bar, objc::sel("launchFlintWindow")); }
};

}  // namespace flint::bench
