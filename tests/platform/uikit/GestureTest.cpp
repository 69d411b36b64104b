#include "InputTestSupport.h"

namespace ios::testing {
namespace {

using GestureTest = InputTest;

TEST_F(GestureTest, SingleTapFiresAtEachTapAndDoubleTapNeedsTwoCloseTaps) {
    auto view = addView(CGRectMake(0, 100, 200, 200));
    auto single = objc::make<UITapGestureRecognizer>(counter, fire);
    view->addGestureRecognizer(single);
    tap(CGPointMake(50, 150));
    tap(CGPointMake(50, 150));
    EXPECT_EQ(counter->count, 2);
    EXPECT_EQ(single->state(), UIGestureRecognizerState::Possible);  // reset once the finger lifted

    auto doubleCounter = objc::make<ActionCounter>();
    view->removeGestureRecognizer(single);
    auto dbl = objc::make<UITapGestureRecognizer>(doubleCounter, fire);
    dbl->setNumberOfTapsRequired(2);
    view->addGestureRecognizer(dbl);
    tap(CGPointMake(50, 150));
    runLoop().advanceBy(1);
    EXPECT_EQ(doubleCounter->count, 0) << "one tap does not make a double tap";
    tap(CGPointMake(50, 150), 2);
    EXPECT_EQ(doubleCounter->count, 1);
    // Too slow: the second tap comes after the interval.
    tap(CGPointMake(50, 150));
    runLoop().advanceBy(kMultiTapInterval + 0.05);
    tap(CGPointMake(50, 150));
    runLoop().advanceBy(1);
    EXPECT_EQ(doubleCounter->count, 1);
    // Too far apart.
    tap(CGPointMake(20, 120));
    runLoop().advanceBy(0.1);
    tap(CGPointMake(120, 220));
    runLoop().advanceBy(1);
    EXPECT_EQ(doubleCounter->count, 1);
}

TEST_F(GestureTest, TapFailsWhenTheFingerWanders) {
    auto view = addView(CGRectMake(0, 0, 300, 300));
    view->addGestureRecognizer(objc::make<UITapGestureRecognizer>(counter, fire));
    drag({CGPointMake(100, 100), CGPointMake(100 + kTapAllowableMovement + 2, 100)}, 0.05);
    EXPECT_EQ(counter->count, 0);
    drag({CGPointMake(100, 100), CGPointMake(100 + kTapAllowableMovement - 2, 100)}, 0.05);
    EXPECT_EQ(counter->count, 1);
}

TEST_F(GestureTest, RecognizersOfAncestorsSeeTouchesAndDisabledOnesDoNot) {
    auto outer = addView(CGRectMake(0, 0, 300, 300));
    auto inner = addView(CGRectMake(50, 50, 100, 100), outer.get());
    auto r = objc::make<UITapGestureRecognizer>(counter, fire);
    outer->addGestureRecognizer(r);
    tap(CGPointMake(100, 100));
    EXPECT_EQ(counter->count, 1);
    ASSERT_EQ(counter->senders.size(), 1u);
    EXPECT_EQ(counter->senders[0], r);
    r->setEnabled(false);
    tap(CGPointMake(100, 100));
    EXPECT_EQ(counter->count, 1);
    r->setEnabled(true);
    inner->setUserInteractionEnabled(false);  // the touch now lands on outer itself
    tap(CGPointMake(100, 100));
    EXPECT_EQ(counter->count, 2);
}

TEST_F(GestureTest, SwipeDirections) {
    auto view = addView(CGRectMake(0, 0, 375, 400));
    struct Case {
        unsigned direction;
        CGPoint from, to;
        bool fires;
    };
    const Case cases[] = {
        {UISwipeGestureRecognizerDirectionLeft, {300, 100}, {100, 100}, true},
        {UISwipeGestureRecognizerDirectionLeft, {100, 100}, {300, 100}, false},
        {UISwipeGestureRecognizerDirectionRight, {100, 100}, {300, 110}, true},
        {UISwipeGestureRecognizerDirectionUp, {100, 300}, {100, 100}, true},
        {UISwipeGestureRecognizerDirectionDown, {100, 100}, {100, 300}, true},
        {UISwipeGestureRecognizerDirectionRight, {100, 100}, {200, 200}, false},  // diagonal
        {UISwipeGestureRecognizerDirectionRight, {100, 100}, {130, 100}, false},  // too short
    };
    for (const auto& c : cases) {
        auto counted = objc::make<ActionCounter>();
        auto swipeRecognizer = objc::make<UISwipeGestureRecognizer>(counted, fire);
        swipeRecognizer->setDirection(c.direction);
        view->addGestureRecognizer(swipeRecognizer);
        swipe(c.from, c.to, 0.2);
        EXPECT_EQ(counted->count, c.fires ? 1 : 0) << c.direction << " " << c.from << "→" << c.to;
        view->removeGestureRecognizer(swipeRecognizer);
    }
    // Slow movement is not a swipe.
    auto counted = objc::make<ActionCounter>();
    auto slow = objc::make<UISwipeGestureRecognizer>(counted, fire);
    view->addGestureRecognizer(slow);
    swipe(CGPointMake(100, 100), CGPointMake(300, 100), 3.0);  // 33 points in the first 0.5 s
    EXPECT_EQ(counted->count, 0);
}

TEST_F(GestureTest, PanTranslationVelocityAndSetTranslation) {
    auto view = addView(CGRectMake(0, 0, 375, 600));
    auto pan = objc::make<UIPanGestureRecognizer>(counter, fire);
    view->addGestureRecognizer(pan);
    pressAndMove({CGPointMake(100, 100), CGPointMake(100 + 5, 100)}, 0.05);
    EXPECT_EQ(pan->state(), UIGestureRecognizerState::Possible) << "under the hysteresis";
    sendTouch(UITouchPhase::Ended, CGPointMake(105, 100));
    EXPECT_EQ(counter->count, 0);

    pressAndMove({CGPointMake(100, 100), CGPointMake(220, 100)}, 0.5);  // 240 points per second
    EXPECT_EQ(pan->state(), UIGestureRecognizerState::Changed);
    EXPECT_NEAR(pan->translationInView(view.get()).x, 120, 1e-6);
    EXPECT_NEAR(pan->translationInView(view.get()).y, 0, 1e-6);
    EXPECT_NEAR(pan->velocityInView(view.get()).x, 240, 1);
    pan->setTranslation(CGPointZero, view.get());
    EXPECT_NEAR(pan->translationInView(view.get()).x, 0, 1e-6);
    runLoop().advanceBy(kTouchMoveInterval);
    sendTouch(UITouchPhase::Moved, CGPointMake(230, 95));
    EXPECT_NEAR(pan->translationInView(view.get()).x, 10, 1e-6);
    EXPECT_NEAR(pan->translationInView(view.get()).y, -5, 1e-6);
    // In a view scaled by 2 the same movement is half as long.
    auto scaled = addView(CGRectMake(0, 0, 100, 100));
    scaled->setTransform(CGAffineTransformMakeScale(2, 2));
    EXPECT_NEAR(pan->translationInView(scaled.get()).x, 5, 1e-6);
    sendTouch(UITouchPhase::Ended, CGPointMake(230, 95));
    ASSERT_GE(counter->states.size(), 3u);
    EXPECT_EQ(counter->states.front(), UIGestureRecognizerState::Began);
    EXPECT_EQ(counter->states.back(), UIGestureRecognizerState::Ended);
    EXPECT_EQ(pan->state(), UIGestureRecognizerState::Possible);
}

TEST_F(GestureTest, SingleTapWaitsForDoubleTapToFail) {
    auto view = addView(CGRectMake(0, 0, 300, 300));
    auto doubles = objc::make<ActionCounter>();
    auto single = objc::make<UITapGestureRecognizer>(counter, fire);
    auto dbl = objc::make<UITapGestureRecognizer>(doubles, fire);
    dbl->setNumberOfTapsRequired(2);
    single->requireGestureRecognizerToFail(dbl);
    view->addGestureRecognizer(single);
    view->addGestureRecognizer(dbl);

    tap(CGPointMake(100, 100));
    EXPECT_EQ(counter->count, 0) << "held back while the double tap may still happen";
    runLoop().advanceBy(kMultiTapInterval + 0.01);
    EXPECT_EQ(counter->count, 1);
    EXPECT_EQ(doubles->count, 0);

    tap(CGPointMake(100, 100), 2);
    runLoop().advanceBy(1);
    EXPECT_EQ(doubles->count, 1);
    EXPECT_EQ(counter->count, 1) << "the double tap recognised, so the single tap failed";
}

TEST_F(GestureTest, RecognisedGestureCancelsTheViewsTouches) {
    class Recording : public UIView {
    public:
        int began = 0, ended = 0, cancelled = 0;
        void touchesBegan(const UITouchList&, const UIEvent&) override { ++began; }
        void touchesEnded(const UITouchList&, const UIEvent&) override { ++ended; }
        void touchesCancelled(const UITouchList&, const UIEvent&) override { ++cancelled; }
    };
    auto view = objc::make<Recording>(CGRectMake(0, 0, 300, 300));
    window->addSubview(view);
    auto pan = objc::make<UIPanGestureRecognizer>(counter, fire);
    view->addGestureRecognizer(pan);
    drag({CGPointMake(50, 50), CGPointMake(150, 50)}, 0.2);
    EXPECT_EQ(view->began, 1);
    EXPECT_EQ(view->cancelled, 1);
    EXPECT_EQ(view->ended, 0);
    pan->setCancelsTouchesInView(false);
    drag({CGPointMake(50, 50), CGPointMake(150, 50)}, 0.2);
    EXPECT_EQ(view->ended, 1);
    EXPECT_EQ(view->cancelled, 1);
}

}  // namespace
}  // namespace ios::testing
