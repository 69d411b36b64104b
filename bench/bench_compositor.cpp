// Compositing a phone screen of about 100 layers (cards with rounded clipped corners, images,
// text, a shape, a gradient, a few shadows and a full-width dark backdrop), at @2x and @3x; and
// painting a full-screen cached bitmap through the compositor against a plain Cairo paint of the
// same surface.
//
// Retained frames on the booted device at 375 × 812 @3x: a frame of the open panel with the wave
// running, a frame of a pen stroke (one move of the width-10 pen) in the Showcase editor and a
// frame with no change. Each reports the full render of the same screen beside it (full_ms) and
// the ratio retained / full.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

#include "bench/BenchDevice.h"
#include "controls/FlintDragView.h"
#include "drawing/FlintDrawingView.h"
#include "platform/foundation/Process.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScreenRetainedFrame.h"
#include "platform/uikit/UIWindow.h"
#include "sim/live/FrameDiffer.h"
#include "startup/FlintHost.h"
#include "tests/support/TempFolder.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CACompositor.h"
#include "platform/quartz/CARetainedRenderer.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CAShapeLayer.h"
#include "platform/quartz/CATextLayer.h"

using namespace ios;

namespace {

constexpr double W = 375, H = 812;

UIColorRef rgb(double r, double g, double b, double a = 1) { return UIColor::colorWithRed(r, g, b, a); }

int countLayers(const CALayer& l) {
    int n = 1 + (l.mask() ? countLayers(*l.mask()) : 0);
    for (auto& s : l.sublayers()) n += countLayers(*s);
    return n;
}

struct Screen {
    objc::Ref<CALayer> root;
    bool withBackdrop;

    explicit Screen(bool backdrop) : withBackdrop(backdrop) {
        root = CALayer::layer();
        root->setFrame({{0, 0}, {W, H}});
        auto wallpaper = CAGradientLayer::layer();
        wallpaper->setFrame({{0, 0}, {W, H}});
        wallpaper->setColors({rgb(0.1, 0.1, 0.3), rgb(0.8, 0.4, 0.3)});
        root->addSublayer(wallpaper);
        auto icon = UIImage::imageWithSize({50, 50}, 2, [](CGContext& c) {
            c.setFillColor(0.2, 0.6, 0.9, 1);
            c.fillEllipseInRect({{0, 0}, {50, 50}});
        });
        auto glyph = UIImage::imageWithSize({25, 25}, 2, [](CGContext& c) {
            c.setFillColor(0, 0, 0, 1);
            c.fillRect({{5, 5}, {15, 15}});
        });
        // The quick panel's look: a blurred backdrop, then the cards on it.
        auto base = root;
        if (backdrop) {
            auto blur = CABackdropLayer::layerWithStyle(CABackdropStyle::Dark);
            blur->setFrame({{0, 0}, {W, H}});
            root->addSublayer(blur);
            base = blur;
        }
        for (int i = 0; i < 8; ++i) {
            auto card = CALayer::layer();
            card->setFrame({{15 + (i % 2) * 180.0, 60 + (i / 2) * 180.0}, {165, 165}});
            card->setBackgroundColor(rgb(0.12, 0.12, 0.13, 0.9));
            card->setCornerRadius(15);
            card->setMasksToBounds(true);
            base->addSublayer(card);
            for (int j = 0; j < 4; ++j) {
                auto button = CALayer::layer();
                button->setFrame({{10 + (j % 2) * 95.0, 10 + (j / 2) * 95.0}, {50, 50}});
                button->setBackgroundColor(rgb(0.3, 0.3, 0.32));
                button->setCornerRadius(25);
                card->addSublayer(button);
                auto image = CALayer::layer();
                image->setFrame({{12.5, 12.5}, {25, 25}});
                image->setContents(j % 2 ? icon : glyph);
                image->setContentsScale(2);
                if (j % 2 == 0) image->setContentsTintColor(rgb(1, 1, 1));
                image->setContentsGravity(kCAGravityResizeAspect);
                button->addSublayer(image);
            }
            auto title = CATextLayer::layer();
            title->setFrame({{10, 70}, {145, 22}});
            title->setString(i % 2 ? "Wi-Fi" : "Cellular");
            title->setFontSize(15);
            title->setAlignmentMode(kCAAlignmentCenter);
            card->addSublayer(title);
            if (i == 0) {
                card->setShadowOpacity(0.4);
                card->setShadowRadius(6);
                card->setMasksToBounds(false);
            }
        }
        // A status bar's worth of small items.
        for (int i = 0; i < 16; ++i) {
            auto item = CALayer::layer();
            item->setFrame({{10 + i * 22.0, 14}, {16, 16}});
            item->setBackgroundColor(rgb(1, 1, 1, 0.8));
            item->setCornerRadius(i % 2 ? 8 : 3);
            base->addSublayer(item);
        }
        auto wave = CAShapeLayer::layer();
        wave->setFrame({{0, H - 120}, {W, 50}});
        auto path = CGPathCreateMutable();
        path->moveTo({0, 25});
        for (int x = 0; x <= W; x += 5) path->lineTo({double(x), 25 + 15 * std::sin(x / 30.0)});
        wave->setPath(path);
        wave->setFillColor(nullptr);
        wave->setStrokeColor(rgb(1, 1, 1));
        wave->setLineWidth(4);
        base->addSublayer(wave);
        auto bottom = CALayer::layer();
        bottom->setFrame({{112.5, H - 60}, {150, 50}});
        bottom->setBackgroundColor(rgb(0.12, 0.12, 0.13));
        bottom->setCornerRadius(25);
        base->addSublayer(bottom);
    }
};

struct BenchProcess {
    ios::testing::TempFolder root{"flint-bench"};  // removed after the process has ended
    std::unique_ptr<Process> process;
    BenchProcess() {
        Process::Options options;
        options.deviceRoot = root.path();
        process = std::make_unique<Process>(std::move(options));
    }
};

void compositeScreen(benchmark::State& state, double scale, bool backdrop) {
    BenchProcess p;
    Screen screen(backdrop);
    int w = int(std::ceil(W * scale)), h = int(std::ceil(H * scale));
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, scale, scale);
    for (auto _ : state) {
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
        CACompositor::drawLayerTree(*screen.root, cr);
        cairo_surface_flush(target);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
    }
    state.counters["layers"] = countLayers(*screen.root);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}

