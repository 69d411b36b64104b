// The quick panel: building the whole panel (launchFlintWindow) on an iphone-x; the build plus
// the first composite of the open panel at @3x; and one frame of the wave view (phase step and
// redraw of a 355 × 50 wave).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "controls/FlintWaveView.h"
#include "platform/bsd/Backend.h"
#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/TestProcess.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "startup/FlintPreferences.h"
#include "startup/LoadRoutine.h"
#include "startup/UIColor+Container.h"

namespace {

// The bundle images this build drew: <build>/resources/Flint.bundle beside <build>/bin.
void installBundle(const std::filesystem::path& root) {
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

    PanelDevice() {
        flint::resetFlintForTesting();
        flint::resetThemeColorsForTesting();
        installBundle(process.root());
        ios::writeDictionaryToFile({{"enableAll", true}, {"enableWave", true}, {"enableMusicShortcut", true}},
                                   flint::kSlotFilePath);
        flint::flintLoadRoutine();
        ios::HomeScreen::shared().boot();
        bar = ios::HomeScreen::shared().statusBar();
        ios::HomeScreen::shared().layoutStatusBar();
    }
    ~PanelDevice() { flint::resetFlintForTesting(); }
    void launch() { objc::msgSend(bar, objc::sel("launchFlintWindow")); }
};

void BM_LaunchFlintWindow(benchmark::State& state) {
    PanelDevice device;
    device.launch();  // warm the image and font caches
    device.process.runLoop().runUntilIdle();
    for (auto _ : state) {
        device.launch();
        state.PauseTiming();
        device.process.runLoop().runUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LaunchFlintWindow)->Unit(benchmark::kMillisecond);

void BM_LaunchAndFirstComposite3x(benchmark::State& state) {
    PanelDevice device;
    device.launch();
    device.process.runLoop().runUntilIdle();
    for (auto _ : state) {
        device.launch();
        device.process.runLoop().runUntilIdle();
        auto image = ios::UIScreen::mainScreen()->snapshot(3);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_LaunchAndFirstComposite3x)->Unit(benchmark::kMillisecond);

void BM_WaveFrame(benchmark::State& state) {
    PanelDevice device;
    auto window = objc::make<ios::UIWindow>(ios::CGRectMake(0, 0, 375, 100));
    auto wave = objc::make<FlintWaveView>(ios::CGRectZero);
    wave->setBounds(ios::CGRectMake(0, 0, 355, 50));
    wave->setCenter(ios::CGPointMake(187.5, 50));
    wave->updateWithPercentCompletion(40);
    window->addSubview(wave);
    window->makeKeyAndVisible();
    wave->displayIfNeeded();
    for (auto _ : state) {
        wave->update();
        wave->displayIfNeeded();
    }
}
BENCHMARK(BM_WaveFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
