#include <gtest/gtest.h>

#include "panel/PanelFixture.h"
#include "platform/services/HBPreferences.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIVisualEffectView.h"

namespace flint {
namespace {

using testing::PanelTest;

void expectRGBA(const ios::UIColorRef& c, double r, double g, double b, double a, const char* what) {
    ASSERT_TRUE(c) << what;
    EXPECT_NEAR(c->red(), r, 1e-9) << what;
    EXPECT_NEAR(c->green(), g, 1e-9) << what;
    EXPECT_NEAR(c->blue(), b, 1e-9) << what;
    EXPECT_NEAR(c->alpha(), a, 1e-9) << what;
}

class ThemeColorTest : public PanelTest {};

// The translucent and tint colours (and the briefly shown banner) by value; the opaque ones are
// checked as the screens draw them (ThemeAsDrawnTest).
TEST_F(ThemeColorTest, AdaptiveModeFollowsTheStyleAndKeepsTheLastValueWhenUnspecified) {
    boot("iphone-x", 0);
    // Unspecified before any resolution: nothing to return yet.
    EXPECT_EQ(flintBannerColor(), nullptr);

    ios::UITraitCollection::setCurrentUserInterfaceStyle(ios::UIUserInterfaceStyle::Dark);
    expectRGBA(flintContainerColor(), 0, 0, 0, 0.3, "container dark");
    expectRGBA(flintLabelColor(), 1, 1, 1, 1, "label dark");
    expectRGBA(flintImageColor(), 1, 1, 1, 1, "image dark");
    expectRGBA(flintBannerColor(), 0.16, 0.16, 0.16, 1, "banner dark");

    ios::UITraitCollection::setCurrentUserInterfaceStyle(ios::UIUserInterfaceStyle::Light);
    expectRGBA(flintContainerColor(), 0.81, 0.81, 0.81, 0.6, "container light");
    expectRGBA(flintLabelColor(), 0.56, 0.56, 0.58, 1, "label light");
    expectRGBA(flintImageColor(), 0.78, 0.78, 0.78, 1, "image light");
    expectRGBA(flintBannerColor(), 1, 1, 1, 1, "banner light");

    // Back to unspecified: the light values stay.
    ios::UITraitCollection::setCurrentUserInterfaceStyle(ios::UIUserInterfaceStyle::Unspecified);
    expectRGBA(flintBannerColor(), 1, 1, 1, 1, "banner kept");
    expectRGBA(flintContainerColor(), 0.81, 0.81, 0.81, 0.6, "container kept");
}

TEST_F(ThemeColorTest, ColourModeReadsTheDictionaryWithTheFallbackAndUnknownModesResolveNothing) {
    writeColors({{"flintLabelColor", "#FF8000"},
                 {"showcaseToolsColor", "#00FF00"},
                 {"showcaseToolColor", "#0000FF"},
                 {"flintButtonColor", "#131314"}});
    boot("iphone-x", 2, {{"appearanceMode", "colorMode"}});
    expectRGBA(flintLabelColor(), 1, 128 / 255.0, 0, 1, "label from the file");
    // The tool colour is stored under the plural key.
    expectRGBA(showcaseToolColor(), 0, 1, 0, 1, "tool");
    // Missing keys and an explicit fallback text give the same colour.
    expectRGBA(flintContainerColor(), 0x13 / 255.0, 0x13 / 255.0, 0x14 / 255.0, 1, "container fallback");
    expectRGBA(flintButtonColor(), 0x13 / 255.0, 0x13 / 255.0, 0x14 / 255.0, 1, "explicit fallback");

    preferences()->setObject("sepiaMode", "appearanceMode");
    expectRGBA(flintLabelColor(), 1, 128 / 255.0, 0, 1, "unknown mode keeps the last value");
    resetThemeColorsForTesting();
    EXPECT_EQ(flintLabelColor(), nullptr);
}

class PanelBackgroundTest : public PanelTest {};

TEST_F(PanelBackgroundTest, DarkAndLightAdaptiveModesPutTheirBlurBehindEverything) {
    boot("iphone-x", 2);
    openPanel();
    FlintHost h = host();
    auto dark = h.blurEffectView1();
    ASSERT_TRUE(dark);
    EXPECT_EQ(h.flintView()->subviews().front(), dark);
    EXPECT_EQ(h.blurEffect1()->style(), ios::UIBlurEffectStyle::Dark);
    EXPECT_EQ(dark->alpha(), 1);
    EXPECT_EQ(dark->frame().size.height, 812);
    EXPECT_EQ(h.blurEffectView2(), nullptr);
    EXPECT_EQ(h.flintView()->backgroundColor(), nullptr);

    ios::UITraitCollection::setCurrentUserInterfaceStyle(ios::UIUserInterfaceStyle::Light);
    ios::tap(centreOf(*h.bottomDismissView()));
    openPanel();
    auto light = h.blurEffectView2();
    ASSERT_TRUE(light);
    EXPECT_EQ(h.flintView()->subviews().front(), light);
    EXPECT_EQ(h.blurEffect2()->style(), ios::UIBlurEffectStyle::Light);
    EXPECT_EQ(light->alpha(), 1);
    // The dark view of the earlier opening is the one the host still holds; it is turned off.
    EXPECT_EQ(h.blurEffectView1(), dark);
    EXPECT_EQ(dark->alpha(), 0);
    // The light theme reached the cards.
    expectRGBA(h.icloudView()->backgroundColor(), 0.81, 0.81, 0.81, 0.6, "light card");
}

TEST_F(PanelBackgroundTest, UnspecifiedStyleLeavesThePanelWithoutBackground) {
    boot("iphone-x", 0);
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.blurEffectView1(), nullptr);
    EXPECT_EQ(h.blurEffectView2(), nullptr);
    EXPECT_EQ(h.flintView()->backgroundColor(), nullptr);
    EXPECT_EQ(h.flintView()->subviews().size(), 9u);
}

TEST_F(PanelBackgroundTest, ColourModePaintsTheDictionaryColoursOnScreen) {
    writeColors({{"flintBackgroundColor", "#336699"}, {"flintContainerColor", "#AA0000"}});
    boot("iphone-8", 2, {{"appearanceMode", "colorMode"}});
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.blurEffectView1(), nullptr);
    EXPECT_EQ(h.blurEffectView2(), nullptr);

