// Painting hot paths of the drawing stand-in: a full-screen cached bitmap through CGContext
// against the same paint done directly in Cairo, and one short pen stroke in a small dirty
// rectangle (what the drawing canvas does per touch move).

#include <chrono>

#include <benchmark/benchmark.h>
#include <cairo.h>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"

using namespace ios;

namespace {

constexpr double kWidth = 375, kHeight = 812, kScale = 3;

objc::Ref<UIImage> cachedBitmap() {
    static auto image = UIImage::imageWithSize({kWidth, kHeight}, kScale, [](CGContext& c) {
        c.setFillColor(0.9, 0.3, 0.2, 0.8);
        c.fillRect(CGRectMake(0, 0, kWidth, kHeight / 2));
        c.setStrokeColor(0.1, 0.2, 0.9, 1);
        c.setLineWidth(6);
        for (int i = 0; i < 40; ++i) {
            c.moveToPoint(i * 9, 0);
            c.addLineToPoint(kWidth - i * 9, kHeight);
        }
        c.strokePath();
    });
    return image;
}

cairo_surface_t* screenSurface() {
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(kWidth * kScale),
                                      static_cast<int>(kHeight * kScale));
}

double plainPaintSeconds(cairo_t* cr, cairo_surface_t* source) {
    auto start = std::chrono::steady_clock::now();
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_paint(cr);
    cairo_surface_flush(cairo_get_target(cr));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PlainCairoPaint(benchmark::State& state) {
    auto image = cachedBitmap();
    cairo_surface_t* target = screenSurface();
    cairo_t* cr = cairo_create(target);
    for (auto _ : state) {
        cairo_set_source_surface(cr, image->surface(), 0, 0);
        cairo_paint(cr);
        cairo_surface_flush(target);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}
BENCHMARK(BM_PlainCairoPaint)->Unit(benchmark::kMillisecond);

// The cached bitmap drawn in points through the context (scale 3), timed against a plain Cairo
// paint of the same surface in the same iteration; "ratio" is cached ÷ plain (target: < 2).
void BM_CachedBitmapPaint(benchmark::State& state) {
    auto image = cachedBitmap();
    cairo_surface_t* target = screenSurface();
    cairo_t* plain = cairo_create(target);
    double cachedTotal = 0, plainTotal = 0;
    {
        CGContext context(target, kScale);
        for (auto _ : state) {
            auto start = std::chrono::steady_clock::now();
            context.drawImage(CGRectMake(0, 0, kWidth, kHeight), *image);
            cairo_surface_flush(target);
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            state.SetIterationTime(seconds);
            cachedTotal += seconds;
            plainTotal += plainPaintSeconds(plain, image->surface());
        }
    }
    state.counters["ratio"] = plainTotal > 0 ? cachedTotal / plainTotal : 0;
    cairo_destroy(plain);
    cairo_surface_destroy(target);
}
BENCHMARK(BM_CachedBitmapPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

// One pen segment: clip to the segment's box grown by the line width, repaint the cached bitmap
// there, stroke the smoothed segment with round caps.
void BM_ShortStrokeInDirtyRect(benchmark::State& state) {
    auto image = cachedBitmap();
    cairo_surface_t* target = screenSurface();
    CGContext context(target, kScale);
    double x = 100;
    for (auto _ : state) {
        CGRect dirty = CGRectMake(x - 20, 380, 60, 60);
        context.saveGState();
        context.clipToRect(dirty);
        context.drawImage(CGRectMake(0, 0, kWidth, kHeight), *image);
        context.moveToPoint(x, 400);
        context.addQuadCurveToPoint(x + 5, 410, x + 12, 404);
        context.setLineCap(kCGLineCapRound);
        context.setLineWidth(5);
        context.setStrokeColor(0, 0, 0, 1);
        context.strokePath();
        context.restoreGState();
        x = x > 300 ? 100 : x + 3;
    }
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
}
BENCHMARK(BM_ShortStrokeInDirtyRect)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
