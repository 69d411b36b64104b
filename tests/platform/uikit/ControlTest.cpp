#include "InputTestSupport.h"

#include <cmath>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UIScreen.h"

namespace ios::testing {
namespace {

using ControlTest = InputTest;

TEST_F(ControlTest, ButtonEventsInsideAndOutsideTheAllowance) {
    auto button = UIButton::buttonWithType(UIButtonType::System);
    button->setFrame(CGRectMake(100, 100, 100, 40));
    window->addSubview(button);
    auto down = objc::make<ActionCounter>(), inside = objc::make<ActionCounter>(),
         outside = objc::make<ActionCounter>();
    button->addTarget(down, fire, UIControlEventTouchDown);
    button->addTarget(inside, fire, UIControlEventTouchUpInside);
    button->addTarget(outside, fire, UIControlEventTouchUpOutside);

    tap(CGPointMake(150, 120));
    EXPECT_EQ(down->count, 1);
    EXPECT_EQ(inside->count, 1);
    ASSERT_EQ(inside->senders.size(), 1u);
    EXPECT_EQ(inside->senders[0], button);
    // Lifting 60 points outside still counts as inside; 80 points does not.
    drag({CGPointMake(150, 120), CGPointMake(260, 120)}, 0.2);
    EXPECT_EQ(inside->count, 2);
    drag({CGPointMake(150, 120), CGPointMake(280, 120)}, 0.2);
    EXPECT_EQ(inside->count, 2);
    EXPECT_EQ(outside->count, 1);
    EXPECT_FALSE(button->isTracking());
    EXPECT_FALSE(button->isHighlighted());

    button->setEnabled(false);
    tap(CGPointMake(150, 120));
    EXPECT_EQ(down->count, 3);
}

TEST_F(ControlTest, ButtonKeepsASingleTapFromItsSuperviewsRecognizer) {
    auto panel = addView(CGRectMake(0, 0, 375, 400));
    auto panelTap = objc::make<ActionCounter>();
    panel->addGestureRecognizer(objc::make<UITapGestureRecognizer>(panelTap, fire));
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(10, 10, 80, 40));
    panel->addSubview(button);
    button->addTarget(counter, fire, UIControlEventTouchUpInside);
    tap(CGPointMake(50, 30));
    EXPECT_EQ(counter->count, 1);
    EXPECT_EQ(panelTap->count, 0);
    tap(CGPointMake(200, 200));
    EXPECT_EQ(panelTap->count, 1);
}

TEST_F(ControlTest, ButtonStateValuesFallBackToNormalAndSizeFromTitle) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setTitle(std::string("Reset"), UIControlStateNormal);
    button->setTitle(std::string("Pressed"), UIControlStateHighlighted);
    EXPECT_EQ(button->titleForState(UIControlStateSelected), "Reset");
    EXPECT_EQ(button->titleForState(UIControlStateHighlighted), "Pressed");
    button->setHighlighted(true);
    EXPECT_EQ(button->currentTitle(), "Pressed");
    button->setHighlighted(false);
    CGSize size = button->intrinsicContentSize();
    EXPECT_GT(size.width, 20);
    EXPECT_NEAR(size.height, std::ceil(button->titleFont()->lineHeight()) + 12, 1.01);
}

TEST_F(ControlTest, ButtonDrawsBackgroundAndTitle) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, 0, 120, 60));
    button->setBackgroundColor(UIColor::redColor());
    button->setTitle(std::string("MMMM"), UIControlStateNormal);
    button->setTitleColor(UIColor::blueColor(), UIControlStateNormal);
    button->setTitleFont(UIFont::boldSystemFontOfSize(30));
    window->addSubview(button);
    auto image = UIScreen::mainScreen()->snapshot(1);
    ASSERT_TRUE(image);
    auto corner = image->pixelAt(3, 3);
    EXPECT_GT(corner.r, 200);
    EXPECT_LT(corner.b, 50);
    // Somewhere along the middle row the blue title shows.
    bool blue = false;
    for (int x = 20; x < 100; ++x) {
        auto p = image->pixelAt(x, 30);
        if (p.b > 150 && p.r < 120) blue = true;
    }
    EXPECT_TRUE(blue);
}

TEST_F(ControlTest, SliderGeometryAndTracking) {
    auto slider = objc::make<UISlider>(CGRectMake(20, 200, 231, 31));
    window->addSubview(slider);
    EXPECT_EQ(slider->trackRectForBounds(slider->bounds()), CGRectMake(2, 14.5, 227, 2));
    EXPECT_EQ(slider->thumbRectForBounds(slider->bounds(), CGRectZero, 0), CGRectMake(0, 0, 31, 31));
    EXPECT_EQ(slider->thumbRectForBounds(slider->bounds(), CGRectZero, 1), CGRectMake(200, 0, 31, 31));
    EXPECT_EQ(slider->thumbRectForBounds(slider->bounds(), CGRectZero, 0.5), CGRectMake(100, 0, 31, 31));
    slider->setMinimumValue(-180);
    slider->setMaximumValue(180);
    slider->setValue(0);
    slider->addTarget(counter, fire, UIControlEventValueChanged);

    // Grab the thumb (centre at x 20 + 115.5) 5 points right of its centre and move 50 right.
    drag({CGPointMake(140.5, 215), CGPointMake(190.5, 215)}, 0.3);
    EXPECT_NEAR(slider->value(), 50.0 / 200 * 360, 1e-3);
    EXPECT_GT(counter->count, 3) << "continuous: sent at each step";
    slider->setValue(500);
    EXPECT_EQ(slider->value(), 180);

    slider->setValue(0);
    slider->setContinuous(false);
    counter->count = 0;
    drag({CGPointMake(135.5, 215), CGPointMake(400, 215)}, 0.3);
    EXPECT_EQ(slider->value(), 180);
    EXPECT_EQ(counter->count, 1) << "not continuous: once, at the end";
}

TEST_F(ControlTest, SliderKeepsItsDragFromAnAncestorPan) {
    auto card = addView(CGRectMake(0, 100, 375, 300));
    auto panCount = objc::make<ActionCounter>();
    card->addGestureRecognizer(objc::make<UIPanGestureRecognizer>(panCount, fire));
    auto slider = objc::make<UISlider>(CGRectMake(20, 20, 231, 31));
    card->addSubview(slider);
    drag({CGPointMake(35.5, 135), CGPointMake(135.5, 135)}, 0.3);
    EXPECT_EQ(panCount->count, 0);
    EXPECT_NEAR(slider->value(), 0.5, 1e-3);
    drag({CGPointMake(300, 300), CGPointMake(300, 350)}, 0.3);
    EXPECT_GT(panCount->count, 0);
}

}  // namespace
}  // namespace ios::testing
