#include <gtest/gtest.h>

#include "controls/FlintColorSlider.h"
#include "controls/StyledFlintView.h"
#include "tests/support/TestProcess.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIWindow.h"
#include "sim/device/Device.h"

using namespace ios;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        flint::sim::installBundle(process.root());
        window = objc::make<UIWindow>();
        window->setHidden(false);
        gen1 = nullptr;
    }
    void TearDown() override { gen1 = nullptr; }
    RunLoop& loop() { return process.runLoop(); }

    ios::testing::TestProcess process;
    objc::Ref<UIWindow> window;
};

struct StateDelegate : FlintDragViewDelegate {
    bool answers = true;
    std::vector<bool> states;
    bool respondsToDidChangeState() const override { return answers; }
    void flintDragViewDidChangeState(FlintDragView&, bool opened) override { states.push_back(opened); }
};

}  // namespace

TEST_F(ControlsTest, ColorSliderValueIsAHue) {
    auto slider = objc::make<FlintColorSlider>(CGRectMake(20, 400, 300, 31));
    EXPECT_EQ(slider->previewOffset(), -45);
    EXPECT_FLOAT_EQ(slider->previewAppearAnimateDuration(), 0.07f);
    EXPECT_EQ(slider->colorTrackHeight(), 2);
    ASSERT_TRUE(slider->colorTrackImageView()->image());
    EXPECT_EQ(slider->subviews().front(), slider->colorTrackImageView());
    EXPECT_TRUE(slider->color()->isClose(*UIColor::redColor()));
    slider->setValue(1);
    EXPECT_TRUE(slider->color()->isClose(*UIColor::redColor()));
    slider->setValue(0.5);
    EXPECT_TRUE(slider->color()->isClose(*UIColor::colorWithRed(0, 1, 1, 1)));
    slider->setColor(UIColor::colorWithHue(0.25, 0.3, 0.4, 0.5));
    EXPECT_NEAR(slider->value(), 0.25, 1e-6);
    window->addSubview(slider);
    slider->layoutIfNeeded();
    CGRect strip = slider->colorTrackImageView()->frame();
    EXPECT_EQ(strip.size.height, 2);
    EXPECT_EQ(strip.size.width, slider->trackRectForBounds(slider->bounds()).size.width);
}

TEST_F(ControlsTest, TheBubbleAppearsNearTheThumbFollowsItFadesAndGoes) {
    auto slider = objc::make<FlintColorSlider>(CGRectMake(20, 400, 300, 31));
    window->addSubview(slider);
    // Far from the thumb (value 0, at the left): no bubble at touch-down.
    sendTouch(UITouchPhase::Began, {300, 415});
    EXPECT_FALSE(slider->previewView());
    loop().advanceBy(1.0 / 60);
    sendTouch(UITouchPhase::Moved, {250, 415});
    auto bubble = slider->previewView();
    ASSERT_TRUE(bubble);
    CGRect thumb = slider->currentThumbRect();
    CGRect f = bubble->frame();
    EXPECT_NEAR(f.size.width, thumb.size.width + 2, 1e-9);
    EXPECT_NEAR(f.origin.y, thumb.origin.y - 1 - 45, 1e-9);
    loop().advanceBy(1.0 / 60);
    sendTouch(UITouchPhase::Moved, {150, 415});
    thumb = slider->currentThumbRect();
    EXPECT_NEAR(CGRectGetMidX(bubble->frame()), CGRectGetMidX(thumb), 1e-9);
    EXPECT_NEAR(bubble->frame().origin.y, f.origin.y, 1e-9);
    EXPECT_TRUE(bubble->color()->isClose(*slider->color()));
    sendTouch(UITouchPhase::Ended, {150, 415});
    EXPECT_TRUE(slider->previewView());  // fading
    loop().advanceBy(0.2);
    EXPECT_FALSE(slider->previewView());
    EXPECT_FALSE(bubble->superview());

    // A touch on the thumb shows the bubble at once, faded in over 0.07 s.
    CGRect t = slider->convertRectToView(slider->currentThumbRect(), nullptr);
    sendTouch(UITouchPhase::Began, {CGRectGetMidX(t), CGRectGetMidY(t)});
    ASSERT_TRUE(slider->previewView());
    EXPECT_NEAR(slider->previewView()->alpha(), 1.0, 1e-9);
    EXPECT_NEAR(slider->previewView()->layer()->presentationLayer()->opacity(), 0.2, 1e-6);
    sendTouch(UITouchPhase::Ended, {CGRectGetMidX(t), CGRectGetMidY(t)});
    loop().advanceBy(0.2);
}

