#include <cmath>

#include <gtest/gtest.h>

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "tests/support/GeometryExpectations.h"

using namespace ios;

namespace {
constexpr double kPi = 3.14159265358979323846;

void expectPointNear(CGPoint actual, CGPoint expected, double tol = 1e-9) {
    EXPECT_TRUE(flint::testing::pointNear(actual, expected, tol));
}
void expectRectNear(CGRect actual, CGRect expected, double tol = 1e-9) {
    EXPECT_TRUE(flint::testing::rectNear(actual, expected, tol));
}
}  // namespace

TEST(CGRect, NegativeSizesAreReadStandardised) {
    CGRect r = CGRectMake(50, 40, -30, -20);  // a drag up and to the left
    EXPECT_EQ(CGRectStandardize(r), CGRectMake(20, 20, 30, 20));
    EXPECT_EQ(CGRectGetMinX(r), 20);
    EXPECT_EQ(CGRectGetMaxX(r), 50);
    EXPECT_EQ(CGRectGetMinY(r), 20);
    EXPECT_EQ(CGRectGetMaxY(r), 40);
    EXPECT_EQ(CGRectGetMidX(r), 35);
    EXPECT_EQ(CGRectGetWidth(r), 30);
    EXPECT_EQ(CGRectGetHeight(r), 20);
    EXPECT_TRUE(CGRectEqualToRect(r, CGRectMake(20, 20, 30, 20)));
    EXPECT_TRUE(CGRectContainsPoint(r, {25, 25}));
}

TEST(CGRect, IntegralCoversTheFractionalRectangle) {
    EXPECT_EQ(CGRectIntegral(CGRectMake(0.5, 1.2, 10.1, 2.3)), CGRectMake(0, 1, 11, 3));
    EXPECT_EQ(CGRectIntegral(CGRectMake(-0.5, -1.5, 1, 1)), CGRectMake(-1, -2, 2, 2));
    EXPECT_EQ(CGRectIntegral(CGRectMake(3.5, 0, -1, 1)), CGRectMake(2, 0, 2, 1));
    EXPECT_TRUE(CGRectIsNull(CGRectIntegral(CGRectNull)));
}

TEST(CGRect, InsetShrinksAndNegativeInsetGrows) {
    EXPECT_EQ(CGRectInset(CGRectMake(0, 0, 100, 50), 10, 5), CGRectMake(10, 5, 80, 40));
    EXPECT_EQ(CGRectInset(CGRectMake(0, 0, 100, 50), -2, -2), CGRectMake(-2, -2, 104, 54));
    EXPECT_TRUE(CGRectIsNull(CGRectInset(CGRectMake(0, 0, 10, 10), 6, 0)));
}

TEST(CGRect, UnionAndIntersection) {
    CGRect a = CGRectMake(0, 0, 10, 10), b = CGRectMake(5, 5, 10, 10);
    EXPECT_EQ(CGRectUnion(a, b), CGRectMake(0, 0, 15, 15));
    EXPECT_EQ(CGRectIntersection(a, b), CGRectMake(5, 5, 5, 5));
    EXPECT_TRUE(CGRectIntersectsRect(a, b));
    // Null is the identity of union and absorbs intersection.
    EXPECT_EQ(CGRectUnion(CGRectNull, b), b);
    EXPECT_TRUE(CGRectIsNull(CGRectIntersection(a, CGRectMake(20, 20, 1, 1))));
    EXPECT_FALSE(CGRectIntersectsRect(a, CGRectMake(20, 20, 1, 1)));
    // Touching edges meet in a zero-width rectangle that does not count as intersecting.
    CGRect touch = CGRectIntersection(a, CGRectMake(10, 0, 5, 5));
    EXPECT_FALSE(CGRectIsNull(touch));
    EXPECT_EQ(touch.size.width, 0);
    EXPECT_FALSE(CGRectIntersectsRect(a, CGRectMake(10, 0, 5, 5)));
    EXPECT_TRUE(CGRectIsEmpty(touch));
}

TEST(CGRect, ContainmentUsesHalfOpenEdges) {
    CGRect r = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectContainsPoint(r, {0, 0}));
    EXPECT_FALSE(CGRectContainsPoint(r, {10, 5}));
    EXPECT_FALSE(CGRectContainsPoint(r, {5, 10}));
    EXPECT_TRUE(CGRectContainsRect(r, CGRectMake(0, 0, 10, 10)));
    EXPECT_TRUE(CGRectContainsRect(r, CGRectMake(2, 2, 3, 3)));
    EXPECT_FALSE(CGRectContainsRect(r, CGRectMake(8, 8, 3, 3)));
    EXPECT_FALSE(CGRectContainsPoint(CGRectNull, {0, 0}));
}

