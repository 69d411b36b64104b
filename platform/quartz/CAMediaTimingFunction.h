#pragma once
// Timing functions: cubic Bézier curves from (0, 0) to (1, 1) through two control points, x the
// fraction of time and y the fraction of progress.

#include <string>

#include "platform/objc/Runtime.h"

namespace ios {

inline const std::string kCAMediaTimingFunctionLinear = "linear";
inline const std::string kCAMediaTimingFunctionEaseIn = "easeIn";
inline const std::string kCAMediaTimingFunctionEaseOut = "easeOut";
inline const std::string kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline const std::string kCAMediaTimingFunctionDefault = "default";

class CAMediaTimingFunction : public objc::Object {
    OBJC_CLASS_DECLARE(CAMediaTimingFunction)
public:
    // One of the kCAMediaTimingFunction… names; an unknown name gives none.
    static objc::Ref<CAMediaTimingFunction> functionWithName(const std::string& name);
    static objc::Ref<CAMediaTimingFunction> functionWithControlPoints(double c1x, double c1y, double c2x, double c2y);

    // Index 0 is (0, 0), 1 and 2 the control points, 3 is (1, 1); other indices leave values alone.
    void getControlPointAtIndex(int index, float values[2]) const;
    void getControlPointAtIndex(int index, double values[2]) const;

    // Progress (y) at the time fraction x in [0, 1] (clamped): solves x(t) = x on the curve, then
    // evaluates y(t).
    double progressAtTime(double x) const;

    void init(double c1x, double c1y, double c2x, double c2y);

protected:
    CAMediaTimingFunction() = default;

private:
    double m_c1x = 0, m_c1y = 0, m_c2x = 1, m_c2y = 1;
};

using CAMediaTimingFunctionRef = objc::Ref<CAMediaTimingFunction>;

}  // namespace ios
