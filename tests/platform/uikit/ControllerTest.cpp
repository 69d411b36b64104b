#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;
using ios::testing::pixelNear;

namespace {

class Recorder : public UIViewController {
public:
    std::vector<std::string>* log = nullptr;
    std::string name;
    UIColorRef colour;
    int loads = 0;
    void loadView() override {
        ++loads;
        auto v = objc::make<UIView>(CGRectMake(0, 0, 10, 10));
        v->setBackgroundColor(colour);
        setView(v);
    }
    void viewDidLoad() override { record("viewDidLoad"); }
    void viewWillAppear(bool) override { record("viewWillAppear"); }
    void viewDidAppear(bool) override { record("viewDidAppear"); }
    void viewWillDisappear(bool) override { record("viewWillDisappear"); }
    void viewDidDisappear(bool) override { record("viewDidDisappear"); }

private:
    void record(const std::string& what) {
        if (log) log->push_back(name + "." + what);
    }
};

class ControllerTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    RunLoop& loop() { return process.runLoop(); }
    std::vector<std::string> log;
    objc::Ref<UIWindow> window = objc::make<UIWindow>();

    objc::Ref<Recorder> recorder(const std::string& name, UIColorRef colour) {
        auto r = objc::make<Recorder>();
        r->name = name;
        r->log = &log;
        r->colour = std::move(colour);
        return r;
    }
    UIImage::RGBA probe(CGPoint p) { return UIScreen::mainScreen()->snapshot(1)->pixelAtPoint(p); }
};

TEST_F(ControllerTest, ViewLoadsLazilyOnce) {
    auto c = recorder("c", UIColor::redColor());
    EXPECT_FALSE(c->isViewLoaded());
    EXPECT_EQ(c->viewIfLoaded(), nullptr);
    const auto& v = c->view();
    EXPECT_TRUE(c->isViewLoaded());
    EXPECT_EQ(c->view(), v);
    EXPECT_EQ(c->loads, 1);
    EXPECT_EQ(log, std::vector<std::string>{"c.viewDidLoad"});
    EXPECT_EQ(v->viewController(), c.get());

    // The default loadView makes a view covering the screen.
    auto plain = objc::make<UIViewController>();
    EXPECT_EQ(plain->view()->frame(), UIScreen::mainScreen()->bounds());

    // Children know their parent.
    plain->addChildViewController(c);
    EXPECT_EQ(c->parentViewController(), plain.get());
    EXPECT_EQ(plain->childViewControllers().size(), 1u);
    c->removeFromParentViewController();
    EXPECT_EQ(c->parentViewController(), nullptr);
    EXPECT_TRUE(plain->childViewControllers().empty());
}

TEST_F(ControllerTest, FullScreenPresentationCoversThenUncoversTheWindow) {
    auto root = recorder("root", UIColor::redColor());
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    log.clear();
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 400)), ios::testing::kOpaqueRed));

    auto modal = recorder("modal", UIColor::blueColor());
    bool presented = false;
    root->presentViewController(modal, false, [&] { presented = true; });
    EXPECT_EQ(root->presentedViewController(), modal.get());
    EXPECT_EQ(modal->presentingViewController(), root.get());
    EXPECT_EQ(modal->view()->superview(), window.get());
    EXPECT_EQ(modal->view()->frame(), window->bounds());
    // The presenting view leaves the window under a full-screen presentation.
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_FALSE(presented);
    loop().runUntilIdle();
    EXPECT_TRUE(presented);
    EXPECT_EQ(log, (std::vector<std::string>{"modal.viewDidLoad", "modal.viewWillAppear", "root.viewWillDisappear",
                                             "modal.viewDidAppear", "root.viewDidDisappear"}));
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 400)), ios::testing::kOpaqueBlue));

    // Presenting again while presenting does nothing and says why.
    auto third = recorder("third", UIColor::greenColor());
    root->presentViewController(third, false);
    EXPECT_EQ(root->presentedViewController(), modal.get());
    EXPECT_FALSE(third->isViewLoaded());
    EXPECT_NE(process.process().log().lines().back().find("which is already presenting"), std::string::npos);

    // Dismissed from the presented side: the presenter's view comes back.
    log.clear();
    bool dismissed = false;
    modal->dismissViewControllerAnimated(false, [&] { dismissed = true; });
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(modal->presentingViewController(), nullptr);
    EXPECT_EQ(modal->view()->superview(), nullptr);
    EXPECT_EQ(root->view()->superview(), window.get());
    loop().runUntilIdle();
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(log, (std::vector<std::string>{"modal.viewWillDisappear", "root.viewWillAppear", "modal.viewDidDisappear",
                                             "root.viewDidAppear"}));
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 400)), ios::testing::kOpaqueRed));
}

TEST_F(ControllerTest, AnimatedPresentationSlidesUpAndDismissalSlidesDown) {
    auto root = recorder("root", UIColor::redColor());
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto modal = recorder("modal", UIColor::blueColor());
    int completions = 0;
    root->presentViewController(modal, true, [&] { ++completions; });
    EXPECT_TRUE(modal->isBeingPresented());
    // Half-way through, the top half of the screen still shows the presenter.
    loop().advanceBy(UIViewControllerTransitionDuration / 2);
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 100)), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 800)), ios::testing::kOpaqueBlue));
    EXPECT_EQ(root->view()->superview(), window.get());
    loop().advanceBy(UIViewControllerTransitionDuration);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(modal->isBeingPresented());
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 100)), ios::testing::kOpaqueBlue));

    root->dismissViewControllerAnimated(true, [&] { ++completions; });
    EXPECT_TRUE(modal->isBeingDismissed());
    EXPECT_EQ(root->view()->superview(), window.get());  // back beneath for the slide
    loop().advanceBy(UIViewControllerTransitionDuration / 2);
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 100)), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 800)), ios::testing::kOpaqueBlue));
    loop().advanceBy(UIViewControllerTransitionDuration);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 800)), ios::testing::kOpaqueRed));
}

TEST_F(ControllerTest, OverFullScreenKeepsThePresenterAndChainsDismissTogether) {
    auto root = recorder("root", UIColor::redColor());
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto sheet = recorder("sheet", UIColor::clearColor());
    sheet->setModalPresentationStyle(UIModalPresentationStyle::OverFullScreen);
    root->presentViewController(sheet, false);
    loop().runUntilIdle();
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_TRUE(pixelNear(probe(CGPointMake(100, 400)), ios::testing::kOpaqueRed));

    auto top = recorder("top", UIColor::greenColor());
    sheet->presentViewController(top, false);
    EXPECT_EQ(sheet->presentedViewController(), top.get());
    EXPECT_EQ(sheet->view()->superview(), nullptr);
    // Dismissing from the bottom of the chain takes everything above with it.
    root->dismissViewControllerAnimated(false);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(sheet->presentedViewController(), nullptr);
    EXPECT_EQ(top->view()->superview(), nullptr);
    EXPECT_EQ(sheet->view()->superview(), nullptr);
    EXPECT_EQ(window->subviews().size(), 1u);
    EXPECT_EQ(window->subviews()[0], root->view());

    // A controller whose view is not in a window presents nothing.
    auto loose = recorder("loose", UIColor::redColor());
    loose->presentViewController(recorder("x", UIColor::redColor()), false);
    EXPECT_EQ(loose->presentedViewController(), nullptr);
    EXPECT_NE(process.process().log().lines().back().find("not in the window hierarchy"), std::string::npos);
}

}  // namespace