TEST_F(ControlsTest, PreviewBubbleLayout) {
    auto bubble = objc::make<FlintPreviewView>(CGRectMake(0, 0, 33, 33));
    bubble->setTintColor(UIColor::whiteColor());
    EXPECT_EQ(bubble->colorView()->frame(), CGRectMake(3, 3, 27, 27));
    EXPECT_EQ(bubble->subviews().front(), bubble->arrowView());
    EXPECT_NEAR(bubble->arrowView()->center().x, 16.5, 1e-9);
    EXPECT_TRUE(bubble->backgroundColor()->isEqual(*UIColor::whiteColor()));
    EXPECT_TRUE(bubble->arrowView()->backgroundColor()->isEqual(*UIColor::whiteColor()));
}

namespace {

class DragViewTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        card = objc::make<StyledFlintView>(CGRectMake(0, 0, 375, 400));
        card->setClosedCenter({187.5, 600});
        card->setOpenedCenter({187.5, 300});
        card->setCenter(card->closedCenter());
        window->addSubview(card);
        delegate = std::make_shared<StateDelegate>();
        card->setDelegate(delegate);
    }
    // The handle's centre on screen.
    CGPoint handle() const { return card->handleView()->convertPointToView({187.5, 20}, nullptr); }

    objc::Ref<StyledFlintView> card;
    std::shared_ptr<StateDelegate> delegate;
};

}  // namespace

TEST_F(DragViewTest, LayoutAndDefaults) {
    EXPECT_EQ(card->handleView()->frame(), CGRectMake(0, 360, 375, 40));
    EXPECT_EQ(card->handleView()->layer()->zPosition(), 10);
    EXPECT_EQ(card->pillView()->center(), (CGPoint{187.5, 15}));
    EXPECT_EQ(card->pillView()->bounds().size, (CGSize{50, 8}));
    EXPECT_FALSE(card->opened());
    EXPECT_TRUE(card->toggleOnTap());
    EXPECT_FLOAT_EQ(card->animationDuration(), 0.2f);
}

TEST_F(DragViewTest, VelocityDecidesAndAHapticEndsTheAnimation) {
    CGPoint h = handle();
    // Up almost to the open end, then back down: the last movement closes it.
    drag({h, {h.x, h.y - 290}, {h.x, h.y - 230}}, 0.4);
    EXPECT_FALSE(card->opened());
    EXPECT_FALSE(card->dragRecognizer()->isEnabled());
    EXPECT_FALSE(card->tapRecognizer()->isEnabled());
    EXPECT_TRUE(delegate->states.empty());
    loop().advanceBy(0.3);
    EXPECT_TRUE(card->dragRecognizer()->isEnabled());
    EXPECT_EQ(card->center(), card->closedCenter());
    ASSERT_TRUE(gen1);
    EXPECT_EQ(gen1->style(), UIImpactFeedbackStyle::Light);
    ASSERT_EQ(HapticsLog::shared().events().size(), 1u);
    EXPECT_EQ(delegate->states, (std::vector<bool>{false}));

    // Past the end it pins at once and comes back without unwinding.
    h = handle();
    sendTouch(UITouchPhase::Began, h);
    for (int i = 1; i <= 10; ++i) {
        loop().advanceBy(1.0 / 60);
        sendTouch(UITouchPhase::Moved, {h.x + 30, h.y - 60.0 * i});
    }
    EXPECT_EQ(card->center(), (CGPoint{187.5, 300}));  // pinned, x kept
    loop().advanceBy(1.0 / 60);
    sendTouch(UITouchPhase::Moved, {h.x, h.y - 600 + 10});
    EXPECT_EQ(card->center().y, 310);
    loop().advanceBy(0.3);  // a still finger: zero velocity goes to the larger y, closed here
    sendTouch(UITouchPhase::Ended, {h.x, h.y - 600 + 10});
    EXPECT_FALSE(card->opened());
    loop().advanceBy(0.3);
    EXPECT_EQ(card->center(), card->closedCenter());
}

