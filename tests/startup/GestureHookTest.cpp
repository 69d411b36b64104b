#include <gtest/gtest.h>

#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "startup/FlintFixture.h"
#include "startup/entry/LayoutHook.h"

namespace flint {
namespace {

using testing::FlintTest;

class GestureHookTest : public FlintTest {
protected:
    int launches = 0;
    objc::Ref<ios::_UIStatusBar> bar;

    void boot(std::int64_t option) {
        writePreferences({{"enableAll", true}, {"gestureOption", option}});
        flintLoadRoutine();
        // Count openings on whichever instance receives them.
        objc::MSHookMessageEx(
            objc::objc_getClass("_UIStatusBar"), objc::sel("launchFlintWindow"),
            [this](objc::Object&, objc::SEL, std::span<const objc::id>) -> objc::id {
                ++launches;
                return nullptr;
            },
            nullptr);
        bar = ios::HomeScreen::shared().statusBar();
    }
    void setOption(std::int64_t option) {
        writePreferences({{"enableAll", true}, {"gestureOption", option}});
        postChange();
    }
    void layout(int passes = 1) {
        for (int i = 0; i < passes; ++i) ios::HomeScreen::shared().layoutStatusBar();
    }
    void tapEveryRecognizer() {
        auto recognizers = bar->gestureRecognizers();
        for (auto& r : recognizers) r->sendActionsToTargets();
    }
};

TEST_F(GestureHookTest, OptionTable) {
    struct Row {
        std::int64_t option;
        GestureSetting::Kind kind;
        int value;
    };
    const Row rows[] = {
        {0, GestureSetting::Kind::Tap, 1},
        {1, GestureSetting::Kind::Tap, 2},
        {2, GestureSetting::Kind::Tap, 3},
        {3, GestureSetting::Kind::Tap, 4},
        {4, GestureSetting::Kind::Swipe, ios::UISwipeGestureRecognizerDirectionLeft},
        {5, GestureSetting::Kind::Swipe, ios::UISwipeGestureRecognizerDirectionRight},
        {6, GestureSetting::Kind::None, 0},
        {-1, GestureSetting::Kind::None, 0},
    };
    for (const auto& row : rows) {
        auto setting = gestureSettingForOption(row.option);
        EXPECT_EQ(setting.kind, row.kind) << row.option;
        EXPECT_EQ(setting.value, row.value) << row.option;
    }
}

TEST_F(GestureHookTest, LayoutRunsTheStatusBarsOwnLayoutFirst) {
    boot(0);
    layout();
    EXPECT_EQ(bar->layoutPassCount(), 1);
    ASSERT_EQ(bar->gestureRecognizers().size(), 1u);
}

TEST_F(GestureHookTest, RepeatedPassesKeepOneRecognizerAndOneTapOpensOnce) {
    boot(1);
    layout(3);
    ASSERT_EQ(bar->gestureRecognizers().size(), 1u);
    auto tap = objc::cast<ios::UITapGestureRecognizer>(bar->gestureRecognizers()[0]);
    ASSERT_TRUE(tap);
    EXPECT_EQ(tap->numberOfTapsRequired(), 2);
    ASSERT_EQ(tap->targets().size(), 1u);
    EXPECT_EQ(tap->targets()[0].target.lock(), bar);
    EXPECT_EQ(tap->targets()[0].action, objc::sel("launchFlintWindow"));
    tapEveryRecognizer();
    EXPECT_EQ(launches, 1);
}

TEST_F(GestureHookTest, ChangedOptionReplacesTheHooksRecognizerOnly) {
    boot(0);
    auto foreign = objc::make<ios::UITapGestureRecognizer>();
    bar->addGestureRecognizer(foreign);
    layout();
    ASSERT_EQ(bar->gestureRecognizers().size(), 2u);

    setOption(4);
    layout();
    ASSERT_EQ(bar->gestureRecognizers().size(), 2u);
    EXPECT_EQ(bar->gestureRecognizers()[0], foreign);
    auto swipe = objc::cast<ios::UISwipeGestureRecognizer>(bar->gestureRecognizers()[1]);
    ASSERT_TRUE(swipe);
    EXPECT_EQ(swipe->direction(), ios::UISwipeGestureRecognizerDirectionLeft);

    setOption(5);
    layout(2);
    ASSERT_EQ(bar->gestureRecognizers().size(), 2u);
    swipe = objc::cast<ios::UISwipeGestureRecognizer>(bar->gestureRecognizers()[1]);
    ASSERT_TRUE(swipe);
    EXPECT_EQ(swipe->direction(), ios::UISwipeGestureRecognizerDirectionRight);

    setOption(6);
    layout();
    ASSERT_EQ(bar->gestureRecognizers().size(), 1u);
    EXPECT_EQ(bar->gestureRecognizers()[0], foreign);
}

TEST_F(GestureHookTest, OutOfRangeOptionsAttachNothing) {
    for (std::int64_t option : {6, -1}) {
        boot(option);
        layout(2);
        EXPECT_TRUE(bar->gestureRecognizers().empty()) << option;
        resetFlintForTesting();
        objc::resetRuntimeForTesting();
    }
}

TEST_F(GestureHookTest, EachStatusBarGetsItsOwnRecognizerAndBecomesTheHost) {
    boot(0);
    auto second = objc::make<ios::_UIStatusBar>();
    second->layoutIfNeeded();
    layout();
    ASSERT_EQ(second->gestureRecognizers().size(), 1u);
    EXPECT_EQ(second->gestureRecognizers()[0]->targets()[0].target.lock(), second);
    EXPECT_NE(second->gestureRecognizers()[0], bar->gestureRecognizers()[0]);
}

}  // namespace
}  // namespace flint
