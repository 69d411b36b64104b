#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/quartz/CACompositor.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/GeometryExpectations.h"

using namespace ios;

namespace {

void expectRectNear(const CGRect& actual, const CGRect& expected, double tolerance = 1e-6) {
    EXPECT_TRUE(flint::testing::rectNear(actual, expected, tolerance));
}
void expectPointNear(const CGPoint& actual, const CGPoint& expected, double tolerance = 1e-6) {
    EXPECT_TRUE(flint::testing::pointNear(actual, expected, tolerance));
}

// Records the tree notifications and tint changes it receives.
class Probe : public UIView {
public:
    std::vector<std::string>* log = nullptr;
    std::string name;
    int tintChanges = 0;
    int layouts = 0;
    void tintColorDidChange() override { ++tintChanges; }
    void layoutSubviews() override { ++layouts; }
    void willMoveToSuperview(UIView* s) override { record(s ? "willMoveToSuperview" : "willMoveToSuperview(nil)"); }
    void didMoveToSuperview() override { record("didMoveToSuperview"); }
    void willMoveToWindow(UIWindow* w) override { record(w ? "willMoveToWindow" : "willMoveToWindow(nil)"); }
    void didMoveToWindow() override { record(window() ? "didMoveToWindow" : "didMoveToWindow(nil)"); }

private:
    void record(const std::string& what) {
        if (log) log->push_back(name + "." + what);
    }
};

// Fills what it is asked to redraw and remembers the rectangles.
class Canvas : public UIView {
public:
    std::vector<CGRect> rects;
    UIColorRef fill = UIColor::redColor();
    void drawRect(const CGRect& rect) override {
        rects.push_back(rect);
        CGContextRef c = UIGraphicsGetCurrentContext();
        ASSERT_NE(c, nullptr);
        c->setFillColor(*fill);
        c->fillRect(bounds());
    }
};

class ViewTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
};

TEST_F(ViewTest, FrameBoundsCenterAndTransformStayConsistent) {
    auto v = objc::make<UIView>(CGRectMake(10, 20, 100, 50));
    expectPointNear(v->center(), CGPointMake(60, 45));
    expectRectNear(v->bounds(), CGRectMake(0, 0, 100, 50));
    // The view's geometry is its layer's.
    expectPointNear(v->layer()->position(), CGPointMake(60, 45));
    EXPECT_EQ(v->layer()->delegate().get(), static_cast<CALayerDelegate*>(v.get()));

    v->setCenter(CGPointMake(100, 100));
    expectRectNear(v->frame(), CGRectMake(50, 75, 100, 50));

    v->setTransform(CGAffineTransformMakeScale(2, 3));
    expectRectNear(v->frame(), CGRectMake(0, 25, 200, 150));
    expectRectNear(v->bounds(), CGRectMake(0, 0, 100, 50));  // bounds untouched by the transform

    // A quarter turn swaps the frame's extent.
    v->setTransform(CGAffineTransformMakeRotation(M_PI / 2));
    expectRectNear(v->frame(), CGRectMake(75, 50, 50, 100));

    // Setting the frame under a scale sizes the bounds so that the box matches.
    v->setTransform(CGAffineTransformMakeScale(2, 2));
    v->setFrame(CGRectMake(0, 0, 80, 40));
    expectRectNear(v->bounds(), CGRectMake(0, 0, 40, 20));
    expectRectNear(v->frame(), CGRectMake(0, 0, 80, 40));

    // Negative sizes are read standardised; non-finite frames are refused and logged.
    v->setTransform(CGAffineTransformIdentity);
    v->setFrame(CGRectMake(100, 100, -40, -20));
    expectRectNear(v->frame(), CGRectMake(60, 80, 40, 20));
    v->setFrame(CGRectMake(NAN, 0, 1, 1));
    expectRectNear(v->frame(), CGRectMake(60, 80, 40, 20));
    EXPECT_FALSE(process.process().log().lines().empty());

    // Bounds origin shifts what the subviews show, not where the view is.
    v->setBounds(CGRectMake(5, 5, 40, 20));
    expectRectNear(v->frame(), CGRectMake(60, 80, 40, 20));
}

