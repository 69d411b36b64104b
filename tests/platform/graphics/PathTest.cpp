#include <cmath>

#include <gtest/gtest.h>

#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIBezierPath.h"
#include "tests/support/GeometryExpectations.h"

using namespace ios;

namespace {
constexpr double kPi = 3.14159265358979323846;

void expectRectNear(CGRect actual, CGRect expected, double tol = 1e-6) {
    EXPECT_TRUE(flint::testing::rectNear(actual, expected, tol));
}
}  // namespace

TEST(CGPath, BoundingBoxIncludesControlPointsAndPathBoxDoesNot) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddQuadCurveToPoint(path, nullptr, 50, 100, 100, 0);
    // The control point reaches y = 100; the curve itself only y = 50 (at t = 0.5).
    expectRectNear(CGPathGetBoundingBox(path), CGRectMake(0, 0, 100, 100));
    expectRectNear(CGPathGetPathBoundingBox(path), CGRectMake(0, 0, 100, 50));
}

TEST(CGPath, CubicExtremaBoundTheTightBox) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddCurveToPoint(path, nullptr, 0, -40, 100, -40, 100, 0);
    expectRectNear(CGPathGetBoundingBox(path), CGRectMake(0, -40, 100, 40));
    // The curve's peak is 3/4 of the control height.
    expectRectNear(CGPathGetPathBoundingBox(path), CGRectMake(0, -30, 100, 30));
}

TEST(CGPath, EllipseAndRectangleBoxes) {
    auto path = CGPathCreateMutable();
    CGPathAddEllipseInRect(path, nullptr, CGRectMake(10, 20, 40, 30));
    expectRectNear(CGPathGetPathBoundingBox(path), CGRectMake(10, 20, 40, 30));
    // The ellipse's control points lie on its box, so both boxes agree.
    expectRectNear(CGPathGetBoundingBox(path), CGRectMake(10, 20, 40, 30));
    CGPathRef rect = CGPathCreateWithRect(CGRectMake(5, 5, -5, 10), nullptr);
    expectRectNear(CGPathGetBoundingBox(rect), CGRectMake(0, 5, 5, 10));
    EXPECT_TRUE(std::isinf(CGPathGetBoundingBox(CGPathCreateMutable()).origin.x));
    EXPECT_TRUE(CGPathIsEmpty(CGPathCreateMutable()));
}

TEST(CGPath, TransformIsAppliedToAddedPoints) {
    auto path = CGPathCreateMutable();
    CGAffineTransform t = CGAffineTransformMakeTranslation(100, 0);
    CGPathAddRect(path, &t, CGRectMake(0, 0, 10, 10));
    expectRectNear(CGPathGetBoundingBox(path), CGRectMake(100, 0, 10, 10));
    CGPathMoveToPoint(path, &t, 0, 50);
    EXPECT_EQ(CGPathGetCurrentPoint(path), (CGPoint{100, 50}));
}

TEST(CGPath, ArcsSweepTheRequestedWay) {
    // Increasing angle from 0 to pi/2 runs through the lower right quadrant (y down).
    auto path = CGPathCreateMutable();
    CGPathAddArc(path, nullptr, 0, 0, 10, 0, kPi / 2, false);
    expectRectNear(CGPathGetPathBoundingBox(path), CGRectMake(0, 0, 10, 10), 1e-6);
    // The same end points decreasing the angle go the long way round.
    auto longWay = CGPathCreateMutable();
    CGPathAddArc(longWay, nullptr, 0, 0, 10, 0, kPi / 2, true);
    expectRectNear(CGPathGetPathBoundingBox(longWay), CGRectMake(-10, -10, 20, 20), 1e-6);
    CGPoint end = CGPathGetCurrentPoint(longWay);
    EXPECT_NEAR(end.x, 0, 1e-9);
    EXPECT_NEAR(end.y, 10, 1e-9);
}

TEST(CGPath, ContainsPointHonoursTheFillRule) {
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, 100, 100));
    CGPathAddRect(path, nullptr, CGRectMake(25, 25, 50, 50));
    EXPECT_TRUE(CGPathContainsPoint(path, nullptr, {50, 50}, false));
    EXPECT_FALSE(CGPathContainsPoint(path, nullptr, {50, 50}, true));
    EXPECT_TRUE(CGPathContainsPoint(path, nullptr, {10, 10}, true));
    EXPECT_FALSE(CGPathContainsPoint(path, nullptr, {150, 10}, false));
    auto circle = CGPathCreateMutable();
    CGPathAddEllipseInRect(circle, nullptr, CGRectMake(0, 0, 100, 100));
    EXPECT_TRUE(CGPathContainsPoint(circle, nullptr, {50, 50}, false));
    EXPECT_FALSE(CGPathContainsPoint(circle, nullptr, {5, 5}, false));
}

TEST(CGPath, CopiesAreIndependent) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 1, 1);
    CGPathAddLineToPoint(path, nullptr, 5, 5);
    CGPathRef copy = CGPathCreateCopy(path);
    CGPathAddLineToPoint(path, nullptr, 50, 5);
    EXPECT_EQ(copy->elements().size(), 2u);
    EXPECT_FALSE(CGPathEqualToPath(copy, path));
    auto appended = CGPathCreateMutable();
    CGPathAddPath(appended, nullptr, copy);
    EXPECT_TRUE(CGPathEqualToPath(appended, copy));
}

TEST(UIBezierPath, BuildsPathsAndKeepsStrokeParameters) {
    auto path = UIBezierPath::bezierPath();
    EXPECT_TRUE(path->isEmpty());
    EXPECT_EQ(path->lineWidth(), 1);
    EXPECT_EQ(path->lineCapStyle(), kCGLineCapButt);
    path->moveToPoint({0, 0});
    path->addQuadCurveToPoint({100, 0}, {50, 80});
    path->setLineWidth(6);
    path->setLineCapStyle(kCGLineCapRound);
    path->setLineJoinStyle(kCGLineJoinRound);
    expectRectNear(path->bounds(), CGRectMake(0, 0, 100, 80));
    EXPECT_EQ(path->currentPoint(), (CGPoint{100, 0}));
    EXPECT_EQ(path->lineCapStyle(), kCGLineCapRound);

    auto oval = UIBezierPath::bezierPathWithOvalInRect(CGRectMake(0, 0, 20, 20));
    path->appendPath(*oval);
    expectRectNear(path->bounds(), CGRectMake(0, 0, 100, 80));
    EXPECT_EQ(path->CGPath()->elements().size(), 2u + oval->CGPath()->elements().size());
}

TEST(UIBezierPath, ArcClockwiseIsClockwiseOnScreen) {
    // From the right-hand point, clockwise on screen passes below the centre first.
    auto quarter = UIBezierPath::bezierPathWithArcCenter({0, 0}, 10, 0, kPi / 2, true);
    expectRectNear(quarter->path().pathBoundingBox(), CGRectMake(0, 0, 10, 10), 1e-6);
    auto rounded = UIBezierPath::bezierPathWithRoundedRect(CGRectMake(0, 0, 40, 20), 50);
    // The radius is clamped to half the height: the ends are semicircles.
    EXPECT_TRUE(rounded->containsPoint({20, 10}));
    EXPECT_FALSE(rounded->containsPoint({1, 1}));
    EXPECT_TRUE(rounded->containsPoint({10, 1}));
}
