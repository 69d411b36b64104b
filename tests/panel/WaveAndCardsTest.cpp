#include <gtest/gtest.h>

#include <cmath>

#include "controls/FlintWaveColors.h"
#include "controls/FlintWaveView.h"
#include "panel/PanelFixture.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/quartz/CADisplayLink.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

namespace ios {
void PrintTo(const Value& value, std::ostream* os) { *os << value.debugDescription(); }
}  // namespace ios

namespace flint {
namespace {

using testing::PanelTest;

class WaveViewTest : public PanelTest {};

TEST_F(WaveViewTest, GeometryLevelAndDrawing) {
    writeColors({{"flintWaveColor", "#00C000"}});
    loadWaveColorDictionary();
    auto wave = objc::make<FlintWaveView>(ios::CGRectMake(7, 9, 300, 50));
    EXPECT_EQ(wave->frame().origin.x, 7);
    EXPECT_EQ(wave->frame().size.width, 50);  // made square
    EXPECT_EQ(wave->frame().size.height, 50);
    EXPECT_EQ(wave->frequency(), 1.5);
    EXPECT_EQ(wave->density(), 5.0);
    EXPECT_EQ(wave->phaseShift(), -0.15000000596046448);
    EXPECT_EQ(wave->primaryWaveLineWidth(), 8.0);
    ASSERT_TRUE(wave->displaylink());

    wave->updateWithPercentCompletion(250);
    EXPECT_EQ(wave->completionInPercent(), 100u);
    wave->updateWithPercentCompletion(0);
    // The surface meets both sides at the baseline; in the middle it swings by at most 16.
    EXPECT_NEAR(wave->surfaceYAt(0), 50, 1e-9);
    EXPECT_NEAR(wave->surfaceYAt(50), 50, 1e-9);
    wave->updateWithPercentCompletion(50);
    EXPECT_NEAR(wave->surfaceYAt(0), 25, 1e-9);
    wave->setPhase(std::numbers::pi / 2 - 2 * std::numbers::pi * 1.5 * 0.5);  // crest in the middle
    EXPECT_NEAR(wave->surfaceYAt(25), 25 + 16, 1e-4);

    // Drawn: the wave colour below the surface, nothing above it.
    wave->setPhase(0);
    ios::UIGraphicsBeginImageContextWithOptions(ios::CGSizeMake(50, 50), false, 2);
    wave->drawRect(wave->bounds());
    auto image = ios::UIGraphicsGetImageFromCurrentImageContext();
    ios::UIGraphicsEndImageContext();
    ios::UIImage::RGBA below = image->pixelAtPoint(ios::CGPointMake(2, 45));
    ios::UIImage::RGBA above = image->pixelAtPoint(ios::CGPointMake(2, 5));
    EXPECT_EQ(below.g, 0xC0);
    EXPECT_EQ(below.a, 255);
    EXPECT_EQ(above.a, 0);
}

TEST_F(WaveViewTest, OneLinkPerViewWeaklyHeldAndNoRedrawOffScreen) {
    boot("iphone-x", 2);
    auto wave = objc::make<FlintWaveView>(ios::CGRectMake(0, 0, 50, 50));
    auto firstLink = wave->displaylink();
    wave->startAnimation();
    EXPECT_FALSE(firstLink->isValid());
    ASSERT_TRUE(wave->displaylink()->isValid());
    EXPECT_TRUE(wave->displaylink()->holdsTargetWeakly());

    // Off screen the phase moves but nothing is redrawn.
    wave->displayIfNeeded();
    const int draws = wave->drawCountForTesting();
    loop().advanceBy(1.0 / 60 + 1e-6);
    EXPECT_NEAR(wave->phase(), -0.15000000596046448, 1e-12);
    wave->displayIfNeeded();
    EXPECT_EQ(wave->drawCountForTesting(), draws);

    auto window = objc::make<ios::UIWindow>(ios::CGRectMake(0, 0, 100, 100));
    window->addSubview(wave);
    window->makeKeyAndVisible();
    wave->displayIfNeeded();
    const int shown = wave->drawCountForTesting();
    loop().advanceBy(1.0 / 60);
    wave->displayIfNeeded();
    EXPECT_GT(wave->drawCountForTesting(), shown);

    auto link = wave->displaylink();
    wave->removeFromSuperview();
    objc::WeakRef<FlintWaveView> weak = wave;
    wave.reset();
    EXPECT_TRUE(weak.expired());  // the link does not keep it
    EXPECT_FALSE(link->isValid());
}

TEST_F(WaveViewTest, AfterFiftyOpeningsExactlyOneWaveViewAnimates) {
    boot("iphone-x", 2, {{"enableWave", true}});
    const int before = FlintWaveView::liveCountForTesting();
    for (int i = 0; i < 50; ++i) {
        openPanel();
        ios::tap(centreOf(*host().bottomDismissView()));
        loop().runUntilIdle();
    }
    openPanel();
    EXPECT_EQ(FlintWaveView::liveCountForTesting() - before, 1);
    auto wave = host().waterView();
    ASSERT_TRUE(wave->displaylink());
    EXPECT_TRUE(wave->displaylink()->isValid());
    const double phase = wave->phase();
    loop().advanceBy(0.5);
    EXPECT_NEAR(wave->phase() - phase, 30 * -0.15000000596046448, 0.16);
}

class CardContentsTest : public PanelTest {};

TEST_F(CardContentsTest, NetworkCardsShowTheDeviceFacts) {
    boot("iphone-x", 2);
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.wifiNameTitleLabel()->text(), "WiFi Name:");
    EXPECT_EQ(h.wifiNameLabel()->text(), "Flint Home");
    EXPECT_EQ(h.wifiIPTitleLabel()->text(), "WiFi IP:");
    EXPECT_EQ(h.wifiIPLabel()->text(), "192.168.1.20\n");
    EXPECT_EQ(h.cellularNameTitleLabel()->text(), "Carrier Name:");
    EXPECT_EQ(h.cellularNameLabel()->text(), "Flint Mobile");
    EXPECT_EQ(h.cellularIPTitleLabel()->text(), "Carrier IP:");
    EXPECT_EQ(h.cellularIPLabel()->text(), "10.72.14.9");
    EXPECT_EQ(h.showcaseLabel()->text(), "Showcase");
    EXPECT_EQ(h.icloudNameLabel()->text(), "iCloud");
    ASSERT_TRUE(h.appButton1()->imageForState(ios::UIControlStateNormal));
    EXPECT_EQ(h.appButton1()->imageForState(ios::UIControlStateNormal)->size().width, 60);
    // Neither optional part of the music card was asked for.
    EXPECT_EQ(h.waterView(), nullptr);
    EXPECT_EQ(h.appleMusicImage(), nullptr);
    EXPECT_EQ(h.spotifyImage(), nullptr);
}

TEST_F(CardContentsTest, NoWiFiAndNoCarrierShowTheirFallbacks) {
    bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone();
    network.wifiNetworks.clear();
    network.carrier = {};
    boot("iphone-x", 2, {}, network);
    openPanel();
    EXPECT_EQ(host().wifiNameLabel()->text(), "Not connected");
    EXPECT_EQ(host().cellularNameLabel()->text(), "(null)");
}

TEST_F(CardContentsTest, TheAvatarComesFromThePreferenceBytesOrTheBundle) {
    auto red = ios::UIImage::imageWithSize(ios::CGSizeMake(30, 30), 1, [](ios::CGContext& c) {
        c.setFillColor(1, 0, 0, 1);
        c.fillRect(ios::CGRectMake(0, 0, 30, 30));
    });
    const std::string longName(400, 'W');
    boot("iphone-x", 2,
         {{"icloudAvatarImage", ios::Value(red->pngRepresentation())}, {"userNameString", longName + " end"}});
    openPanel();
    FlintHost h = host();
    auto picture = h.avatarImage()->image();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelWidth(), 30);
    EXPECT_EQ(picture->pixelAt(15, 15).r, 255);
    EXPECT_EQ(h.avatarImage()->contentMode(), ios::UIViewContentMode::ScaleAspectFill);
    EXPECT_TRUE(h.avatarImage()->clipsToBounds());

