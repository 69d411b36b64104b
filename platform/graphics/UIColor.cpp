#include "platform/graphics/UIColor.h"

#include <algorithm>
#include <cmath>

namespace ios {

OBJC_CLASS_DEFINE(UIColor, objc::Object)

namespace {
double clamp01(double v) { return std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0); }
}  // namespace

void UIColor::init(double r, double g, double b, double a) {
    m_r = clamp01(r);
    m_g = clamp01(g);
    m_b = clamp01(b);
    m_a = clamp01(a);
}

objc::Ref<UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha) {
    return objc::make<UIColor>(red, green, blue, alpha);
}

objc::Ref<UIColor> UIColor::colorWithWhite(double white, double alpha) {
    return colorWithRed(white, white, white, alpha);
}

objc::Ref<UIColor> UIColor::colorWithHue(double hue, double saturation, double brightness, double alpha) {
    // Hue wraps: 0 and 1 are both red.
    double h = hue - std::floor(hue);
    if (hue >= 1.0 && h == 0.0) h = 0.0;
    double s = clamp01(saturation), v = clamp01(brightness);
    double sector = h * 6.0;
    int i = static_cast<int>(std::floor(sector)) % 6;
    double f = sector - std::floor(sector);
    double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r = 0, g = 0, b = 0;
    switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
    }
    return colorWithRed(r, g, b, alpha);
}

objc::Ref<UIColor> UIColor::whiteColor() { return colorWithRed(1, 1, 1, 1); }
objc::Ref<UIColor> UIColor::blackColor() { return colorWithRed(0, 0, 0, 1); }
objc::Ref<UIColor> UIColor::clearColor() { return colorWithRed(0, 0, 0, 0); }
objc::Ref<UIColor> UIColor::redColor() { return colorWithRed(1, 0, 0, 1); }
objc::Ref<UIColor> UIColor::orangeColor() { return colorWithRed(1, 0.5, 0, 1); }
objc::Ref<UIColor> UIColor::greenColor() { return colorWithRed(0, 1, 0, 1); }
objc::Ref<UIColor> UIColor::blueColor() { return colorWithRed(0, 0, 1, 1); }
objc::Ref<UIColor> UIColor::yellowColor() { return colorWithRed(1, 1, 0, 1); }
objc::Ref<UIColor> UIColor::grayColor() { return colorWithWhite(0.5, 1); }
objc::Ref<UIColor> UIColor::lightGrayColor() { return colorWithWhite(2.0 / 3.0, 1); }
objc::Ref<UIColor> UIColor::darkGrayColor() { return colorWithWhite(1.0 / 3.0, 1); }
objc::Ref<UIColor> UIColor::systemBlueColor() { return colorWithRed(0, 122.0 / 255, 1, 1); }

bool UIColor::getRed(double* r, double* g, double* b, double* a) const {
    if (r) *r = m_r;
    if (g) *g = m_g;
    if (b) *b = m_b;
    if (a) *a = m_a;
    return true;
}

bool UIColor::getHue(double* hue, double* saturation, double* brightness, double* alpha) const {
    double maxc = std::max({m_r, m_g, m_b}), minc = std::min({m_r, m_g, m_b});
    double delta = maxc - minc;
    double h = 0;
    if (delta > 0) {
        if (maxc == m_r)
            h = std::fmod((m_g - m_b) / delta, 6.0);
        else if (maxc == m_g)
            h = (m_b - m_r) / delta + 2;
        else
            h = (m_r - m_g) / delta + 4;
        h /= 6.0;
        if (h < 0) h += 1.0;
    }
    if (hue) *hue = h;
    if (saturation) *saturation = maxc > 0 ? delta / maxc : 0;
    if (brightness) *brightness = maxc;
    if (alpha) *alpha = m_a;
    return true;
}

objc::Ref<UIColor> UIColor::colorWithAlphaComponent(double alpha) const { return colorWithRed(m_r, m_g, m_b, alpha); }

bool UIColor::isEqual(const UIColor& o) const { return m_r == o.m_r && m_g == o.m_g && m_b == o.m_b && m_a == o.m_a; }

bool UIColor::isClose(const UIColor& o, double tol) const {
    return std::abs(m_r - o.m_r) <= tol && std::abs(m_g - o.m_g) <= tol && std::abs(m_b - o.m_b) <= tol &&
           std::abs(m_a - o.m_a) <= tol;
}

}  // namespace ios
