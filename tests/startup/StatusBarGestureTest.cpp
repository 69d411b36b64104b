#include <gtest/gtest.h>

#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIWindow.h"
#include "startup/FlintFixture.h"

namespace flint {
namespace {

using testing::FlintTest;

// The whole road: the load routine hooks the bar, the home screen lays it out, and a finger on
// the bar's screen points makes its recogniser send launchFlintWindow to that bar.
class StatusBarGestureTest : public FlintTest {
protected:
    int launches = 0;
    objc::Object* receiver = nullptr;
    objc::Ref<ios::_UIStatusBar> bar;

    void boot(std::int64_t option) {
        writePreferences({{"enableAll", true}, {"gestureOption", option}});
        flintLoadRoutine();
        objc::MSHookMessageEx(
            objc::objc_getClass("_UIStatusBar"), objc::sel("launchFlintWindow"),
            [this](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                ++launches;
                receiver = &self;
                return nullptr;
            },
            nullptr);
        bar = ios::HomeScreen::shared().statusBar();
        ios::HomeScreen::shared().layoutStatusBar();
        // Until the home screen shows the bar in a window of its own, its tree takes touches directly.
        if (!bar->window()) ios::addTouchableRoot(bar, ios::UIWindowLevelStatusBar);
    }
    ios::CGPoint barPoint(double fx) const {
        return ios::convertPointToScreen(
            *bar, ios::CGPointMake(bar->bounds().size.width * fx, bar->bounds().size.height / 2));
    }
};

TEST_F(StatusBarGestureTest, EveryGestureOptionOpensThePanelThroughRealTouches) {
    for (std::int64_t option = 0; option <= 5; ++option) {
        boot(option);
        ASSERT_EQ(ios::viewAtScreenPoint(barPoint(0.5)), bar.get()) << option;
        if (option <= 3) {
            int taps = static_cast<int>(option) + 1;
            if (taps > 1) {
                ios::tap(barPoint(0.5), taps - 1);
                process.runLoop().advanceBy(1);
                EXPECT_EQ(launches, 0) << "option " << option << ": one tap short";
            }
            ios::tap(barPoint(0.5), taps);
            process.runLoop().advanceBy(1);
        } else {
            bool left = option == 4;
            // The other direction first: nothing.
            ios::swipe(barPoint(left ? 0.2 : 0.8), barPoint(left ? 0.8 : 0.2), 0.2);
            EXPECT_EQ(launches, 0) << "option " << option << ": wrong direction";
            ios::swipe(barPoint(left ? 0.8 : 0.2), barPoint(left ? 0.2 : 0.8), 0.2);
        }
        EXPECT_EQ(launches, 1) << "option " << option;
        EXPECT_EQ(receiver, bar.get()) << "option " << option;
        launches = 0;
        receiver = nullptr;
        resetFlintForTesting();
        objc::resetRuntimeForTesting();
    }
}

TEST_F(StatusBarGestureTest, ATapBelowTheBarDoesNotOpen) {
    boot(0);
    ios::tap(ios::CGPointMake(100, bar->frame().size.height + 200));
    process.runLoop().advanceBy(1);
    EXPECT_EQ(launches, 0);
    ios::tap(barPoint(0.1));
    EXPECT_EQ(launches, 1);
}

}  // namespace
}  // namespace flint
