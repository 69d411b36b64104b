#pragma once
// The text field's DynamicFontSize extension: operations that size a text box (the field's
// superview, a FlintDrawingLabelView) to the field's text.

#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UITextField.h"

namespace flint_text_field {

// The text measured: the field's text, or its placeholder when the text is empty.
std::string measuredText(const ios::UITextField& field);

}  // namespace flint_text_field

// The largest font (sizes 101 down to 10) whose wrapped text fits the rectangle's height sets the
// box's fontSize to that size − 1; nothing changes when even 10 does not fit.
void adjustsFontSizeToFillRect(ios::UITextField& field, const ios::CGRect& rect);
// Sizes the box to the text plus "xx" on one line: width ⌈w⌉ + 24 (the field's present width when
// that is under 50) plus 24, height max(⌈h⌉ + 24, 50), keeping the bounds origin.
void adjustsWidthToFillItsContents(ios::UITextField& field);
