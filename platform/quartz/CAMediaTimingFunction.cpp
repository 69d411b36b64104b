#include "platform/quartz/CAMediaTimingFunction.h"

#include <algorithm>
#include <cmath>

namespace ios {

OBJC_CLASS_DEFINE(CAMediaTimingFunction, objc::Object)

objc::Ref<CAMediaTimingFunction> CAMediaTimingFunction::functionWithName(const std::string& name) {
    if (name == kCAMediaTimingFunctionLinear) return functionWithControlPoints(0, 0, 1, 1);
    if (name == kCAMediaTimingFunctionEaseIn) return functionWithControlPoints(0.42, 0, 1, 1);
    if (name == kCAMediaTimingFunctionEaseOut) return functionWithControlPoints(0, 0, 0.58, 1);
    if (name == kCAMediaTimingFunctionEaseInEaseOut) return functionWithControlPoints(0.42, 0, 0.58, 1);
    if (name == kCAMediaTimingFunctionDefault) return functionWithControlPoints(0.25, 0.1, 0.25, 1);
    return nullptr;
}

objc::Ref<CAMediaTimingFunction> CAMediaTimingFunction::functionWithControlPoints(double c1x, double c1y, double c2x,
                                                                                  double c2y) {
    return objc::make<CAMediaTimingFunction>(c1x, c1y, c2x, c2y);
}

void CAMediaTimingFunction::init(double c1x, double c1y, double c2x, double c2y) {
    // x must stay monotonic for the curve to be a function of time.
    m_c1x = std::clamp(c1x, 0.0, 1.0);
    m_c1y = c1y;
    m_c2x = std::clamp(c2x, 0.0, 1.0);
    m_c2y = c2y;
}

void CAMediaTimingFunction::getControlPointAtIndex(int index, double values[2]) const {
    switch (index) {
    case 0:
        values[0] = 0;
        values[1] = 0;
        break;
    case 1:
        values[0] = m_c1x;
        values[1] = m_c1y;
        break;
    case 2:
        values[0] = m_c2x;
        values[1] = m_c2y;
        break;
    case 3:
        values[0] = 1;
        values[1] = 1;
        break;
    default: break;
    }
}

void CAMediaTimingFunction::getControlPointAtIndex(int index, float values[2]) const {
    double v[2] = {values[0], values[1]};
    getControlPointAtIndex(index, v);
    values[0] = static_cast<float>(v[0]);
    values[1] = static_cast<float>(v[1]);
}

namespace {

// One coordinate of the cubic with end points 0 and 1: 3(1−t)²t·p1 + 3(1−t)t²·p2 + t³.
double bezier(double t, double p1, double p2) {
    double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}

double bezierSlope(double t, double p1, double p2) {
    double u = 1 - t;
    return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
}

}  // namespace

double CAMediaTimingFunction::progressAtTime(double x) const {
    if (!(x > 0)) return 0;  // also catches NaN
    if (x >= 1) return 1;
    // Newton from t = x, falling back to bisection where the slope is flat.
    double t = x;
    for (int i = 0; i < 8; ++i) {
        double error = bezier(t, m_c1x, m_c2x) - x;
        if (std::fabs(error) < 1e-12) return bezier(t, m_c1y, m_c2y);
        double slope = bezierSlope(t, m_c1x, m_c2x);
        if (std::fabs(slope) < 1e-9) break;
        t -= error / slope;
        if (t < 0 || t > 1) break;
    }
    double lo = 0, hi = 1;
    t = x;
    for (int i = 0; i < 100; ++i) {
        t = (lo + hi) / 2;
        double value = bezier(t, m_c1x, m_c2x);
        if (std::fabs(value - x) < 1e-12) break;
        (value < x ? lo : hi) = t;
    }
    return bezier(t, m_c1y, m_c2y);
}

}  // namespace ios
