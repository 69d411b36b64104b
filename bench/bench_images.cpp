// Images as people have them: decoding a phone screenshot (1125 × 2436, untagged and with a
// Display P3 profile) and reducing it into a bezel's screen; and the image picker over a library
// of 1,000 such screenshots: opening it (the grid's first frame, then until the thumbnails on
// screen are decoded, with the memory that adds) and scrolling it by a screenful (placing the
// cells, then decoding the screenful). The counters are processor time of the process, so other
// work on the machine does not inflate them.

#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <png.h>

#include <ctime>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "platform/foundation/RunLoop.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/ImageResample.h"
#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;

namespace {

constexpr int kWidth = 1125, kHeight = 2436;

// A screenshot-like picture: a wallpaper gradient, rows of icons and lines of "text".
objc::Ref<UIImage> screenshot() {
    return UIImage::imageWithSize(
        {double(kWidth), double(kHeight)}, 1,
        [](CGContext& c) {
            cairo_t* cr = c.cairo();
            cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, kWidth, kHeight);
            cairo_pattern_add_color_stop_rgb(gradient, 0, 0.35, 0.2, 0.55);
            cairo_pattern_add_color_stop_rgb(gradient, 1, 0.1, 0.3, 0.6);
            cairo_set_source(cr, gradient);
            cairo_paint(cr);
            cairo_pattern_destroy(gradient);
            for (int row = 0; row < 6; ++row)
                for (int col = 0; col < 4; ++col) {
                    cairo_set_source_rgb(cr, (row * 4 + col) % 3 / 2.0, (row + col) % 2, 0.8);
                    cairo_rectangle(cr, 60 + col * 270, 200 + row * 330, 180, 180);
                    cairo_fill(cr);
                    cairo_set_source_rgb(cr, 1, 1, 1);
                    for (int w = 0; w < 5; ++w) cairo_rectangle(cr, 70 + col * 270 + w * 32, 400 + row * 330, 24, 14);
                    cairo_fill(cr);
                }
        },
        true);
}

