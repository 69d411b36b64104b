#include <gtest/gtest.h>

#include "platform/quartz/CAMediaTimingFunction.h"

using namespace ios;

namespace {

struct Point {
    double x, y;
};

// The curve at parameter t, evaluated independently of the solver.
Point curveAt(const CAMediaTimingFunction& f, double t) {
    double p[4][2];
    for (int i = 0; i < 4; ++i) f.getControlPointAtIndex(i, p[i]);
    double u = 1 - t;
    auto coord = [&](int k) {
        return u * u * u * p[0][k] + 3 * u * u * t * p[1][k] + 3 * u * t * t * p[2][k] + t * t * t * p[3][k];
    };
    return {coord(0), coord(1)};
}

}  // namespace

TEST(CAMediaTimingFunction, NamedCurvesHaveThePlatformControlPoints) {
    struct Expected {
        const std::string& name;
        double c1x, c1y, c2x, c2y;
    } table[] = {{kCAMediaTimingFunctionLinear, 0, 0, 1, 1},
                 {kCAMediaTimingFunctionEaseIn, 0.42, 0, 1, 1},
                 {kCAMediaTimingFunctionEaseOut, 0, 0, 0.58, 1},
                 {kCAMediaTimingFunctionEaseInEaseOut, 0.42, 0, 0.58, 1},
                 {kCAMediaTimingFunctionDefault, 0.25, 0.1, 0.25, 1}};
    for (const auto& e : table) {
        auto f = CAMediaTimingFunction::functionWithName(e.name);
        ASSERT_TRUE(f) << e.name;
        float p[2];
        f->getControlPointAtIndex(0, p);
        EXPECT_EQ(p[0], 0.f);
        EXPECT_EQ(p[1], 0.f);
        f->getControlPointAtIndex(1, p);
        EXPECT_FLOAT_EQ(p[0], float(e.c1x)) << e.name;
        EXPECT_FLOAT_EQ(p[1], float(e.c1y)) << e.name;
        f->getControlPointAtIndex(2, p);
        EXPECT_FLOAT_EQ(p[0], float(e.c2x)) << e.name;
        EXPECT_FLOAT_EQ(p[1], float(e.c2y)) << e.name;
        f->getControlPointAtIndex(3, p);
        EXPECT_EQ(p[0], 1.f);
        EXPECT_EQ(p[1], 1.f);
    }
    EXPECT_FALSE(CAMediaTimingFunction::functionWithName("bouncy"));
}

TEST(CAMediaTimingFunction, OutOfRangeIndexLeavesValuesAlone) {
    auto f = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    float p[2] = {7, 8};
    f->getControlPointAtIndex(4, p);
    EXPECT_EQ(p[0], 7.f);
    EXPECT_EQ(p[1], 8.f);
}

TEST(CAMediaTimingFunction, LinearIsTheIdentity) {
    auto f = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    EXPECT_DOUBLE_EQ(f->progressAtTime(0.5), 0.5);
    EXPECT_NEAR(f->progressAtTime(0.123), 0.123, 1e-9);
    EXPECT_EQ(f->progressAtTime(-1), 0);
    EXPECT_EQ(f->progressAtTime(2), 1);
}

TEST(CAMediaTimingFunction, ProgressMatchesTheCurveAtKnownParameters) {
    for (const auto& name : {kCAMediaTimingFunctionEaseIn, kCAMediaTimingFunctionEaseOut,
                             kCAMediaTimingFunctionEaseInEaseOut, kCAMediaTimingFunctionDefault}) {
        auto f = CAMediaTimingFunction::functionWithName(name);
        for (double t : {0.05, 0.25, 0.5, 0.75, 0.95}) {
            Point p = curveAt(*f, t);
            EXPECT_NEAR(f->progressAtTime(p.x), p.y, 1e-7) << name << " t=" << t;
        }
    }
}

TEST(CAMediaTimingFunction, CurvesHaveTheirShape) {
    auto easeIn = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    auto easeOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    auto easeInOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    EXPECT_LT(easeIn->progressAtTime(0.3), 0.3);
    EXPECT_GT(easeOut->progressAtTime(0.3), 0.3);
    EXPECT_NEAR(easeInOut->progressAtTime(0.5), 0.5, 1e-9);  // symmetric about the middle
    // Ease-out is ease-in turned about the centre.
    for (double x : {0.1, 0.4, 0.8}) EXPECT_NEAR(easeOut->progressAtTime(x), 1 - easeIn->progressAtTime(1 - x), 1e-7);
}

TEST(CAMediaTimingFunction, CustomCurveThatOvershoots) {
    auto f = CAMediaTimingFunction::functionWithControlPoints(0.3, 1.6, 0.7, 1.4);
    double peak = 0;
    for (double x = 0; x <= 1; x += 0.01) peak = std::max(peak, f->progressAtTime(x));
    EXPECT_GT(peak, 1.05);
    EXPECT_EQ(f->progressAtTime(1), 1);
}
