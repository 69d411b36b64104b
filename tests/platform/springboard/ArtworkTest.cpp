// Generated artwork: icon sizes per format, rounded corners, the application's colour, the blank
// placeholder, and the wallpaper gradient of each appearance.

#include <gtest/gtest.h>

#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/springboard/SpringBoard.h"

namespace ios {
namespace {

UIImage::RGBA opaque(std::uint32_t rgb) {
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

TEST(Artwork, IconFormatsSizesCornersAndColour) {
    InstalledApplication app{"com.example.green", "green", 0x00A000};
    auto icon = applicationIconImage(&app, 2, 2);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixelWidth(), 120);
    EXPECT_EQ(icon->pixelHeight(), 120);
    EXPECT_DOUBLE_EQ(icon->size().width, 60);
    // The corners are cut round; just inside the rounding the tile is filled.
    EXPECT_EQ(icon->pixelAt(0, 0).a, 0);
    EXPECT_EQ(icon->pixelAt(119, 119).a, 0);
    EXPECT_EQ(icon->pixelAtPoint({iconCornerRadius(60), 1}).a, 255);
    // Near the bottom, under the letter, the colour is the application's.
    EXPECT_TRUE(testing::pixelNear(icon->pixelAtPoint({30, 55}), opaque(0x00A000), 8));
    // Higher up it is lighter.
    EXPECT_GT(icon->pixelAtPoint({6, 3}).r, 20);
    // The initial is drawn in the middle: some pixels there are not the tile's colour.
    int letterPixels = 0;
    for (int y = 40; y < 80; ++y)
        for (int x = 40; x < 80; ++x)
            if (icon->pixelAt(x, y).r > 200) ++letterPixels;
    EXPECT_GT(letterPixels, 40);

    EXPECT_EQ(applicationIconImage(&app, 0, 3)->pixelWidth(), 87);
    EXPECT_EQ(applicationIconImage(&app, 1, 1)->pixelWidth(), 40);
    EXPECT_EQ(applicationIconImage(&app, 7, 1)->pixelWidth(), 60);
}

TEST(Artwork, PlaceholderIsABlankGreyTile) {
    auto blank = applicationIconImage(nullptr, 2, 1);
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->pixelWidth(), 60);
    EXPECT_EQ(blank->pixelAt(0, 0).a, 0);
    for (CGPoint p : {CGPoint{30, 30}, CGPoint{10, 30}, CGPoint{30, 55}})
        EXPECT_TRUE(testing::pixelNear(blank->pixelAtPoint(p), opaque(kPlaceholderIconColor), 2)) << p.x << "," << p.y;
}

TEST(Artwork, IconsByBundleIdentifierComeFromTheInstalledApplications) {
    testing::TestProcess process;  // iphone-x: scale 3
    auto music = _applicationIconImageForBundleIdentifier("com.apple.Music", 2, 0);
    ASSERT_TRUE(music);
    EXPECT_EQ(music->pixelWidth(), 180);
    const DeviceConfiguration defaults = DeviceConfiguration::defaults();
    const InstalledApplication* app = defaults.applicationWithIdentifier("com.apple.Music");
    ASSERT_TRUE(app);
    EXPECT_TRUE(testing::pixelNear(music->pixelAtPoint({30, 55}), opaque(app->iconColor), 10));
    auto unknown = _applicationIconImageForBundleIdentifier("com.example.not-installed", 2, 2);
    EXPECT_TRUE(testing::pixelNear(unknown->pixelAtPoint({30, 30}), opaque(kPlaceholderIconColor), 2));
}

TEST(Artwork, WallpaperGradientPerAppearance) {
    for (int style : {0, 1, 2}) {
        WallpaperColors colors = wallpaperColorsForStyle(style);
        auto wallpaper = wallpaperImage({100, 400}, 1, style);
        ASSERT_TRUE(wallpaper);
        EXPECT_TRUE(testing::pixelNear(wallpaper->pixelAt(50, 0), opaque(colors.top), 3)) << style;
        EXPECT_TRUE(testing::pixelNear(wallpaper->pixelAt(50, 399), opaque(colors.bottom), 3)) << style;
    }
    EXPECT_NE(wallpaperColorsForStyle(1).top, wallpaperColorsForStyle(2).top);
    EXPECT_EQ(wallpaperColorsForStyle(0).top, wallpaperColorsForStyle(1).top);
}

}  // namespace
}  // namespace ios
