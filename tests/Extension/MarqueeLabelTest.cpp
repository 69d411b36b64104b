// The marquee label's model, layout, control operations and scrolling over virtual time.

#include "Extension/MarqueeControllerNotification.h"
#include "MarqueeTestSupport.h"
#include "tests/support/PixelProbe.h"
#include "platform/uikit/UIApplicationNotifications.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"

using namespace ios;
using namespace marquee_testing;

class MarqueeLabelTest : public MarqueeTest {};

// Other code reaches a controller's labels by posting the messages under their names, with the
// controller in the user information.
TEST_F(MarqueeLabelTest, MessagesPostedByNameReachTheControllersLabels) {
    auto label = addLabel(100, MLContinuous);
    auto post = [&](const std::string& name, const objc::Ref<UIViewController>& to) {
        NSNotificationCenter::defaultCenter().postNotification(
            objc::make<MarqueeControllerNotification>(name, std::map<std::string, objc::id>{{"controller", to}}));
    };
    post("MarqueeLabelShouldLabelizeNotification", objc::make<UIViewController>());
    EXPECT_FALSE(label->labelize()) << "another controller's message";
    post("MarqueeLabelShouldLabelizeNotification", controller);
    EXPECT_TRUE(label->labelize());
    post("MarqueeLabelShouldAnimateNotification", controller);
    EXPECT_FALSE(label->labelize());

    loop().advanceBy(2);
    ASSERT_LT(presentedX(*label), 0);
    post("MarqueeLabelViewControllerRestart", controller);
    EXPECT_EQ(presentedX(*label), 0);
    // Every scroll animation carries the completion mark under its name.
    auto position = label->subLabel()->layer()->animationForKey("position");
    ASSERT_TRUE(position);
    EXPECT_TRUE(position->valueForKey("MarqueeLabelAnimationCompletionBlock").boolValue());
}

TEST_F(MarqueeLabelTest, InitialisersSetUpTheStructureAndDefaults) {
    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {120, 20}});
    EXPECT_EQ(label->scrollDuration(), 7.0);
    EXPECT_EQ(label->rate(), 0);
    EXPECT_EQ(label->marqueeType(), MLContinuous);
    EXPECT_EQ(label->animationDelay(), 1.0);
    EXPECT_EQ(label->fadeLength(), 0);
    EXPECT_TRUE(label->clipsToBounds());
    EXPECT_TRUE(label->replicatorLayer());
    ASSERT_EQ(label->subviews().size(), 1u);
    EXPECT_EQ(label->subviews()[0], label->subLabel());
    EXPECT_EQ(label->subLabel()->tag(), 700);
    EXPECT_EQ(label->subLabel()->layer()->anchorPoint(), CGPointZero);
    for (const std::string& name : {kMarqueeLabelControllerRestartNotification, kMarqueeLabelShouldLabelizeNotification,
                                    kMarqueeLabelShouldAnimateNotification, UIApplicationDidBecomeActiveNotification,
                                    UIApplicationDidEnterBackgroundNotification})
        EXPECT_EQ(NSNotificationCenter::defaultCenter().observerCountForTesting(label.get(), name), 1u) << name;

    auto faded = objc::make<MarqueeLabel>(CGRect{{0, 0}, {40, 20}}, 3.0, 30.0);
    EXPECT_EQ(faded->scrollDuration(), 3.0);
    EXPECT_EQ(faded->fadeLength(), 20);  // at most half the width

    auto paced = objc::make<MarqueeLabel>(CGRect{{0, 0}, {40, 20}}, MarqueeLabel::Rate{25}, 5.0);
    EXPECT_EQ(paced->rate(), 25);
    EXPECT_EQ(paced->scrollDuration(), 0);
    EXPECT_EQ(paced->fadeLength(), 5);

    auto archived =
        objc::make<MarqueeLabel>(MarqueeLabel::Archive{{{0, 0}, {80, 20}}, {{"text", "Archived"}, {"marqueeType", 4}}});
    EXPECT_EQ(archived->scrollDuration(), 7.0);
    EXPECT_EQ(archived->marqueeType(), MLLeft);
    EXPECT_FALSE(archived->text());
    archived->awakeFromNib();
    EXPECT_EQ(archived->text(), std::optional<std::string>("Archived"));
}