TEST(CGRect, PrintsAsThePlatform) {
    EXPECT_EQ(NSStringFromCGRect(CGRectMake(1, 2.5, 30, 40)), "{{1, 2.5}, {30, 40}}");
    EXPECT_EQ(NSStringFromCGPoint({-3, 0}), "{-3, 0}");
}

TEST(CGAffineTransform, RotationTurnsClockwiseOnScreen) {
    // With y down, +x rotated by 90° points down the screen (+y).
    expectPointNear(CGPointApplyAffineTransform({1, 0}, CGAffineTransformMakeRotation(kPi / 2)), {0, 1});
    expectPointNear(CGPointApplyAffineTransform({0, 1}, CGAffineTransformMakeRotation(kPi / 2)), {-1, 0});
}

TEST(CGAffineTransform, ConcatAppliesTheFirstOperandFirst) {
    CGAffineTransform scale = CGAffineTransformMakeScale(2, 3);
    CGAffineTransform move = CGAffineTransformMakeTranslation(10, 20);
    // Scale, then move.
    expectPointNear(CGPointApplyAffineTransform({1, 1}, CGAffineTransformConcat(scale, move)), {12, 23});
    // Move, then scale.
    expectPointNear(CGPointApplyAffineTransform({1, 1}, CGAffineTransformConcat(move, scale)), {22, 63});
}

TEST(CGAffineTransform, ModifiersApplyTheNewOperationBeforeTheExistingOne) {
    // Translate(Scale(...)) scales the translation: the translation happens in the scaled space.
    CGAffineTransform t = CGAffineTransformTranslate(CGAffineTransformMakeScale(2, 2), 5, 0);
    expectPointNear(CGPointApplyAffineTransform({0, 0}, t), {10, 0});
    CGAffineTransform r = CGAffineTransformRotate(CGAffineTransformMakeTranslation(100, 0), kPi / 2);
    expectPointNear(CGPointApplyAffineTransform({1, 0}, r), {100, 1});
    CGAffineTransform s = CGAffineTransformScale(CGAffineTransformMakeTranslation(100, 0), 3, 3);
    expectPointNear(CGPointApplyAffineTransform({1, 1}, s), {103, 3});
}

TEST(CGAffineTransform, InversionUndoesAndSingularStaysUnchanged) {
    CGAffineTransform t = CGAffineTransformRotate(CGAffineTransformMakeTranslation(7, -3), 0.7);
    t = CGAffineTransformScale(t, 2, 0.5);
    CGAffineTransform inv = CGAffineTransformInvert(t);
    expectPointNear(CGPointApplyAffineTransform(CGPointApplyAffineTransform({3, 4}, t), inv), {3, 4});
    CGAffineTransform both = CGAffineTransformConcat(t, inv);
    EXPECT_NEAR(both.a, 1, 1e-12);
    EXPECT_NEAR(both.b, 0, 1e-12);
    EXPECT_NEAR(both.tx, 0, 1e-12);
    CGAffineTransform singular = CGAffineTransformMakeScale(0, 1);
    EXPECT_EQ(CGAffineTransformInvert(singular), singular);
    EXPECT_TRUE(CGAffineTransformIsIdentity(CGAffineTransformIdentity));
    EXPECT_FALSE(CGAffineTransformIsIdentity(singular));
}

TEST(CGAffineTransform, RectanglesMapToTheBoundingBoxOfTheirCorners) {
    CGRect r = CGRectMake(0, 0, 10, 20);
    expectRectNear(CGRectApplyAffineTransform(r, CGAffineTransformMakeRotation(kPi / 2)), CGRectMake(-20, 0, 20, 10));
    expectRectNear(CGRectApplyAffineTransform(r, CGAffineTransformMakeRotation(kPi / 4)),
                   CGRectMake(-20 / std::sqrt(2.0), 0, 30 / std::sqrt(2.0), 30 / std::sqrt(2.0)));
    expectRectNear(CGRectApplyAffineTransform(r, CGAffineTransformMakeScale(-1, 1)), CGRectMake(-10, 0, 10, 20));
    CGSize s = CGSizeApplyAffineTransform({10, 20}, CGAffineTransformMakeTranslation(5, 5));
    EXPECT_EQ(s, (CGSize{10, 20}));
}
