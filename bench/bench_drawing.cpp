// The drawing canvas's hot paths on a 375 × 730-point canvas at @3x: one live pen move (segment,
// dirty-rectangle repaint, display) with 0 and 1,000 finished strokes, undo + redo of the latest
// stroke with 1,000 strokes (from the bounded snapshots), and the full rebuild beside it.

#include <benchmark/benchmark.h>

#include <cmath>

#include "drawing/FlintDrawingView.h"
#include "tests/support/TestProcess.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;

namespace {

struct Scene {
    ios::testing::TestProcess process;
    objc::Ref<UIWindow> window;
    objc::Ref<FlintDrawingView> canvas;

    explicit Scene(int strokes) {
        window = objc::make<UIWindow>();
        window->setHidden(false);
        canvas = objc::make<FlintDrawingView>(CGRectMake(0, 40, 375, 730));
        canvas->setLineWidth(30);
        window->addSubview(canvas);
        for (int s = 0; s < strokes; ++s) {
            double y = 60 + (s * 37) % 700;
            sendTouch(UITouchPhase::Began, {10, y});
            // 100 segments per stroke.
            for (int i = 1; i <= 100; ++i) sendTouch(UITouchPhase::Moved, {10 + 3.5 * i, y + 20 * std::sin(i * 0.2)});
            sendTouch(UITouchPhase::Ended, {360, y});
        }
        canvas->displayIfNeeded();
    }
};

void BM_LiveStrokeMove(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    sendTouch(UITouchPhase::Began, {100, 300});
    int i = 0;
    for (auto _ : state) {
        ++i;
        sendTouch(UITouchPhase::Moved, {100 + 150 * std::sin(i * 0.05), 300 + 150 * std::cos(i * 0.031)});
        scene.canvas->displayIfNeeded();
    }
    sendTouch(UITouchPhase::Ended, {100, 300});
}
BENCHMARK(BM_LiveStrokeMove)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoLatest(benchmark::State& state) {
    Scene scene(1000);
    for (auto _ : state) {
        scene.canvas->undoLatestStep();
        scene.canvas->redoLatestStep();
    }
    state.counters["snapshots"] = static_cast<double>(scene.canvas->snapshotCountForTesting());
    state.counters["snapshotMiB"] = static_cast<double>(scene.canvas->snapshotBytesForTesting()) / (1 << 20);
}
BENCHMARK(BM_UndoRedoLatest)->Unit(benchmark::kMillisecond);

void BM_UndoRedoLatestWithDisplay(benchmark::State& state) {
    Scene scene(1000);
    for (auto _ : state) {
        scene.canvas->undoLatestStep();
        scene.canvas->displayIfNeeded();
        scene.canvas->redoLatestStep();
        scene.canvas->displayIfNeeded();
    }
}
BENCHMARK(BM_UndoRedoLatestWithDisplay)->Unit(benchmark::kMillisecond);

void BM_FullRebuild(benchmark::State& state) {
    Scene scene(1000);
    for (auto _ : state) benchmark::DoNotOptimize(scene.canvas->fullRebuildImageForTesting());
}
BENCHMARK(BM_FullRebuild)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
