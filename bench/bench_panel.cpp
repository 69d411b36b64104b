// The quick panel: building the whole panel (launchFlintWindow) on an iphone-x; the build plus
// the first composite of the open panel at @3x; and one frame of the wave view (phase step and
// redraw of a 355 × 50 wave).

#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "controls/FlintWaveView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace {

using flint::bench::PanelDevice;

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
