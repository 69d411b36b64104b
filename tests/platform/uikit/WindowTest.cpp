#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;
using ios::testing::pixelNear;

namespace {

class KeyWatcher : public UIWindow {
public:
    std::vector<std::string> events;
    void becomeKeyWindow() override { events.push_back("become"); }
    void resignKeyWindow() override {
        events.push_back("resign");
        UIWindow::resignKeyWindow();
    }
};

class WindowTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;

    objc::Ref<UIWindow> coloured(UIColorRef color, CGRect frame, UIWindowLevel level = UIWindowLevelNormal) {
        auto w = objc::make<UIWindow>(frame);
        w->setBackgroundColor(std::move(color));
        w->setWindowLevel(level);
        return w;
    }
};

TEST_F(WindowTest, ScreenFollowsTheDeviceProfile) {
    auto screen = UIScreen::mainScreen();
    EXPECT_EQ(screen, UIScreen::mainScreen());
    EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 375, 812));
    EXPECT_EQ(screen->scale(), 3);
    process.process().mutableProfile() = *deviceProfileNamed("iphone-8");
    EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 375, 667));
    EXPECT_EQ(screen->scale(), 2);
    // A window made without a frame covers the screen, and starts hidden.
    auto w = objc::make<UIWindow>();
    EXPECT_EQ(w->frame(), CGRectMake(0, 0, 375, 667));
    EXPECT_TRUE(w->isHidden());
    EXPECT_EQ(w->window(), w.get());
}

TEST_F(WindowTest, KeyWindowAndWeakScreenReferences) {
    auto screen = UIScreen::mainScreen();
    auto a = objc::make<KeyWatcher>();
    auto b = objc::make<KeyWatcher>();
    EXPECT_EQ(screen->windows().size(), 2u);
    EXPECT_TRUE(screen->visibleWindows().empty());
    a->makeKeyAndVisible();
    EXPECT_TRUE(a->isKeyWindow());
    EXPECT_FALSE(a->isHidden());
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), a.get());
    b->makeKeyAndVisible();
    EXPECT_FALSE(a->isKeyWindow());
    EXPECT_EQ(a->events, (std::vector<std::string>{"become", "resign"}));
    EXPECT_EQ(b->events, std::vector<std::string>{"become"});
    b->resignKeyWindow();
    EXPECT_EQ(screen->keyWindow(), nullptr);
    b->makeKeyWindow();
    b->setHidden(true);  // a hidden window is no longer key
    EXPECT_EQ(screen->keyWindow(), nullptr);

    // The screen does not keep windows alive.
    a->makeKeyAndVisible();
    a.reset();
    EXPECT_EQ(screen->windows().size(), 1u);
    EXPECT_EQ(screen->keyWindow(), nullptr);
    EXPECT_EQ(UIApplication::sharedApplication()->windows().size(), 1u);
}