TEST_F(MarqueeLabelTest, ForwardedPropertiesLiveOnTheSubLabel) {
    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {120, 20}});
    label->setText("Hello");
    EXPECT_EQ(label->subLabel()->text(), std::optional<std::string>("Hello"));
    EXPECT_EQ(label->UILabel::text(), std::optional<std::string>("Hello"));
    label->setTextColor(UIColor::redColor());
    EXPECT_TRUE(label->subLabel()->textColor()->isEqual(*UIColor::redColor()));
    label->setNumberOfLines(3);
    EXPECT_EQ(label->UILabel::numberOfLines(), 1);
    EXPECT_EQ(label->numberOfLines(), 1);  // read from the untouched sub-label
    label->setAdjustsFontSizeToFitWidth(true);
    EXPECT_FALSE(label->UILabel::adjustsFontSizeToFitWidth());
    label->setMinimumScaleFactor(0.5);
    EXPECT_EQ(label->UILabel::minimumScaleFactor(), 0);
    label->setContentMode(UIViewContentMode::Center);
    EXPECT_EQ(label->subLabel()->contentMode(), UIViewContentMode::Center);
    EXPECT_EQ(label->viewForFirstBaselineLayout(), label->subLabel().get());

    label->setLeadingBuffer(-12);
    EXPECT_EQ(label->leadingBuffer(), 12);
    label->setTrailingBuffer(-4);
    EXPECT_EQ(label->continuousMarqueeExtraBuffer(), 4);
    EXPECT_EQ(label->intrinsicContentSize().width, label->subLabel()->intrinsicContentSize().width + 12);
    EXPECT_EQ(label->sizeThatFits({0, 0}).width, label->subLabel()->sizeThatFits({0, 0}).width + 12);

    label->setFadeLength(6);
    label->minimizeLabelFrameWithMaximumSize(CGSizeZero, false);
    EXPECT_EQ(label->frame().size.width, label->subLabelSize().width + 12);
    label->minimizeLabelFrameWithMaximumSize({30, 10}, true);
    EXPECT_EQ(label->frame().size, (CGSize{30, 10}));
}

TEST_F(MarqueeLabelTest, ScrollsOnlyBeyondTheEpsilon) {
    const double w = textWidth();
    auto label = addLabel(w, MLLeftRight);
    EXPECT_FALSE(label->labelShouldScroll());
    label->setLeadingBuffer(MarqueeLabel::kScrollEpsilon);
    EXPECT_FALSE(label->labelShouldScroll());
    label->setLeadingBuffer(2 * MarqueeLabel::kScrollEpsilon);
    EXPECT_TRUE(label->labelShouldScroll());
    label->setScrollDuration(0);
    EXPECT_FALSE(label->labelShouldScroll());
    label->setRate(10);
    EXPECT_TRUE(label->labelShouldScroll());
}

TEST_F(MarqueeLabelTest, TextThatFitsRestsAtItsHomeFrame) {
    auto left = addLabel(200, MLLeftRight, "Short");
    left->setLeadingBuffer(8.4);
    settle();
    EXPECT_EQ(left->homeLabelFrame(), (CGRect{{8, 0}, {192, 30}}));  // rounded outward
    EXPECT_EQ(left->subLabel()->frame(), left->homeLabelFrame());
    EXPECT_EQ(left->awayOffset(), 0);
    EXPECT_FALSE(left->subLabel()->layer()->animationForKey("position"));

    auto right = addLabel(200, MLRightLeft, "Short");
    right->setLeadingBuffer(10);
    EXPECT_EQ(right->homeLabelFrame(), (CGRect{{0, 0}, {190, 30}}));
}

