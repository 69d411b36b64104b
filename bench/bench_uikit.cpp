// The view core: a full-screen snapshot of a window holding about 100 views (rows of cards with
// rounded clipped corners, a drawing view, a few shadows and translucent layers) at @3x and @2x;
// a layout pass of the same tree after a window resize (autoresizing plus layoutSubviews); and a
// view-animation block over every view, from creation to completion.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "tests/support/TestProcess.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;

namespace {

UIColorRef rgb(double r, double g, double b, double a = 1) { return UIColor::colorWithRed(r, g, b, a); }

class Sketch : public UIView {
public:
    void drawRect(const CGRect&) override {
        CGContextRef c = UIGraphicsGetCurrentContext();
        c->setFillColor(0.9, 0.3, 0.1, 1);
        for (int i = 0; i < 20; ++i) c->fillRect(CGRectMake(i * 10, i * 4, 8, 8));
    }
};

class Column : public UIView {
public:
    void layoutSubviews() override {
        double y = 8;
        for (auto& v : subviews()) {
            CGRect f = v->frame();
            v->setFrame(CGRectMake(8, y, bounds().size.width - 16, f.size.height));
            y += f.size.height + 8;
        }
    }
};

struct Scene {
    ios::testing::TestProcess process;
    objc::Ref<UIWindow> window;
    int views = 0;

    Scene() {
        window = objc::make<UIWindow>();
        window->setBackgroundColor(rgb(0.95, 0.95, 0.97));
        auto column = objc::make<Column>(window->bounds());
        column->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        window->addSubview(column);
        views = 2;
        for (int row = 0; row < 19; ++row) {
            auto card = objc::make<UIView>(CGRectMake(8, 0, 359, 34));
            card->setBackgroundColor(UIColor::colorWithHue(row / 19.0, 0.4, 0.9, 1));
            card->layer()->setCornerRadius(10);
            card->setClipsToBounds(true);
            if (row % 5 == 0) {
                card->layer()->setShadowOpacity(0.3);
                card->layer()->setShadowRadius(4);
            }
            for (int i = 0; i < 4; ++i) {
                auto chip = objc::make<UIView>(CGRectMake(8 + i * 80, 6, 70, 22));
                chip->setBackgroundColor(rgb(1, 1, 1, 0.6));
                chip->layer()->setCornerRadius(6);
                chip->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin);
                card->addSubview(chip);
                ++views;
            }
            column->addSubview(card);
            ++views;
        }
        auto sketch = objc::make<Sketch>(CGRectMake(8, 0, 359, 90));
        column->addSubview(sketch);
        ++views;
        window->makeKeyAndVisible();
        UIScreen::mainScreen()->snapshot();  // the first display of every view, done once
    }
};

void snapshot(benchmark::State& state, double scale) {
    Scene scene;
    for (auto _ : state) {
        auto image = UIScreen::mainScreen()->snapshot(scale);
        benchmark::DoNotOptimize(image);
    }
    state.counters["views"] = scene.views;
}

void BM_SnapshotFullScreen3x(benchmark::State& state) { snapshot(state, 3); }
void BM_SnapshotFullScreen2x(benchmark::State& state) { snapshot(state, 2); }

void BM_LayoutAfterResize(benchmark::State& state) {
    Scene scene;
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        scene.window->setFrame(CGRectMake(0, 0, wide ? 414 : 375, wide ? 896 : 812));
        scene.window->layoutIfNeeded();
    }
    state.counters["views"] = scene.views;
}

void BM_AnimateEveryView(benchmark::State& state) {
    Scene scene;
    std::vector<UIView*> all;
    std::function<void(UIView&)> collect = [&](UIView& v) {
        all.push_back(&v);
        for (auto& s : v.subviews()) collect(*s);
    };
    collect(*scene.window);
    double alpha = 1;
    for (auto _ : state) {
        alpha = alpha == 1 ? 0.5 : 1;
        bool done = false;
        UIView::animateWithDuration(
            0.25,
            [&] {
                for (UIView* v : all) v->setAlpha(alpha);
            },
            [&](bool) { done = true; });
        scene.process.runLoop().advanceBy(0.3);
        if (!done) state.SkipWithError("completion did not run");
    }
    state.counters["views"] = static_cast<double>(all.size());
}

}  // namespace

BENCHMARK(BM_SnapshotFullScreen3x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotFullScreen2x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutAfterResize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnimateEveryView)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