void BM_CompositeScreen2x(benchmark::State& s) { compositeScreen(s, 2, true); }
void BM_CompositeScreen3x(benchmark::State& s) { compositeScreen(s, 3, true); }
void BM_CompositeScreenNoBackdrop2x(benchmark::State& s) { compositeScreen(s, 2, false); }
void BM_CompositeScreenNoBackdrop3x(benchmark::State& s) { compositeScreen(s, 3, false); }

struct FullScreenBitmap : CALayerDelegate {
    bool respondsToDrawLayer() const override { return true; }
    void drawLayerInContext(CALayer& layer, CGContext& c) override {
        for (int i = 0; i < 40; ++i) {
            c.setStrokeColor(i / 40.0, 0.5, 1 - i / 40.0, 1);
            c.setLineWidth(6);
            c.moveToPoint(0, i * 20.0);
            c.addLineToPoint(W, i * 20.0 + 100);
            c.strokePath();
        }
    }
};

// A drawing canvas: one full-screen layer whose backing store is already up to date.
void BM_PaintCachedBitmapThroughCompositor(benchmark::State& state) {
    BenchProcess p;
    const double scale = 3;
    auto canvas = CALayer::layer();
    canvas->setFrame({{0, 0}, {W, H}});
    canvas->setContentsScale(scale);
    auto painter = std::make_shared<FullScreenBitmap>();
    canvas->setDelegate(painter);
    canvas->setNeedsDisplay();
    canvas->displayIfNeeded();
    int w = int(std::ceil(W * scale)), h = int(std::ceil(H * scale));
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, scale, scale);
    for (auto _ : state) {
        CACompositor::drawLayerTree(*canvas, cr);
        cairo_surface_flush(target);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}

