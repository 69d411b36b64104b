#pragma once
// A one-line editable text field. Editing starts when it becomes first responder (a tap on it,
// or becomeFirstResponder): the delegate may refuse (textFieldShouldBeginEditing), is told when it
// began (textFieldDidBeginEditing), editing-did-begin is sent, and a caret in the tint colour is
// drawn after the text. Typed text (UIKeyInput) changes the text and sends editing-changed; return
// asks textFieldShouldReturn and sends editing-did-end-on-exit. Draws the text, or the placeholder
// in grey when the text is empty, centred vertically and inset 7 points at the sides (our choice),
// on one line clipped at that text area: text too wide shows its start, or while editing its end,
// so the caret stays in view.
// Delegate methods are sent only when the delegate implements them (by selector).

#include <optional>
#include <string>

#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIControl.h"

namespace ios {

// A placeholder with its own colour and font (the platform's attributed placeholder).
struct NSAttributedPlaceholder {
    std::string string;
    UIColorRef foregroundColor;
    objc::Ref<UIFont> font;
};

inline constexpr double kTextFieldFontSize = 17;
inline constexpr double kTextFieldHorizontalInset = 7;
inline constexpr double kTextFieldCaretWidth = 2;
inline constexpr double kTextFieldUnlimitedWidth = 1e7;  // laid out on one line

class UITextField : public UIControl, public UIKeyInput {
    OBJC_CLASS_DECLARE(UITextField)
public:
    void init(const CGRect& frame) override;
    using UIControl::init;

    const std::string& text() const { return m_text; }
    // Does not send editing-changed (only typing does).
    void setText(const std::optional<std::string>& text);
    const std::optional<std::string>& placeholder() const { return m_placeholder; }
    void setPlaceholder(const std::optional<std::string>& placeholder);
    const std::optional<NSAttributedPlaceholder>& attributedPlaceholder() const { return m_attributedPlaceholder; }
    void setAttributedPlaceholder(const std::optional<NSAttributedPlaceholder>& placeholder);
    const objc::Ref<UIFont>& font() const { return m_font; }
    void setFont(objc::Ref<UIFont> font);
    UIColorRef textColor() const { return m_textColor; }
    void setTextColor(UIColorRef color);
    NSTextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(NSTextAlignment alignment);

    // Held weakly; sent textFieldShouldBeginEditing:, textFieldDidBeginEditing:,
    // textFieldShouldEndEditing:, textFieldDidEndEditing:, textFieldShouldReturn: when implemented.
    objc::id delegate() const { return m_delegate.lock(); }
    void setDelegate(const objc::id& delegate) { m_delegate = delegate; }

    bool isEditing() const { return m_editing; }
    bool canBecomeFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;

    // UIKeyInput
    bool hasText() const override { return !m_text.empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;

    CGRect textRectForBounds(const CGRect& bounds) const;
    CGRect placeholderRectForBounds(const CGRect& bounds) const { return textRectForBounds(bounds); }
    // Where the caret is drawn: after the text, in bounds coordinates.
    CGRect caretRect() const;

    void endTrackingWithTouch(const UITouch* touch, const UIEvent* event) override;
    CGSize intrinsicContentSize() const override;
    void drawRect(const CGRect& rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

protected:
    UITextField() = default;

private:
    bool askDelegate(const char* selector, bool fallback);
    void tellDelegate(const char* selector);
    CGSize measure(const std::string& text, const objc::Ref<UIFont>& font) const;
    // Where a line of that width starts in the text area (isText: the text, not the placeholder).
    double textOriginX(double textWidth, bool isText) const;

    std::string m_text;
    std::optional<std::string> m_placeholder;
    std::optional<NSAttributedPlaceholder> m_attributedPlaceholder;
    objc::Ref<UIFont> m_font;
    UIColorRef m_textColor;
    NSTextAlignment m_alignment = NSTextAlignment::Natural;
    objc::WeakRef<objc::Object> m_delegate;
    bool m_editing = false;
};

}  // namespace ios