TEST_F(DragViewTest, TapsToggleUnlessDisabledAndHorizontalAxisWhenXDiffers) {
    tap(handle());
    loop().advanceBy(0.4);
    EXPECT_TRUE(card->opened());
    EXPECT_EQ(card->center(), card->openedCenter());
    card->setToggleOnTap(false);
    tap(handle());
    loop().advanceBy(0.4);
    EXPECT_TRUE(card->opened());
    card->setOpened(false, false);  // not animated: delegate at once, no haptic
    EXPECT_EQ(delegate->states.back(), false);
    EXPECT_FALSE(card->tapRecognizer()->isEnabled());
    std::size_t haptics = HapticsLog::shared().events().size();
    card->setOpened(true, true);
    loop().advanceBy(0.4);
    EXPECT_FALSE(card->tapRecognizer()->isEnabled());  // follows toggleOnTap after the animation
    EXPECT_EQ(HapticsLog::shared().events().size(), haptics + 1);

    delegate->answers = false;
    std::size_t calls = delegate->states.size();
    card->setOpened(false, false);
    EXPECT_EQ(delegate->states.size(), calls);

    // Different x: horizontal, keeping the start's y.
    card->setClosedCenter({100, 600});
    card->setOpenedCenter({300, 500});
    card->setCenter(card->closedCenter());
    CGPoint h = handle();
    drag({h, {h.x + 50, h.y - 70}, {h.x + 100, h.y - 90}}, 0.3);
    EXPECT_TRUE(card->verticalAxis() == false);
    EXPECT_TRUE(card->opened());
    loop().advanceBy(0.4);
    EXPECT_EQ(card->center(), card->openedCenter());
}

TEST_F(DragViewTest, ADragTakenAwaySettlesAtTheNearerEnd) {
    // The closed centre is y 600, the opened one y 300: the middle is 450.
    struct Case {
        double lift;  // how far the finger moved up before the touch was cancelled
        bool startOpened;
        bool settlesOpened;
    };
    const Case cases[] = {
        {160, false, true},   // left at 440, just past the middle: opens
        {140, false, false},  // left at 460, just short of it: closes
        {150, false, false},  // exactly midway: keeps the state it had
        {150, true, true},    //   (opened, dragged down to the middle)
    };
    for (const auto& c : cases) {
        card->setOpened(c.startOpened, false);
        const double start = card->center().y;
        const double stop = c.startOpened ? start + c.lift : start - c.lift;
        CGPoint h = handle();
        pressAndMove({h, {h.x, h.y + (stop - start)}}, 0.3);
        ASSERT_DOUBLE_EQ(card->center().y, stop) << c.lift;
        const std::size_t haptics = HapticsLog::shared().events().size();
        EXPECT_EQ(cancelTouches(), 1u);
        EXPECT_EQ(card->opened(), c.settlesOpened) << c.lift << " " << c.startOpened;
        loop().advanceBy(0.3);
        EXPECT_EQ(card->center(), c.settlesOpened ? card->openedCenter() : card->closedCenter()) << c.lift;
        EXPECT_EQ(HapticsLog::shared().events().size(), haptics + 1) << "the settling ends with a tap";
        EXPECT_EQ(delegate->states.back(), c.settlesOpened);
        EXPECT_TRUE(card->dragRecognizer()->isEnabled());
    }

    // Disabling the recogniser mid-drag cancels the gesture too.
    card->setOpened(false, false);
    CGPoint h = handle();
    pressAndMove({h, {h.x, h.y - 250}}, 0.3);
    card->dragRecognizer()->setEnabled(false);
    loop().advanceBy(0.3);
    EXPECT_EQ(card->center(), card->openedCenter());
    liftTouches();
}
