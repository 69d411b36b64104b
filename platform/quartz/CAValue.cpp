#include "platform/quartz/CAValue.h"

#include <cmath>

namespace ios {

double CAValue::number(double fallback) const {
    const double* v = get<double>();
    return v ? *v : fallback;
}
CGPoint CAValue::point(CGPoint fallback) const {
    const CGPoint* v = get<CGPoint>();
    return v ? *v : fallback;
}
CGSize CAValue::size(CGSize fallback) const {
    const CGSize* v = get<CGSize>();
    return v ? *v : fallback;
}
CGRect CAValue::rect(CGRect fallback) const {
    const CGRect* v = get<CGRect>();
    return v ? *v : fallback;
}
CATransform3D CAValue::transform(const CATransform3D& fallback) const {
    const CATransform3D* v = get<CATransform3D>();
    return v ? *v : fallback;
}
UIColorRef CAValue::color() const {
    const UIColorRef* v = get<UIColorRef>();
    return v ? *v : nullptr;
}
CAValue::Colors CAValue::colors() const {
    const Colors* v = get<Colors>();
    return v ? *v : Colors{};
}
CAValue::Numbers CAValue::numbers() const {
    const Numbers* v = get<Numbers>();
    return v ? *v : Numbers{};
}

namespace {

bool sameColor(const UIColorRef& a, const UIColorRef& b) {
    if (!a || !b) return !a && !b;
    return a->isEqual(*b);
}

double lerp(double a, double b, double f) { return a + (b - a) * f; }

UIColorRef lerpColor(const UIColorRef& a, const UIColorRef& b, double f) {
    // A missing colour is transparent, with the other end's hue so the fade does not darken.
    double ar = a ? a->red() : (b ? b->red() : 0), ag = a ? a->green() : (b ? b->green() : 0);
    double ab = a ? a->blue() : (b ? b->blue() : 0), aa = a ? a->alpha() : 0;
    double br = b ? b->red() : ar, bg = b ? b->green() : ag, bb = b ? b->blue() : ab, ba = b ? b->alpha() : 0;
    return UIColor::colorWithRed(lerp(ar, br, f), lerp(ag, bg, f), lerp(ab, bb, f), lerp(aa, ba, f));
}

}  // namespace

bool CAValue::isEqual(const CAValue& other) const {
    if (m_v.index() != other.m_v.index()) return false;
    if (auto c = get<UIColorRef>()) return sameColor(*c, *other.get<UIColorRef>());
    if (auto c = get<Colors>()) {
        const Colors& o = *other.get<Colors>();
        if (c->size() != o.size()) return false;
        for (std::size_t i = 0; i < c->size(); ++i)
            if (!sameColor((*c)[i], o[i])) return false;
        return true;
    }
    return m_v == other.m_v;
}

CAValue CAValueInterpolate(const CAValue& from, const CAValue& to, double f) {
    if (f <= 0 && !from.isNone()) return from;
    if (f >= 1 && !to.isNone()) return to;
    // A none colour meets a colour: fade through transparency.
    bool fromColorish = from.isNone() || from.holds<UIColorRef>();
    bool toColorish = to.isNone() || to.holds<UIColorRef>();
    if (fromColorish && toColorish && !(from.isNone() && to.isNone())) return lerpColor(from.color(), to.color(), f);
    if (from.storage().index() != to.storage().index()) return f < 0.5 ? from : to;

    if (auto a = from.get<double>()) return lerp(*a, *to.get<double>(), f);
    if (auto a = from.get<CGPoint>()) {
        auto b = *to.get<CGPoint>();
        return CGPoint{lerp(a->x, b.x, f), lerp(a->y, b.y, f)};
    }
    if (auto a = from.get<CGSize>()) {
        auto b = *to.get<CGSize>();
        return CGSize{lerp(a->width, b.width, f), lerp(a->height, b.height, f)};
    }
    if (auto a = from.get<CGRect>()) {
        auto b = *to.get<CGRect>();
        return CGRect{{lerp(a->origin.x, b.origin.x, f), lerp(a->origin.y, b.origin.y, f)},
                      {lerp(a->size.width, b.size.width, f), lerp(a->size.height, b.size.height, f)}};
    }
    if (auto a = from.get<CATransform3D>()) return CATransform3DInterpolate(*a, *to.get<CATransform3D>(), f);
    if (auto a = from.get<CAValue::Colors>()) {
        const auto& b = *to.get<CAValue::Colors>();
        if (a->size() != b.size()) return f < 0.5 ? from : to;
        CAValue::Colors out(a->size());
        for (std::size_t i = 0; i < a->size(); ++i) out[i] = lerpColor((*a)[i], b[i], f);
        return out;
    }
    if (auto a = from.get<CAValue::Numbers>()) {
        const auto& b = *to.get<CAValue::Numbers>();
        if (a->size() != b.size()) return f < 0.5 ? from : to;
        CAValue::Numbers out(a->size());
        for (std::size_t i = 0; i < a->size(); ++i) out[i] = lerp((*a)[i], b[i], f);
        return out;
    }
    return f < 0.5 ? from : to;
}

namespace {

CAValue combine(const CAValue& a, const CAValue& b, double sign) {
    if (a.storage().index() != b.storage().index()) return b;
    if (auto x = a.get<double>()) return *x + sign * *b.get<double>();
    if (auto x = a.get<CGPoint>()) {
        auto y = *b.get<CGPoint>();
        return CGPoint{x->x + sign * y.x, x->y + sign * y.y};
    }
    if (auto x = a.get<CGSize>()) {
        auto y = *b.get<CGSize>();
        return CGSize{x->width + sign * y.width, x->height + sign * y.height};
    }
    if (auto x = a.get<CGRect>()) {
        auto y = *b.get<CGRect>();
        return CGRect{{x->origin.x + sign * y.origin.x, x->origin.y + sign * y.origin.y},
                      {x->size.width + sign * y.size.width, x->size.height + sign * y.size.height}};
    }
    if (auto x = a.get<CATransform3D>()) {
        const CATransform3D& y = *b.get<CATransform3D>();
        return CATransform3DConcat(*x, sign > 0 ? y : CATransform3DInvert(y));
    }
    if (auto x = a.get<UIColorRef>()) {
        UIColorRef c = *x, d = *b.get<UIColorRef>();
        if (!c || !d) return b;
        return UIColor::colorWithRed(c->red() + sign * d->red(), c->green() + sign * d->green(),
                                     c->blue() + sign * d->blue(), c->alpha() + sign * d->alpha());
    }
    if (auto x = a.get<CAValue::Numbers>()) {
        const auto& y = *b.get<CAValue::Numbers>();
        if (x->size() != y.size()) return b;
        CAValue::Numbers out(x->size());
        for (std::size_t i = 0; i < x->size(); ++i) out[i] = (*x)[i] + sign * y[i];
        return out;
    }
    return b;
}

}  // namespace

CAValue CAValueAdd(const CAValue& a, const CAValue& b) { return combine(a, b, 1); }
CAValue CAValueSubtract(const CAValue& a, const CAValue& b) { return combine(a, b, -1); }

}  // namespace ios
