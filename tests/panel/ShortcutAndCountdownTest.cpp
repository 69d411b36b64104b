#include <gtest/gtest.h>

#include "panel/CountdownTimers.h"
#include "panel/PanelFixture.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/springboard/SBIconView.h"
#include "platform/uikit/UIScreen.h"

namespace flint {
namespace {

using testing::PanelTest;
using Op = ios::SBOpenRecord::Operation;

class ShortcutTest : public PanelTest {};

TEST_F(ShortcutTest, EveryShortcutOpensItsTargetTapsAndClosesThePanelOnTheNextTurn) {
    boot("iphone-x", 2,
         {{"enableMusicShortcut", true},
          {"twitterUrlString", "https://social.example/flint"},
          {"App3", "com.apple.Music"}});
    ASSERT_EQ(bundleID3, "com.apple.Music");

    struct Case {
        std::function<objc::Ref<ios::UIView>(FlintHost&)> view;
        Op operation;
        std::string request;
    };
    const std::vector<Case> cases = {
        {[](FlintHost& h) { return h.appButton1(); }, Op::Launch, "com.apple.camera"},
        {[](FlintHost& h) { return h.appButton2(); }, Op::Launch, "com.apple.mobileslideshow"},
        {[](FlintHost& h) { return h.appButton3(); }, Op::Launch, "com.apple.Music"},
        {[](FlintHost& h) { return h.appButton4(); }, Op::Launch, "com.apple.AppStore"},
        {[](FlintHost& h) { return h.appButton5(); }, Op::Launch, "com.apple.news"},
        {[](FlintHost& h) { return h.appButton6(); }, Op::Launch, "com.apple.mobiletimer"},
        {[](FlintHost& h) { return h.avatarImage(); }, Op::OpenURL, "prefs:root=CASTLE"},
        {[](FlintHost& h) { return h.settingButton(); }, Op::Launch, "com.apple.Preferences"},
        {[](FlintHost& h) { return h.twitterButton(); }, Op::OpenURLWithOptions, "https://social.example/flint"},
        {[](FlintHost& h) { return h.redditButton(); }, Op::OpenURLWithOptions, kDefaultRedditUrl},
        {[](FlintHost& h) { return h.wifiView(); }, Op::OpenURL, "prefs:root=WIFI"},
        {[](FlintHost& h) { return h.cellularNameLabel(); }, Op::OpenURL, "prefs:root=MOBILE_DATA_SETTINGS_ID"},
        {[](FlintHost& h) { return h.appleMusicImage(); }, Op::Launch, "com.apple.Music"},
        {[](FlintHost& h) { return h.spotifyImage(); }, Op::Launch, "com.spotify.client"},
    };
    auto& home = ios::HomeScreen::shared();
    for (std::size_t n = 0; n < cases.size(); ++n) {
        openPanel();
        ASSERT_TRUE(panelVisible()) << n;
        FlintHost h = host();
        auto view = cases[n].view(h);
        ASSERT_TRUE(view) << n;
        const std::size_t records = home.openRecords().size(), haptics = hapticCount();
        tapView(*view);
        ASSERT_EQ(home.openRecords().size(), records + 1) << n;
        EXPECT_EQ(home.openRecords().back().operation, cases[n].operation) << n;
        EXPECT_EQ(home.openRecords().back().request, cases[n].request) << n;
        EXPECT_EQ(hapticCount(), haptics + 1) << n;
        EXPECT_EQ(gen->style(), ios::UIImpactFeedbackStyle::Medium);
        // Closed at the next turn, not inside the action.
        EXPECT_TRUE(panelVisible()) << n;
        loop().runUntilIdle();
        EXPECT_FALSE(panelVisible()) << n;
        EXPECT_FALSE(h.flintWindow()->isKeyWindow()) << n;
        EXPECT_EQ(h.flintWindow()->rootViewController(), nullptr) << n;
    }
}

TEST_F(ShortcutTest, AnEmptyAddressOpensNothingButStillTapsAndCloses) {
    boot("iphone-x", 2, {{"twitterUrlString", ""}});
    openPanel();
    tapView(*host().twitterButton());
    loop().runUntilIdle();
    const auto* front = ios::HomeScreen::shared().foreground();
    EXPECT_EQ(front, nullptr);
    EXPECT_EQ(ios::HomeScreen::shared().openRecords().back().result, ios::SBOpenRecord::Result::Nothing);
    EXPECT_EQ(hapticCount(), 1u);
    EXPECT_FALSE(panelVisible());
}

TEST_F(ShortcutTest, ThePillAndTheTopZoneCloseThePanelAndTheRestOfTheRootDoesNothing) {
    boot("iphone-8", 2);
    openPanel();
    auto first = host().flintWindow();
    // Between the two columns: the root view itself.
    ios::tap(ios::CGPointMake(375 / 2.0, 300));
    loop().runUntilIdle();
    EXPECT_TRUE(panelVisible());
    ios::tap(centreOf(*host().bottomDismissView()));
    loop().runUntilIdle();
    EXPECT_FALSE(panelVisible());
    EXPECT_TRUE(ios::HomeScreen::shared().openRecords().empty());

    openPanel();
    EXPECT_NE(host().flintWindow(), first);  // a new build replaces the old one
    ASSERT_TRUE(panelVisible());
    ios::tap(ios::CGPointMake(300, 33.35 / 2));
    loop().runUntilIdle();
    EXPECT_FALSE(panelVisible());
    EXPECT_EQ(hapticCount(), 0u);
}

class CountdownTest : public PanelTest {
protected:
    objc::Ref<ios::UILabel> count() { return host().screenshotCountdownLabel(); }
    bool bannerShown() { return !host().screenshotWindow()->isHidden(); }
    std::size_t shots() { return ios::HomeScreen::shared().screenshots().size(); }
};

TEST_F(CountdownTest, ThreeSecondsShowsCountsHidesAtOneActsAtZeroAndResets) {
    boot("iphone-x", 2, {{"screenshotTimerString", "3"}});
    openPanel();
    EXPECT_EQ(count()->text(), "3");
    EXPECT_FALSE(bannerShown());
    tapView(*host().screenshotButton());
    EXPECT_TRUE(bannerShown());
    EXPECT_EQ(hapticCount(), 1u);
    EXPECT_TRUE(panelVisible());  // the panel stays open under the banner
    const double started = loop().now();

    loop().advanceTo(started + 1.0);
    EXPECT_EQ(count()->text(), "2");
    EXPECT_TRUE(bannerShown());
    loop().advanceTo(started + 2.0);
    EXPECT_EQ(count()->text(), "1");
    EXPECT_FALSE(bannerShown());
    EXPECT_EQ(shots(), 0u);
    loop().advanceTo(started + 3.0);
    EXPECT_EQ(shots(), 1u);
    EXPECT_EQ(ios::UIPhotoLibrary::shared().photoCount(), 1u);
    EXPECT_EQ(count()->text(), "3");
    EXPECT_FALSE(host().screenshotTimer()->isValid());
    loop().advanceBy(5);
    EXPECT_EQ(shots(), 1u);
}

TEST_F(CountdownTest, ASecondPressRestartsWithOneTimer) {
    boot("iphone-x", 2, {{"screenshotTimerString", "3"}});
    openPanel();
    tapView(*host().screenshotButton());
    const double first = loop().now();
    // The button stands beside the banner, so it takes the press while the banner shows.
    loop().advanceTo(first + 1.5);
    ASSERT_EQ(count()->text(), "2");
    ASSERT_TRUE(bannerShown());
    auto firstTimer = host().screenshotTimer();
    tapView(*host().screenshotButton());
    const double second = loop().now();
    EXPECT_EQ(count()->text(), "3");
    EXPECT_TRUE(bannerShown());
    EXPECT_FALSE(firstTimer->isValid());
    EXPECT_EQ(hapticCount(), 2u);
    loop().advanceTo(second + 1.0);
    EXPECT_EQ(count()->text(), "2");  // one step a second, not two
    EXPECT_EQ(shots(), 0u);
    loop().advanceTo(second + 2.9);
    EXPECT_EQ(shots(), 0u);
    loop().advanceTo(second + 3.0);
    EXPECT_EQ(shots(), 1u);
    loop().advanceBy(10);
    EXPECT_EQ(shots(), 1u);
}

TEST_F(CountdownTest, TouchesBesideTheBannerReachWhatIsBelowItAndTouchesOnItDoNot) {
    boot("iphone-x", 2, {{"screenshotTimerString", "9"}, {"lockscreenTimerString", "9"}});
    openPanel();
    tapView(*host().screenshotButton());
    const double started = loop().now();
    ASSERT_TRUE(bannerShown());
    const ios::CGRect banner = host().screenshotView()->frame();  // its window sits at the screen's origin
    const ios::CGRect band = host().screenshotWindow()->frame();

    // The banner covers the top half of the lock button; its lower half, still in the banner's
    // band, starts the other countdown.
    auto lock = host().lockscreenButton();
    const ios::CGPoint lower = ios::convertPointToScreen(*lock, ios::CGPointMake(25, 45));
    ASSERT_TRUE(ios::CGRectContainsPoint(band, lower));
    ASSERT_FALSE(ios::CGRectContainsPoint(banner, lower));
    ASSERT_TRUE(ios::CGRectContainsPoint(banner, centreOf(*lock)));
    ios::tap(lower);
    EXPECT_FALSE(host().lockscreenWindow()->isHidden());
    EXPECT_EQ(hapticCount(), 2u);
    loop().advanceTo(started + 1.5);
    EXPECT_EQ(host().lockscreenCountdownLabel()->text(), "8");

    // The banner itself takes its touches: the top zone under it does not close the panel.
    const ios::CGPoint onBanner = ios::CGPointMake(ios::CGRectGetMaxX(banner) - 20, banner.origin.y + 5);
    ASSERT_LT(onBanner.y, 0.05 * 812);
    ios::tap(onBanner);
    loop().runUntilIdle();
    EXPECT_TRUE(panelVisible());
    // Beside it, the top zone does.
    ios::tap(ios::CGPointMake(ios::CGRectGetMaxX(banner) + 30, 20));
    loop().runUntilIdle();
    EXPECT_FALSE(panelVisible());

    // With the panel closed, the top row of icons and the status bar answer under the band.
    ASSERT_TRUE(bannerShown());
    const auto& icons = ios::HomeScreen::shared().iconViews();
    ASSERT_FALSE(icons.empty());
    const ios::CGPoint icon = centreOf(*icons.front());
    ASSERT_TRUE(ios::CGRectContainsPoint(band, icon));
    ASSERT_FALSE(ios::CGRectContainsPoint(banner, icon));
    ios::tap(icon);
    loop().runUntilIdle();
    ASSERT_NE(ios::HomeScreen::shared().foreground(), nullptr);
    EXPECT_EQ(ios::HomeScreen::shared().foreground()->target, icons.front()->application().bundleIdentifier);
    ASSERT_TRUE(bannerShown());
    ASSERT_TRUE(ios::CGRectContainsPoint(band, centreOf(*bar)));
    ios::tap(centreOf(*bar));
    loop().runUntilIdle();
    EXPECT_TRUE(panelVisible());
    // Both countdowns run out, so their timers (which hold the host) end before the process does.
    loop().advanceBy(10);
    EXPECT_TRUE(host().screenshotWindow()->isHidden());
    EXPECT_TRUE(host().lockscreenWindow()->isHidden());
}

class CountdownScreenshotTest : public CountdownTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CountdownScreenshotTest, TheScreenshotNeverShowsTheBanner) {
    const std::string start = GetParam();
    writeColors({{"flintBannerColor", "#FF00FF"}, {"flintContainerColor", "#202020"}});
    boot("iphone-8", 2, {{"appearanceMode", "colorMode"}, {"screenshotTimerString", start}});
    openPanel();
    tapView(*host().screenshotButton());
    ASSERT_TRUE(bannerShown());
    auto magenta = [](ios::UIImage::RGBA p) { return p.r > 230 && p.g < 30 && p.b > 230; };
    const ios::CGRect banner = host().screenshotView()->frame();
    const ios::CGPoint probes[] = {ios::CGPointMake(banner.origin.x + 12, ios::CGRectGetMidY(banner)),
                                   ios::CGPointMake(ios::CGRectGetMaxX(banner) - 12, ios::CGRectGetMidY(banner))};
    // While it counts, the banner is on screen at the probes.
    auto screen = ios::UIScreen::mainScreen()->snapshot();
    ASSERT_TRUE(screen);
    for (const auto& probe : probes) EXPECT_TRUE(magenta(screen->pixelAtPoint(probe)));

