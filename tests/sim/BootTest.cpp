// flint-sim run as a separate program: it boots a process, dlopen()s libFlint.so (whose
// initialiser runs the load routine) and lays out the status bar.

#include <gtest/gtest.h>

#include "tests/sim/DemoRun.h"
#include "tests/sim/SimRunner.h"
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>

#include "sim/device/Device.h"

namespace {

using flint::testing::runSim;
using flint::testing::SimResult;

nlohmann::json boot(const std::string& arguments) {
    SimResult run = runSim("boot --json " + arguments);
    EXPECT_EQ(run.status, 0) << run.out;
    return nlohmann::json::parse(run.out, nullptr, false);
}

class TempRoot : public flint::testing::SimFolderTest {
protected:
    const std::filesystem::path& root = dir;
};

TEST(SimBoot, HomeScreenWithMasterSwitchGetsHookAccessorsAndATap) {
    auto result = boot("--executable /System/Library/CoreServices/SpringBoard.app/SpringBoard --pref enableAll=true");
    ASSERT_FALSE(result.is_discarded());
    EXPECT_TRUE(result["qualified"]);
    EXPECT_TRUE(result["hookInstalled"]);
    EXPECT_EQ(result["properties"].size(), 362u);
    EXPECT_EQ(result["properties"][0], "flintWindow");
    ASSERT_EQ(result["recognizers"].size(), 1u);
    EXPECT_EQ(result["recognizers"][0]["kind"], "tap");
    EXPECT_EQ(result["recognizers"][0]["tapsRequired"], 1);
    EXPECT_EQ(result["recognizers"][0]["action"], "launchFlintWindow");
}

TEST(SimBoot, SwipeOptionsAndOutOfRangeOptions) {
    auto left = boot("--executable /Applications/Notes.app/Notes --pref enableAll=true --pref gestureOption=4");
    ASSERT_EQ(left["recognizers"].size(), 1u);
    EXPECT_EQ(left["recognizers"][0]["kind"], "swipe");
    EXPECT_EQ(left["recognizers"][0]["direction"], "left");
    auto none = boot("--executable /Applications/Notes.app/Notes --pref enableAll=true --pref gestureOption=-1");
    EXPECT_TRUE(none["hookInstalled"]);
    EXPECT_TRUE(none["recognizers"].empty());
}

TEST(SimBoot, DaemonsAndTheSwitchedOffLibraryAddNothing) {
    auto daemon = boot("--executable /usr/libexec/backboardd --pref enableAll=true");
    EXPECT_FALSE(daemon["qualified"]);
    EXPECT_FALSE(daemon["hookInstalled"]);
    EXPECT_TRUE(daemon["properties"].empty());
    auto off = boot("--executable /System/Library/CoreServices/SpringBoard.app/SpringBoard");
    EXPECT_TRUE(off["qualified"]);
    EXPECT_FALSE(off["hookInstalled"]);
    EXPECT_TRUE(off["recognizers"].empty());
}

TEST(SimDemo, OpensThePanelOnEveryScreenClassAndPrintsTheInstalledHook) {
    const auto& demo = flint::testing::demoRun();
    ASSERT_EQ(demo.result.status, 0) << demo.result.out;
    EXPECT_NE(demo.result.out.find("Status-bar hook installed: yes"), std::string::npos) << demo.result.out;
    EXPECT_NE(demo.result.out.find("Property accessors added: 362"), std::string::npos) << demo.result.out;
    for (const char* profile : {"iphone-8", "iphone-8-plus", "iphone-x", "iphone-11"})
        for (const char* style : {"light", "dark"})
            EXPECT_TRUE(std::filesystem::exists(demo.out / (std::string("panel-") + profile + "-" + style + ".png")))
                << profile << " " << style;
    EXPECT_TRUE(std::filesystem::exists(demo.out / "panel-iphone-x-color.png"));
}

using SimPrefs = TempRoot;
TEST_F(SimPrefs, SettingsPaneWritesReadBackAndReachTheNextBoot) {
    std::string r = "--root " + root.string();
    ASSERT_EQ(runSim("prefs " + r + " set enableAll=true gestureOption=2 userNameString=Ada").status, 0);
    SimResult got = runSim("prefs " + r + " get userNameString");
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "Ada\n");
    EXPECT_NE(runSim("prefs " + r + " get missingKey").status, 0);
    ASSERT_EQ(runSim("prefs " + r + " --file colors set flintWaveColor=#FF0000").status, 0);
    EXPECT_EQ(runSim("prefs " + r + " --file colors get flintWaveColor").out, "#FF0000\n");