TEST_F(WindowTest, SnapshotCompositesVisibleWindowsByLevelThenOrder) {
    auto screen = UIScreen::mainScreen();
    auto base = coloured(UIColor::redColor(), CGRectMake(0, 0, 375, 812));
    auto bar = coloured(UIColor::greenColor(), CGRectMake(0, 0, 375, 44), UIWindowLevelStatusBar);
    auto alert = coloured(UIColor::blueColor(), CGRectMake(100, 0, 100, 100), UIWindowLevelAlert);
    auto hidden = coloured(UIColor::whiteColor(), CGRectMake(0, 0, 375, 812), 3000);
    // Shown in reverse: the level decides, not the order of showing.
    alert->setHidden(false);
    bar->setHidden(false);
    base->makeKeyAndVisible();
    ASSERT_EQ(screen->visibleWindows().size(), 3u);
    EXPECT_EQ(screen->visibleWindows().front(), base.get());

    auto shot = screen->snapshot(1);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->pixelWidth(), 375);
    EXPECT_EQ(shot->pixelHeight(), 812);
    EXPECT_TRUE(pixelNear(shot->pixelAtPoint(CGPointMake(10, 400)), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(shot->pixelAtPoint(CGPointMake(10, 20)), ios::testing::kOpaqueGreen));
    EXPECT_TRUE(pixelNear(shot->pixelAtPoint(CGPointMake(150, 20)), ios::testing::kOpaqueBlue));
    EXPECT_TRUE(pixelNear(shot->pixelAtPoint(CGPointMake(150, 90)), ios::testing::kOpaqueBlue));

    // Within one level, the window shown last is on top; showing again brings it forward.
    auto second = coloured(UIColor::yellowColor(), CGRectMake(0, 300, 375, 100));
    second->setHidden(false);
    EXPECT_TRUE(pixelNear(screen->snapshot(1)->pixelAtPoint(CGPointMake(10, 350)), {255, 255, 0, 255}));
    base->setHidden(true);
    base->setHidden(false);
    EXPECT_TRUE(pixelNear(screen->snapshot(1)->pixelAtPoint(CGPointMake(10, 350)), ios::testing::kOpaqueRed));

    // At @3x, with black where no window covers the screen.
    base->setHidden(true);
    auto big = screen->snapshot(3);
    EXPECT_EQ(big->pixelWidth(), 1125);
    EXPECT_EQ(big->scale(), 3);
    EXPECT_TRUE(pixelNear(big->pixelAtPoint(CGPointMake(10, 700)), ios::testing::kOpaqueBlack));
    EXPECT_TRUE(pixelNear(big->pixelAtPoint(CGPointMake(10, 350)), {255, 255, 0, 255}));

    // The PNG is the same picture.
    auto path = process.root() / "shot.png";
    ASSERT_TRUE(screen->writeSnapshotPNG(path, 1));
    auto loaded = UIImage::imageWithContentsOfHostFile(path, 1);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(pixelNear(loaded->pixelAtPoint(CGPointMake(150, 20)), ios::testing::kOpaqueBlue));
}

TEST_F(WindowTest, VisibleWindowsAreLaidOutOnTheRunLoopAndBeforeSnapshots) {
    class Counting : public UIView {
    public:
        int passes = 0;
        void layoutSubviews() override { ++passes; }
    };
    auto window = objc::make<UIWindow>();
    auto view = objc::make<Counting>(CGRectMake(0, 0, 10, 10));
    window->addSubview(view);
    process.runLoop().runUntilIdle();
    EXPECT_EQ(view->passes, 0);  // hidden windows are not laid out
    window->setHidden(false);
    process.runLoop().runUntilIdle();
    EXPECT_EQ(view->passes, 1);
    view->setNeedsLayout();
    view->setNeedsLayout();
    process.runLoop().runUntilIdle();
    EXPECT_EQ(view->passes, 2);
    view->setNeedsLayout();
    UIScreen::mainScreen()->snapshot(1);
    EXPECT_EQ(view->passes, 3);
}

TEST_F(WindowTest, RootViewControllerFillsTheWindowAndFollowsItsSize) {
    auto window = objc::make<UIWindow>(CGRectMake(0, 0, 200, 100));
    auto controller = objc::make<UIViewController>();
    window->setRootViewController(controller);
    ASSERT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(controller->view()->superview(), window.get());
    EXPECT_EQ(controller->view()->frame(), CGRectMake(0, 0, 200, 100));
    window->setFrame(CGRectMake(0, 0, 300, 150));
    EXPECT_EQ(controller->view()->frame(), CGRectMake(0, 0, 300, 150));
    // The chain: root view → controller → window → application.
    EXPECT_EQ(controller->view()->nextResponder(), controller.get());
    EXPECT_EQ(controller->nextResponder(), window.get());
    EXPECT_EQ(window->nextResponder(), UIApplication::sharedApplication().get());
    auto other = objc::make<UIViewController>();
    window->setRootViewController(other);
    EXPECT_EQ(controller->view()->superview(), nullptr);
}

