#pragma once
// The fade mask of a marquee: a horizontal gradient over the label whose end colours are clear
// where the text fades out, and the colour sets its fade animations pass through.

#include <vector>

#include "platform/quartz/CAGradientLayer.h"

class MarqueeFadeMask {
public:
    // Black (shown) stops with the left and/or right end clear (faded).
    static std::vector<ios::UIColorRef> colors(bool leftClear, bool rightClear);
    // The colours at rest: both ends shown when the text does not scroll, else the end the text
    // leaves by faded.
    static std::vector<ios::UIColorRef> restingColors(unsigned marqueeType, bool scrolls);
    // A new mask layer: running left to right, rasterised at the main screen's scale.
    static objc::Ref<ios::CAGradientLayer> makeLayer();
    // The gradient's stops for a fade of `fadeLength` points at each end of `width`.
    static std::vector<double> locations(double fadeLength, double width);
    // The colour sets of a type's fade animation, from `current` on (one per fade key time).
    static std::vector<ios::CAValue> fadeValues(unsigned marqueeType, const ios::CAValue& current);
};