    auto result = boot(r + " --executable /System/Library/CoreServices/SpringBoard.app/SpringBoard");
    EXPECT_TRUE(result["hookInstalled"]);
    ASSERT_EQ(result["recognizers"].size(), 1u);
    EXPECT_EQ(result["recognizers"][0]["tapsRequired"], 3);

    EXPECT_EQ(result["slots"][2], "com.apple.mobilephone");

    // Slots stored before the process starts apply from load on, through the exported globals.
    ASSERT_EQ(runSim("prefs " + r + " set App3=com.example.notes").status, 0);
    result = boot(r + " --executable /System/Library/CoreServices/SpringBoard.app/SpringBoard");
    ASSERT_EQ(result["slots"].size(), 6u);
    EXPECT_EQ(result["slots"][0], "com.apple.camera");
    EXPECT_EQ(result["slots"][2], "com.example.notes");

    ASSERT_EQ(runSim("prefs " + r + " unset enableAll").status, 0);
    EXPECT_FALSE(boot(r + " --executable /System/Library/CoreServices/SpringBoard.app/SpringBoard")["hookInstalled"]);
    EXPECT_EQ(runSim("prefs " + r + " set novalue").status, 2);
}

TEST(SimValues, AssignmentsParseIntoPropertyListKinds) {
    using flint::sim::parseAssignment;
    EXPECT_EQ(parseAssignment("enableAll=true")->second, ios::Value(true));
    EXPECT_EQ(parseAssignment("gestureOption=-1")->second, ios::Value(-1));
    EXPECT_EQ(parseAssignment("ratio=0.5")->second, ios::Value(0.5));
    EXPECT_EQ(parseAssignment("screenshotTimerString=10s")->second, ios::Value("10s"));
    EXPECT_EQ(parseAssignment("url=https://a.example/?q=1")->second, ios::Value("https://a.example/?q=1"));
    EXPECT_EQ(parseAssignment("empty=")->second, ios::Value(""));
    EXPECT_FALSE(parseAssignment("=value"));
    EXPECT_FALSE(parseAssignment("novalue"));
}

}  // namespace

namespace {

// A device on a temporary root links the build's bundle images instead of copying them (a copy
// per image made each one-off run slow); a device on a root of the user's own gets copies, so
// nothing done there can reach the build. Removing the temporary root leaves the build's images.
TEST_F(TempRoot, TheBundleIsLinkedIntoATemporaryRootAndCopiedIntoOneOfTheUsers) {
    const std::string bundle = "Library/Application Support/Flint.bundle";
    std::filesystem::path built, fromTemporary;
    {
        flint::sim::BootOptions options;
        flint::sim::Device device(options);
        ASSERT_TRUE(device.temporaryRoot());
        for (const auto& entry : std::filesystem::directory_iterator(device.root() / bundle)) {
            fromTemporary = entry.path();
            break;
        }
        ASSERT_FALSE(fromTemporary.empty());
        EXPECT_GE(std::filesystem::hard_link_count(fromTemporary), 2u) << fromTemporary;
        // The file it links: the same image in <build>/resources, where flint-sim reads them.
        built = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "resources/Flint.bundle" /
                fromTemporary.filename();
        EXPECT_TRUE(std::filesystem::equivalent(fromTemporary, built)) << built;
    }
    EXPECT_FALSE(std::filesystem::exists(fromTemporary));
    EXPECT_TRUE(std::filesystem::exists(built));

    flint::sim::BootOptions options;
    options.root = root;
    flint::sim::Device device(options);
    const auto copy = root / bundle / built.filename();
    ASSERT_TRUE(std::filesystem::exists(copy));
    EXPECT_FALSE(std::filesystem::equivalent(copy, built));
    EXPECT_EQ(std::filesystem::file_size(copy), std::filesystem::file_size(built));
}

}  // namespace
