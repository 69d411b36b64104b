// The Showcase editor: the whole editor build (launchShowcaseEditor: window, presentation,
// canvas, bezel hand-over, tool card with its six pages and their constraints) and the export
// render of a composed canvas (background image and colour, bezel with a masked full-screen
// screenshot, strokes) at one pixel per point on a 375 × 812 screen.

#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "drawing/FlintDrawingView.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScreen.h"
#include "showcase/ShowcaseImages.h"
#include "showcase/ShowcasePicker.h"
#include "startup/FlintHost.h"

namespace {

using flint::bench::PanelDevice;

struct EditorDevice : PanelDevice {
    EditorDevice() {
        launch();
        process.runLoop().runUntilIdle();
    }
    void launchEditor() { objc::msgSend(bar, objc::sel("launchShowcaseEditor")); }
    flint::FlintHost host() const { return flint::FlintHost(*bar); }
};

void BM_LaunchShowcaseEditor(benchmark::State& state) {
    EditorDevice device;
    device.launchEditor();  // warm the image and font caches
    device.process.runLoop().runUntilIdle();
    for (auto _ : state) {
        device.launchEditor();
        state.PauseTiming();
        device.process.runLoop().runUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LaunchShowcaseEditor)->Unit(benchmark::kMillisecond);

void BM_ExportRender(benchmark::State& state) {
    EditorDevice device;
    auto screenshot = ios::UIScreen::mainScreen()->snapshot(3);
    device.launchEditor();
    device.process.runLoop().runUntilIdle();
    flint::FlintHost host = device.host();
    flint::applyBezel(host, "IphoneXBlue");
    host.showcaseScreenshotImage()->setImage(screenshot);
    host.showcaseBackgroundImage()->setImage(screenshot);
    host.showcaseCanvasView()->setBackgroundColor(ios::UIColor::colorWithRed(0.2, 0.4, 0.6, 1));
    ios::UIScreen::mainScreen()->layoutVisibleWindows();
    for (auto _ : state) {
        auto image = flint::renderShowcaseCanvas(host);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_ExportRender)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
