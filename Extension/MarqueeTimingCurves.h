#pragma once
// The timing of a marquee's key-frame animations: the curve every segment follows, and the key
// times at which the segments meet, as fractions of the animation's length, for the three
// families of scroll types. `interval` is a leg's scroll time, `delay` the wait before it.

#include <limits>
#include <vector>

#include "platform/quartz/CAMediaTimingFunction.h"

enum class MarqueeFamily {
    Left,          // MLLeft, MLRight: one leg and then at rest for good
    Continuous,    // MLContinuous, MLContinuousReverse: one leg, repeated
    BackAndForth,  // MLLeftRight, MLRightLeft: away and back
};

class MarqueeTimingCurves {
public:
    // The length of an animation that never ends.
    static constexpr double kForever = std::numeric_limits<double>::max();

    static MarqueeFamily familyOf(unsigned marqueeType);
    // Right-aligned at rest, so the text fades in on the left first (MLRightLeft,
    // MLContinuousReverse, MLRight).
    static bool startsOnTheRight(unsigned marqueeType);

    // The curve of an animation option (ease-in, ease-out, ease-in-out; anything else linear).
    static ios::CAMediaTimingFunctionRef timingFunctionForAnimationOptions(unsigned options);

    // The position animation: rest, leg (and back) — 4, 3 or 5 key times by family. A single leg
    // that stays put is spread over the largest double, so it never repeats.
    static std::vector<double> positionKeyTimes(MarqueeFamily family, double interval, double delay);
    // The fade animation: the edges change at each end of a leg. `continuousFadeOutAt` is the
    // fraction of the leg (continuous types only) at which the first copy's end has come in.
    static std::vector<double> fadeKeyTimes(MarqueeFamily family, double interval, double delay,
                                            double continuousFadeOutAt);
};
