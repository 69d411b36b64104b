#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/TestProcess.h"
#include "platform/quartz/CAAnimation.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CALayer.h"
#include "platform/quartz/CATransaction.h"

using namespace ios;

namespace {

class Recorder : public CAAnimationDelegate {
public:
    std::vector<std::string> events;
    CALayer* watched = nullptr;
    void animationDidStart(CAAnimation&) override { events.push_back("start@" + std::to_string(CACurrentMediaTime())); }
    void animationDidStop(CAAnimation& a, bool finished) override {
        events.push_back(std::string(finished ? "stop" : "cut") + "@" + std::to_string(CACurrentMediaTime()));
        if (watched) stillAttached = watched->animationForKey("move") != nullptr;
    }
    bool stillAttached = true;
};

class Animations : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    RunLoop& loop() { return process.runLoop(); }
    objc::Ref<CALayer> layer = CALayer::layer();

    double presentedX() { return layer->presentationLayer()->position().x; }
};

objc::Ref<CABasicAnimation> moveX(double from, double to, double duration) {
    auto a = CABasicAnimation::animationWithKeyPath("position.x");
    a->setFromValue(from);
    a->setToValue(to);
    a->setDuration(duration);
    return a;
}

}  // namespace

TEST_F(Animations, PresentationFollowsTheMediaClockWhileTheModelStays) {
    layer->setPosition({10, 20});
    layer->addAnimation(moveX(0, 100, 2), "move");
    EXPECT_NEAR(presentedX(), 0, 1e-9);
    loop().advanceBy(0.5);
    EXPECT_NEAR(presentedX(), 25, 1e-9);
    loop().advanceBy(1.0);
    EXPECT_NEAR(presentedX(), 75, 1e-9);
    EXPECT_EQ(layer->position().x, 10);  // the model never moves
    EXPECT_EQ(layer->presentationLayer()->position().y, 20);
    loop().advanceBy(1.0);
    EXPECT_FALSE(layer->animationForKey("move"));  // removed on completion
    EXPECT_EQ(presentedX(), 10);
}

TEST_F(Animations, TimingFunctionShapesTheProgress) {
    auto a = moveX(0, 100, 1);
    a->setTimingFunction(CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn));
    layer->addAnimation(a, "move");
    loop().advanceBy(0.3);
    double expected = 100 * a->timingFunction()->progressAtTime(0.3);
    EXPECT_NEAR(presentedX(), expected, 1e-9);
    EXPECT_LT(presentedX(), 30);
}

TEST_F(Animations, FromOnlyAndToOnlyUseTheModelValue) {
    layer->setOpacity(0.5);
    auto toZero = CABasicAnimation::animationWithKeyPath("opacity");
    toZero->setToValue(0.0);
    toZero->setDuration(1);
    layer->addAnimation(toZero, "fade");
    loop().advanceBy(0.5);
    EXPECT_NEAR(layer->presentationLayer()->opacity(), 0.25, 1e-9);
    auto by = CABasicAnimation::animationWithKeyPath("position");
    by->setByValue(CGPoint{10, 20});
    by->setDuration(1);
    layer->setPosition({100, 100});
    layer->addAnimation(by, "nudge");
    loop().advanceBy(0.5);
    EXPECT_NEAR(layer->presentationLayer()->position().x, 105, 1e-9);
    EXPECT_NEAR(layer->presentationLayer()->position().y, 110, 1e-9);
}

TEST_F(Animations, FillModeAndRemovedOnCompletionKeepTheEndValue) {
    auto a = moveX(0, 100, 1);
    a->setRemovedOnCompletion(false);
    a->setFillMode(kCAFillModeForwards);
    layer->addAnimation(a, "move");
    loop().advanceBy(5);
    EXPECT_TRUE(layer->animationForKey("move"));
    EXPECT_NEAR(presentedX(), 100, 1e-9);

    auto b = moveX(0, 100, 1);
    b->setRemovedOnCompletion(false);  // kept, but without a fill it no longer applies
    layer->addAnimation(b, "move");
    loop().advanceBy(2);
    EXPECT_TRUE(layer->animationForKey("move"));
    EXPECT_EQ(presentedX(), 0);
}

TEST_F(Animations, DelayedBeginWithBackwardsFill) {
    auto a = moveX(50, 100, 1);
    a->setBeginTime(CACurrentMediaTime() + 1);
    layer->addAnimation(a, "move");
    EXPECT_EQ(presentedX(), 0);  // not started and no fill: the model shows
    a->setFillMode(kCAFillModeBackwards);
    EXPECT_EQ(presentedX(), 50);
    loop().advanceBy(1.5);
    EXPECT_NEAR(presentedX(), 75, 1e-9);
}

