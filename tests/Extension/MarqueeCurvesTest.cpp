// Timing curves, the Newton solver, the keyframe tables and the fade mask of the marquee label.

#include <cfloat>
#include <limits>

#include "Extension/GradientSetupAnimation.h"
#include "Extension/MarqueeLabelHelpers.h"
#include "MarqueeTestSupport.h"

using namespace ios;
using namespace marquee_testing;
namespace helpers = MarqueeLabelHelpers;

namespace {

helpers::ControlPoints points(double x1, double y1, double x2, double y2, double y0 = 0, double y3 = 1) {
    return {CGPoint{0, y0}, CGPoint{x1, y1}, CGPoint{x2, y2}, CGPoint{1, y3}};
}

std::size_t count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

void expectSet(const CAValue& value, bool leftClear, bool rightClear) {
    auto colors = value.colors();
    ASSERT_EQ(colors.size(), 4u);
    EXPECT_DOUBLE_EQ(colors[0]->alpha(), leftClear ? 0 : 1);
    EXPECT_DOUBLE_EQ(colors[1]->alpha(), 1);
    EXPECT_DOUBLE_EQ(colors[2]->alpha(), 1);
    EXPECT_DOUBLE_EQ(colors[3]->alpha(), rightClear ? 0 : 1);
}

const char* kDerivativeFailure = "MarqueeLabel: Newton's Method failure, small/zero derivative!";
const char* kNoSolution = "MarqueeLabel: Failed to find t for Y input!";

}  // namespace

class MarqueeCurvesTest : public MarqueeTest {};

TEST_F(MarqueeCurvesTest, CubicValuesAndDerivativeAtKnownPoints) {
    auto ease = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    auto cp = helpers::controlPoints(*ease);
    EXPECT_NEAR(cp[1].x, 0.42, 1e-7);  // widened from single precision
    EXPECT_EQ(cp[1].x, double(0.42f));
    EXPECT_EQ(cp[3].x, 1.0);
    // The symmetric curve passes through its ends and its middle, flat at both ends.
    EXPECT_NEAR(helpers::YforCurveAt(0, cp), 0, 1e-7);
    EXPECT_NEAR(helpers::YforCurveAt(0.5, cp), 0.5, 1e-6);
    EXPECT_NEAR(helpers::XforCurveAt(0.5, cp), 0.5, 1e-6);
    EXPECT_NEAR(helpers::YforCurveAt(1, cp), 1, 1e-7);
    EXPECT_NEAR(helpers::derivativeYValueForCurveAt(0, cp), 0, 1e-7);
    EXPECT_NEAR(helpers::derivativeYValueForCurveAt(1, cp), 0, 1e-7);

    // x(t) = t and y(t) = t² (control values 0, 1/3, 2/3, 1 and 0, 0, 1/3, 1).
    auto square = points(1.0 / 3, 0, 2.0 / 3, 1.0 / 3);
    for (double t : {0.0, 0.1, 0.37, 0.5, 0.9, 1.0}) {
        EXPECT_NEAR(helpers::XforCurveAt(t, square), t, 1e-6) << t;
        EXPECT_NEAR(helpers::YforCurveAt(t, square), t * t, 1e-6) << t;
        EXPECT_NEAR(helpers::derivativeYValueForCurveAt(t, square), 2 * t, 1e-6) << t;
    }
}

TEST_F(MarqueeCurvesTest, SolverConvergesOnLinearAndEasedCurves) {
    auto linear = points(0, 0, 1, 1);
    EXPECT_DOUBLE_EQ(helpers::solveTForY(0.5, 1e-4, linear), 0.5);
    auto linearFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    EXPECT_DOUBLE_EQ(helpers::durationPercentageForPositionPercentage(*linearFunction, 0.5, 2.0), 0.5);

    // Ease-in: the text covers a quarter of the way late in the leg; the answer lies on the curve.
    auto easeIn = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    double p = helpers::durationPercentageForPositionPercentage(*easeIn, 0.25, 3.0);
    EXPECT_GT(p, 0.25);
    EXPECT_NEAR(easeIn->progressAtTime(p), 0.25, 1.0 / 300 + 1e-3);
    EXPECT_TRUE(log().empty());
}

TEST_F(MarqueeCurvesTest, SolverLogsBothTextsOnAFlatDerivative) {
    // A flat curve: y is 0.5 everywhere, so the derivative is zero before anything converged.
    auto flat = points(0.3, 0.5, 0.6, 0.5, 0.5, 0.5);
    EXPECT_DOUBLE_EQ(helpers::solveTForY(0.9, 1e-3, flat), 0.9);
    ASSERT_EQ(log().size(), 2u);
    EXPECT_EQ(log()[0], kDerivativeFailure);
    EXPECT_EQ(log()[1], kNoSolution);
}