TEST_F(ViewTest, ConvertsPointsAndRectsThroughTransformsAndWindows) {
    auto window = objc::make<UIWindow>(CGRectMake(0, 0, 375, 812));
    auto outer = objc::make<UIView>(CGRectMake(100, 100, 100, 100));
    auto inner = objc::make<UIView>(CGRectMake(10, 10, 20, 20));
    window->addSubview(outer);
    outer->addSubview(inner);

    expectPointNear(inner->convertPointToView(CGPointMake(0, 0), window.get()), CGPointMake(110, 110));
    expectPointNear(inner->convertPointToView(CGPointMake(0, 0), nullptr), CGPointMake(110, 110));
    expectPointNear(window->convertPointToView(CGPointMake(110, 110), inner.get()), CGPointMake(0, 0));
    expectPointNear(inner->convertPointFromView(CGPointMake(115, 112), window.get()), CGPointMake(5, 2));

    // Scrolled bounds move the content.
    outer->setBounds(CGRectMake(0, 50, 100, 100));
    expectPointNear(inner->convertPointToView(CGPointMake(0, 0), window.get()), CGPointMake(110, 60));
    outer->setBounds(CGRectMake(0, 0, 100, 100));

    // A half turn about the outer view's center mirrors both axes.
    outer->setTransform(CGAffineTransformMakeRotation(M_PI));
    expectPointNear(inner->convertPointToView(CGPointMake(0, 0), window.get()), CGPointMake(190, 190), 1e-9);
    expectRectNear(inner->convertRectToView(CGRectMake(0, 0, 20, 20), window.get()), CGRectMake(170, 170, 20, 20),
                   1e-9);
    expectRectNear(window->convertRectToView(CGRectMake(170, 170, 20, 20), inner.get()), CGRectMake(0, 0, 20, 20),
                   1e-9);

    // Views in different windows convert through the screen.
    auto other = objc::make<UIWindow>(CGRectMake(0, 400, 375, 400));
    auto target = objc::make<UIView>(CGRectMake(50, 50, 10, 10));
    other->addSubview(target);
    outer->setTransform(CGAffineTransformIdentity);
    expectPointNear(inner->convertPointToView(CGPointMake(0, 0), target.get()), CGPointMake(60, -340));
    expectPointNear(other->convertPointToWindow(CGPointMake(0, 0), nullptr), CGPointMake(0, 400));
}

TEST_F(ViewTest, TreeOperationsKeepLayersInStepAndNotifyInOrder) {
    std::vector<std::string> log;
    auto window = objc::make<UIWindow>();
    auto parent = objc::make<UIView>();
    auto child = objc::make<Probe>();
    child->name = "child";
    child->log = &log;
    window->addSubview(parent);
    parent->addSubview(child);
    EXPECT_EQ(child->window(), window.get());
    EXPECT_EQ(log, (std::vector<std::string>{"child.willMoveToSuperview", "child.willMoveToWindow",
                                             "child.didMoveToWindow", "child.didMoveToSuperview"}));
    log.clear();
    child->removeFromSuperview();
    EXPECT_EQ(child->window(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"child.willMoveToSuperview(nil)", "child.willMoveToWindow(nil)",
                                             "child.didMoveToWindow(nil)", "child.didMoveToSuperview"}));

    // Insertion, reordering and the layer order follow each other.
    auto a = objc::make<UIView>(), b = objc::make<UIView>(), c = objc::make<UIView>();
    a->setTag(1);
    b->setTag(2);
    c->setTag(3);
    parent->addSubview(a);
    parent->addSubview(c);
    parent->insertSubview(b, 1);
    auto order = [&] {
        std::string s;
        for (auto& v : parent->subviews()) s += std::to_string(v->tag());
        std::string layers;
        for (auto& l : parent->layer()->sublayers())
            for (auto& v : parent->subviews())
                if (v->layer() == l) layers += std::to_string(v->tag());
        EXPECT_EQ(s, layers);
        return s;
    };
    EXPECT_EQ(order(), "123");
    parent->bringSubviewToFront(a.get());
    EXPECT_EQ(order(), "231");
    parent->sendSubviewToBack(c.get());
    EXPECT_EQ(order(), "321");
    parent->insertSubviewAboveSubview(c, b.get());
    EXPECT_EQ(order(), "231");
    parent->insertSubviewBelowSubview(a, b.get());
    EXPECT_EQ(order(), "123");
    parent->exchangeSubviewAtIndex(0, 2);
    EXPECT_EQ(order(), "321");

    // Tags search depth first; a view cannot become its own ancestor's subview.
    c->addSubview(child);
    child->setTag(7);
    EXPECT_EQ(window->viewWithTag(7), child.get());
    EXPECT_EQ(window->viewWithTag(99), nullptr);
    child->addSubview(parent);
    EXPECT_EQ(parent->superview(), window.get());

    // The next-responder chain runs up to the window, then the application.
    EXPECT_EQ(child->nextResponder(), c.get());
    EXPECT_EQ(parent->nextResponder(), window.get());
    ASSERT_NE(window->nextResponder(), nullptr);
    EXPECT_EQ(window->nextResponder()->nextResponder(), nullptr);
}

