#include "drawing/UITextFieldDynamicFontSize.h"

#include <algorithm>
#include <cmath>

#include "drawing/FlintDrawingLabelView.h"
#include "platform/text/NSStringDrawing.h"

using namespace ios;

namespace flint_text_field {

std::string measuredText(const UITextField& field) {
    if (!field.text().empty()) return field.text();
    if (field.attributedPlaceholder()) return field.attributedPlaceholder()->string;
    if (field.placeholder()) return *field.placeholder();
    return field.text();
}

}  // namespace flint_text_field

namespace {

objc::Ref<UIFont> fontNamed(const objc::Ref<UIFont>& current, CGFloat size) {
    objc::Ref<UIFont> font = current ? UIFont::fontWithName(current->fontName(), size) : nullptr;
    return font ? font : UIFont::systemFontOfSize(size);
}

}  // namespace

void adjustsFontSizeToFillRect(UITextField& field, const CGRect& rect) {
    std::string s = flint_text_field::measuredText(field);
    int found = 0;
    for (int n = 101; n >= 10; --n) {
        NSStringAttributes attributes;
        attributes.font = fontNamed(field.font(), n);
        CGRect measured =
            NSStringBoundingRectWithSize(s, {rect.size.width, 1e9}, NSStringDrawingUsesLineFragmentOrigin, attributes);
        if (measured.size.height <= rect.size.height) {
            found = n;
            break;
        }
    }
    if (!found) return;
    if (auto* box = dynamic_cast<FlintDrawingLabelView*>(field.superview())) box->setFontSize(found - 1);
}

void adjustsWidthToFillItsContents(UITextField& field) {
    std::string s = flint_text_field::measuredText(field) + "xx";
    NSStringAttributes attributes;
    attributes.font = field.font();
    CGRect measured = NSStringBoundingRectWithSize(s, {1e9, field.frame().size.height - 24}, 0, attributes);
    float w = std::ceil(static_cast<float>(measured.size.width)) + 24.0f;
    if (w < 50) w = static_cast<float>(field.frame().size.width);
    auto* box = field.superview();
    if (!box) return;
    CGRect bounds = box->bounds();
    bounds.size.width = w + 24;
    bounds.size.height = std::max(std::ceil(measured.size.height) + 24, 50.0);
    box->setBounds(bounds);
}