TEST_F(Animations, RepeatAndAutoreverse) {
    auto a = moveX(0, 100, 1);
    a->setAutoreverses(true);
    a->setRepeatCount(2);
    layer->addAnimation(a, "move");
    loop().advanceBy(0.25);
    EXPECT_NEAR(presentedX(), 25, 1e-9);
    loop().advanceBy(1.0);  // 1.25: on the way back
    EXPECT_NEAR(presentedX(), 75, 1e-9);
    loop().advanceBy(1.0);  // 2.25: second cycle, forward again
    EXPECT_NEAR(presentedX(), 25, 1e-9);
    EXPECT_TRUE(layer->animationForKey("move"));
    loop().advanceBy(2.0);
    EXPECT_FALSE(layer->animationForKey("move"));
}

TEST_F(Animations, DelegateHearsStartAndStopOnTheRunLoopAfterRemoval) {
    auto recorder = std::make_shared<Recorder>();
    recorder->watched = layer.get();
    auto a = moveX(0, 100, 1);
    a->setDelegate(recorder);
    layer->addAnimation(a, "move");
    EXPECT_TRUE(recorder->events.empty());  // nothing inside addAnimation
    loop().runUntilIdle();
    ASSERT_EQ(recorder->events.size(), 1u);
    EXPECT_EQ(recorder->events[0], "start@" + std::to_string(0.0));
    loop().advanceBy(3);
    ASSERT_EQ(recorder->events.size(), 2u);
    EXPECT_EQ(recorder->events[1], "stop@" + std::to_string(1.0));
    EXPECT_FALSE(recorder->stillAttached);  // removed before the delegate hears of it
}

TEST_F(Animations, RemovingOrReplacingTellsTheDelegateItDidNotFinish) {
    auto recorder = std::make_shared<Recorder>();
    auto a = moveX(0, 100, 1);
    a->setDelegate(recorder);
    layer->addAnimation(a, "move");
    loop().advanceBy(0.5);
    layer->removeAllAnimations();
    EXPECT_EQ(recorder->events.size(), 1u);  // the stop comes later
    loop().runUntilIdle();
    ASSERT_EQ(recorder->events.size(), 2u);
    EXPECT_EQ(recorder->events[1].substr(0, 4), "cut@");

    layer->addAnimation(a, "move");  // the same object again starts afresh
    loop().advanceBy(0.25);
    EXPECT_NEAR(presentedX(), 25, 1e-9);
    layer->addAnimation(moveX(0, 10, 1), "move");
    loop().runUntilIdle();
    EXPECT_EQ(recorder->events.back().substr(0, 4), "cut@");
    EXPECT_EQ(layer->animationKeys(), std::vector<std::string>{"move"});
}

TEST_F(Animations, KeyframesAtAndBetweenKeyTimes) {
    auto k = CAKeyframeAnimation::animationWithKeyPath("position.x");
    k->setValues({0.0, 100.0, 40.0});
    k->setKeyTimes({0, 0.2, 1});
    k->setDuration(10);
    EXPECT_EQ(k->valueAtFraction(0).number(), 0);
    EXPECT_EQ(k->valueAtFraction(0.2).number(), 100);
    EXPECT_EQ(k->valueAtFraction(1).number(), 40);
    EXPECT_NEAR(k->valueAtFraction(0.1).number(), 50, 1e-9);
    EXPECT_NEAR(k->valueAtFraction(0.6).number(), 70, 1e-9);
    layer->addAnimation(k, "k");
    loop().advanceBy(1);
    EXPECT_NEAR(presentedX(), 50, 1e-9);
    loop().advanceBy(5);
    EXPECT_NEAR(presentedX(), 70, 1e-9);
}

TEST_F(Animations, KeyframeSegmentsHaveTheirOwnTimingFunctions) {
    auto k = CAKeyframeAnimation::animationWithKeyPath("opacity");
    k->setValues({0.0, 1.0, 0.0});
    auto easeIn = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    k->setTimingFunctions({easeIn, nullptr});
    EXPECT_NEAR(k->valueAtFraction(0.25).number(), easeIn->progressAtTime(0.5), 1e-9);
    EXPECT_NEAR(k->valueAtFraction(0.75).number(), 0.5, 1e-9);  // second segment linear
    // Discrete: n values hold for n equal parts of the duration, or from their key times on.
    k->setCalculationMode(kCAAnimationDiscrete);
    EXPECT_EQ(k->valueAtFraction(0.3).number(), 0.0);
    EXPECT_EQ(k->valueAtFraction(0.4).number(), 1.0);
    EXPECT_EQ(k->valueAtFraction(0.7).number(), 0.0);
    k->setKeyTimes({0, 0.5, 0.9, 1});
    EXPECT_EQ(k->valueAtFraction(0.4).number(), 0.0);
    EXPECT_EQ(k->valueAtFraction(0.6).number(), 1.0);
    EXPECT_EQ(k->valueAtFraction(0.95).number(), 0.0);
    // Key times that do not match the values are ignored: the values spread evenly.
    k->setCalculationMode(kCAAnimationLinear);
    k->setTimingFunctions({});
    k->setKeyTimes({0, 1});
    EXPECT_NEAR(k->valueAtFraction(0.25).number(), 0.5, 1e-9);
}