TEST_F(ViewTest, TintPropagatesToDescendantsThatInheritIt) {
    auto root = objc::make<Probe>();
    auto middle = objc::make<Probe>();
    auto leaf = objc::make<Probe>();
    auto own = objc::make<Probe>();
    root->addSubview(middle);
    middle->addSubview(leaf);
    middle->addSubview(own);
    EXPECT_TRUE(leaf->tintColor()->isEqual(*UIColor::systemBlueColor()));
    own->setTintColor(UIColor::greenColor());
    own->tintChanges = 0;

    root->setTintColor(UIColor::redColor());
    EXPECT_TRUE(leaf->tintColor()->isEqual(*UIColor::redColor()));
    EXPECT_TRUE(own->tintColor()->isEqual(*UIColor::greenColor()));
    EXPECT_EQ(root->tintChanges, 1);
    EXPECT_EQ(middle->tintChanges, 1);
    EXPECT_EQ(leaf->tintChanges, 1);
    EXPECT_EQ(own->tintChanges, 0);  // keeps its own tint: not told

    // Moving a view under another tint tells it too.
    auto elsewhere = objc::make<UIView>();
    elsewhere->setTintColor(UIColor::yellowColor());
    elsewhere->addSubview(leaf);
    EXPECT_EQ(leaf->tintChanges, 2);
    EXPECT_TRUE(leaf->tintColor()->isEqual(*UIColor::yellowColor()));
}

TEST_F(ViewTest, AutoresizingSpreadsTheChangeOverFlexibleParts) {
    auto parent = objc::make<UIView>(CGRectMake(0, 0, 200, 100));
    auto fixed = objc::make<UIView>(CGRectMake(10, 10, 50, 20));
    auto stretch = objc::make<UIView>(CGRectMake(10, 10, 180, 80));
    stretch->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    auto right = objc::make<UIView>(CGRectMake(150, 10, 40, 20));
    right->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleBottomMargin);
    auto centred = objc::make<UIView>(CGRectMake(50, 40, 100, 20));
    centred->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin);
    auto proportional = objc::make<UIView>(CGRectMake(20, 0, 60, 100));
    proportional->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleWidth |
                                      UIViewAutoresizingFlexibleRightMargin);
    auto constrained = objc::make<UIView>(CGRectMake(0, 0, 10, 10));
    constrained->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    constrained->setTranslatesAutoresizingMaskIntoConstraints(false);
    for (auto& v : {fixed, stretch, right, centred, proportional, constrained}) parent->addSubview(v);

    parent->setFrame(CGRectMake(0, 0, 300, 150));
    expectRectNear(fixed->frame(), CGRectMake(10, 10, 50, 20));
    expectRectNear(stretch->frame(), CGRectMake(10, 10, 280, 130));
    expectRectNear(right->frame(), CGRectMake(250, 10, 40, 20));
    expectRectNear(centred->frame(), CGRectMake(100, 40, 100, 20));
    // 100 points over margins 20 and 120 and width 60 (in proportion 20 : 60 : 120).
    expectRectNear(proportional->frame(), CGRectMake(30, 0, 90, 100));
    expectRectNear(constrained->frame(), CGRectMake(0, 0, 10, 10));

    // Off: nothing follows.
    parent->setAutoresizesSubviews(false);
    parent->setFrame(CGRectMake(0, 0, 100, 50));
    expectRectNear(stretch->frame(), CGRectMake(10, 10, 280, 130));
}

