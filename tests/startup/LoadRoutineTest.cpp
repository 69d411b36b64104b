#include <algorithm>

#include <gtest/gtest.h>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "startup/entry/ActionRegistry.h"
#include "startup/FlintHost.h"
#include "startup/FlintFixture.h"

namespace flint {
namespace {

using testing::FlintTest;

objc::Class& statusBarClass() { return *objc::objc_getClass("_UIStatusBar"); }

class FilterTest : public FlintTest, public ::testing::WithParamInterface<std::pair<const char*, bool>> {
protected:
    FilterTest() : FlintTest(GetParam().first) {}
};

TEST_P(FilterTest, OnlyApplicationsAndTheHomeScreenQualify) {
    writePreferences({{"enableAll", true}});
    flintLoadRoutine();
    bool qualifies = GetParam().second;
    EXPECT_EQ(lastLoadReport().qualified, qualifies);
    EXPECT_EQ(lastLoadReport().hookInstalled, qualifies);
    EXPECT_EQ(preferences() != nullptr, qualifies);
    // Every process gets the two colour-dictionary observers, and only a qualifying one the store's.
    EXPECT_EQ(ios::Process::shared().darwinNotifyCenter().observerCount(kPreferencesChanged), qualifies ? 3u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Paths, FilterTest,
                         ::testing::Values(std::make_pair(testing::kHomeScreenPath, true),
                                           std::make_pair("/var/containers/Bundle/Application/1F2E/Notes.app/Notes",
                                                          true),
                                           std::make_pair("/Applications/MobileSafari.app/MobileSafari", true),
                                           std::make_pair("/usr/libexec/backboardd", false),
                                           std::make_pair("/System/Library/CoreServices/springboard.app/SpringBoard",
                                                          false),  // case matters
                                           std::make_pair("/usr/sbin/applicationd", false)));

class LoadRoutineTest : public FlintTest {};

TEST_F(LoadRoutineTest, MasterSwitchOffLeavesTheStatusBarAlone) {
    flintLoadRoutine();  // nothing stored: enableAll defaults to false
    EXPECT_TRUE(lastLoadReport().qualified);
    EXPECT_FALSE(lastLoadReport().hookInstalled);
    EXPECT_FALSE(objc::isHookedForTesting(statusBarClass(), objc::sel("layoutSubviews")));
    EXPECT_TRUE(objc::addedMethodsForTesting(statusBarClass()).empty());
    EXPECT_FALSE(objc::class_respondsToSelector(&statusBarClass(), objc::sel("flintWindow")));
    EXPECT_FALSE(objc::class_respondsToSelector(&statusBarClass(), objc::sel("launchFlintWindow")));
    auto bar = ios::HomeScreen::shared().statusBar();
    ios::HomeScreen::shared().layoutStatusBar();
    EXPECT_TRUE(bar->gestureRecognizers().empty());
    EXPECT_EQ(bar->layoutPassCount(), 1);
}

TEST_F(LoadRoutineTest, MasterSwitchOnAddsHookActionsAndEveryAccessor) {
    writePreferences({{"enableAll", true}});
    flintLoadRoutine();
    EXPECT_TRUE(objc::isHookedForTesting(statusBarClass(), objc::sel("layoutSubviews")));

    std::size_t actionCount = 0;
    for (const ActionTable* table : allActionTables()) actionCount += table->size();
    EXPECT_EQ(lastLoadReport().actions.size(), actionCount);
    for (const auto& name : lastLoadReport().actions)
        EXPECT_TRUE(objc::class_respondsToSelector(&statusBarClass(), objc::sel(name))) << name;

    // Getter then setter, property by property, in table order.
    const auto& props = lastLoadReport().properties;
    ASSERT_EQ(props.size(), 2u * kFlintHostPropertyCount);
    EXPECT_EQ(props[0], "flintWindow");
    EXPECT_EQ(props[1], "setFlintWindow:");
    EXPECT_EQ(props[2], "flintView");
    EXPECT_EQ(props[props.size() - 1], "setScaleResetButton:");
    EXPECT_EQ(objc::addedMethodsForTesting(statusBarClass()).size(), actionCount + props.size());
}

TEST_F(LoadRoutineTest, TheStatusBarGetsAllSixtyFiveActionsOnceEach) {
    writePreferences({{"enableAll", true}});
    flintLoadRoutine();
    const std::vector<std::string> expected = {
        "launchFlintWindow",
        "dismissFlintWindow",
        "flintOpenApps1",
        "flintOpenApps2",
        "flintOpenApps3",
        "flintOpenApps4",
        "flintOpenApps5",
        "flintOpenApps6",
        "launchIcloud",
        "launchSettings",
        "launchTwitter",
        "launchReddit",
        "launchWiFi",
        "launchCellular",
        "launchMusic",
        "launchSpotify",
        "startScreenshotTimer",
        "invokeScreenshot:",
        "startLockscreenTimer",
        "invokeLockscreen:",
        "refreshMusicArtwork",
        "refreshMusicButton",
        "musicPreviousTrack",
        "musicPlayTrack",
        "musicNextTrack",
        "displayShowcase",
        "beginShowcaseX1",
        "beginShowcaseX2",
        "beginShowcaseX3",
        "beginShowcaseX4",
        "beginShowcaseX5",
        "beginShowcaseX6",
        "beginShowcaseX7",
        "beginShowcaseX8",
        "beginShowcaseX9",
        "beginShowcaseX10",
        "receiveIphoneXColorNotification:",
        "dismissShowcase",
        "launchShowcaseEditor",
        "dismissShowcaseEditor",
        "drawingUndoAction",
        "drawingRedoAction",
        "drawingResetAction",
        "drawingPenAction",
        "drawingSquareAction",
        "drawingCircleAction",
        "drawingArrowAction",
        "drawingTextAction",
        "drawingColorSlider:",
        "transformSliderAction:",
        "touchDrag:",
        "touchUp:",
        "updateLabelValues",
        "resetRotateAngles",
        "resetTranslationAngles",
        "resetScaleAngles",
        "pickScreenshotImage",
        "pickBackgroundImage",
        "imagePickerController:didFinishPickingMediaWithInfo:",
        "imagePickerControllerDidCancel:",
        "backgroundColorSlider:",
        "resetBackgroundImage",
        "resetBackgroundColor",
        "saveShowcaseImage",
        "shareShowcaseImage",
    };
    ASSERT_EQ(expected.size(), 65u);
    std::vector<std::string> added = lastLoadReport().actions;
    std::sort(added.begin(), added.end());
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(added, sorted);
    // Selectors with a colon take their objects; the picker callback takes two.
    auto& cls = statusBarClass();
    auto types = [&](const char* selector) {
        const objc::Method* method = cls.ownMethod(objc::sel(selector));
        return method ? method->types : std::string("(missing)");
    };
    EXPECT_EQ(types("imagePickerController:didFinishPickingMediaWithInfo:"), "v@:@@");
    EXPECT_EQ(types("touchUp:"), "v@:@");
    EXPECT_EQ(types("displayShowcase"), "v@:");
}

TEST_F(LoadRoutineTest, EveryPropertyIsNullUntilSetAndKeepsItsObject) {
    writePreferences({{"enableAll", true}});
    flintLoadRoutine();
    auto bar = ios::HomeScreen::shared().statusBar();
    auto other = objc::make<ios::_UIStatusBar>();
    for (int i = 0; i < kFlintHostPropertyCount; ++i) {
        objc::SEL getter = objc::sel(hostPropertyName(i));
        objc::SEL setter = objc::sel(hostPropertySetterName(i));
        ASSERT_EQ(objc::msgSend(bar, getter), nullptr) << hostPropertyName(i);
        objc::id value = objc::make<ios::UIView>();
        objc::msgSend(bar, setter, value);
        EXPECT_EQ(objc::msgSend(bar, getter), value) << hostPropertyName(i);
        // Typed access reads the same storage, and each instance has its own.
        EXPECT_EQ(FlintHost(*bar).get(static_cast<HostProperty>(i)), value);
        EXPECT_EQ(objc::msgSend(other, getter), nullptr);
    }
    // The setter drops the old object.
    objc::WeakRef<objc::Object> weak = objc::msgSend(bar, objc::sel("scaleResetButton"));
    objc::msgSend(bar, objc::sel("setScaleResetButton:"), nullptr);
    EXPECT_TRUE(weak.expired());
}

TEST_F(LoadRoutineTest, PropertyNamesAreTheHostTable) {
    EXPECT_EQ(hostPropertyIndex("flintWindow"), 0);
    EXPECT_EQ(hostPropertyIndex("showcaseImage"), 47);  // the Showcase card's, not the picker's
    EXPECT_EQ(hostPropertyIndex("showcaseImage1"), 73);
    EXPECT_EQ(hostPropertyIndex("customizeLabel10"), 102);
    EXPECT_EQ(hostPropertyIndex("scaleResetButton"), 180);
    EXPECT_FALSE(hostPropertyIndex("noSuchProperty"));
    EXPECT_EQ(hostPropertySetterName(*hostPropertyIndex("waterView")), "setWaterView:");
}

}  // namespace
}  // namespace flint