TEST_F(MarqueeLabelTest, LabelizeShowsTruncatedTextWithoutAnimation) {
    auto label = addLabel(100, MLContinuous);
    ASSERT_TRUE(label->subLabel()->layer()->animationForKey("position"));
    label->setLabelize(true);
    settle();
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));
    EXPECT_EQ(label->subLabel()->lineBreakMode(), NSLineBreakMode::ByTruncatingTail);
    EXPECT_EQ(label->subLabel()->frame(), (CGRect{{0, 0}, {100, 30}}));
    EXPECT_EQ(label->replicatorLayer()->instanceCount(), 1);
    loop().advanceBy(3);
    EXPECT_EQ(presentedX(*label), 0);

    label->setLabelize(false);
    EXPECT_EQ(label->subLabel()->lineBreakMode(), NSLineBreakMode::ByClipping);
    EXPECT_TRUE(label->subLabel()->layer()->animationForKey("position"));
}

TEST_F(MarqueeLabelTest, RateGivesTheLegDurationAndScrollDurationClearsIt) {
    const double w = textWidth();
    auto label = addLabel(w - 90, MLLeftRight);
    label->setRate(30);
    EXPECT_EQ(label->awayOffset(), -90);
    EXPECT_DOUBLE_EQ(label->animationDuration(), 3);
    label->setScrollDuration(5);
    EXPECT_EQ(label->rate(), 0);
    EXPECT_EQ(label->animationDuration(), 5);
}

TEST_F(MarqueeLabelTest, ContinuousBandGeometry) {
    // Find a size at which the measured text is exactly 200 points wide.
    auto probe = objc::make<UILabel>(CGRect{});
    probe->setText(kLongText);
    objc::Ref<UIFont> font;
    for (double size = 8; size < 16 && !font; size += 0.05) {
        probe->setFont(UIFont::systemFontOfSize(size));
        if (probe->sizeThatFits({0, 0}).width == 200) font = probe->font();
    }
    ASSERT_TRUE(font);

    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {150, 30}});
    label->setFont(font);
    label->setText(kLongText);
    label->setTrailingBuffer(20);
    label->setFadeLength(10);
    controller->view()->addSubview(label);
    settle();
    EXPECT_EQ(label->subLabelSize().width, 200);
    EXPECT_EQ(label->awayOffset(), -220);
    EXPECT_EQ(label->replicatorLayer()->instanceCount(), 2);
    EXPECT_EQ(label->replicatorLayer()->instanceTransform().m41, 220);
    EXPECT_EQ(label->animationDuration(), 7.0);

    label->setMarqueeType(MLContinuousReverse);
    EXPECT_EQ(label->homeLabelFrame(), (CGRect{{-50, 0}, {200, 30}}));
    EXPECT_EQ(label->awayOffset(), 220);
    EXPECT_EQ(label->replicatorLayer()->instanceTransform().m41, -220);

    label->setMarqueeType(9);  // not a type: nothing placed, nothing scrolls
    EXPECT_EQ(label->homeLabelFrame(), CGRectZero);
    EXPECT_EQ(label->awayOffset(), 0);
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));
}

namespace {
struct Expectation {
    double time;
    double fractionAway;  // 0 home, 1 away
};
}  // namespace

