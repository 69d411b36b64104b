#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/quartz/CAMediaTimingFunction.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIView.h"

using namespace ios;

namespace {

class AnimationTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    RunLoop& loop() { return process.runLoop(); }
    objc::Ref<UIView> view = objc::make<UIView>(CGRectMake(0, 0, 100, 100));

    CGPoint presentedCenter() { return view->layer()->presentationLayer()->position(); }
    double presentedAlpha() { return view->layer()->presentationLayer()->opacity(); }
};

TEST_F(AnimationTest, BlockAnimatesFromThePresentationValueWithTheCurve) {
    std::vector<bool> done;
    UIView::animateWithDuration(
        1.0, 0, UIViewAnimationOptionCurveLinear, [&] { view->setCenter(CGPointMake(150, 50)); },
        [&](bool finished) { done.push_back(finished); });
    // The model changes at once; the presentation follows the clock.
    EXPECT_EQ(view->center(), CGPointMake(150, 50));
    EXPECT_NEAR(presentedCenter().x, 50, 1e-9);
    loop().advanceBy(0.5);
    EXPECT_NEAR(presentedCenter().x, 100, 1e-6);
    EXPECT_TRUE(done.empty());
    loop().advanceBy(0.5);
    EXPECT_EQ(done, std::vector<bool>{true});
    EXPECT_NEAR(presentedCenter().x, 150, 1e-9);
    EXPECT_FALSE(view->layer()->hasAnimations());

    // The default curve is ease-in-out: half-way in time is half-way in value, a quarter is less.
    UIView::animateWithDuration(1.0, [&] { view->setAlpha(0); });
    auto easeInOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    loop().advanceBy(0.25);
    EXPECT_NEAR(presentedAlpha(), 1 - easeInOut->progressAtTime(0.25), 1e-6);
    EXPECT_GT(presentedAlpha(), 0.75);
    loop().advanceBy(0.25);
    EXPECT_NEAR(presentedAlpha(), 0.5, 1e-3);
    loop().advanceBy(1);
    EXPECT_DOUBLE_EQ(presentedAlpha(), 0);
}

TEST_F(AnimationTest, CompletionsRunInOrderOfEndingOnTheRunLoop) {
    std::vector<std::string> order;
    auto other = objc::make<UIView>(CGRectMake(0, 0, 10, 10));
    UIView::animateWithDuration(
        0.4, [&] { view->setAlpha(0.5); }, [&](bool) { order.push_back("long"); });
    UIView::animateWithDuration(
        0.2, [&] { other->setBackgroundColor(UIColor::redColor()); }, [&](bool) { order.push_back("short"); });
    // A block that animates nothing completes at the next turn, finished.
    UIView::animateWithDuration(
        0.3, [] {}, [&](bool finished) { order.push_back(finished ? "empty" : "empty-cut"); });
    EXPECT_TRUE(order.empty());
    loop().runUntilIdle();
    EXPECT_EQ(order, std::vector<std::string>{"empty"});
    loop().advanceBy(0.25);
    EXPECT_EQ(order, (std::vector<std::string>{"empty", "short"}));
    loop().advanceBy(0.25);
    EXPECT_EQ(order, (std::vector<std::string>{"empty", "short", "long"}));

    // A block's completion waits for all of its animations.
    order.clear();
    UIView::animateWithDuration(
        0.3,
        [&] {
            view->setFrame(CGRectMake(0, 0, 50, 50));  // position and bounds
            other->setTransform(CGAffineTransformMakeScale(2, 2));
        },
        [&](bool finished) { order.push_back(finished ? "all" : "cut"); });
    EXPECT_EQ(view->layer()->animationKeys().size(), 2u);
    loop().advanceBy(0.29);
    EXPECT_TRUE(order.empty());
    loop().advanceBy(0.02);
    EXPECT_EQ(order, std::vector<std::string>{"all"});
}

TEST_F(AnimationTest, InterruptionFinishesFalseAndTheNewAnimationStartsMidFlight) {
    std::vector<std::string> order;
    UIView::animateWithDuration(
        1.0, 0, UIViewAnimationOptionCurveLinear, [&] { view->setCenter(CGPointMake(250, 50)); },
        [&](bool finished) { order.push_back(finished ? "first" : "first-cut"); });
    loop().advanceBy(0.5);
    EXPECT_NEAR(presentedCenter().x, 150, 1e-6);
    UIView::animateWithDuration(
        1.0, 0, UIViewAnimationOptionCurveLinear, [&] { view->setCenter(CGPointMake(50, 50)); },
        [&](bool finished) { order.push_back(finished ? "second" : "second-cut"); });
    // No jump: the second starts where the first was.
    EXPECT_NEAR(presentedCenter().x, 150, 1e-6);
    loop().runUntilIdle();
    EXPECT_EQ(order, std::vector<std::string>{"first-cut"});
    loop().advanceBy(0.5);
    EXPECT_NEAR(presentedCenter().x, 100, 1e-6);
    loop().advanceBy(0.5);
    EXPECT_EQ(order, (std::vector<std::string>{"first-cut", "second"}));

    // Interrupted before the run loop ever turned: still reported, once.
    order.clear();
    UIView::animateWithDuration(
        1.0, [&] { view->setAlpha(0.2); }, [&](bool f) { order.push_back(f ? "a" : "a-cut"); });
    UIView::animateWithDuration(
        1.0, [&] { view->setAlpha(0.8); }, [&](bool f) { order.push_back(f ? "b" : "b-cut"); });
    loop().advanceBy(2);
    EXPECT_EQ(order, (std::vector<std::string>{"a-cut", "b"}));

    // Removing the animations cuts them too.
    order.clear();
    UIView::animateWithDuration(
        1.0, [&] { view->setAlpha(0.1); }, [&](bool f) { order.push_back(f ? "c" : "c-cut"); });
    loop().advanceBy(0.1);
    view->layer()->removeAllAnimations();
    loop().runUntilIdle();
    EXPECT_EQ(order, std::vector<std::string>{"c-cut"});
    EXPECT_EQ(uiview_animation::pendingBlocksForTesting(), 0);
}