TEST_F(ViewTest, LayoutPassRunsTheConstraintHookThenLayoutSubviews) {
    static std::vector<std::string>* order = nullptr;
    std::vector<std::string> calls;
    order = &calls;
    class Laid : public UIView {
    public:
        void layoutSubviews() override { order->push_back("layout"); }
    };
    auto saved = UIView::s_constraintLayoutHook;
    UIView::s_constraintLayoutHook = [](UIView&) { order->push_back("hook"); };
    auto v = objc::make<Laid>(CGRectMake(0, 0, 10, 10));
    v->layoutIfNeeded();
    EXPECT_EQ(calls, std::vector<std::string>{"layout"});  // no constraints: no hook
    calls.clear();
    v->layoutIfNeeded();
    EXPECT_TRUE(calls.empty());  // nothing marked
    v->addConstraint(objc::make<NSLayoutConstraint>());
    ASSERT_EQ(v->constraints().size(), 1u);
    v->layoutIfNeeded();  // adding a constraint marks the view
    EXPECT_EQ(calls, (std::vector<std::string>{"hook", "layout"}));
    calls.clear();
    v->setFrame(CGRectMake(0, 0, 20, 10));  // so does a size change
    v->layoutIfNeeded();
    v->setFrame(CGRectMake(5, 0, 20, 10));  // a move does not
    v->layoutIfNeeded();
    v->invalidateIntrinsicContentSize();
    v->layoutIfNeeded();
    EXPECT_EQ(calls, (std::vector<std::string>{"hook", "layout", "hook", "layout"}));
    v->removeConstraint(v->constraints().front().get());
    EXPECT_TRUE(v->constraints().empty());
    UIView::s_constraintLayoutHook = saved;
    EXPECT_TRUE(v->translatesAutoresizingMaskIntoConstraints());

    // sizeToFit keeps the origin and takes sizeThatFits; intrinsic size defaults to none.
    class Fits : public UIView {
    public:
        CGSize sizeThatFits(const CGSize&) const override { return {33, 44}; }
    };
    auto f = objc::make<Fits>(CGRectMake(5, 6, 1, 1));
    f->sizeToFit();
    expectRectNear(f->frame(), CGRectMake(5, 6, 33, 44));
    EXPECT_EQ(f->intrinsicContentSize().width, UIViewNoIntrinsicMetric);
}

TEST_F(ViewTest, RedrawsOnlyTheDirtyRectangles) {
    auto canvas = objc::make<Canvas>(CGRectMake(0, 0, 100, 100));
    auto plain = objc::make<UIView>(CGRectMake(0, 0, 100, 100));
    canvas->displayIfNeeded();
    plain->displayIfNeeded();
    ASSERT_EQ(canvas->rects.size(), 1u);
    expectRectNear(canvas->rects[0], CGRectMake(0, 0, 100, 100));
    ASSERT_NE(canvas->layer()->backingStore(), nullptr);
    EXPECT_EQ(canvas->layer()->backingStoreScale(), 3);  // the screen's scale
    // A view that does not draw keeps no store.
    plain->displayIfNeeded();
    EXPECT_EQ(plain->layer()->backingStore(), nullptr);

    // Only the marked area is redrawn: blue inside it, the old red outside.
    canvas->fill = UIColor::blueColor();
    canvas->setNeedsDisplayInRect(CGRectMake(10, 10, 20, 20));
    canvas->setNeedsDisplayInRect(CGRectMake(25, 25, 10, 10));
    canvas->displayIfNeeded();
    ASSERT_EQ(canvas->rects.size(), 2u);
    expectRectNear(canvas->rects[1], CGRectMake(10, 10, 25, 25));
    EXPECT_EQ(canvas->drawCountForTesting(), 2);
    auto image = CACompositor::render(*canvas->layer(), CGSizeMake(100, 100), 1);
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(15, 15)), ios::testing::kOpaqueBlue));
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(33, 33)), ios::testing::kOpaqueBlue));
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(5, 5)), ios::testing::kOpaqueRed));
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(50, 50)), ios::testing::kOpaqueRed));

    // Nothing marked: nothing drawn.
    canvas->displayIfNeeded();
    EXPECT_EQ(canvas->rects.size(), 2u);
    // The drawing context is popped after each redraw.
    EXPECT_EQ(UIGraphicsContextDepthForTesting(), 0);
}

