#pragma once
// Pixel probes for rendering tests: compare one pixel with an expected colour within a tolerance.

#include <cstdint>
#include <cstdlib>
#include <ostream>

#include <gtest/gtest.h>

#include "platform/graphics/UIImage.h"

namespace ios {
inline std::ostream& operator<<(std::ostream& os, const UIImage::RGBA& p) {
    return os << "rgba(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}
}  // namespace ios

namespace ios::testing {

// Colour components are compared only where the pixel is visible; a transparent pixel's colour
// carries no information.
inline ::testing::AssertionResult pixelNear(const UIImage::RGBA& actual, const UIImage::RGBA& expected,
                                            int tolerance = 3) {
    bool alphaOk = std::abs(int(actual.a) - int(expected.a)) <= tolerance;
    bool colourOk = expected.a == 0 || (std::abs(int(actual.r) - int(expected.r)) <= tolerance &&
                                        std::abs(int(actual.g) - int(expected.g)) <= tolerance &&
                                        std::abs(int(actual.b) - int(expected.b)) <= tolerance);
    if (alphaOk && colourOk) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

// An expected colour from components 0–255 (each clamped to that range).
inline UIImage::RGBA rgba(int r, int g, int b, int a = 255) {
    auto c = [](int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return {c(r), c(g), c(b), c(a)};
}

inline constexpr UIImage::RGBA kTransparent{0, 0, 0, 0};
inline constexpr UIImage::RGBA kOpaqueRed{255, 0, 0, 255};
inline constexpr UIImage::RGBA kOpaqueGreen{0, 255, 0, 255};
inline constexpr UIImage::RGBA kOpaqueBlue{0, 0, 255, 255};
inline constexpr UIImage::RGBA kOpaqueBlack{0, 0, 0, 255};
inline constexpr UIImage::RGBA kOpaqueWhite{255, 255, 255, 255};

}  // namespace ios::testing
