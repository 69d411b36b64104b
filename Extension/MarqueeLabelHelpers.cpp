#include "Extension/MarqueeLabelHelpers.h"

#include <cmath>

#include "platform/foundation/SystemLog.h"

namespace MarqueeLabelHelpers {

ControlPoints controlPoints(const ios::CAMediaTimingFunction& function) {
    ControlPoints points{};
    for (int i = 0; i < 4; ++i) {
        float values[2] = {0, 0};
        function.getControlPointAtIndex(i, values);
        points[static_cast<std::size_t>(i)] = ios::CGPoint{double(values[0]), double(values[1])};
    }
    return points;
}

namespace {

double cubic(double t, double p0, double p1, double p2, double p3) {
    const float u = static_cast<float>(1 - t);
    const float tf = static_cast<float>(t);
    const double u3 = std::pow(u, 3.0f);
    const double threeU2 = 3.0f * std::pow(u, 2.0f);
    const double t2 = std::pow(tf, 2.0f);
    const double t3 = std::pow(tf, 3.0f);
    return u3 * p0 + threeU2 * t * p1 + 3.0 * (1 - t) * t2 * p2 + t3 * p3;
}

}  // namespace

double YforCurveAt(double t, const ControlPoints& p) { return cubic(t, p[0].y, p[1].y, p[2].y, p[3].y); }

double XforCurveAt(double t, const ControlPoints& p) { return cubic(t, p[0].x, p[1].x, p[2].x, p[3].x); }

double derivativeYValueForCurveAt(double t, const ControlPoints& p) {
    const double u = 1 - t;
    return 3 * u * u * (p[1].y - p[0].y) + 6 * u * t * (p[2].y - p[1].y) + 3 * t * t * (p[3].y - p[2].y);
}

double solveTForY(double y, double epsilon, const ControlPoints& points) {
    double t = y;
    double evaluated = t;
    for (int round = 0; round < kSolverMaximumRounds; ++round) {
        evaluated = t;
        const double error = YforCurveAt(t, points) - y;
        if (std::fabs(error) < epsilon) return t;
        const double slope = derivativeYValueForCurveAt(t, points);
        if (std::fabs(slope) < kSolverSmallestDerivative) {
            ios::NSLogLine("MarqueeLabel: Newton's Method failure, small/zero derivative!");
            ios::NSLogLine("MarqueeLabel: Failed to find t for Y input!");
            return t;
        }
        t = t - error / slope;
    }
    ios::NSLogLine("MarqueeLabel: Failed to find t for Y input!");
    return evaluated;
}

double durationPercentageForPositionPercentage(const ios::CAMediaTimingFunction& function, double positionPercentage,
                                               double duration) {
    const ControlPoints points = controlPoints(function);
    const double epsilon = 1.0 / (duration * 100);
    const double t = solveTForY(positionPercentage, epsilon, points);
    return XforCurveAt(t, points);
}

}  // namespace MarqueeLabelHelpers