TEST_F(Animations, KeyframeScaledByTheLargestDoubleHoldsTheAwayPosition) {
    // A one-way scroll: key times scaled by a duration of DBL_MAX reach the end at t and stay.
    CATransaction::begin();
    CATransaction::setAnimationDuration(DBL_MAX);
    auto k = CAKeyframeAnimation::animationWithKeyPath("position");
    double d = 1, t = 4;
    k->setValues({CGPoint{0, 0}, CGPoint{0, 0}, CGPoint{-90, 0}, CGPoint{-90, 0}});
    k->setKeyTimes({0, d / DBL_MAX, t / DBL_MAX, 1});
    layer->addAnimation(k, "position");
    CATransaction::commit();
    loop().advanceBy(0.5);
    EXPECT_EQ(layer->presentationLayer()->position().x, 0);
    loop().advanceBy(2.0);  // 2.5: half way through the 3-second leg
    EXPECT_NEAR(layer->presentationLayer()->position().x, -45, 1e-6);
    loop().advanceBy(100);
    EXPECT_NEAR(layer->presentationLayer()->position().x, -90, 1e-9);
    EXPECT_TRUE(layer->animationForKey("position"));
}

TEST_F(Animations, GradientColorsAnimate) {
    auto g = CAGradientLayer::layer();
    g->setColors({UIColor::blackColor(), UIColor::blackColor()});
    auto k = CAKeyframeAnimation::animationWithKeyPath("colors");
    k->setValues({CAValue::Colors{UIColor::blackColor(), UIColor::blackColor()},
                  CAValue::Colors{UIColor::clearColor(), UIColor::blackColor()}});
    k->setDuration(1);
    g->addAnimation(k, "gradient");
    loop().advanceBy(0.5);
    auto p = std::static_pointer_cast<CAGradientLayer>(g->presentationLayer());
    ASSERT_EQ(p->colors().size(), 2u);
    EXPECT_NEAR(p->colors()[0]->alpha(), 0.5, 1e-9);
    EXPECT_NEAR(p->colors()[1]->alpha(), 1, 1e-9);
    EXPECT_EQ(g->colors()[0]->alpha(), 1);
}

TEST_F(Animations, TransformAndItsComponentsAnimate) {
    auto spin = CABasicAnimation::animationWithKeyPath("transform.rotation.z");
    spin->setFromValue(0.0);
    spin->setToValue(M_PI);
    spin->setDuration(1);
    layer->addAnimation(spin, "spin");
    loop().advanceBy(0.5);
    CATransform3D t = layer->presentationLayer()->transform();
    EXPECT_NEAR(t.m11, 0, 1e-9);
    EXPECT_NEAR(t.m12, 1, 1e-9);  // a quarter turn
    EXPECT_TRUE(CATransform3DIsIdentity(layer->transform()));
}

TEST_F(Animations, TransactionDefaultDurationAndNesting) {
    EXPECT_EQ(CATransaction::animationDuration(), 0.25);
    CATransaction::begin();
    CATransaction::setAnimationDuration(2);
    CATransaction::begin();
    EXPECT_EQ(CATransaction::animationDuration(), 2);  // inherited by the inner frame
    CATransaction::setAnimationDuration(4);
    auto a = CABasicAnimation::animationWithKeyPath("opacity");
    a->setFromValue(0.0);
    a->setToValue(1.0);
    layer->addAnimation(a, "fade");  // no duration of its own
    CATransaction::commit();
    EXPECT_EQ(CATransaction::animationDuration(), 2);
    CATransaction::commit();
    EXPECT_EQ(CATransaction::animationDuration(), 0.25);
    loop().advanceBy(1);
    EXPECT_NEAR(layer->presentationLayer()->opacity(), 0.25, 1e-9);
    EXPECT_EQ(a->duration(), 0);  // the animation object is not changed

    auto b = CABasicAnimation::animationWithKeyPath("opacity");
    b->setFromValue(0.0);
    b->setToValue(1.0);
    layer->addAnimation(b, "fade");
    loop().advanceBy(0.125);
    EXPECT_NEAR(layer->presentationLayer()->opacity(), 0.5, 1e-9);
}

