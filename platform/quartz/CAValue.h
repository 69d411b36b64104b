#pragma once
// The values animations carry: numbers, points, sizes, rectangles, 3D transforms, colours and
// lists of colours or numbers (a gradient's colours and locations). Interpolation and addition
// follow the kind of the value; a pair of values of different kinds does not interpolate and
// jumps at the half-way point.

#include <variant>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/quartz/CATransform3D.h"

namespace ios {

class CAValue {
public:
    using Colors = std::vector<UIColorRef>;
    using Numbers = std::vector<double>;
    using Storage =
        std::variant<std::monostate, double, CGPoint, CGSize, CGRect, CATransform3D, UIColorRef, Colors, Numbers>;

    CAValue() = default;
    CAValue(std::nullptr_t) {}
    CAValue(double v) : m_v(v) {}
    CAValue(float v) : m_v(double{v}) {}
    CAValue(int v) : m_v(double(v)) {}
    CAValue(CGPoint v) : m_v(v) {}
    CAValue(CGSize v) : m_v(v) {}
    CAValue(CGRect v) : m_v(v) {}
    CAValue(const CATransform3D& v) : m_v(v) {}
    CAValue(UIColorRef v) : m_v(std::move(v)) {}
    CAValue(Colors v) : m_v(std::move(v)) {}
    CAValue(Numbers v) : m_v(std::move(v)) {}

    bool isNone() const { return std::holds_alternative<std::monostate>(m_v); }
    explicit operator bool() const { return !isNone(); }
    template <class T>
    const T* get() const {
        return std::get_if<T>(&m_v);
    }
    template <class T>
    bool holds() const {
        return std::holds_alternative<T>(m_v);
    }
    const Storage& storage() const { return m_v; }

    // Typed reads with a fallback for another kind.
    double number(double fallback = 0) const;
    CGPoint point(CGPoint fallback = {}) const;
    CGSize size(CGSize fallback = {}) const;
    CGRect rect(CGRect fallback = {}) const;
    CATransform3D transform(const CATransform3D& fallback = CATransform3DIdentity) const;
    UIColorRef color() const;
    Colors colors() const;
    Numbers numbers() const;

    // Same kind and equal contents (colours by components).
    bool isEqual(const CAValue& other) const;

private:
    Storage m_v;
};

// from + (to − from)·fraction. A none colour counts as clear; lists of different lengths jump.
CAValue CAValueInterpolate(const CAValue& from, const CAValue& to, double fraction);
// a + b; transforms concatenate (a first, then b). Kinds that do not add give b.
CAValue CAValueAdd(const CAValue& a, const CAValue& b);
// a − b, the inverse of CAValueAdd (for a "by" that ends at "to").
CAValue CAValueSubtract(const CAValue& a, const CAValue& b);

}  // namespace ios
