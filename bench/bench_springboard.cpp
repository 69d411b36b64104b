// The home screen: booting it (configuration, generated wallpaper and icons, windows) and
// rendering it at @3x, as `flint-sim snapshot` and takeScreenshot do.

#include <benchmark/benchmark.h>

#include "tests/support/TestProcess.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/SBArtwork.h"

using namespace ios;

static void BM_HomeScreenBoot(benchmark::State& state) {
    for (auto _ : state) {
        testing::TestProcess process;
        HomeScreen::shared().boot();
        benchmark::DoNotOptimize(HomeScreen::shared().iconViews().size());
    }
}

static void BM_HomeScreenSnapshot3x(benchmark::State& state) {
    testing::TestProcess process;  // iphone-x, 375 × 812 @3x
    HomeScreen::shared().boot();
    HomeScreen::shared().snapshot(3);  // first display of every view, done once
    for (auto _ : state) {
        auto image = HomeScreen::shared().snapshot(3);
        benchmark::DoNotOptimize(image.get());
    }
}

static void BM_ApplicationIcon(benchmark::State& state) {
    InstalledApplication app{"com.example.app", "Example", 0x0A84FF};
    for (auto _ : state) benchmark::DoNotOptimize(applicationIconImage(&app, 2, 3).get());
}

BENCHMARK(BM_HomeScreenBoot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HomeScreenSnapshot3x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplicationIcon)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