TEST_F(ViewTest, HitTestingSkipsHiddenTransparentAndDisabledViews) {
    auto root = objc::make<UIView>(CGRectMake(0, 0, 200, 200));
    auto back = objc::make<UIView>(CGRectMake(0, 0, 100, 100));
    auto front = objc::make<UIView>(CGRectMake(50, 50, 100, 100));
    root->addSubview(back);
    root->addSubview(front);
    EXPECT_EQ(root->hitTest(CGPointMake(60, 60), nullptr), front.get());
    EXPECT_EQ(root->hitTest(CGPointMake(20, 20), nullptr), back.get());
    EXPECT_EQ(root->hitTest(CGPointMake(180, 20), nullptr), root.get());
    EXPECT_EQ(root->hitTest(CGPointMake(250, 20), nullptr), nullptr);
    front->setHidden(true);
    EXPECT_EQ(root->hitTest(CGPointMake(60, 60), nullptr), back.get());
    front->setHidden(false);
    front->setAlpha(0.005);
    EXPECT_EQ(root->hitTest(CGPointMake(60, 60), nullptr), back.get());
    front->setAlpha(1);
    front->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest(CGPointMake(60, 60), nullptr), back.get());
    // Through a transform: the front view scaled about its center now covers (30, 30).
    front->setUserInteractionEnabled(true);
    front->setTransform(CGAffineTransformMakeScale(1.5, 1.5));
    EXPECT_EQ(root->hitTest(CGPointMake(30, 30), nullptr), front.get());
}

TEST_F(ViewTest, VisualPropertiesAreTheLayersAndRender) {
    auto root = objc::make<UIView>(CGRectMake(0, 0, 40, 40));
    root->setBackgroundColor(UIColor::whiteColor());
    auto box = objc::make<UIView>(CGRectMake(10, 10, 40, 40));
    box->setBackgroundColor(UIColor::redColor());
    root->addSubview(box);
    EXPECT_EQ(box->layer()->backgroundColor(), box->backgroundColor());
    root->setClipsToBounds(true);
    EXPECT_TRUE(root->layer()->masksToBounds());
    box->setAlpha(0.5);
    EXPECT_DOUBLE_EQ(box->layer()->opacity(), 0.5);
    auto image = CACompositor::render(*root->layer(), CGSizeMake(60, 60), 1);
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(5, 5)), ios::testing::kOpaqueWhite));
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(20, 20)), {255, 128, 128, 255}, 4));
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(45, 45)), ios::testing::kTransparent));
    box->setHidden(true);
    image = CACompositor::render(*root->layer(), CGSizeMake(60, 60), 1);
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(20, 20)), ios::testing::kOpaqueWhite));
}

// A view class that does not draw, shown for the first time with layer contents: the contents
// must show at once, not behind an empty backing store made while finding out that it draws nothing.
class ContentsOnlyView : public UIView {
public:
    ContentsOnlyView() = default;
};

TEST_F(ViewTest, ContentsShowAtTheFirstDisplayOfAClassThatDoesNotDraw) {
    auto view = objc::make<ContentsOnlyView>(CGRectMake(0, 0, 20, 20));
    auto red = UIImage::imageWithSize(CGSizeMake(20, 20), 1, [](CGContext& c) {
        c.setFillColor(*UIColor::redColor());
        c.fillRect(CGRectMake(0, 0, 20, 20));
    });
    ASSERT_TRUE(red);
    view->layer()->setContents(red);
    auto image = CACompositor::render(*view->layer(), CGSizeMake(20, 20), 1);
    EXPECT_TRUE(ios::testing::pixelNear(image->pixelAtPoint(CGPointMake(10, 10)), {255, 0, 0, 255}, 2));
}

}  // namespace