TEST_F(WindowTest, AppearanceChangesWhileRunning) {
    class Watcher : public UIView {
    public:
        std::vector<int> previous;
        void traitCollectionDidChange(const UITraitCollection* p) override {
            previous.push_back(static_cast<int>(p->userInterfaceStyle()));
        }
    };
    EXPECT_EQ(UITraitCollection::currentTraitCollection()->userInterfaceStyle(), UIUserInterfaceStyle::Dark);
    auto window = objc::make<UIWindow>();
    auto watcher = objc::make<Watcher>();
    window->addSubview(watcher);
    window->setHidden(false);
    UITraitCollection::setCurrentUserInterfaceStyle(UIUserInterfaceStyle::Light);
    EXPECT_EQ(watcher->traitCollection()->userInterfaceStyle(), UIUserInterfaceStyle::Light);
    EXPECT_EQ(process.process().profile().userInterfaceStyle, 1);
    UITraitCollection::setCurrentUserInterfaceStyle(UIUserInterfaceStyle::Light);  // no change: no call
    UITraitCollection::setCurrentUserInterfaceStyle(UIUserInterfaceStyle::Unspecified);
    EXPECT_EQ(watcher->previous, (std::vector<int>{2, 1}));
    EXPECT_EQ(UIScreen::mainScreen()->traitCollection()->userInterfaceStyle(), UIUserInterfaceStyle::Unspecified);
}

TEST_F(WindowTest, ApplicationOperationsAreVirtualAndReachableByName) {
    class Home : public UIApplication {
    public:
        std::vector<std::string> calls;
        bool openURL(const std::string& url) override {
            calls.push_back("open " + url);
            return url == "prefs:root=General";
        }
        void takeScreenshot() override { calls.push_back("screenshot"); }
        bool launchApplicationWithIdentifier(const std::string& id, bool suspended) override {
            calls.push_back("launch " + id + (suspended ? " suspended" : ""));
            return true;
        }
    };
    auto base = UIApplication::sharedApplication();
    EXPECT_EQ(base, UIApplication::sharedApplication());
    EXPECT_FALSE(base->openURL("https://example.org"));
    EXPECT_TRUE(
        process.process().log().contains("UIApplication: openURL:https://example.org is not handled in this process"));
    base->_simulateLockButtonPress();
    objc::msgSend(base, objc::sel("takeScreenshot"));
    EXPECT_EQ(process.process().log().lines().size(), 3u);

    auto home = objc::make<Home>();
    UIApplication::installSharedApplication(home);
    auto app = UIApplication::sharedApplication();
    ASSERT_EQ(app, home);
    objc::msgSend(app, objc::sel("takeScreenshot"));
    auto result = objc::msgSend(app, objc::sel("openURL:"), NSValueBox::box(Value("prefs:root=General")));
    EXPECT_EQ(NSValueBoxUnbox(result), Value(true));
    objc::msgSend(app, objc::sel("launchApplicationWithIdentifier:suspended:"), NSValueBox::box(Value("com.x")),
                  NSValueBox::box(Value(false)));
    std::vector<bool> completions;
    app->openURL("bad", {}, [&](bool ok) { completions.push_back(ok); });
    EXPECT_TRUE(completions.empty());  // on the run loop, not inside the call
    process.runLoop().runUntilIdle();
    EXPECT_EQ(completions, std::vector<bool>{false});
    EXPECT_EQ(home->calls,
              (std::vector<std::string>{"screenshot", "open prefs:root=General", "launch com.x", "open bad"}));
}

TEST_F(WindowTest, FirstResponderAndNilTargetedActions) {
    class Field : public UIView {
    public:
        bool canBecomeFirstResponder() const override { return true; }
    };
    static int received = 0;
    received = 0;
    objc::class_addMethod(
        &UIView::staticClass(), objc::sel("flintTestAction:"),
        [](objc::Object&, objc::SEL, std::span<const objc::id>) -> objc::id {
            ++received;
            return nullptr;
        },
        "v@:@");
    auto window = objc::make<UIWindow>();
    auto plain = objc::make<UIView>();
    auto field = objc::make<Field>();
    window->addSubview(field);
    EXPECT_FALSE(plain->becomeFirstResponder());
    EXPECT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(UIResponder::currentFirstResponder(), field.get());
    auto app = UIApplication::sharedApplication();
    EXPECT_TRUE(app->sendAction(objc::sel("flintTestAction:"), nullptr, nullptr, nullptr));
    EXPECT_EQ(received, 1);
    EXPECT_FALSE(app->sendAction(objc::sel("flintNobodyHasThis:"), nullptr, nullptr, nullptr));
    // Leaving the window resigns.
    field->removeFromSuperview();
    EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
}

}  // namespace
