#include "InputTestSupport.h"

#include <cmath>
#include <numbers>

#include "platform/uikit/UIHitTesting.h"

namespace ios::testing {
namespace {

using TouchHitTest = InputTest;

TEST_F(TouchHitTest, HiddenTransparentAndNonInteractiveViewsAreSkipped) {
    auto back = addView(CGRectMake(0, 0, 200, 200));
    auto front = addView(CGRectMake(0, 0, 200, 200));
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), front.get());
    front->setHidden(true);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), back.get());
    front->setHidden(false);
    front->setAlpha(0.005);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), back.get());
    front->setAlpha(0.01);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), front.get());
    front->setUserInteractionEnabled(false);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), back.get());
}

TEST_F(TouchHitTest, PointsOutsideTheParentDoNotReachItsSubviews) {
    auto parent = addView(CGRectMake(0, 0, 100, 100));
    auto overhang = addView(CGRectMake(80, 80, 100, 100), parent.get());
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(90, 90)), overhang.get());
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(150, 150)), window.get());
    parent->setClipsToBounds(true);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(150, 150)), window.get());
}

TEST_F(TouchHitTest, TransformsAreRespectedAndLocationsConvert) {
    auto view = addView(CGRectMake(100, 100, 100, 50));                       // centre (150, 125)
    view->setTransform(CGAffineTransformMakeRotation(std::numbers::pi / 2));  // now 50 wide, 100 high
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(150, 170)), view.get());
    EXPECT_NE(viewAtScreenPoint(CGPointMake(190, 125)), view.get());
    CGPoint local = convertPointFromScreen(*view, CGPointMake(150, 170));
    EXPECT_NEAR(local.x, 95, 1e-9);  // 45 below the centre is 45 along the rotated x axis
    EXPECT_NEAR(local.y, 25, 1e-9);
    CGPoint back = convertPointToScreen(*view, local);
    EXPECT_NEAR(back.x, 150, 1e-9);
    EXPECT_NEAR(back.y, 170, 1e-9);
}

TEST_F(TouchHitTest, HigherWindowLevelsAreHitFirstAndTouchesCarryTapCounts) {
    auto low = addView(CGRectMake(0, 0, 375, 812));
    auto high = objc::make<UIWindow>(CGRectMake(0, 0, 375, 100));
    high->setWindowLevel(UIWindowLevelStatusBar);
    high->setHidden(false);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), high.get());
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 200)), low.get());
    high->setHidden(true);
    EXPECT_EQ(viewAtScreenPoint(CGPointMake(10, 10)), low.get());

    class TapCounting : public UIView {
    public:
        std::vector<int> counts;
        CGPoint lastLocation;
        void touchesBegan(const UITouchList& touches, const UIEvent&) override {
            counts.push_back(touches.front()->tapCount());
            lastLocation = touches.front()->locationInView(this);
        }
    };
    auto counting = objc::make<TapCounting>(CGRectMake(50, 300, 100, 100));
    window->addSubview(counting);
    tap(CGPointMake(60, 310), 3);
    runLoop().advanceBy(1);
    tap(CGPointMake(60, 310));
    EXPECT_EQ(counting->counts, (std::vector<int>{1, 2, 3, 1}));
    EXPECT_EQ(counting->lastLocation, CGPointMake(10, 10));
}

}  // namespace
}  // namespace ios::testing
