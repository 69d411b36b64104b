#pragma once
// Colours as RGBA components (fractions of 1, sRGB), with the platform's HSB conversions.

#include "platform/objc/Runtime.h"

namespace ios {

class UIColor : public objc::Object {
    OBJC_CLASS_DECLARE(UIColor)
public:
    static objc::Ref<UIColor> colorWithRed(double red, double green, double blue, double alpha);
    static objc::Ref<UIColor> colorWithWhite(double white, double alpha);
    static objc::Ref<UIColor> colorWithHue(double hue, double saturation, double brightness, double alpha);
    static objc::Ref<UIColor> whiteColor();
    static objc::Ref<UIColor> blackColor();
    static objc::Ref<UIColor> clearColor();
    static objc::Ref<UIColor> redColor();
    static objc::Ref<UIColor> orangeColor();
    static objc::Ref<UIColor> greenColor();
    static objc::Ref<UIColor> blueColor();
    static objc::Ref<UIColor> yellowColor();
    static objc::Ref<UIColor> grayColor();       // white 0.5
    static objc::Ref<UIColor> lightGrayColor();  // white 2/3
    static objc::Ref<UIColor> darkGrayColor();   // white 1/3
    // The default tint of controls.
    static objc::Ref<UIColor> systemBlueColor();

    double red() const { return m_r; }
    double green() const { return m_g; }
    double blue() const { return m_b; }
    double alpha() const { return m_a; }
    bool getRed(double* r, double* g, double* b, double* a) const;
    // False where the colour has no hue representation (the platform's pattern colours; every
    // RGBA colour here has one).
    bool getHue(double* hue, double* saturation, double* brightness, double* alpha) const;
    objc::Ref<UIColor> colorWithAlphaComponent(double alpha) const;

    bool isEqual(const UIColor& other) const;
    // Equal within one 8-bit step per component, for comparing rendered or parsed colours.
    bool isClose(const UIColor& other, double tolerance = 1.0 / 255) const;

    void init(double r, double g, double b, double a);

protected:
    UIColor() = default;

private:
    double m_r = 0, m_g = 0, m_b = 0, m_a = 1;
};

using UIColorRef = objc::Ref<UIColor>;

}  // namespace ios