UIImage::Data displayP3Profile() {
    cmsCIExyY white{0.3127, 0.3290, 1};
    cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    UIImage::Data bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

// The opaque image as an RGB PNG, with an iCCP chunk when a profile is given.
UIImage::Data encodeRGB(const UIImage& image, const UIImage::Data& icc) {
    UIImage::Data out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* o = static_cast<UIImage::Data*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, image.pixelWidth(), image.pixelHeight(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!icc.empty())
        png_set_iCCP(png, info, "Display P3", PNG_COMPRESSION_TYPE_BASE, icc.data(),
                     static_cast<png_uint_32>(icc.size()));
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(image.pixelWidth()) * 3);
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            auto p = image.pixelAt(x, y);
            row[x * 3] = p.r, row[x * 3 + 1] = p.g, row[x * 3 + 2] = p.b;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

const UIImage::Data& screenshotPNG(bool p3) {
    static const objc::Ref<UIImage> picture = screenshot();
    static const UIImage::Data plain = encodeRGB(*picture, {});
    static const UIImage::Data tagged = encodeRGB(*picture, displayP3Profile());
    return p3 ? tagged : plain;
}

void BM_DecodeScreenshot(benchmark::State& state) {
    const auto& bytes = screenshotPNG(state.range(0) != 0);
    for (auto _ : state) {
        auto image = UIImage::imageWithData(bytes);
        if (!image) state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(image);
    }
    state.SetLabel(state.range(0) ? "Display P3" : "untagged");
}
BENCHMARK(BM_DecodeScreenshot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ScreenshotThumbnail(benchmark::State& state) {
    const auto& bytes = screenshotPNG(true);
    for (auto _ : state) benchmark::DoNotOptimize(UIImage::thumbnailWithData(bytes.data(), bytes.size(), 273));
}
BENCHMARK(BM_ScreenshotThumbnail)->Unit(benchmark::kMillisecond);

// The screenshot area-averaged into an edge-to-edge bezel's screen at 3x (753 × 1626 pixels), as
// a mock-up's render draws it.
void BM_FitScreenshotIntoBezel(benchmark::State& state) {
    static const objc::Ref<UIImage> picture = screenshot();
    for (auto _ : state) {
        cairo_surface_t* fitted = areaAveraged(picture->surface(), 753, 1626);
        if (!fitted) state.SkipWithError("not reduced");
        cairo_surface_destroy(fitted);
    }
}
BENCHMARK(BM_FitScreenshotIntoBezel)->Unit(benchmark::kMillisecond);

double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double seconds(double since) { return cpuNow() - since; }

// A device whose library holds 1,000 screenshots (hard links to one P3 screenshot file) and their
// thumbnails.
struct Library {
    ios::testing::TestProcess process;
    objc::Ref<UIWindow> window = objc::make<UIWindow>();
    objc::Ref<UIViewController> root = objc::make<UIViewController>();

    Library() {
        window->setHidden(false);
        window->setRootViewController(root);
        auto folder = UIPhotoLibrary::shared().folder();
        std::filesystem::create_directories(folder);
        const auto first = folder / "IMG_0001.PNG";
        const auto& bytes = screenshotPNG(true);
        std::ofstream(first, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        for (int n = 2; n <= 1000; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.PNG", n);
            std::filesystem::create_hard_link(first, folder / name);
        }
        // The thumbnails as the library keeps them: made once for the first photo, which every
        // other photo is (its store names differ only by the photo's name).
        auto& photos = UIPhotoLibrary::shared();
        const int side = UIImagePickerController::thumbnailSide();
        photos.thumbnailOfPhoto(first, side);
        const auto store = devicePath(UIPhotoLibrary::kThumbnailFolder) / std::to_string(side);
        const auto thumbnail = std::filesystem::directory_iterator(store)->path();
        const auto suffix = thumbnail.filename().string().substr(first.filename().string().size());
        for (int n = 2; n <= 1000; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.PNG", n);
            std::filesystem::create_hard_link(thumbnail, store / (name + suffix));
        }
    }
};

void BM_OpenPicker1000(benchmark::State& state) {
    Library library;
    double firstFrame = 0, untilThumbnails = 0, addedMB = 0;
    for (auto _ : state) {
        const double before = residentMegabytes();
        const auto start = cpuNow();
        auto picker = objc::make<UIImagePickerController>();
        library.root->presentViewController(picker, false);
        picker->view();
        firstFrame += seconds(start);
        library.process.runLoop().runUntilIdle();
        untilThumbnails += seconds(start);
        addedMB = std::max(addedMB, residentMegabytes() - before);
        if (picker->photoCount() != 1000 || picker->thumbnailsPending() != 0) state.SkipWithError("picker not ready");
        if (UIPhotoLibrary::shared().thumbnailsDecodedFromPhotos() != 1) state.SkipWithError("thumbnails not kept");
        state.PauseTiming();
        library.root->dismissViewControllerAnimated(false);
        library.process.runLoop().advanceBy(1);
        state.ResumeTiming();
    }
    state.counters["grid_ms"] = 1000 * firstFrame / double(state.iterations());
    state.counters["thumbnails_ms"] = 1000 * untilThumbnails / double(state.iterations());
    state.counters["added_MB"] = addedMB;
}
BENCHMARK(BM_OpenPicker1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScrollScreenful(benchmark::State& state) {
    Library library;
    auto picker = objc::make<UIImagePickerController>();
    library.root->presentViewController(picker, false);
    library.process.runLoop().runUntilIdle();
    UIScrollView* grid = picker->gridView();
    double placing = 0, decoding = 0;
    for (auto _ : state) {
        CGPoint offset = grid->contentOffset();
        offset.y -= grid->bounds().size.height;
        if (offset.y < 0) offset.y = grid->maximumContentOffset().y;
        auto start = cpuNow();
        grid->setContentOffset(offset);
        placing += seconds(start);
        start = cpuNow();
        library.process.runLoop().runUntilIdle();
        decoding += seconds(start);
    }
    state.counters["scroll_ms"] = 1000 * placing / double(state.iterations());
    state.counters["decode_screenful_ms"] = 1000 * decoding / double(state.iterations());
}
BENCHMARK(BM_ScrollScreenful)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