TEST_F(MarqueeLabelTest, HomeAndAwayOverVirtualTimeForEveryType) {
    const double w = textWidth();
    const double width = 150;
    struct Case {
        unsigned type;
        std::vector<Expectation> path;
    };
    // Delay 1 s, legs of 2 s, linear curve; each scroll starts at time 0.
    const std::vector<Case> cases{
        {MLLeftRight, {{0.5, 0}, {2, 0.5}, {3, 1}, {3.5, 1}, {5, 0.5}, {5.9, 0.05}, {6.5, 0}, {8, 0.5}}},
        {MLRightLeft, {{0.5, 0}, {2, 0.5}, {3.5, 1}, {5, 0.5}, {6.5, 0}}},
        {MLContinuous, {{0.5, 0}, {2, 0.5}, {2.9, 0.95}, {3.5, 0}, {5, 0.5}}},
        {MLContinuousReverse, {{0.5, 0}, {2, 0.5}, {3.5, 0}, {5, 0.5}}},
        {MLLeft, {{0.5, 0}, {2, 0.5}, {3, 1}, {60, 1}}},
        {MLRight, {{0.5, 0}, {2, 0.5}, {3, 1}, {60, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const double start = loop().now();
        auto label = addLabel(width, c.type, kLongText, 2.0);
        const double home = label->homeLabelFrame().origin.x;
        EXPECT_EQ(home, c.type % 2 ? width - w : 0);
        EXPECT_EQ(label->awayOffset() < 0, c.type % 2 == 0);
        auto position = label->subLabel()->layer()->animationForKey("position");
        ASSERT_TRUE(position);
        EXPECT_TRUE(position->valueForKey(kMarqueeLabelAnimationCompletionBlock).boolValue());
        for (const Expectation& e : c.path) {
            loop().advanceTo(start + e.time);
            EXPECT_NEAR(presentedX(*label), home + e.fractionAway * label->awayOffset(), 0.01) << "at " << e.time;
        }
        EXPECT_EQ(label->awayFromHome(), c.path.back().fractionAway != 0);
        label->removeFromSuperview();
    }
}

TEST_F(MarqueeLabelTest, HoldScrollingBackToFalseWhileAwayStartsNothing) {
    auto label = addLabel(100, MLLeftRight);
    loop().advanceBy(2);
    ASSERT_TRUE(label->awayFromHome());
    auto running = label->subLabel()->layer()->animationForKey("position");
    label->setHoldScrolling(true);
    label->setHoldScrolling(false);
    EXPECT_EQ(label->subLabel()->layer()->animationForKey("position"), running);

    // Held through the end of the cycle, the label stays home; releasing it there starts again.
    label->setHoldScrolling(true);
    loop().advanceBy(5);
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));
    EXPECT_FALSE(label->awayFromHome());
    label->setHoldScrolling(false);
    EXPECT_TRUE(label->subLabel()->layer()->animationForKey("position"));
}

TEST_F(MarqueeLabelTest, ControllerMessagesReachOnlyTheirOwnLabels) {
    auto label = addLabel(100, MLContinuous);
    EXPECT_EQ(label->firstAvailableViewController(), controller.get());
    loop().advanceBy(2);
    const double x = presentedX(*label);
    ASSERT_LT(x, 0);

    auto other = objc::make<UIViewController>();
    MarqueeLabel::restartLabelsOfController(other);
    MarqueeLabel::controllerLabelsShouldLabelize(other);
    MarqueeLabel::notifyController(controller, std::nullopt);
    EXPECT_EQ(presentedX(*label), x);
    EXPECT_FALSE(label->labelize());

    MarqueeLabel::controllerViewDidAppear(controller);
    EXPECT_EQ(presentedX(*label), 0);  // restarted from home
    EXPECT_TRUE(label->subLabel()->layer()->animationForKey("position"));

    MarqueeLabel::controllerLabelsShouldLabelize(controller);
    EXPECT_TRUE(label->labelize());
    MarqueeLabel::controllerLabelsShouldAnimate(controller);
    EXPECT_FALSE(label->labelize());

    // A view outside any controller has none, and never scrolls (not ready).
    auto loose = objc::make<MarqueeLabel>(CGRect{{0, 0}, {100, 30}}, 2.0, 0.0);
    loose->setText(kLongText);
    auto holder = objc::make<UIWindow>();
    holder->makeKeyAndVisible();
    holder->addSubview(loose);
    settle();
    EXPECT_EQ(loose->firstAvailableViewController(), nullptr);
    EXPECT_TRUE(loose->labelShouldScroll());
    EXPECT_FALSE(loose->subLabel()->layer()->animationForKey("position"));
}

TEST_F(MarqueeLabelTest, PauseAndResumeThroughLayerTime) {
    auto label = addLabel(100, MLContinuous, kLongText, 2.0, 10);
    label->pauseLabel();  // at home: nothing to pause
    EXPECT_FALSE(label->isPaused());

    loop().advanceBy(1.5);
    const double x = presentedX(*label);
    label->pauseLabel();
    EXPECT_TRUE(label->isPaused());
    EXPECT_EQ(label->subLabel()->layer()->speed(), 0);
    EXPECT_EQ(label->maskLayer()->speed(), 0);
    loop().advanceBy(10);
    EXPECT_NEAR(presentedX(*label), x, 1e-9);

    label->unpauseLabel();
    EXPECT_FALSE(label->isPaused());
    EXPECT_NEAR(presentedX(*label), x, 1e-9);
    loop().advanceBy(0.5);  // the rest of the leg: 0.25 of the way further
    EXPECT_NEAR(presentedX(*label), x + 0.25 * label->awayOffset(), 0.01);
}

TEST_F(MarqueeLabelTest, LosingTheWindowAndTheForegroundShutsTheLabelDown) {
    auto label = addLabel(100, MLLeftRight, kLongText, 2.0, 10);
    loop().advanceBy(2);
    ASSERT_TRUE(label->awayFromHome());

    UIApplicationSimulateDidEnterBackground();
    EXPECT_FALSE(label->awayFromHome());
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));
    EXPECT_FALSE(label->maskLayer()->animationForKey("gradient"));
    UIApplicationSimulateDidBecomeActive();
    EXPECT_TRUE(label->subLabel()->layer()->animationForKey("position"));

    loop().advanceBy(2);
    ASSERT_TRUE(label->awayFromHome());
    label->removeFromSuperview();
    EXPECT_FALSE(label->awayFromHome());
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));
    loop().advanceBy(10);
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));  // the cycle does not come back
}