    loop().advanceBy(std::stoi(start));
    ASSERT_EQ(shots(), 1u);
    EXPECT_FALSE(bannerShown());
    auto shot = ios::UIPhotoLibrary::shared().imageAtIndex(ios::UIPhotoLibrary::shared().photoCount() - 1);
    ASSERT_TRUE(shot);
    const double scale = shot->pixelWidth() / 375.0;
    ASSERT_NEAR(scale, 2, 1e-9);
    for (const auto& probe : probes) {
        auto p = shot->pixelAt(static_cast<int>(probe.x * scale), static_cast<int>(probe.y * scale));
        EXPECT_FALSE(magenta(p)) << int(p.r) << "," << int(p.g) << "," << int(p.b);
    }
}

INSTANTIATE_TEST_SUITE_P(StartValues, CountdownScreenshotTest, ::testing::Values("1", "2", "3"));

TEST_F(CountdownTest, StartValuesThatAreNotAWholeNumberOfAtLeastOneCountFromTen) {
    for (const char* bad : {"0", "-3", "abc", "", "2.5x"}) EXPECT_EQ(countdownStartValue(bad), "10") << bad;
    EXPECT_EQ(countdownStartValue("1"), "1");
    EXPECT_EQ(countdownStartValue(" 7 "), "7");

    boot("iphone-x", 2, {{"lockscreenTimerString", "-3"}});
    openPanel();
    EXPECT_EQ(host().lockscreenCountdownLabel()->text(), "10");
    tapView(*host().lockscreenButton());
    const double started = loop().now();
    loop().advanceTo(started + 9.5);
    EXPECT_FALSE(ios::HomeScreen::shared().isLocked());
    EXPECT_TRUE(host().lockscreenWindow()->isHidden());
    loop().advanceTo(started + 10.0);
    EXPECT_TRUE(ios::HomeScreen::shared().isLocked());
    EXPECT_EQ(host().lockscreenCountdownLabel()->text(), "10");
}

TEST_F(CountdownTest, AStartValueStoredAsADecimalNumberCountsFromThatNumber) {
    boot("iphone-x", 2, {{"screenshotTimerString", 3.0}, {"lockscreenTimerString", 2.5}});
    openPanel();
    EXPECT_EQ(count()->text(), "3");
    // "2.5" is not a whole number: the lock countdown counts from "10".
    EXPECT_EQ(host().lockscreenCountdownLabel()->text(), "10");
    tapView(*host().screenshotButton());
    const double started = loop().now();
    loop().advanceTo(started + 2.9);
    EXPECT_EQ(shots(), 0u);
    loop().advanceTo(started + 3.0);
    EXPECT_EQ(shots(), 1u);
    EXPECT_EQ(count()->text(), "3");
}

TEST_F(CountdownTest, ReopeningDuringACountdownRestartsTheCountOnTheNewHiddenBanner) {
    boot("iphone-x", 2, {{"screenshotTimerString", "3"}});
    openPanel();
    tapView(*host().screenshotButton());
    const double started = loop().now();
    ios::tap(centreOf(*host().bottomDismissView()));
    loop().advanceTo(started + 2.0);  // banner hidden at "1"
    ASSERT_FALSE(bannerShown());
    openPanel();
    EXPECT_EQ(count()->text(), "3");
    EXPECT_FALSE(bannerShown());
    loop().advanceTo(started + 3.0);
    EXPECT_EQ(count()->text(), "2");
    EXPECT_EQ(shots(), 0u);
    loop().advanceTo(started + 5.0);
    EXPECT_EQ(shots(), 1u);
    EXPECT_EQ(count()->text(), "3");
}

}  // namespace
}  // namespace flint
