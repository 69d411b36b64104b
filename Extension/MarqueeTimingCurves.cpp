#include "Extension/MarqueeTimingCurves.h"

#include "Extension/MarqueeLabel.h"
#include "platform/uikit/UIView.h"

using namespace ios;

MarqueeFamily MarqueeTimingCurves::familyOf(unsigned marqueeType) {
    switch (marqueeType) {
    case MLLeft:
    case MLRight: return MarqueeFamily::Left;
    case MLContinuous:
    case MLContinuousReverse: return MarqueeFamily::Continuous;
    default: return MarqueeFamily::BackAndForth;
    }
}

bool MarqueeTimingCurves::startsOnTheRight(unsigned marqueeType) {
    return marqueeType == MLRightLeft || marqueeType == MLContinuousReverse || marqueeType == MLRight;
}

CAMediaTimingFunctionRef MarqueeTimingCurves::timingFunctionForAnimationOptions(unsigned options) {
    switch (options) {
    case UIViewAnimationOptionCurveEaseOut:
        return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    case UIViewAnimationOptionCurveEaseIn: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    case UIViewAnimationOptionCurveEaseInOut:
        return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    default: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    }
}

std::vector<double> MarqueeTimingCurves::positionKeyTimes(MarqueeFamily family, double i, double d) {
    const double t = i + d;
    switch (family) {
    case MarqueeFamily::Left: {
        const double D = kForever;
        return {0.0, d / D, t / D, 1.0};
    }
    case MarqueeFamily::Continuous: return {0.0, d / t, 1.0};
    case MarqueeFamily::BackAndForth: break;
    }
    const double T = 2 * t;
    return {0.0, d / T, t / T, (t + d) / T, 1.0};
}

std::vector<double> MarqueeTimingCurves::fadeKeyTimes(MarqueeFamily family, double i, double d, double p) {
    const double t = i + d;
    const double F = MarqueeLabel::kFadeChangeDuration;
    switch (family) {
    case MarqueeFamily::Left: {
        const double D = kForever;
        return {0.0, d / D, (d + F) / D, (t - F) / D, t / D, 1.0};
    }
    case MarqueeFamily::Continuous:
        return {0.0,
                d / t,
                (d + MarqueeLabel::kContinuousFadeInDuration) / t,
                (p * i + d) / t,
                (p * i + d + MarqueeLabel::kContinuousFadeOutDuration) / t,
                1.0};
    case MarqueeFamily::BackAndForth: break;
    }
    const double T = 2 * t;
    return {0.0, d / T, (d + F) / T, (t - F) / T, t / T, (t + d) / T, (t + d + F) / T, (T - F) / T, 1.0};
}
