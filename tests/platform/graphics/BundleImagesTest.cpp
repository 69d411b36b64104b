// The images drawn by the build into <build>/resources/Flint.bundle, checked through UIImage.

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/PixelProbe.h"
#include "platform/graphics/UIImage.h"

using namespace ios;
using ios::testing::pixelNear;

namespace {

std::filesystem::path bundleFolder() {
    // Test programs live in <build>/bin; the bundle is drawn into <build>/resources.
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return exe.parent_path().parent_path() / "resources" / "Flint.bundle";
}

objc::Ref<UIImage> load(const std::string& name, int scale) {
    std::string file = name + (scale == 1 ? "" : "@" + std::to_string(scale) + "x") + ".png";
    return UIImage::imageWithContentsOfHostFile(bundleFolder() / file, scale);
}

struct Expected {
    const char* name;
    double width, height;
};

const std::vector<std::string> kTemplates = {"lockscreen", "screenshot", "setting", "twitter", "reddit", "back", "play",
                                             "pause",      "next",       "save",    "share",   "clear",  "undo", "redo",
                                             "circle",     "square",     "pen",     "arrow",   "text"};

std::vector<Expected> everyImage() {
    std::vector<Expected> all;
    for (const std::string& t : kTemplates) all.push_back({t.c_str(), 50, 50});
    for (const char* n : {"icloud", "wifi", "cellular", "music", "spotify"}) all.push_back({n, 50, 50});
    all.push_back({"showcase", 100, 100});
    all.push_back({"music-banner", 320, 160});
    static std::vector<std::string> previews;
    if (previews.empty())
        for (int i = 1; i <= 10; ++i) previews.push_back("showcase" + std::to_string(i));
    for (const std::string& p : previews) all.push_back({p.c_str(), 240, 400});
    for (const char* n :
         {"iPhoneX-silver", "iPhoneX-black", "iPhoneX-blue", "iPhoneX-yellow", "iPhoneX-coral", "iPhoneX-red"})
        all.push_back({n, 287, 571});
    for (const char* n : {"iPhone-silver", "iPhone-rosegold", "iPhone-gold", "iPhone-black"})
        all.push_back({n, 284, 576});
    all.push_back({"iPhoneX-mask", 251, 542});
    all.push_back({"iPhone-mask", 250, 440});
    all.push_back({"sticker_close", 24, 24});
    all.push_back({"sticker_resize", 24, 24});
    all.push_back({"colorTrack", 300, 20});
    return all;
}

}  // namespace

TEST(BundleImages, EveryImageExistsAtThreeScalesWithItsSize) {
    ASSERT_TRUE(std::filesystem::is_directory(bundleFolder())) << bundleFolder();
    auto all = everyImage();
    EXPECT_EQ(all.size(), 51u);  // the names the system loads
    for (const Expected& e : all) {
        for (int scale = 1; scale <= 3; ++scale) {
            auto image = load(e.name, scale);
            ASSERT_TRUE(image) << e.name << " @" << scale;
            EXPECT_EQ(image->size(), (CGSize{std::ceil(e.width * scale) / scale, std::ceil(e.height * scale) / scale}))
                << e.name << " @" << scale;
            EXPECT_EQ(image->scale(), scale);
        }
    }
}

TEST(BundleImages, TemplateGlyphsAreOneColourOnTransparency) {
    for (const std::string& name : kTemplates) {
        auto image = load(name, 2);
        ASSERT_TRUE(image) << name;
        int opaque = 0, clear = 0, coloured = 0;
        for (int y = 0; y < image->pixelHeight(); ++y) {
            for (int x = 0; x < image->pixelWidth(); ++x) {
                auto p = image->pixelAt(x, y);
                if (p.a == 0) ++clear;
                if (p.a > 250) ++opaque;
                if (p.a > 0 && (p.r > 2 || p.g > 2 || p.b > 2)) ++coloured;
            }
        }
        int total = image->pixelWidth() * image->pixelHeight();
        EXPECT_EQ(coloured, 0) << name;
        EXPECT_GT(opaque, total / 20) << name;
        EXPECT_GT(clear, total / 4) << name;
    }
}