TEST_F(Animations, TransactionCompletionRunsAfterItsAnimationsEnd) {
    double completedAt = -1;
    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { completedAt = CACurrentMediaTime(); });
    layer->addAnimation(moveX(0, 1, 1), "a");
    CATransaction::begin();
    layer->addAnimation(moveX(0, 1, 3), "b");
    CATransaction::commit();
    CATransaction::commit();
    loop().advanceBy(2);
    EXPECT_EQ(completedAt, -1);
    loop().advanceBy(2);
    EXPECT_DOUBLE_EQ(completedAt, 3);

    bool empty = false;
    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { empty = true; });
    CATransaction::commit();
    EXPECT_FALSE(empty);  // delivered on the run loop
    loop().runUntilIdle();
    EXPECT_TRUE(empty);
}

TEST_F(Animations, DisabledActionsSkipTheDelegate) {
    struct Animator : CALayerDelegate {
        int asked = 0;
        objc::Ref<CAAnimation> actionForLayer(CALayer&, const std::string& key) override {
            ++asked;
            auto a = CABasicAnimation::animationWithKeyPath(key);
            a->setFromValue(0.0);
            a->setDuration(1);
            return a;
        }
    };
    auto animator = std::make_shared<Animator>();
    layer->setDelegate(animator);
    layer->setOpacity(0.8);
    EXPECT_EQ(animator->asked, 1);
    EXPECT_TRUE(layer->animationForKey("opacity"));
    loop().advanceBy(0.5);
    EXPECT_NEAR(layer->presentationLayer()->opacity(), 0.4, 1e-9);
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    layer->setZPosition(3);
    CATransaction::commit();
    EXPECT_EQ(animator->asked, 1);
    EXPECT_FALSE(layer->animationForKey("zPosition"));
}

// --- layer time --------------------------------------------------------------------------------

TEST_F(Animations, PauseAndResumeThroughLayerTime) {
    auto a = moveX(0, 100, 4);
    layer->addAnimation(a, "move");
    loop().advanceBy(1);
    EXPECT_NEAR(presentedX(), 25, 1e-9);

    // Pause: freeze the layer at its current local time.
    double paused = layer->convertTimeFromLayer(CACurrentMediaTime(), nullptr);
    layer->setSpeed(0);
    layer->setTimeOffset(paused);
    loop().advanceBy(10);
    EXPECT_NEAR(presentedX(), 25, 1e-9);
    EXPECT_TRUE(layer->animationForKey("move"));  // a frozen animation never ends

    // Resume where it stopped.
    double offset = layer->timeOffset();
    layer->setSpeed(1);
    layer->setTimeOffset(0);
    layer->setBeginTime(0);
    layer->setBeginTime(layer->convertTimeFromLayer(CACurrentMediaTime(), nullptr) - offset);
    EXPECT_NEAR(presentedX(), 25, 1e-9);
    loop().advanceBy(1);
    EXPECT_NEAR(presentedX(), 50, 1e-9);
    loop().advanceBy(1.9);
    EXPECT_TRUE(layer->animationForKey("move"));
    loop().advanceBy(0.2);
    EXPECT_FALSE(layer->animationForKey("move"));  // ends 3 s after the resume, not before
}

TEST_F(Animations, SublayersRunInTheirParentsTime) {
    auto parent = CALayer::layer();
    parent->addSublayer(layer);
    loop().advanceBy(2);
    parent->setSpeed(2);
    parent->setBeginTime(CACurrentMediaTime());
    parent->setTimeOffset(0);
    EXPECT_NEAR(layer->convertTimeFromLayer(CACurrentMediaTime(), nullptr), 0, 1e-12);
    layer->addAnimation(moveX(0, 100, 1), "move");
    loop().advanceBy(0.25);  // twice as fast
    EXPECT_NEAR(presentedX(), 50, 1e-9);
    EXPECT_NEAR(layer->convertTimeToLayer(0.5, nullptr), 2.25, 1e-12);
    EXPECT_NEAR(parent->convertTimeFromLayer(0.5, layer.get()), 0.5, 1e-12);
    loop().advanceBy(0.3);
    EXPECT_FALSE(layer->animationForKey("move"));
}

TEST_F(Animations, CurrentMediaTimeIsTheRunLoopClock) {
    EXPECT_EQ(CACurrentMediaTime(), loop().now());
    loop().advanceBy(1.5);
    EXPECT_EQ(CACurrentMediaTime(), 1.5);
}