TEST_F(MarqueeCurvesTest, SolverFindsTheKnownParameterOfACurve) {
    // y(t) = t² (control values 0, 0, 1/3, 1) and y(t) = t³ (0, 0, 0, 1): their inverses are known.
    auto square = points(0.3, 0, 0.6, 1.0 / 3);
    auto cube = points(0.3, 0, 0.6, 0);
    const double epsilon = 1e-5;
    // Within the tolerance on y, so within about epsilon / y'(t) on t (the curves' pieces are single
    // precision, hence the margin).
    for (double t : {0.3, 0.5, 0.9})
        EXPECT_NEAR(helpers::solveTForY(t * t, epsilon, square), t, 2 * epsilon / (2 * t) + 1e-6) << t;
    for (double t : {0.5, 0.9})
        EXPECT_NEAR(helpers::solveTForY(t * t * t, epsilon, cube), t, 2 * epsilon / (3 * t * t) + 1e-6) << t;
    // The middle of the symmetric ease-in-ease-out curve.
    auto ease = helpers::controlPoints(*CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut));
    EXPECT_NEAR(helpers::solveTForY(0.5, epsilon, ease), 0.5, 1e-4);
    EXPECT_TRUE(log().empty());
}

TEST_F(MarqueeCurvesTest, SolverGivesUpAfterItsRoundsWithoutAnAnswer) {
    // y(t) = 3t(1 − t)(1 − 2t) stays below 0.29 on [0, 1] and its slope does not vanish on the way:
    // the rounds run out, and the t returned does not solve the curve.
    auto curve = points(0.25, 1, 0.75, -1, 0, 0);
    const double y = 0.5, epsilon = 1e-3;
    double result = helpers::solveTForY(y, epsilon, curve);
    EXPECT_TRUE(std::isfinite(result));
    EXPECT_GE(std::fabs(helpers::YforCurveAt(result, curve) - y), epsilon);
    EXPECT_EQ(count(log(), kNoSolution), 1u);
    EXPECT_EQ(count(log(), kDerivativeFailure), 0u);
}

TEST_F(MarqueeCurvesTest, CurveOptionsMapToTheNamedCurves) {
    // Progress half way through the time: an ease-out is ahead, an ease-in behind, an
    // ease-in-ease-out exactly half way (and slow at the start), a linear curve half way.
    auto progress = [](unsigned options, double time) {
        return MarqueeLabel::timingFunctionForAnimationOptions(options)->progressAtTime(time);
    };
    EXPECT_GT(progress(0x20000, 0.5), 0.6);    // ease-out
    EXPECT_LT(progress(0x10000, 0.5), 0.4);    // ease-in
    EXPECT_NEAR(progress(0, 0.5), 0.5, 1e-3);  // ease-in-ease-out
    EXPECT_LT(progress(0, 0.1), 0.05);
    for (unsigned linear : {0x30000u, 0x40000u, 0x70000u})
        for (double time : {0.1, 0.5, 0.8}) EXPECT_NEAR(progress(linear, time), time, 1e-3) << linear;

    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {100, 20}});
    EXPECT_EQ(label->animationCurve(), 0x30000u);
    label->setAnimationCurve(0x40000);
    EXPECT_EQ(label->animationCurve(), 0x30000u);
    label->setAnimationCurve(0x10000);
    EXPECT_EQ(label->animationCurve(), 0x10000u);
    label->setAnimationCurve(0x10001);
    EXPECT_EQ(label->animationCurve(), 0x10000u);
}