// The same surface painted straight onto the same target with Cairo.
void BM_PaintCachedBitmapPlainCairo(benchmark::State& state) {
    BenchProcess p;
    const double scale = 3;
    auto canvas = CALayer::layer();
    canvas->setFrame({{0, 0}, {W, H}});
    canvas->setContentsScale(scale);
    auto painter = std::make_shared<FullScreenBitmap>();
    canvas->setDelegate(painter);
    canvas->setNeedsDisplay();
    canvas->displayIfNeeded();
    int w = int(std::ceil(W * scale)), h = int(std::ceil(H * scale));
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(target);
    for (auto _ : state) {
        cairo_set_source_surface(cr, canvas->backingStore(), 0, 0);
        cairo_paint(cr);
        cairo_surface_flush(target);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}

// --- retained frames ---------------------------------------------------------------------------

using flint::bench::PanelDevice;

constexpr double kDeviceScale = 3;

double secondsOf(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The mean time of a full render of the screen as it is now (layout included, as in the frame).
double fullRenderSeconds(int runs = 5) {
    auto screen = UIScreen::mainScreen();
    double total = 0;
    for (int i = 0; i < runs; ++i)
        total += secondsOf([&] { benchmark::DoNotOptimize(screen->snapshot(kDeviceScale)); });
    return total / runs;
}

void reportAgainstFull(benchmark::State& state, double retainedSeconds, long long damaged, int frames, double full) {
    state.counters["full_ms"] = full * 1e3;
    state.counters["ratio"] = frames ? retainedSeconds / frames / full : 0;
    state.counters["damaged_px"] = frames ? double(damaged) / frames : 0;
}

long long area(const std::vector<CADamageRect>& rects) {
    long long a = 0;
    for (auto& r : rects) a += static_cast<long long>(r.width) * r.height;
    return a;
}

struct WavePanel : PanelDevice {
    WavePanel() {
        MRNowPlayingPlayer::shared().setLibrary({{"Song", "Band", ""}});
        process.runLoop().runUntilIdle();
        launch();
        process.runLoop().runUntilIdle();
        process.runLoop().advanceBy(1);
        UIScreenRetainedFrame(kDeviceScale);
    }
};

// One frame of the open panel while the wave runs: the clock moves a frame (the wave redraws),
// then the retained frame is brought up to date.
void BM_RetainedWaveFrame(benchmark::State& state) {
    WavePanel device;
    auto screen = UIScreen::mainScreen();
    double full = fullRenderSeconds();
    double spent = 0;
    long long damaged = 0;
    int frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        device.process.runLoop().advanceBy(1.0 / 60);
        state.ResumeTiming();
        double s = secondsOf([&] { damaged += area(UIScreenRetainedFrame(kDeviceScale).damage()); });
        spent += s;
        ++frames;
    }
    reportAgainstFull(state, spent, damaged, frames, full);
}
BENCHMARK(BM_RetainedWaveFrame)->Unit(benchmark::kMillisecond);

// The same panel rendered in full every frame.
void BM_FullWaveFrame(benchmark::State& state) {
    WavePanel device;
    auto screen = UIScreen::mainScreen();
    for (auto _ : state) {
        state.PauseTiming();
        device.process.runLoop().advanceBy(1.0 / 60);
        state.ResumeTiming();
        benchmark::DoNotOptimize(screen->snapshot(kDeviceScale));
    }
}
BENCHMARK(BM_FullWaveFrame)->Unit(benchmark::kMillisecond);

struct PenEditor : PanelDevice {
    objc::Ref<::FlintDrawingView> drawing;
    double x = 0;
    bool down = false;

    PenEditor() {
        launch();
        process.runLoop().runUntilIdle();
        objc::msgSend(bar, objc::sel("launchShowcaseEditor"));
        process.runLoop().advanceBy(1);
        flint::FlintHost host(*bar);
        host.toolCardView()->setOpened(false, false);
        drawing = host.drawingView();
        drawing->setLineColor(UIColor::colorWithRed(0.9, 0.2, 0.3, 1));
        drawing->setLineWidth(10);
        process.runLoop().advanceBy(1);
        UIScreenRetainedFrame(kDeviceScale);
    }
    CGPoint point(double px) const { return convertPointToScreen(*drawing, {px, 300 + 60 * std::sin(px / 25)}); }
    // One move of the finger (a new stroke every 60 moves, so strokes stay of one length).
    void move() {
        if (!down || x > 340) {
            if (down) sendTouch(UITouchPhase::Ended, point(x));
            x = 20;
            sendTouch(UITouchPhase::Began, point(x));
            down = true;
        }
        x += 5;
        sendTouch(UITouchPhase::Moved, point(x));
        process.runLoop().advanceBy(1.0 / 60);
    }
};

void BM_RetainedPenFrame(benchmark::State& state) {
    PenEditor device;
    auto screen = UIScreen::mainScreen();
    double full = fullRenderSeconds();
    double spent = 0;
    long long damaged = 0;
    int frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        device.move();
        state.ResumeTiming();
        spent += secondsOf([&] { damaged += area(UIScreenRetainedFrame(kDeviceScale).damage()); });
        ++frames;
    }
    reportAgainstFull(state, spent, damaged, frames, full);
}
BENCHMARK(BM_RetainedPenFrame)->Unit(benchmark::kMillisecond);

