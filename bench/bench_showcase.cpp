// The Showcase editor: the whole editor build (launchShowcaseEditor: window, presentation,
// canvas, bezel hand-over, tool card with its six pages and their constraints) and the export
// render of a composed canvas (background image and colour, bezel with a masked full-screen
// screenshot, strokes) at one pixel per point on a 375 × 812 screen.

#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "drawing/FlintDrawingView.h"
#include "platform/graphics/UIGraphics.h"
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

    // The editor open on a blue bezel holding a full-screen screenshot, over a colour and, when
    // asked, the same screenshot as the background image.
    flint::FlintHost composed(const ios::UIColorRef& colour, bool backgroundImage) {
        auto screenshot = ios::UIScreen::mainScreen()->snapshot(3);
        launchEditor();
        process.runLoop().runUntilIdle();
        flint::FlintHost h = host();
        flint::applyBezel(h, "IphoneXBlue");
        h.showcaseScreenshotImage()->setImage(screenshot);
        if (backgroundImage) h.showcaseBackgroundImage()->setImage(screenshot);
        h.showcaseCanvasView()->setBackgroundColor(colour);
        ios::UIScreen::mainScreen()->layoutVisibleWindows();
        return h;
    }
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
    flint::FlintHost host = device.composed(ios::UIColor::colorWithRed(0.2, 0.4, 0.6, 1), true);
    for (auto _ : state) {
        auto image = flint::renderShowcaseCanvas(host);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_ExportRender)->Unit(benchmark::kMillisecond);

// The PNG the editor's save and the batch mock-ups write, of a composed canvas at 3 pixels per
// point (1125 × 2193 pixels): its encode time and size.
void BM_ExportEncode(benchmark::State& state) {
    EditorDevice device;
    flint::FlintHost host = device.composed(ios::UIColor::colorWithRed(0, 0.7, 1, 1), false);
    auto canvas = host.showcaseCanvasView();
    ios::UIGraphicsBeginImageContextWithOptions(canvas->frame().size, false, 3);
    canvas->layer()->renderInContext(*ios::UIGraphicsGetCurrentContext());
    auto image = ios::UIGraphicsGetImageFromCurrentImageContext();
    ios::UIGraphicsEndImageContext();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = image->pngRepresentation();
        bytes = png.size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["KiB"] = double(bytes) / 1024;
    state.counters["pixels"] = double(image->pixelWidth()) * image->pixelHeight();
}
BENCHMARK(BM_ExportEncode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