    // The long name is cut after four lines.
    auto name = h.icloudNameLabel();
    EXPECT_EQ(name->numberOfLines(), 4);
    auto lineHeight = name->font()->lineHeight();
    EXPECT_LE(name->frame().size.height, 4 * lineHeight + 1);
    EXPECT_GT(name->frame().size.height, 3 * lineHeight);
}

TEST_F(CardContentsTest, AStoredNumberNameShowsAsThePlatformWritesIt) {
    boot("iphone-x", 2, {{"userNameString", 2.5}});
    openPanel();
    EXPECT_EQ(host().icloudNameLabel()->text(), "2.5");
}

class UndecodableAvatarTest : public PanelTest, public ::testing::WithParamInterface<ios::Value> {};

TEST_P(UndecodableAvatarTest, ShowsTheBundleIconAsWhenNoneIsStored) {
    boot("iphone-x", 2, {{"icloudAvatarImage", GetParam()}});
    openPanel();
    auto expected = ios::UIImage::imageWithContentsOfFile("/Library/Application Support/Flint.bundle/icloud.png");
    auto shown = host().avatarImage()->image();
    ASSERT_TRUE(expected);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->pixelWidth(), expected->pixelWidth());
    for (int y = 0; y < shown->pixelHeight(); y += 7)
        for (int x = 0; x < shown->pixelWidth(); x += 7) ASSERT_EQ(shown->pixelAt(x, y), expected->pixelAt(x, y));
    EXPECT_TRUE(process.process().log().contains("Flint: the stored avatar cannot be decoded; showing icloud.png"));
}

INSTANTIATE_TEST_SUITE_P(StoredValues, UndecodableAvatarTest,
                         ::testing::Values(ios::Value(ios::Data{'n', 'o', 't', ' ', 'a', 'p', 'n', 'g'}),
                                           ios::Value(ios::Data{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0}),
                                           ios::Value("a picture")));

TEST_F(CardContentsTest, WithoutAStoredPictureTheBundleIconShowsInItsOwnColours) {
    boot("iphone-x", 2, {{"enableWave", true}, {"enableMusicShortcut", true}});
    openPanel();
    FlintHost h = host();
    auto expected = ios::UIImage::imageWithContentsOfFile("/Library/Application Support/Flint.bundle/icloud.png");
    auto shown = h.avatarImage()->image();
    ASSERT_TRUE(expected && shown);
    EXPECT_EQ(shown->pixelWidth(), expected->pixelWidth());
    EXPECT_EQ(shown->renderingMode(), ios::UIImageRenderingMode::Automatic);
    EXPECT_EQ(shown->pixelAt(shown->pixelWidth() / 2, shown->pixelHeight() / 2),
              expected->pixelAt(expected->pixelWidth() / 2, expected->pixelHeight() / 2));
    EXPECT_TRUE(h.waterView());
    EXPECT_TRUE(h.appleMusicImage());
    EXPECT_TRUE(h.spotifyImage());
    // Utilities icons are templates in the theme's image colour.
    EXPECT_EQ(h.lockscreenImage()->image()->renderingMode(), ios::UIImageRenderingMode::AlwaysTemplate);
    EXPECT_TRUE(h.lockscreenImage()->tintColor()->isClose(*ios::UIColor::whiteColor()));
}

}  // namespace
}  // namespace flint