// What the live view does for one frame of a pen stroke, at 2 and at the device's own 3 pixels
// per point (the @3x images and stores then draw one to one, without resampling): the retained
// frame brought up to date, the exact changed rectangle found inside its damage, and that
// rectangle encoded as the frame message the page receives.
void BM_LivePenFrame(benchmark::State& state) {
    const double kLiveScale = double(state.range(0));
    PenEditor device;
    flint::live::FrameDiffer differ;
    auto differ_update = [&](CARetainedRenderer& frame) {
        std::vector<flint::live::PixelRect> damage;
        for (const auto& d : frame.damage()) damage.push_back({d.x, d.y, d.width, d.height});
        cairo_surface_t* surface = frame.surface();
        cairo_surface_flush(surface);
        return differ.update(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface)),
                             cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                             cairo_image_surface_get_stride(surface), damage);
    };
    differ_update(UIScreenRetainedFrame(kLiveScale));
    std::vector<double> bytes;
    std::uint32_t sequence = 0;
    for (auto _ : state) {
        state.PauseTiming();
        device.move();
        state.ResumeTiming();
        auto rect = differ_update(UIScreenRetainedFrame(kLiveScale));
        if (rect) {
            auto message =
                flint::live::encodeFrameMessage(differ.pixels(), differ.width(), differ.height(), *rect, ++sequence);
            bytes.push_back(double(message.size()));
        }
    }
    std::sort(bytes.begin(), bytes.end());
    state.counters["frames_sent"] = double(bytes.size());
    state.counters["bytes_median"] = bytes.empty() ? 0 : bytes[bytes.size() / 2];
    state.counters["bytes_max"] = bytes.empty() ? 0 : bytes.back();
}
BENCHMARK(BM_LivePenFrame)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_FullPenFrame(benchmark::State& state) {
    PenEditor device;
    auto screen = UIScreen::mainScreen();
    for (auto _ : state) {
        state.PauseTiming();
        device.move();
        state.ResumeTiming();
        benchmark::DoNotOptimize(screen->snapshot(kDeviceScale));
    }
}
BENCHMARK(BM_FullPenFrame)->Unit(benchmark::kMillisecond);

// A frame in which nothing changed: the editor at rest (no animation running), the retained
// renderer's update alone and the screen's frame with its layout pass.
void BM_RetainedUnchangedFrame(benchmark::State& state) {
    PenEditor device;
    auto screen = UIScreen::mainScreen();
    std::vector<CALayer*> roots;
    for (UIWindow* w : screen->visibleWindows()) roots.push_back(w->layer().get());
    CARetainedRenderer& retained = UIScreenRetainedFrame(kDeviceScale);
    double full = fullRenderSeconds();
    UIScreenRetainedFrame(kDeviceScale);
    long long damaged = 0;
    int frames = 0;
    double spent = 0;
    for (auto _ : state) {
        spent += secondsOf([&] { damaged += area(retained.update(roots)); });
        ++frames;
    }
    reportAgainstFull(state, spent, damaged, frames, full);
    state.counters["screen_frame_us"] = secondsOf([&] { UIScreenRetainedFrame(kDeviceScale); }) * 1e6;
}
BENCHMARK(BM_RetainedUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK(BM_CompositeScreen2x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeScreen3x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeScreenNoBackdrop2x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeScreenNoBackdrop3x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintCachedBitmapThroughCompositor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintCachedBitmapPlainCairo)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