TEST_F(MarqueeCurvesTest, PositionKeyTimesPerFamily) {
    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {100, 20}});
    CAValue p = CGPoint{0, 0};

    label->setMarqueeType(MLLeftRight);
    auto back = label->keyFrameAnimationForProperty("position", {p, p, p, p, p}, 4, 1);
    ASSERT_TRUE(back);
    std::vector<double> expected{0, 0.1, 0.5, 0.6, 1};
    ASSERT_EQ(back->keyTimes().size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_DOUBLE_EQ(back->keyTimes()[k], expected[k]) << k;
    EXPECT_EQ(back->timingFunctions().size(), 4u);
    EXPECT_EQ(back->delegate(), label->animationDelegate());
    EXPECT_EQ(back->keyPath(), "position");
    EXPECT_EQ(back->duration(), 0);  // the transaction's

    label->setMarqueeType(MLContinuousReverse);
    auto band = label->keyFrameAnimationForProperty("position", {p, p, p}, 4, 1);
    ASSERT_TRUE(band);
    EXPECT_EQ(band->keyTimes(), (std::vector<double>{0, 0.2, 1}));
    EXPECT_EQ(band->timingFunctions().size(), 2u);

    label->setMarqueeType(MLRight);
    auto once = label->keyFrameAnimationForProperty("position", {p, p, p, p}, 4, 1);
    ASSERT_TRUE(once);
    ASSERT_EQ(once->keyTimes().size(), 4u);
    EXPECT_DOUBLE_EQ(once->keyTimes()[1] * DBL_MAX, 1.0);
    EXPECT_DOUBLE_EQ(once->keyTimes()[2] * DBL_MAX, 5.0);
    EXPECT_EQ(once->keyTimes()[3], 1.0);
    EXPECT_EQ(once->timingFunctions().size(), 3u);
    for (auto& f : once->timingFunctions()) EXPECT_EQ(helpers::controlPoints(*f)[2].x, 1.0);
    EXPECT_TRUE(assertions.empty());
}

TEST_F(MarqueeCurvesTest, WrongValueCountsAreAssertionFailures) {
    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {100, 20}});
    CAValue p = CGPoint{0, 0};
    label->setMarqueeType(MLLeft);
    EXPECT_FALSE(label->keyFrameAnimationForProperty("position", {p, p, p, p, p}, 4, 1));
    label->setMarqueeType(MLContinuous);
    EXPECT_FALSE(label->keyFrameAnimationForProperty("position", {p, p, p, p}, 4, 1));
    label->setMarqueeType(MLRightLeft);
    EXPECT_FALSE(label->keyFrameAnimationForProperty("position", {p, p, p}, 4, 1));
    ASSERT_EQ(assertions.size(), 3u);
    for (auto& [file, text] : assertions) EXPECT_EQ(file, "Extension/MarqueeLabel");
    EXPECT_EQ(assertions[0].second, "Incorrect number of values passed for MLLeft-type animation");
    EXPECT_EQ(assertions[1].second, "Incorrect number of values passed for MLContinous-type animation");
    EXPECT_EQ(assertions[2].second, "Incorrect number of values passed for MLLeftRight-type animation");
}

TEST(MarqueeAssertionDeathTest, AbortsWithoutAHandler) {
    EXPECT_DEATH(marqueeAssertionFailure(kMarqueeLabelSourceFile, "boom"),
                 "Assertion failure in Extension/MarqueeLabel: boom");
}

TEST_F(MarqueeCurvesTest, FadeKeyTimesAndColourSetsPerType) {
    auto label = objc::make<MarqueeLabel>(CGRect{{0, 0}, {100, 20}});

    label->setMarqueeType(MLLeftRight);
    auto back = label->keyFrameAnimationForGradientFadeLength(10, 4, 1);
    std::vector<double> times{0, 0.1, 0.14, 0.46, 0.5, 0.6, 0.64, 0.96, 1};
    ASSERT_EQ(back->keyTimes().size(), times.size());
    for (std::size_t k = 0; k < times.size(); ++k) EXPECT_NEAR(back->keyTimes()[k], times[k], 1e-12) << k;
    EXPECT_EQ(back->keyPath(), "colors");
    EXPECT_EQ(back->timingFunctions().size(), 4u);
    // No mask yet: the first value is the type's starting set.
    const bool R = true, L = true;
    std::vector<std::pair<bool, bool>> leftRight{{false, R}, {false, R}, {L, R}, {L, R},    {L, false},
                                                 {L, false}, {L, R},     {L, R}, {false, R}};
    ASSERT_EQ(back->values().size(), leftRight.size());
    for (std::size_t k = 0; k < leftRight.size(); ++k)
        expectSet(back->values()[k], leftRight[k].first, leftRight[k].second);

    label->setMarqueeType(MLRight);
    auto once = label->keyFrameAnimationForGradientFadeLength(10, 4, 1);
    ASSERT_EQ(once->keyTimes().size(), 6u);
    EXPECT_DOUBLE_EQ(once->keyTimes()[2] * DBL_MAX, 1.4);
    EXPECT_DOUBLE_EQ(once->keyTimes()[3] * DBL_MAX, 4.6);
    std::vector<std::pair<bool, bool>> right{{L, false}, {L, false}, {L, R}, {L, R}, {false, R}, {false, R}};
    ASSERT_EQ(once->values().size(), right.size());
    for (std::size_t k = 0; k < right.size(); ++k) expectSet(once->values()[k], right[k].first, right[k].second);

    label->setMarqueeType(MLRightLeft);
    auto mirror = label->keyFrameAnimationForGradientFadeLength(10, 4, 1);
    ASSERT_EQ(mirror->values().size(), 9u);
    expectSet(mirror->values()[0], L, false);
    expectSet(mirror->values()[4], false, R);
    expectSet(mirror->values()[8], L, false);

    label->setMarqueeType(MLLeft);
    auto left = label->keyFrameAnimationForGradientFadeLength(10, 4, 1);
    expectSet(left->values()[0], false, R);
    expectSet(left->values()[5], L, false);

    label->setMarqueeType(MLContinuousReverse);
    auto reverse = label->keyFrameAnimationForGradientFadeLength(10, 4, 1);
    ASSERT_EQ(reverse->values().size(), 6u);
    expectSet(reverse->values()[0], L, false);
    expectSet(reverse->values()[2], L, R);
    expectSet(reverse->values()[5], L, false);
}

