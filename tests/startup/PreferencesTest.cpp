#include <gtest/gtest.h>

#include <fstream>

#include "controls/FlintWaveColors.h"
#include "platform/services/HBPreferences.h"
#include "platform/services/LCPParseColorString.h"
#include "startup/FlintFixture.h"

namespace flint {
namespace {

using testing::FlintTest;

class PreferencesTest : public FlintTest {};

TEST_F(PreferencesTest, DefaultsWithOnlyTheMasterSwitchStored) {
    writePreferences({{"enableAll", true}});
    flintLoadRoutine();
    EXPECT_TRUE(enableAll());
    EXPECT_EQ(appearanceMode(), "adaptiveMode");
    EXPECT_EQ(gestureOption(), 0);
    EXPECT_EQ(userNameString(), "iCloud");
    EXPECT_TRUE(icloudAvatarImage().isNone());
    EXPECT_FALSE(enableWave());
    EXPECT_FALSE(enableMusicShortcut());
    EXPECT_EQ(screenshotTimerString(), "10");
    EXPECT_EQ(lockscreenTimerString(), "10");
    EXPECT_FALSE(redditUrlString().empty());
    EXPECT_FALSE(twitterUrlString().empty());
    EXPECT_EQ(bundleID1, "com.apple.camera");
    EXPECT_EQ(bundleID6, "com.apple.mobiletimer");
}

TEST_F(PreferencesTest, NumericAppearanceModeIsCorrectedForGood) {
    writePreferences({{"enableAll", true}, {"appearanceMode", 2}, {"userNameString", "Ada"}});
    flintLoadRoutine();
    EXPECT_EQ(appearanceMode(), "adaptiveMode");
    auto stored = ios::dictionaryWithContentsOfFile(kSlotFilePath);
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)["appearanceMode"], ios::Value("adaptiveMode"));
    EXPECT_EQ((*stored)["userNameString"], ios::Value("Ada"));  // the other keys survive the write
}

TEST_F(PreferencesTest, NumericTextAndModeNames) {
    writePreferences({{"appearanceMode", "1"}});
    flintLoadRoutine();
    EXPECT_EQ((*ios::dictionaryWithContentsOfFile(kSlotFilePath))["appearanceMode"], ios::Value("adaptiveMode"));

    resetFlintForTesting();
    writePreferences({{"appearanceMode", "colorMode"}});
    flintLoadRoutine();
    EXPECT_EQ(appearanceMode(), "colorMode");
    EXPECT_EQ((*ios::dictionaryWithContentsOfFile(kSlotFilePath))["appearanceMode"], ios::Value("colorMode"));
}

TEST_F(PreferencesTest, ValuesFollowTheSettingsPane) {
    writePreferences({{"enableAll", true}});
    flintLoadRoutine();
    writePreferences({{"enableAll", true}, {"screenshotTimerString", "3"}, {"gestureOption", 2}});
    EXPECT_EQ(screenshotTimerString(), "10");  // not until the pane posts its notification
    postChange();
    EXPECT_EQ(screenshotTimerString(), "3");
    EXPECT_EQ(gestureOption(), 2);
}

TEST_F(PreferencesTest, SlotReloadTakesOnlyTheSlotsPresentAndKeepsTheLastValue) {
    writePreferences({{"enableAll", true}, {"App3", "com.example.notes"}});
    flintLoadRoutine();  // the change block runs once at registration
    EXPECT_EQ(bundleID3, "com.example.notes");
    EXPECT_EQ(bundleID1, "com.apple.camera");
    EXPECT_EQ(bundleID2, "com.apple.mobileslideshow");

    writePreferences({{"enableAll", true}, {"App1", "com.example.mail"}});
    postChange();
    EXPECT_EQ(bundleID1, "com.example.mail");
    EXPECT_EQ(bundleID3, "com.example.notes");  // removed from the file: the last value stays

    std::filesystem::remove(ios::devicePath(kSlotFilePath));
    postChange();
    EXPECT_EQ(bundleID1, "com.example.mail");
    EXPECT_EQ(bundleID3, "com.example.notes");
}

TEST_F(PreferencesTest, ColourDictionariesReloadTogetherOnTheNotification) {
    writeColors({{"flintLabelColor", "#FF0000"}});
    flintLoadRoutine();
    EXPECT_EQ(colorText("flintLabelColor"), "#FF0000");
    EXPECT_FALSE(waveColorText());  // no wave colour: the wave falls back

    writeColors({{"flintLabelColor", "#00FF00"}, {"flintWaveColor", "#0000FF"}});
    postChange();
    EXPECT_EQ(colorText("flintLabelColor"), "#00FF00");
    EXPECT_EQ(waveColorText(), "#0000FF");
    EXPECT_EQ(*colorDictionary(), *waveColorDictionary());
}

class DaemonTest : public FlintTest {
protected:
    DaemonTest() : FlintTest("/usr/libexec/backboardd") {}
};

TEST_F(DaemonTest, ColourDictionariesFollowChangesInProcessesThatDoNotQualify) {
    writePreferences({{"enableAll", true}});
    writeColors({{"flintBannerColor", "#123456"}});
    flintLoadRoutine();
    EXPECT_FALSE(lastLoadReport().qualified);
    EXPECT_EQ(preferences(), nullptr);
    EXPECT_EQ(colorText("flintBannerColor"), "#123456");
    writeColors({});
    postChange();
    EXPECT_FALSE(colorText("flintBannerColor"));
}

TEST_F(PreferencesTest, CorruptFilesFallBackAndAreNotOverwritten) {
    auto path = ios::devicePath(kSlotFilePath);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "<?xml version=\"1.0\"?><plist><dict><key>appearanceMode</key><integer>2";
    std::ofstream(ios::devicePath(kColorFilePath)) << "\x01\x02garbage";
    flintLoadRoutine();
    EXPECT_FALSE(enableAll());
    EXPECT_TRUE(colorDictionary()->empty());
    // The corrupt domain file is left as it was.
    std::ifstream in(path);
    std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(contents.find("<integer>2"), std::string::npos);
}

TEST_F(PreferencesTest, BinaryPreferenceFilesWork) {
    ASSERT_TRUE(ios::writeDictionaryToFile({{"enableAll", true}, {"userNameString", "Grace"}}, kSlotFilePath,
                                           ios::PlistFormat::Binary));
    flintLoadRoutine();
    EXPECT_TRUE(lastLoadReport().hookInstalled);
    EXPECT_EQ(userNameString(), "Grace");
}

}  // namespace
}  // namespace flint
