#include "platform/uikit/UITextField.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/uikit/NSValueBox.h"

namespace ios {

OBJC_CLASS_DEFINE(UITextField, UIControl)

namespace {

// Removes the last UTF-8 character.
void popCharacter(std::string& s) {
    while (!s.empty()) {
        unsigned char c = static_cast<unsigned char>(s.back());
        s.pop_back();
        if ((c & 0xC0) != 0x80) break;
    }
}

}  // namespace

void UITextField::init(const CGRect& frame) {
    UIControl::init(frame);
    m_font = UIFont::systemFontOfSize(kTextFieldFontSize);
    m_textColor = UIColor::blackColor();
    setOpaque(false);
}

void UITextField::setText(const std::optional<std::string>& text) {
    m_text = text.value_or("");
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

void UITextField::setPlaceholder(const std::optional<std::string>& placeholder) {
    m_placeholder = placeholder;
    m_attributedPlaceholder.reset();
    if (placeholder) m_attributedPlaceholder = NSAttributedPlaceholder{*placeholder, nullptr, nullptr};
    setNeedsDisplay();
}

void UITextField::setAttributedPlaceholder(const std::optional<NSAttributedPlaceholder>& placeholder) {
    m_attributedPlaceholder = placeholder;
    m_placeholder = placeholder ? std::optional<std::string>(placeholder->string) : std::nullopt;
    setNeedsDisplay();
}

void UITextField::setFont(objc::Ref<UIFont> font) {
    m_font = font ? std::move(font) : UIFont::systemFontOfSize(kTextFieldFontSize);
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

void UITextField::setTextColor(UIColorRef color) {
    m_textColor = color ? std::move(color) : UIColor::blackColor();
    setNeedsDisplay();
}

void UITextField::setTextAlignment(NSTextAlignment alignment) {
    m_alignment = alignment;
    setNeedsDisplay();
}

bool UITextField::askDelegate(const char* selector, bool fallback) {
    objc::id d = m_delegate.lock();
    objc::SEL sel = objc::sel(selector);
    if (!d || !objc::respondsToSelector(d.get(), sel)) return fallback;
    // A BOOL answer comes boxed; no answer is NO, as in the platform.
    return NSValueBoxUnbox(objc::msgSend(d, sel, shared_from_this())).boolValue();
}

void UITextField::tellDelegate(const char* selector) {
    objc::id d = m_delegate.lock();
    objc::SEL sel = objc::sel(selector);
    if (d && objc::respondsToSelector(d.get(), sel)) objc::msgSend(d, sel, shared_from_this());
}

bool UITextField::canBecomeFirstResponder() const { return isEnabled(); }

bool UITextField::becomeFirstResponder() {
    if (m_editing) return true;
    if (!canBecomeFirstResponder()) return false;
    auto keep = shared_from_this();
    if (!askDelegate("textFieldShouldBeginEditing:", true)) return false;
    if (!UIControl::becomeFirstResponder()) return false;
    m_editing = true;
    setNeedsDisplay();
    tellDelegate("textFieldDidBeginEditing:");
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    return true;
}

bool UITextField::resignFirstResponder() {
    if (!m_editing) return UIControl::resignFirstResponder();
    auto keep = shared_from_this();
    if (!askDelegate("textFieldShouldEndEditing:", true)) return false;
    if (!UIControl::resignFirstResponder()) return false;
    m_editing = false;
    setNeedsDisplay();
    tellDelegate("textFieldDidEndEditing:");
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    return true;
}

void UITextField::insertText(const std::string& text) {
    auto keep = shared_from_this();
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t newline = text.find('\n', start);
        std::string piece = text.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
        if (!piece.empty()) {
            m_text += piece;
            invalidateIntrinsicContentSize();
            setNeedsDisplay();
            sendActionsForControlEvents(UIControlEventEditingChanged);
        }
        if (newline == std::string::npos) break;
        // Return: one line only, so it asks the delegate and ends on exit.
        if (askDelegate("textFieldShouldReturn:", true)) sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
        start = newline + 1;
    }
}

void UITextField::deleteBackward() {
    if (m_text.empty()) return;
    popCharacter(m_text);
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
    sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::endTrackingWithTouch(const UITouch* touch, const UIEvent*) {
    // A tap that lifts on the field starts editing.
    if (touch && CGRectContainsPoint(bounds(), touch->locationInView(this))) becomeFirstResponder();
}

CGSize UITextField::measure(const std::string& text, const objc::Ref<UIFont>& font) const {
    NSStringAttributes attributes;
    attributes.font = font ? font : m_font;
    return NSStringSizeWithAttributes(text, attributes);
}

CGRect UITextField::textRectForBounds(const CGRect& b) const {
    return CGRectInset(b, std::min(kTextFieldHorizontalInset, b.size.width / 2), 0);
}

CGRect UITextField::caretRect() const {
    CGRect area = textRectForBounds(bounds());
    CGSize size = measure(m_text.empty() ? std::string("X") : m_text, m_font);
    double width = m_text.empty() ? 0 : std::min(size.width, area.size.width);
    double x = area.origin.x + width;
    if (m_alignment == NSTextAlignment::Center)
        x = CGRectGetMidX(area) + width / 2;
    else if (m_alignment == NSTextAlignment::Right)
        x = CGRectGetMaxX(area);
    return CGRectMake(x, CGRectGetMidY(area) - m_font->lineHeight() / 2, kTextFieldCaretWidth, m_font->lineHeight());
}

CGSize UITextField::intrinsicContentSize() const {
    std::string shown = m_text.empty() && m_placeholder ? *m_placeholder : m_text;
    CGSize size = measure(shown.empty() ? std::string(" ") : shown, m_font);
    return CGSizeMake(std::ceil(size.width) + 2 * kTextFieldHorizontalInset, std::ceil(m_font->lineHeight()));
}

void UITextField::drawRect(const CGRect&) {
    CGContext* context = UIGraphicsGetCurrentContext();
    if (!context) return;
    CGRect area = textRectForBounds(bounds());
    NSStringAttributes attributes;
    bool placeholder = m_text.empty() && m_attributedPlaceholder;
    std::string shown = m_text;
    if (placeholder) {
        shown = m_attributedPlaceholder->string;
        attributes.font = m_attributedPlaceholder->font ? m_attributedPlaceholder->font : m_font;
        attributes.foregroundColor = m_attributedPlaceholder->foregroundColor ? m_attributedPlaceholder->foregroundColor
                                                                              : UIColor::colorWithWhite(0.7, 1);
    } else {
        attributes.font = m_font;
        attributes.foregroundColor = m_textColor;
    }
    if (!shown.empty()) {
        double h = attributes.font->lineHeight();
        double x = textOriginX(measure(shown, attributes.font).width, !placeholder);
        // One line, never wrapped: laid out without a width and clipped at the text area.
        attributes.alignment = NSTextAlignment::Left;
        context->saveGState();
        context->clipToRect(area);
        CGRect line = CGRectMake(x, CGRectGetMidY(area) - h / 2, kTextFieldUnlimitedWidth, h);
        drawText(*context, shown, line, attributes, 1);
        context->restoreGState();
    }
    if (m_editing) {
        UIColorRef tint = tintColor();
        context->setFillColor(*(tint ? tint : UIColor::systemBlueColor()));
        context->fillRect(caretRect());
    }
}

double UITextField::textOriginX(double textWidth, bool isText) const {
    CGRect area = textRectForBounds(bounds());
    if (textWidth > area.size.width) {
        // Too wide: the start shows, or while editing the end, where the caret is.
        return m_editing && isText ? CGRectGetMaxX(area) - textWidth : area.origin.x;
    }
    switch (m_alignment) {
    case NSTextAlignment::Center: return CGRectGetMidX(area) - textWidth / 2;
    case NSTextAlignment::Right: return CGRectGetMaxX(area) - textWidth;
    default: return area.origin.x;
    }
}

}  // namespace ios