TEST_F(AnimationTest, DelayHoldsTheOldValueAndNoAnimationOutsideBlocks) {
    UIView::animateWithDuration(
        0.5, 1.0, UIViewAnimationOptionCurveLinear, [&] { view->setAlpha(0); }, nullptr);
    loop().advanceBy(0.5);
    EXPECT_DOUBLE_EQ(presentedAlpha(), 1);  // still waiting
    loop().advanceBy(0.75);
    EXPECT_NEAR(presentedAlpha(), 0.5, 1e-6);
    loop().advanceBy(1);

    // Outside a block, and inside performWithoutAnimation, changes are immediate.
    view->setAlpha(1);
    EXPECT_FALSE(view->layer()->hasAnimations());
    UIView::animateWithDuration(1.0,
                                [&] { UIView::performWithoutAnimation([&] { view->setCenter(CGPointMake(7, 7)); }); });
    EXPECT_FALSE(view->layer()->hasAnimations());
    UIView::setAnimationsEnabled(false);
    UIView::animateWithDuration(1.0, [&] { view->setAlpha(0.3); });
    EXPECT_FALSE(view->layer()->hasAnimations());
    UIView::setAnimationsEnabled(true);
    // Hidden and other non-interpolating properties never animate.
    UIView::animateWithDuration(1.0, [&] { view->setHidden(true); });
    EXPECT_FALSE(view->layer()->hasAnimations());
    // A view made inside a block is not animated into place.
    objc::Ref<UIView> fresh;
    UIView::animateWithDuration(1.0, [&] { fresh = objc::make<UIView>(CGRectMake(1, 2, 3, 4)); });
    EXPECT_FALSE(fresh->layer()->hasAnimations());
}

// The did-stop target of the begin/commit form.
class StopTarget : public objc::Object {
    OBJC_CLASS_DECLARE(StopTarget)
public:
    std::vector<std::string> calls;

protected:
    StopTarget() = default;
};

OBJC_CLASS_DEFINE_WITH(StopTarget, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("animationDidStop:finished:context:", "v@:@@^v",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            auto& t = static_cast<StopTarget&>(self);
                            Value id = NSValueBoxUnbox(args[0]);
                            Value finished = NSValueBoxUnbox(args[1]);
                            t.calls.push_back((id.isString() ? *id.string() : std::string("nil")) + ":" +
                                              (finished.boolValue() ? "YES" : "NO") + ":" +
                                              std::to_string(NSValueBoxUnbox(args[2]).integerValue()) + "@" +
                                              std::to_string(CACurrentMediaTime()));
                            return nullptr;
                        });
    cls.addNativeMethod("fadeDone", "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
        static_cast<StopTarget&>(self).calls.push_back("fadeDone");
        return nullptr;
    });
})

TEST_F(AnimationTest, BeginCommitUsesDefaultsAndSendsTheDidStopSelector) {
    auto target = objc::make<StopTarget>();
    int context = 0;
    UIView::beginAnimations("fade", &context);
    UIView::setAnimationDelegate(target);
    UIView::setAnimationDidStopSelector(objc::sel("animationDidStop:finished:context:"));
    view->setAlpha(0);
    UIView::commitAnimations();
    auto animation = objc::cast<CABasicAnimation>(view->layer()->animationForKey("opacity"));
    ASSERT_TRUE(animation);
    EXPECT_DOUBLE_EQ(animation->duration(), UIViewBeginAnimationsDefaultDuration);
    float c1[2], c2[2];
    animation->timingFunction()->getControlPointAtIndex(1, c1);
    animation->timingFunction()->getControlPointAtIndex(2, c2);
    EXPECT_FLOAT_EQ(c1[0], 0.42f);
    EXPECT_FLOAT_EQ(c2[0], 0.58f);
    loop().advanceBy(0.3);
    ASSERT_EQ(target->calls.size(), 1u);
    EXPECT_EQ(target->calls[0].substr(0, 9), "fade:YES:");
    EXPECT_NE(target->calls[0].find("@0.2"), std::string::npos) << target->calls[0];

    // Duration and curve set inside; a zero-argument selector; interruption reports NO.
    target->calls.clear();
    UIView::beginAnimations();
    UIView::setAnimationDuration(1.0);
    UIView::setAnimationCurve(UIViewAnimationCurve::Linear);
    UIView::setAnimationDelegate(target);
    UIView::setAnimationDidStopSelector(objc::sel("fadeDone"));
    view->setAlpha(1);
    UIView::commitAnimations();
    loop().advanceBy(0.5);
    EXPECT_NEAR(presentedAlpha(), 0.5, 1e-6);
    UIView::beginAnimations("cut");
    UIView::setAnimationDelegate(target);
    UIView::setAnimationDidStopSelector(objc::sel("animationDidStop:finished:context:"));
    view->setAlpha(0.25);
    UIView::commitAnimations();
    loop().advanceBy(1);
    ASSERT_EQ(target->calls.size(), 2u);
    EXPECT_EQ(target->calls[0], "fadeDone");
    EXPECT_EQ(target->calls[1].substr(0, 8), "cut:YES:");
    // An unmatched commit is logged, not fatal.
    UIView::commitAnimations();
    EXPECT_TRUE(process.process().log().contains("UIView: commitAnimations without a matching beginAnimations"));
}

}  // namespace
