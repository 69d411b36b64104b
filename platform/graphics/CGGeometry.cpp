#include "platform/graphics/CGGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace ios {

namespace {
constexpr CGFloat kInf = std::numeric_limits<CGFloat>::infinity();
constexpr CGFloat kHuge = std::numeric_limits<CGFloat>::max() / 4;

std::string num(CGFloat v) {
    std::ostringstream os;
    os << v;
    return os.str();
}
}  // namespace

const CGRect CGRectNull{{kInf, kInf}, {0, 0}};
const CGRect CGRectInfinite{{-kHuge, -kHuge}, {2 * kHuge, 2 * kHuge}};

CGRect CGRectStandardize(const CGRect& r) {
    CGRect s = r;
    if (s.size.width < 0) {
        s.origin.x += s.size.width;
        s.size.width = -s.size.width;
    }
    if (s.size.height < 0) {
        s.origin.y += s.size.height;
        s.size.height = -s.size.height;
    }
    return s;
}

CGFloat CGRectGetMinX(const CGRect& r) { return CGRectStandardize(r).origin.x; }
CGFloat CGRectGetMinY(const CGRect& r) { return CGRectStandardize(r).origin.y; }
CGFloat CGRectGetWidth(const CGRect& r) { return std::abs(r.size.width); }
CGFloat CGRectGetHeight(const CGRect& r) { return std::abs(r.size.height); }
CGFloat CGRectGetMaxX(const CGRect& r) { return CGRectGetMinX(r) + CGRectGetWidth(r); }
CGFloat CGRectGetMaxY(const CGRect& r) { return CGRectGetMinY(r) + CGRectGetHeight(r); }
CGFloat CGRectGetMidX(const CGRect& r) { return CGRectGetMinX(r) + CGRectGetWidth(r) / 2; }
CGFloat CGRectGetMidY(const CGRect& r) { return CGRectGetMinY(r) + CGRectGetHeight(r) / 2; }

bool CGRectIsNull(const CGRect& r) { return std::isinf(r.origin.x) || std::isinf(r.origin.y); }
bool CGRectIsEmpty(const CGRect& r) { return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0; }
bool CGRectIsInfinite(const CGRect& r) { return r == CGRectInfinite; }

CGRect CGRectIntegral(const CGRect& r) {
    if (CGRectIsNull(r)) return r;
    CGRect s = CGRectStandardize(r);
    CGFloat minX = std::floor(s.origin.x), minY = std::floor(s.origin.y);
    CGFloat maxX = std::ceil(s.origin.x + s.size.width), maxY = std::ceil(s.origin.y + s.size.height);
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy) {
    if (CGRectIsNull(r)) return r;
    CGRect s = CGRectStandardize(r);
    s.origin.x += dx;
    s.origin.y += dy;
    s.size.width -= 2 * dx;
    s.size.height -= 2 * dy;
    if (s.size.width < 0 || s.size.height < 0) return CGRectNull;
    return s;
}

CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy) {
    if (CGRectIsNull(r)) return r;
    CGRect s = CGRectStandardize(r);
    s.origin.x += dx;
    s.origin.y += dy;
    return s;
}

CGRect CGRectUnion(const CGRect& a, const CGRect& b) {
    if (CGRectIsNull(a)) return CGRectStandardize(b);
    if (CGRectIsNull(b)) return CGRectStandardize(a);
    CGFloat minX = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
    CGFloat minY = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
    CGFloat maxX = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
    CGFloat maxY = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

CGRect CGRectIntersection(const CGRect& a, const CGRect& b) {
    if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
    CGFloat minX = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
    CGFloat minY = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
    CGFloat maxX = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
    CGFloat maxY = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
    if (maxX < minX || maxY < minY) return CGRectNull;
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

bool CGRectIntersectsRect(const CGRect& a, const CGRect& b) { return !CGRectIsEmpty(CGRectIntersection(a, b)); }

bool CGRectContainsPoint(const CGRect& r, const CGPoint& p) {
    if (CGRectIsNull(r)) return false;
    return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}

bool CGRectContainsRect(const CGRect& outer, const CGRect& inner) {
    if (CGRectIsNull(outer) || CGRectIsNull(inner)) return false;
    return CGRectGetMinX(inner) >= CGRectGetMinX(outer) && CGRectGetMinY(inner) >= CGRectGetMinY(outer) &&
           CGRectGetMaxX(inner) <= CGRectGetMaxX(outer) && CGRectGetMaxY(inner) <= CGRectGetMaxY(outer);
}

bool CGRectEqualToRect(const CGRect& a, const CGRect& b) {
    if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectIsNull(a) && CGRectIsNull(b);
    return CGRectStandardize(a) == CGRectStandardize(b);
}

CGRect UIEdgeInsetsInsetRect(const CGRect& r, const UIEdgeInsets& i) {
    return {{r.origin.x + i.left, r.origin.y + i.top},
            {r.size.width - i.left - i.right, r.size.height - i.top - i.bottom}};
}

std::string NSStringFromCGPoint(const CGPoint& p) { return "{" + num(p.x) + ", " + num(p.y) + "}"; }
std::string NSStringFromCGSize(const CGSize& s) { return "{" + num(s.width) + ", " + num(s.height) + "}"; }
std::string NSStringFromCGRect(const CGRect& r) {
    return "{" + NSStringFromCGPoint(r.origin) + ", " + NSStringFromCGSize(r.size) + "}";
}

std::ostream& operator<<(std::ostream& os, const CGPoint& p) { return os << NSStringFromCGPoint(p); }
std::ostream& operator<<(std::ostream& os, const CGSize& s) { return os << NSStringFromCGSize(s); }
std::ostream& operator<<(std::ostream& os, const CGRect& r) { return os << NSStringFromCGRect(r); }

}  // namespace ios
