#pragma once
// Points, sizes and rectangles in points, origin top-left, y down. Rectangles may carry negative
// sizes; every function here reads them standardised (origin at the minimum corner), as the
// platform does. The null rectangle (CGRectNull) is the result of an empty intersection.

#include <ostream>
#include <string>

namespace ios {

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGVector {
    CGFloat dx = 0;
    CGFloat dy = 0;
    friend bool operator==(const CGVector&, const CGVector&) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    friend bool operator==(const CGRect&, const CGRect&) = default;
};

struct UIEdgeInsets {
    CGFloat top = 0, left = 0, bottom = 0, right = 0;
    friend bool operator==(const UIEdgeInsets&, const UIEdgeInsets&) = default;
};

inline constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline constexpr CGSize CGSizeMake(CGFloat w, CGFloat h) { return {w, h}; }
inline constexpr CGVector CGVectorMake(CGFloat dx, CGFloat dy) { return {dx, dy}; }
inline constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return {{x, y}, {w, h}}; }
inline constexpr UIEdgeInsets UIEdgeInsetsMake(CGFloat t, CGFloat l, CGFloat b, CGFloat r) { return {t, l, b, r}; }

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};
extern const CGRect CGRectNull;      // origin at +infinity, size 0
extern const CGRect CGRectInfinite;  // covers the whole plane
inline constexpr UIEdgeInsets UIEdgeInsetsZero{};

CGFloat CGRectGetMinX(const CGRect& r);
CGFloat CGRectGetMidX(const CGRect& r);
CGFloat CGRectGetMaxX(const CGRect& r);
CGFloat CGRectGetMinY(const CGRect& r);
CGFloat CGRectGetMidY(const CGRect& r);
CGFloat CGRectGetMaxY(const CGRect& r);
CGFloat CGRectGetWidth(const CGRect& r);   // always >= 0
CGFloat CGRectGetHeight(const CGRect& r);  // always >= 0

CGRect CGRectStandardize(const CGRect& r);
bool CGRectIsNull(const CGRect& r);
bool CGRectIsEmpty(const CGRect& r);  // null, or zero width or height
bool CGRectIsInfinite(const CGRect& r);
// The smallest rectangle with integral origin and size that contains r.
CGRect CGRectIntegral(const CGRect& r);
// Shrinks each side by dx (left and right) and dy (top and bottom); null when nothing remains.
CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy);
CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy);
// Null operands are ignored: the union of null and r is r.
CGRect CGRectUnion(const CGRect& a, const CGRect& b);
// Null when the rectangles do not meet; rectangles that only touch give a zero-size result.
CGRect CGRectIntersection(const CGRect& a, const CGRect& b);
bool CGRectIntersectsRect(const CGRect& a, const CGRect& b);
// Min edges inclusive, max edges exclusive.
bool CGRectContainsPoint(const CGRect& r, const CGPoint& p);
bool CGRectContainsRect(const CGRect& outer, const CGRect& inner);
bool CGRectEqualToRect(const CGRect& a, const CGRect& b);  // compares standardised rectangles
inline bool CGPointEqualToPoint(const CGPoint& a, const CGPoint& b) { return a == b; }
inline bool CGSizeEqualToSize(const CGSize& a, const CGSize& b) { return a == b; }

CGRect UIEdgeInsetsInsetRect(const CGRect& r, const UIEdgeInsets& insets);

// "{x, y}", "{w, h}", "{{x, y}, {w, h}}" as the platform prints them.
std::string NSStringFromCGPoint(const CGPoint& p);
std::string NSStringFromCGSize(const CGSize& s);
std::string NSStringFromCGRect(const CGRect& r);

std::ostream& operator<<(std::ostream& os, const CGPoint& p);
std::ostream& operator<<(std::ostream& os, const CGSize& s);
std::ostream& operator<<(std::ostream& os, const CGRect& r);

}  // namespace ios
