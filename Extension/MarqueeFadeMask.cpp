#include "Extension/MarqueeFadeMask.h"

#include "Extension/MarqueeLabel.h"
#include "Extension/MarqueeTimingCurves.h"
#include "platform/uikit/UIScreen.h"

using namespace ios;

std::vector<UIColorRef> MarqueeFadeMask::colors(bool leftClear, bool rightClear) {
    auto black = UIColor::blackColor();
    auto clear = UIColor::clearColor();
    return {leftClear ? clear : black, black, black, rightClear ? clear : black};
}

std::vector<UIColorRef> MarqueeFadeMask::restingColors(unsigned marqueeType, bool scrolls) {
    if (!scrolls) return colors(false, false);
    return MarqueeTimingCurves::startsOnTheRight(marqueeType) ? colors(true, false) : colors(false, true);
}

objc::Ref<CAGradientLayer> MarqueeFadeMask::makeLayer() {
    auto mask = CAGradientLayer::layer();
    mask->setShouldRasterize(true);
    mask->setRasterizationScale(UIScreen::mainScreen()->scale());
    mask->setStartPoint(CGPoint{0, 0.5});
    mask->setEndPoint(CGPoint{1, 0.5});
    return mask;
}

std::vector<double> MarqueeFadeMask::locations(double fadeLength, double width) {
    const double fraction = fadeLength / width;
    return {double(0.0f), fraction, 1 - fraction, double(1.0f)};
}

std::vector<CAValue> MarqueeFadeMask::fadeValues(unsigned marqueeType, const CAValue& current) {
    const CAValue right = colors(false, true);
    const CAValue left = colors(true, false);
    const CAValue both = colors(true, true);
    switch (marqueeType) {
    case MLRightLeft: return {current, left, both, both, right, right, both, both, left};
    case MLContinuous: return {current, right, both, both, right, right};
    case MLContinuousReverse: return {current, left, both, both, left, left};
    case MLLeft: return {current, right, both, both, left, left};
    case MLRight: return {current, left, both, both, right, right};
    default: return {current, right, both, both, left, left, both, both, right};
    }
}
