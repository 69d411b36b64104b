// flint-sim snapshot and run, as a person runs them: the rendered home screen of every profile
// and appearance probed at the status bar, the wallpaper and the first icon; scenarios with
// wait, snapshot and expectations, and a failing expectation's exit status and message.

#include <gtest/gtest.h>

#include "tests/sim/SimRunner.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/PixelProbe.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIImage.h"
#include "platform/springboard/DeviceConfiguration.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/springboard/_UIStatusBar.h"

namespace {

using flint::testing::SimResult;
SimResult sim(const std::string& arguments) { return flint::testing::runSim(arguments); }

using SimFolder = flint::testing::SimFolderTest;

ios::UIImage::RGBA rgb(std::uint32_t c) { return {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c), 255}; }

ios::UIImage::RGBA mix(std::uint32_t a, std::uint32_t b, double t) {
    auto c = [&](int s) { return std::uint8_t(std::lround(((a >> s) & 0xff) * (1 - t) + ((b >> s) & 0xff) * t)); };
    return {c(16), c(8), c(0), 255};
}

// The status bar's battery fill for a profile, from the status bar's own geometry.
ios::CGRect batteryFill(const ios::DeviceProfile& profile) {
    ios::Process::Options options;
    options.profile = profile;
    ios::testing::TestProcess process(options);
    auto bar = objc::make<ios::_UIStatusBar>();
    bar->setFrame(ios::CGRectMake(0, 0, profile.width, profile.statusBarHeight));
    return bar->batteryFillFrame();
}

using SimSnapshot = SimFolder;
TEST_F(SimSnapshot, EveryProfileInLightAndDark) {
    for (const auto& profile : ios::deviceProfiles()) {
        ios::CGRect fill = batteryFill(profile);
        for (int style : {1, 2}) {
            std::string appearance = style == 1 ? "light" : "dark";
            SCOPED_TRACE(profile.name + " " + appearance);
            auto png = dir / (profile.name + "-" + appearance + ".png");
            SimResult run =
                sim("snapshot --device " + profile.name + " --appearance " + appearance + " -o " + png.string());
            ASSERT_EQ(run.status, 0) << run.out;
            auto image = ios::UIImage::imageWithContentsOfHostFile(png, 1);
            ASSERT_TRUE(image);
            EXPECT_EQ(image->pixelWidth(), int(profile.width * profile.scale));
            EXPECT_EQ(image->pixelHeight(), int(profile.height * profile.scale));
            auto at = [&](double x, double y) {
                return image->pixelAt(int(x * profile.scale), int(y * profile.scale));
            };
            // The status bar band: the battery in the appearance's foreground over the wallpaper.
            EXPECT_TRUE(ios::testing::pixelNear(at(ios::CGRectGetMidX(fill), ios::CGRectGetMidY(fill)),
                                                style == 2 ? rgb(0xFFFFFF) : rgb(0x000000), 40));
            ios::WallpaperColors colors = ios::wallpaperColorsForStyle(style);
            EXPECT_TRUE(ios::testing::pixelNear(at(2, 2), mix(colors.top, colors.bottom, 2 / profile.height), 4));
            EXPECT_TRUE(ios::testing::pixelNear(at(profile.width / 2, profile.height - 1), rgb(colors.bottom), 4));
            // The first default application's icon.
            double spacing = (profile.width - 240) / 5;
            EXPECT_TRUE(ios::testing::pixelNear(
                at(spacing + 30, profile.statusBarHeight + (profile.statusBarHeight > 30 ? 16 : 14) + 55),
                rgb(ios::DeviceConfiguration::defaults().applications[0].iconColor), 10));
        }
    }
}

TEST_F(SimSnapshot, ScaleRootAndStoredConfiguration) {
    auto root = dir / "root";
    // A fresh root gets its configuration written; the next snapshot without options uses it.
    SimResult first = sim("snapshot --device iphone-8 --appearance light --scale 1 --root " + root.string() + " -o " +
                          (dir / "a.png").string());
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_TRUE(std::filesystem::exists(root / "private/var/mobile/Library/Flint/DeviceConfiguration.plist"));
    auto a = ios::UIImage::imageWithContentsOfHostFile(dir / "a.png", 1);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->pixelWidth(), 375);
    EXPECT_EQ(a->pixelHeight(), 667);

    SimResult second = sim("snapshot --root " + root.string() + " -o " + (dir / "b.png").string());
    ASSERT_EQ(second.status, 0) << second.out;
    auto b = ios::UIImage::imageWithContentsOfHostFile(dir / "b.png", 1);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixelWidth(), 750);  // iphone-8 at its own scale
    EXPECT_TRUE(ios::testing::pixelNear(b->pixelAt(375, 1333), rgb(ios::wallpaperColorsForStyle(1).bottom), 4));

    EXPECT_NE(sim("snapshot --device iphone-5 -o " + (dir / "c.png").string()).status, 0);
    EXPECT_NE(sim("snapshot -o /nonexistent-folder/x.png").status, 0);
}

using SimRunScenario = SimFolder;
TEST_F(SimRunScenario, WaitSnapshotAndExpectations) {
    auto script = write("home.flint",
                        "# the home screen on a small phone\n"
                        "device iphone-8\n"
                        "appearance light\n"
                        "pref enableAll=true\n"
                        "pref gestureOption=1\n"
                        "boot\n"
                        "expect recognizer tap 2\n"
                        "wait 61\n"
                        "snapshot after-a-minute.png\n"
                        "pref gestureOption=4\n"
                        "expect recognizer swipe left\n"
                        "open prefs:root=WIFI\n"
                        "expect opened prefs:root=WIFI\n"
                        "expect foreground WIFI\n"
                        "launch com.example.missing\n"
                        "expect log \"no installed application\"\n"
                        "expect pixel 187 660 #FFFFFF 8\n"
                        "lock\n"
                        "expect locked\n"
                        "screenshot\n"
                        "expect screenshots 1\n");
    SimResult run = sim("run " + script.string());
    ASSERT_EQ(run.status, 0) << run.out;
    auto image = ios::UIImage::imageWithContentsOfHostFile(dir / "after-a-minute.png", 1);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 750);
    EXPECT_NE(run.out.find("wrote"), std::string::npos);
}

TEST_F(SimRunScenario, FailingExpectationStopsWithLineAndReason) {
    auto script = write("fail.flint",
                        "pref enableAll=true\n"
                        "boot\n"
                        "expect recognizer tap 3\n"
                        "snapshot never.png\n");
    SimResult run = sim("run " + script.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("fail.flint:3: expect recognizer tap 3: the status bar has tap 1"), std::string::npos)
        << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "never.png"));

    SimResult unknown = sim("run " + write("typo.flint", "boot\nwiat 1\n").string());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("typo.flint:2: unknown command \"wiat\""), std::string::npos) << unknown.out;

    SimResult early = sim("run " + write("early.flint", "wait 1\n").string());
    EXPECT_EQ(early.status, 1);
    EXPECT_NE(early.out.find("early.flint:1: wait needs a booted device"), std::string::npos) << early.out;

    SimResult opened = sim("run " + write("opened.flint", "boot\nexpect opened com.apple.Music\n").string());
    EXPECT_EQ(opened.status, 1);
    EXPECT_NE(opened.out.find("\"com.apple.Music\" was not opened"), std::string::npos) << opened.out;

    EXPECT_EQ(sim("run " + (dir / "missing.flint").string()).status, 2);
}

}  // namespace