TEST_F(MarqueeCurvesTest, ContinuousFadeTimesUseTheDurationPercentage) {
    auto label = addLabel(150, MLContinuous, kLongText, 4.0, 10);
    label->setAnimationDelay(1);
    ASSERT_TRUE(label->labelShouldScroll());
    auto fade = label->keyFrameAnimationForGradientFadeLength(10, 4, 1);
    double q = std::fabs((label->subLabel()->bounds().size.width + label->leadingBuffer()) / label->awayOffset());
    double p = q;  // the linear curve: time fraction equals distance fraction
    std::vector<double> times{0, 0.2, 0.24, (p * 4 + 1) / 5, (p * 4 + 1.1) / 5, 1};
    ASSERT_EQ(fade->keyTimes().size(), times.size());
    for (std::size_t k = 0; k < times.size(); ++k) EXPECT_NEAR(fade->keyTimes()[k], times[k], 1e-3) << k;
    expectSet(fade->values()[1], false, true);
    expectSet(fade->values()[2], true, true);
    expectSet(fade->values()[5], false, true);
}

TEST_F(MarqueeCurvesTest, FadeMaskGeometryColoursAndSetupFade) {
    auto label = addLabel(150, MLLeftRight, kLongText, 4.0, 15);
    auto mask = label->maskLayer();
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->startPoint(), (CGPoint{0, 0.5}));
    EXPECT_EQ(mask->endPoint(), (CGPoint{1, 0.5}));
    EXPECT_TRUE(mask->shouldRasterize());
    EXPECT_EQ(mask->rasterizationScale(), 3);
    ASSERT_EQ(mask->locations().size(), 4u);
    EXPECT_DOUBLE_EQ(mask->locations()[1], 0.1);
    EXPECT_DOUBLE_EQ(mask->locations()[2], 0.9);
    EXPECT_EQ(mask->bounds(), label->bounds());
    EXPECT_EQ(mask->position(), (CGPoint{75, 15}));

    // Re-applied, animated: a set-up fade towards the right set (the text runs off the right).
    label->applyGradientMaskForFadeLength(15, true);
    auto setup = objc::cast<GradientSetupAnimation>(mask->animationForKey("setupFade"));
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->duration(), 0.25);
    EXPECT_FALSE(setup->isRemovedOnCompletion());
    expectSet(setup->toValue(), false, true);
    loop().advanceBy(0.3);
    EXPECT_FALSE(mask->animationForKey("setupFade"));
    expectSet(CAValue(mask->colors()), false, true);

    // Not animated: set at once. A right-hand type fades its left edge.
    label->setMarqueeType(MLRight);
    label->applyGradientMaskForFadeLength(15, false);
    EXPECT_FALSE(mask->animationForKey("setupFade"));
    expectSet(CAValue(mask->colors()), true, false);

    // Fade length 0 removes the mask.
    label->applyGradientMaskForFadeLength(0, false);
    EXPECT_FALSE(label->layer()->mask());
}

TEST_F(MarqueeCurvesTest, TextThatFitsGetsNoFade) {
    auto label = addLabel(150, MLLeftRight, "Hi", 4.0, 15);
    EXPECT_FALSE(label->labelShouldScroll());
    EXPECT_FALSE(label->layer()->mask());  // the layout removes it
    label->applyGradientMaskForFadeLength(15, false);
    ASSERT_TRUE(label->maskLayer());
    expectSet(CAValue(label->maskLayer()->colors()), false, false);
}