TEST(BundleImages, EdgeToEdgeMaskCutsCornersAndNotch) {
    auto mask = load("iPhoneX-mask", 1);
    ASSERT_TRUE(mask);
    EXPECT_TRUE(pixelNear(mask->pixelAtPoint({125, 271}), {255, 255, 255, 255}));
    EXPECT_EQ(mask->pixelAtPoint({1, 1}).a, 0);       // rounded corner
    EXPECT_EQ(mask->pixelAtPoint({125, 5}).a, 0);     // notch
    EXPECT_EQ(mask->pixelAtPoint({20, 5}).a, 255);    // beside the notch
    EXPECT_EQ(mask->pixelAtPoint({125, 30}).a, 255);  // below the notch
    auto home = load("iPhone-mask", 1);
    ASSERT_TRUE(home);
    EXPECT_EQ(home->pixelAtPoint({0.5, 0.5}).a, 255);
    EXPECT_EQ(home->pixelAtPoint({249.5, 439.5}).a, 255);
}

TEST(BundleImages, BezelsFrameADarkScreenOpening) {
    for (const char* name : {"iPhoneX-silver", "iPhoneX-coral"}) {
        auto bezel = load(name, 1);
        ASSERT_TRUE(bezel);
        EXPECT_EQ(bezel->pixelAtPoint({1, 1}).a, 0) << name;  // rounded outer corner
        auto screen = bezel->pixelAtPoint({143.5, 285.5});
        EXPECT_EQ(screen.a, 255) << name;
        EXPECT_LT(screen.r + screen.g + screen.b, 90) << name;
        EXPECT_EQ(bezel->pixelAtPoint({1.5, 285}).a, 255) << name;  // the metal band
    }
    // The coloured families differ in their band colour.
    auto silver = load("iPhoneX-silver", 1)->pixelAtPoint({143, 1.5});
    auto coral = load("iPhoneX-coral", 1)->pixelAtPoint({143, 1.5});
    EXPECT_GT(coral.r - coral.b, silver.r - silver.b + 40);
    // Home-button family: the screen area (250 × 440, centre 2 points below the bezel's) is dark,
    // the home button below it is not part of the screen.
    auto home = load("iPhone-silver", 1);
    ASSERT_TRUE(home);
    auto top = home->pixelAtPoint({142, 71});
    auto bottom = home->pixelAtPoint({142, 509});
    EXPECT_LT(top.r + top.g + top.b, 90);
    EXPECT_LT(bottom.r + bottom.g + bottom.b, 90);
    auto above = home->pixelAtPoint({100, 68});
    EXPECT_GT(above.r + above.g + above.b, 500);  // white front of a silver phone
}

TEST(BundleImages, ColourTrackRunsThroughTheHues) {
    auto track = load("colorTrack", 3);
    ASSERT_TRUE(track);
    int w = track->pixelWidth();
    for (int x : {0, w / 6, w / 3, w / 2, 2 * w / 3, 5 * w / 6, w - 1}) {
        auto p = track->pixelAt(x, track->pixelHeight() / 2);
        ASSERT_EQ(p.a, 255);
        double hue;
        UIColor::colorWithRed(p.r / 255.0, p.g / 255.0, p.b / 255.0, 1)->getHue(&hue, nullptr, nullptr, nullptr);
        double expected = double(x) / (w - 1);
        // Hue 1 reads back as hue 0: both are red.
        double diff = std::abs(hue - expected);
        EXPECT_LT(std::min(diff, 1 - diff), 0.01) << "column " << x;
    }
    EXPECT_TRUE(pixelNear(track->pixelAt(0, 5), {255, 0, 0, 255}));
    EXPECT_TRUE(pixelNear(track->pixelAt(w - 1, 5), {255, 0, 0, 255}));
}

TEST(BundleImages, PreviewsHoldAScreenInsideTheBezel) {
    auto preview = load("showcase1", 2);
    ASSERT_TRUE(preview);
    EXPECT_GT(preview->size().height, preview->size().width);
    // The middle of the preview shows the colourful sample screen, not the dark glass.
    int colourful = 0;
    for (int y = 150; y < 250; y += 10) {
        auto p = preview->pixelAtPoint({120, double(y)});
        if (std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 40) ++colourful;
    }
    EXPECT_GT(colourful, 3);
}
