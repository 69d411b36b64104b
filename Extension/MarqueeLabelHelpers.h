#pragma once
// The MarqueeLabelHelpers category of the timing-function type: the cubic of a timing curve, its
// derivative, a Newton solver for the parameter t at which the curve reaches a given progress,
// and the fraction of the time at which a given fraction of the distance is covered.

#include <array>

#include "platform/graphics/CGGeometry.h"
#include "platform/quartz/CAMediaTimingFunction.h"

namespace MarqueeLabelHelpers {

using ControlPoints = std::array<ios::CGPoint, 4>;

// The Newton solver's limits.
inline constexpr int kSolverMaximumRounds = 15;
inline constexpr double kSolverSmallestDerivative = 1e-6;

// P0..P3 of the curve, each read in single precision and widened.
ControlPoints controlPoints(const ios::CAMediaTimingFunction& function);

// The cubic at t: the powers (1 − t)³ and t³, the product 3(1 − t)² and the square t² are
// single precision, the rest double.
double YforCurveAt(double t, const ControlPoints& points);
double XforCurveAt(double t, const ControlPoints& points);
double derivativeYValueForCurveAt(double t, const ControlPoints& points);

// Newton's method for y(t) = y, starting at t = y, at most 15 rounds. Logs and returns its best t
// when the derivative vanishes or the rounds run out.
double solveTForY(double y, double epsilon, const ControlPoints& points);

// The time fraction at which the curve has covered the position fraction, solved to a precision
// of one hundredth of a second over `duration` seconds.
double durationPercentageForPositionPercentage(const ios::CAMediaTimingFunction& function, double positionPercentage,
                                               double duration);

}  // namespace MarqueeLabelHelpers
