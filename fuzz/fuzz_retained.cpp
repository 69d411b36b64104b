// Random layer trees and changes taken from the input: after every step the retained frame must
// be byte for byte the full render of the same trees (and the same media time).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "tests/support/TestProcess.h"
#include "platform/quartz/CACompositor.h"
#include "platform/quartz/CARetainedRenderer.h"
#include "tests/support/RandomLayerScene.h"

using namespace ios;

namespace {

bool identical(const CARetainedRenderer& retained, const std::vector<CALayer*>& roots, const UIColorRef& background) {
    UIImageRef full = CACompositor::render(roots, retained.size(), retained.scale(), background);
    cairo_surface_t* a = retained.surface();
    cairo_surface_t* b = full->surface();
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
    for (int y = 0; y < h; ++y)
        if (std::memcmp(cairo_image_surface_get_data(a) + y * cairo_image_surface_get_stride(a),
                        cairo_image_surface_get_data(b) + y * cairo_image_surface_get_stride(b),
                        static_cast<std::size_t>(w) * 4))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    ios::testing::TestProcess process;
    // The first four bytes seed the tree; the rest choose the changes, two bytes per draw (an
    // exhausted input reads as zeros and ends the run below).
    std::uint32_t seed = 0;
    for (int i = 0; i < 4; ++i) seed = (seed << 8) | data[i];
    std::mt19937 tree(seed);
    bool building = true;
    std::size_t at = 4;
    auto next = [&]() -> std::uint32_t {
        if (building) return static_cast<std::uint32_t>(tree());
        std::uint32_t v = 0;
        for (int i = 0; i < 2; ++i) v = (v << 8) | (at < size ? data[at++] : 0);
        return v;
    };
    ios::testing::RandomLayerScene scene(next, {80, 100});
    building = false;
    double scale = data[0] % 2 ? 1 : 2;
    UIColorRef background = data[1] % 2 ? UIColor::blackColor() : nullptr;
    CARetainedRenderer retained({80, 100}, scale, background);
    retained.update(scene.roots());
    for (int step = 0; step < 40 && at < size; ++step) {
        std::string what = scene.step();
        if (scene.pick(2)) process.runLoop().advanceBy(scene.between(0.01, 0.3));
        retained.update(scene.roots());
        if (!identical(retained, scene.roots(), background)) {
            std::fprintf(stderr, "retained frame differs from the full render after step %d (%s)\n", step,
                         what.c_str());
            std::abort();
        }
    }
    return 0;
}
