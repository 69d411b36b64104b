#pragma once
// A text box's position: centre, bounds and affine transform, and the font size the box had
// there (0: not recorded).

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"

class FlintDrawingLabelViewTransform : public objc::Object {
    OBJC_CLASS_DECLARE(FlintDrawingLabelViewTransform)
public:
    static objc::Ref<FlintDrawingLabelViewTransform> transform(const ios::CGAffineTransform& transform,
                                                               ios::CGPoint center, const ios::CGRect& bounds);
    ios::CGPoint center() const { return m_center; }
    void setCenter(ios::CGPoint c) { m_center = c; }
    const ios::CGRect& bounds() const { return m_bounds; }
    void setBounds(const ios::CGRect& b) { m_bounds = b; }
    const ios::CGAffineTransform& transform() const { return m_transform; }
    void setTransform(const ios::CGAffineTransform& t) { m_transform = t; }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size) { m_fontSize = size; }

protected:
    FlintDrawingLabelViewTransform() = default;

private:
    ios::CGPoint m_center{};
    ios::CGRect m_bounds{};
    ios::CGAffineTransform m_transform{};
    double m_fontSize = 0;
};
