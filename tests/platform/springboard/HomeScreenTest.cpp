// The home screen: its windows and icons, the shared application's operations (launch, open
// address, screenshot, lock), the status-bar clock and the rendered screen.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/SBApplicationScreenView.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/springboard/SBIconView.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIWindow.h"

namespace ios {
namespace {

Process::Options optionsFor(const std::string& profile, int style) {
    Process::Options options;
    options.profile = *deviceProfileNamed(profile);
    options.profile.userInterfaceStyle = style;
    return options;
}

UIImage::RGBA opaque(std::uint32_t rgb) {
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

UIImage::RGBA mix(std::uint32_t a, std::uint32_t b, double t) {
    auto c = [&](int shift) {
        return std::uint8_t(std::lround(((a >> shift) & 0xff) * (1 - t) + ((b >> shift) & 0xff) * t));
    };
    return {c(16), c(8), c(0), 255};
}

bool logMentions(const std::string& text) {
    for (const auto& line : Process::shared().log().lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

class HomeScreenTest : public ::testing::Test {
protected:
    std::unique_ptr<testing::TestProcess> process;
    HomeScreen* home = nullptr;
    void boot(const std::string& profile = "iphone-x", int style = 2) {
        process = std::make_unique<testing::TestProcess>(optionsFor(profile, style));
        home = &HomeScreen::shared();
        home->boot();
    }
    void TearDown() override { process.reset(); }
};

TEST_F(HomeScreenTest, BootsWithWallpaperIconsAndAStatusBarWindow) {
    boot("iphone-x");
    auto screen = UIScreen::mainScreen();
    auto visible = screen->visibleWindows();
    ASSERT_EQ(visible.size(), 2u);
    EXPECT_EQ(visible[0], home->homeWindow().get());
    EXPECT_EQ(visible[1], home->statusBarWindow().get());
    EXPECT_EQ(home->statusBarWindow()->windowLevel(), 1000);
    EXPECT_EQ(home->statusBar()->window(), home->statusBarWindow().get());
    EXPECT_EQ(home->statusBar()->frame(), CGRectMake(0, 0, 375, 44));
    EXPECT_EQ(home->homeWindow()->frame(), CGRectMake(0, 0, 375, 812));

    const auto& apps = home->configuration().applications;
    ASSERT_EQ(home->iconViews().size(), apps.size());
    for (std::size_t i = 0; i < apps.size(); ++i) {
        EXPECT_EQ(home->iconViews()[i]->application().bundleIdentifier, apps[i].bundleIdentifier);
        EXPECT_EQ(home->iconViews()[i]->superview(), home->homeWindow().get());
    }
    // Four columns, evenly spaced, below the status bar; the next row starts under the first.
    CGRect first = home->iconViewFrame(0), second = home->iconViewFrame(1), fifth = home->iconViewFrame(4);
    EXPECT_GT(first.origin.y, 44);
    EXPECT_DOUBLE_EQ(fifth.origin.x, first.origin.x);
    EXPECT_GT(fifth.origin.y, CGRectGetMaxY(first));
    EXPECT_DOUBLE_EQ(second.origin.x - first.origin.x, 60 + (375 - 240) / 5.0);
    EXPECT_TRUE(objc::cast<SpringBoard>(UIApplication::sharedApplication()));

    // Booting again changes nothing.
    home->boot();
    EXPECT_EQ(screen->visibleWindows().size(), 2u);
}

TEST_F(HomeScreenTest, StatusBarHeightFollowsTheProfile) {
    boot("iphone-8");
    EXPECT_DOUBLE_EQ(home->statusBar()->bounds().size.height, 20);
    EXPECT_DOUBLE_EQ(home->statusBarWindow()->bounds().size.height, 20);
    EXPECT_DOUBLE_EQ(home->statusBar()->bounds().size.width, 375);
}

TEST_F(HomeScreenTest, LaunchingApplications) {
    boot();
    auto app = UIApplication::sharedApplication();
    EXPECT_TRUE(app->launchApplicationWithIdentifier("com.apple.Music", false));
    ASSERT_TRUE(home->foreground());
    EXPECT_EQ(home->foreground()->target, "com.apple.Music");
    ASSERT_TRUE(home->foregroundWindow());
    EXPECT_FALSE(home->foregroundWindow()->isHidden());
    auto visible = UIScreen::mainScreen()->visibleWindows();
    ASSERT_EQ(visible.size(), 3u);
    EXPECT_EQ(visible[1], home->foregroundWindow().get());  // above the icons, below the status bar
    auto screen = objc::cast<SBApplicationScreenView>(home->foregroundWindow()->subviews().at(0));
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->kind(), SBApplicationScreenView::Kind::Application);
    EXPECT_EQ(screen->application().name, "Music");

    // An unknown identifier opens nothing but is recorded; the foreground stays.
    EXPECT_FALSE(app->launchApplicationWithIdentifier("com.example.missing", false));
    EXPECT_EQ(home->foreground()->target, "com.apple.Music");
    ASSERT_EQ(home->openRecords().size(), 2u);
    EXPECT_EQ(home->openRecords()[1].result, SBOpenRecord::Result::Nothing);
    EXPECT_TRUE(logMentions("no installed application \"com.example.missing\""));

    // Suspended: launched, recorded, but not brought forward.
    EXPECT_TRUE(app->launchApplicationWithIdentifier("com.spotify.client", true));
    EXPECT_EQ(home->foreground()->target, "com.apple.Music");
    EXPECT_TRUE(home->openRecords().back().suspended);

    home->goHome();
    EXPECT_FALSE(home->foreground());
    EXPECT_EQ(UIScreen::mainScreen()->visibleWindows().size(), 2u);
}

TEST_F(HomeScreenTest, OpeningAddresses) {
    boot();
    auto app = UIApplication::sharedApplication();
    EXPECT_TRUE(app->openURL("prefs:root=WIFI"));
    ASSERT_TRUE(home->foreground());
    EXPECT_EQ(home->foreground()->result, SBOpenRecord::Result::SettingsPage);
    EXPECT_EQ(home->foreground()->target, "WIFI");
    auto page = objc::cast<SBApplicationScreenView>(home->foregroundWindow()->subviews().at(0));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->kind(), SBApplicationScreenView::Kind::SettingsPage);
    EXPECT_EQ(page->detail(), "Wi-Fi");
    EXPECT_TRUE(app->openURL("prefs:root=MOBILE_DATA_SETTINGS_ID&path=x"));
    EXPECT_EQ(home->foreground()->target, "MOBILE_DATA_SETTINGS_ID");
    EXPECT_EQ(HomeScreen::settingsPageTitle("CASTLE"), "Apple ID");
    EXPECT_EQ(HomeScreen::settingsPageTitle("SOMETHING"), "SOMETHING");

    bool completed = false, result = false;
    app->openURL("https://example.org/path?q=1", {}, [&](bool success) {
        completed = true;
        result = success;
    });
    EXPECT_FALSE(completed);  // the completion runs on the run loop
    process->runLoop().runUntilIdle();
    EXPECT_TRUE(completed);
    EXPECT_TRUE(result);
    EXPECT_EQ(home->foreground()->result, SBOpenRecord::Result::WebPage);
    EXPECT_EQ(home->foreground()->operation, SBOpenRecord::Operation::OpenURLWithOptions);
    auto browser = objc::cast<SBApplicationScreenView>(home->foregroundWindow()->subviews().at(0));
    EXPECT_EQ(browser->kind(), SBApplicationScreenView::Kind::WebPage);
    EXPECT_EQ(browser->detail(), "https://example.org/path?q=1");

    // Nothing opens for these; each is recorded and logged, and the browser stays in front.
    std::size_t before = home->openRecords().size();
    for (const char* bad :
         {"", "no scheme", "http://", "https:example.org", "prefs:", "prefs:root=", "mailto:x@y", "1http://a.b"})
        EXPECT_FALSE(app->openURL(bad)) << bad;
    EXPECT_EQ(home->openRecords().size(), before + 8);
    for (std::size_t i = before; i < home->openRecords().size(); ++i)
        EXPECT_EQ(home->openRecords()[i].result, SBOpenRecord::Result::Nothing);
    EXPECT_TRUE(logMentions("cannot open \"\": empty address"));
    EXPECT_TRUE(logMentions("cannot open \"http://\": a web address needs a host"));
    EXPECT_EQ(home->foreground()->result, SBOpenRecord::Result::WebPage);
    EXPECT_FALSE(app->canOpenURL("mailto:x@y"));
    EXPECT_TRUE(app->canOpenURL("App-prefs:root=General"));

    completed = false;
    app->openURL("", {}, [&](bool success) {
        completed = true;
        result = success;
    });
    process->runLoop().runUntilIdle();
    EXPECT_TRUE(completed);
    EXPECT_FALSE(result);
}

TEST_F(HomeScreenTest, TappingAnIconLaunchesItsApplication) {
    boot();
    CGRect third = home->iconViewFrame(2);
    tap(CGPointMake(CGRectGetMidX(third), third.origin.y + 30));
    ASSERT_TRUE(home->foreground());
    EXPECT_EQ(home->foreground()->target, home->configuration().applications[2].bundleIdentifier);
    home->goHome();
    // A finger that slides off the icon before lifting launches nothing.
    swipe(CGPointMake(CGRectGetMidX(third), third.origin.y + 30),
          CGPointMake(CGRectGetMidX(third), third.origin.y + 200));
    EXPECT_FALSE(home->foreground());
}

TEST_F(HomeScreenTest, OperationsAreReachableBySelector) {
    boot();
    auto app = UIApplication::sharedApplication();
    objc::msgSend(app, objc::sel("_simulateLockButtonPress"));
    EXPECT_TRUE(home->isLocked());
}

TEST_F(HomeScreenTest, LockScreenShowsOverTheApplicationAndBelowTheStatusBar) {
    boot("iphone-8", 1);
    auto app = UIApplication::sharedApplication();
    app->launchApplicationWithIdentifier("com.apple.camera", false);
    app->_simulateLockButtonPress();
    EXPECT_TRUE(home->isLocked());
    auto visible = UIScreen::mainScreen()->visibleWindows();
    ASSERT_EQ(visible.size(), 4u);
    EXPECT_EQ(visible[2], home->lockScreenWindow().get());
    EXPECT_EQ(visible[3], home->statusBarWindow().get());
    // Pressing again keeps it locked with one lock screen.
    app->_simulateLockButtonPress();
    EXPECT_EQ(UIScreen::mainScreen()->visibleWindows().size(), 4u);

    // The lock screen is the wallpaper dimmed: probe low on the screen, under the time.
    auto image = home->snapshot(1);
    WallpaperColors colors = wallpaperColorsForStyle(1);
    UIImage::RGBA wallpaper = mix(colors.top, colors.bottom, 640.0 / 667);
    UIImage::RGBA dimmed{std::uint8_t(wallpaper.r * 0.65), std::uint8_t(wallpaper.g * 0.65),
                         std::uint8_t(wallpaper.b * 0.65), 255};
    EXPECT_TRUE(testing::pixelNear(image->pixelAtPoint({300, 640}), dimmed, 6));

    home->unlock();
    EXPECT_FALSE(home->isLocked());
    EXPECT_EQ(UIScreen::mainScreen()->visibleWindows().size(), 3u);
}

TEST_F(HomeScreenTest, ScreenshotsGoToThePhotoFolderAsScreenSizedPNGs) {
    boot("iphone-11", 2);
    auto app = UIApplication::sharedApplication();
    app->takeScreenshot();
    app->takeScreenshot();
    ASSERT_EQ(home->screenshots().size(), 2u);
    EXPECT_EQ(home->screenshots()[0], devicePath("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
    EXPECT_EQ(home->screenshots()[1].filename(), "IMG_0002.PNG");
    auto saved = UIImage::imageWithContentsOfHostFile(home->screenshots()[0], 1);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->pixelWidth(), 828);
    EXPECT_EQ(saved->pixelHeight(), 1792);
    // It is the screen: the wallpaper's bottom colour at the bottom.
    EXPECT_TRUE(testing::pixelNear(saved->pixelAt(414, 1790), opaque(wallpaperColorsForStyle(2).bottom), 6));
}

TEST_F(HomeScreenTest, StatusBarClockFollowsTheMediaClock) {
    EXPECT_EQ(_UIStatusBar::timeTextAt(0), "9:41");
    EXPECT_EQ(_UIStatusBar::timeTextAt(59.9), "9:41");
    EXPECT_EQ(_UIStatusBar::timeTextAt(60), "9:42");
    EXPECT_EQ(_UIStatusBar::timeTextAt(19 * 60), "10:00");
    EXPECT_EQ(_UIStatusBar::timeTextAt(3 * 3600 + 19 * 60), "1:00");
    EXPECT_EQ(_UIStatusBar::timeTextAt(2 * 3600 + 19 * 60), "12:00");

    boot();
    auto bar = home->statusBar();
    home->snapshot(1);
    int draws = bar->drawCountForTesting();
    process->runLoop().advanceBy(30);
    home->snapshot(1);
    EXPECT_EQ(bar->drawCountForTesting(), draws);  // same minute: not redrawn
    process->runLoop().advanceBy(31);
    home->snapshot(1);
    EXPECT_EQ(bar->drawCountForTesting(), draws + 1);
    EXPECT_EQ(_UIStatusBar::timeText(), "9:42");
}

// The rendered home screen of each profile and appearance, probed at the battery, the
// wallpaper's bottom and the first icon.
TEST_F(HomeScreenTest, RenderedScreenOfEveryProfileAndAppearance) {
    for (const auto& profile : deviceProfiles()) {
        for (int style : {1, 2}) {
            SCOPED_TRACE(profile.name + (style == 1 ? " light" : " dark"));
            boot(profile.name, style);
            auto image = home->snapshot(0);
            ASSERT_TRUE(image);
            EXPECT_EQ(image->pixelWidth(), int(profile.width * profile.scale));
            EXPECT_EQ(image->pixelHeight(), int(profile.height * profile.scale));
            UIImage::RGBA foreground = style == 2 ? testing::kOpaqueWhite : testing::kOpaqueBlack;
            CGRect fill = home->statusBar()->batteryFillFrame();
            EXPECT_TRUE(
                testing::pixelNear(image->pixelAtPoint({CGRectGetMidX(fill), CGRectGetMidY(fill)}), foreground, 40));
            EXPECT_LE(CGRectGetMaxY(home->statusBar()->batteryFrame()), profile.statusBarHeight);
            // Just below the status bar, at the far left, is wallpaper.
            WallpaperColors colors = wallpaperColorsForStyle(style);
            double y = profile.statusBarHeight + 2;
            EXPECT_TRUE(
                testing::pixelNear(image->pixelAtPoint({2, y}), mix(colors.top, colors.bottom, y / profile.height), 4));
            EXPECT_TRUE(testing::pixelNear(image->pixelAtPoint({profile.width / 2, profile.height - 1}),
                                           opaque(colors.bottom), 4));
            // The first icon's tile, low on its left edge, is the application's colour.
            CGRect icon = home->iconViewFrame(0);
            CGPoint probe{icon.origin.x + SBIconView::kWidth / 2, icon.origin.y + 55};  // under the initial
            EXPECT_TRUE(testing::pixelNear(image->pixelAtPoint(probe),
                                           opaque(home->configuration().applications[0].iconColor), 10));
            process.reset();
        }
    }
}

TEST_F(HomeScreenTest, AppearanceChangesWhileRunning) {
    boot("iphone-x", 2);
    UITraitCollection::setCurrentUserInterfaceStyle(UIUserInterfaceStyle::Light);
    auto image = home->snapshot(1);
    CGRect fill = home->statusBar()->batteryFillFrame();
    EXPECT_TRUE(
        testing::pixelNear(image->pixelAtPoint({CGRectGetMidX(fill), CGRectGetMidY(fill)}), testing::kOpaqueBlack, 40));
    EXPECT_TRUE(testing::pixelNear(image->pixelAtPoint({187, 811}), opaque(wallpaperColorsForStyle(1).bottom), 4));
}

}  // namespace
}  // namespace ios
