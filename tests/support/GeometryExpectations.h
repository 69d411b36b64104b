#pragma once
// Points and rectangles worked out in floating point, compared component by component within a
// tolerance (a millionth of a point unless stated).

#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/CGGeometry.h"

namespace flint::testing {

inline ::testing::AssertionResult pointNear(const ios::CGPoint& actual, const ios::CGPoint& expected,
                                            double tolerance = 1e-6) {
    if (std::abs(actual.x - expected.x) <= tolerance && std::abs(actual.y - expected.y) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected << " (± " << tolerance << ")";
}

inline ::testing::AssertionResult rectNear(const ios::CGRect& actual, const ios::CGRect& expected,
                                           double tolerance = 1e-6) {
    const double d[] = {actual.origin.x - expected.origin.x, actual.origin.y - expected.origin.y,
                        actual.size.width - expected.size.width, actual.size.height - expected.size.height};
    for (double v : d)
        if (!(std::abs(v) <= tolerance))
            return ::testing::AssertionFailure() << actual << " is not " << expected << " (± " << tolerance << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace flint::testing