TEST_F(MarqueeLabelTest, TapToScrollWaitsForTheTap) {
    auto label = addLabel(100, MLContinuous);
    label->setTapToScroll(true);
    label->restartLabel();
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));
    ASSERT_TRUE(label->tapRecognizer());
    EXPECT_EQ(label->gestureRecognizers().size(), 1u);
    EXPECT_TRUE(label->isUserInteractionEnabled());

    const double start = loop().now();
    objc::msgSendAction(label, objc::sel("labelWasTapped:"), label->tapRecognizer());
    loop().advanceTo(start + 0.5);  // no delay after a tap on a continuous label
    EXPECT_LT(presentedX(*label), 0);
    // Once round, the band does not go on by itself.
    loop().advanceTo(start + 2.5);
    EXPECT_FALSE(label->subLabel()->layer()->animationForKey("position"));

    label->setTapToScroll(false);
    EXPECT_FALSE(label->tapRecognizer());
    EXPECT_TRUE(label->gestureRecognizers().empty());
    EXPECT_FALSE(label->isUserInteractionEnabled());
}

TEST_F(MarqueeLabelTest, CompletionHooksAndTheScrollBlock) {
    struct Counting : MarqueeLabel {
        int began = 0, returned = 0;
        void labelWillBeginScroll() override { ++began; }
        void labelReturnedToHome(bool) override { ++returned; }
    };
    auto label = objc::make<Counting>(CGRect{{0, 0}, {100, 30}}, 2.0, 0.0);
    label->setMarqueeType(MLLeftRight);
    label->setText(kLongText);
    controller->view()->addSubview(label);
    settle();
    const int began = label->began;
    EXPECT_GE(began, 1);
    EXPECT_TRUE(label->scrollCompletionBlock());
    loop().advanceBy(6.01);  // one full cycle: home again, and the next one begins
    EXPECT_GE(label->returned, 1);
    EXPECT_EQ(label->began, began + 1);
    label->resetLabel();
    EXPECT_TRUE(CGRectIsNull(label->homeLabelFrame()));
    EXPECT_FALSE(label->scrollCompletionBlock());
}

TEST_F(MarqueeLabelTest, FadedEdgesShowOnScreen) {
    window->setBackgroundColor(UIColor::whiteColor());
    controller->view()->setBackgroundColor(UIColor::whiteColor());
    auto label = addLabel(200, MLLeftRight, kLongText, 2.0, 20);
    label->setBackgroundColor(UIColor::redColor());
    loop().advanceBy(0.5);
    auto shot = UIScreen::mainScreen()->snapshot(1);
    // Label at x 10…210, y 100…130: the right edge fades out, the left edge does not. The probes
    // sit above the line of text (about y 105…125), so only the faded background is measured.
    EXPECT_TRUE(ios::testing::pixelNear(shot->pixelAtPoint({110, 102}), ios::testing::kOpaqueRed, 8));
    EXPECT_TRUE(ios::testing::pixelNear(shot->pixelAtPoint({12, 102}), ios::testing::kOpaqueRed, 8));
    EXPECT_TRUE(ios::testing::pixelNear(shot->pixelAtPoint({209, 102}), ios::testing::kOpaqueWhite, 30));
}