    auto shot = ios::UIScreen::mainScreen()->snapshot();
    ASSERT_TRUE(shot);
    auto near = [](ios::UIImage::RGBA p, int r, int g, int b) {
        return std::abs(p.r - r) <= 3 && std::abs(p.g - g) <= 3 && std::abs(p.b - b) <= 3 && p.a == 255;
    };
    // The gap between the two card columns shows the panel's background.
    ios::UIImage::RGBA gap = shot->pixelAtPoint(ios::CGPointMake(375 / 2.0, 200));
    EXPECT_TRUE(near(gap, 0x33, 0x66, 0x99)) << int(gap.r) << "," << int(gap.g) << "," << int(gap.b);
    // An empty part of the user card shows the container colour.
    ios::CGRect user = h.icloudView()->frame();
    ios::UIImage::RGBA card =
        shot->pixelAtPoint(ios::CGPointMake(ios::CGRectGetMaxX(user) - 20, ios::CGRectGetMaxY(user) - 4));
    EXPECT_TRUE(near(card, 0xAA, 0, 0)) << int(card.r) << "," << int(card.g) << "," << int(card.b);
}

TEST_F(PanelBackgroundTest, ColourModeWithoutABackgroundEntryFallsBack) {
    boot("iphone-x", 2, {{"appearanceMode", "colorMode"}});
    openPanel();
    expectRGBA(host().flintView()->backgroundColor(), 0x13 / 255.0, 0x13 / 255.0, 0x14 / 255.0, 1, "fallback");
    EXPECT_EQ(host().blurEffectView1(), nullptr);
}

}  // namespace
}  // namespace flint
