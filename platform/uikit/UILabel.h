#pragma once
// A label: one text drawn with platform/text into the view's backing store, vertically centred
// in the bounds, aligned horizontally by textAlignment, wrapped at the bounds width and cut to
// numberOfLines (0: as many as fit), with an ellipsis where the line-break mode truncates.
//
// Defaults: system font 17 pt, black text, natural (left) alignment, one line, truncating tail,
// clear background, user interaction off, content mode redraw.
//
// Intrinsic size: the text measured without a width limit (one line per paragraph, cut to
// numberOfLines), each side rounded up to whole points; (0, 0) for an empty label.

#include <optional>
#include <string>

#include "platform/graphics/UIColor.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/NSAttributedString.h"
#include "platform/uikit/UIView.h"

namespace ios {

enum class UIBaselineAdjustment { AlignBaselines = 0, AlignCenters = 1, None = 2 };

class UILabel : public UIView {
    OBJC_CLASS_DECLARE(UILabel)
public:
    // A disabled label draws its text at this fraction of its colour's alpha (our choice).
    static constexpr CGFloat kDisabledAlpha = 0.44;

    using UIView::init;
    void init(const CGRect& frame) override;

    // Setting the text replaces any attributed text; none reads back as none.
    const std::optional<std::string>& text() const { return m_text; }
    void setText(const std::optional<std::string>& text);
    // Plain runs: the label takes the first run's font and colour (when set) for the whole text.
    objc::Ref<NSAttributedString> attributedText() const;
    void setAttributedText(const objc::Ref<NSAttributedString>& text);

    // None restores the default font / colour.
    const objc::Ref<UIFont>& font() const { return m_font; }
    void setFont(objc::Ref<UIFont> font);
    const UIColorRef& textColor() const { return m_textColor; }
    void setTextColor(UIColorRef color);
    NSTextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(NSTextAlignment alignment);
    int numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(int lines);
    NSLineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(NSLineBreakMode mode);

    // Shrinks the font, down to minimumScaleFactor of its size (0: any size), until a one-line
    // text fits the bounds width. baselineAdjustment says where the shrunk line sits.
    bool adjustsFontSizeToFitWidth() const { return m_adjustsFontSize; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    CGFloat minimumScaleFactor() const { return m_minimumScaleFactor; }
    void setMinimumScaleFactor(CGFloat factor);
    UIBaselineAdjustment baselineAdjustment() const { return m_baselineAdjustment; }
    void setBaselineAdjustment(UIBaselineAdjustment adjustment);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);
    const UIColorRef& highlightedTextColor() const { return m_highlightedTextColor; }
    void setHighlightedTextColor(UIColorRef color);
    // A copy of the text drawn underneath at shadowOffset, in shadowColor (none: no shadow).
    const UIColorRef& shadowColor() const { return m_shadowColor; }
    void setShadowColor(UIColorRef color);
    const CGSize& shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(const CGSize& offset);

    CGSize intrinsicContentSize() const override;
    // The text wrapped at size.width (none when 0) and cut to numberOfLines, rounded up.
    CGSize sizeThatFits(const CGSize& size) const override;
    void drawRect(const CGRect& rect) override;
    bool respondsToDrawLayer() const override { return true; }

    // The font the text is drawn in at the current bounds (smaller than font() when shrunk).
    objc::Ref<UIFont> fontForDrawing() const;
    // The rectangle the text occupies in the bounds, as drawn.
    CGRect textRectForBounds() const;

protected:
    UILabel() = default;

private:
    void contentChanged(bool sizeChanges);
    NSStringAttributes attributes(const objc::Ref<UIFont>& font) const;

    std::optional<std::string> m_text;
    objc::Ref<NSAttributedString> m_attributedText;
    objc::Ref<UIFont> m_font;
    UIColorRef m_textColor;
    NSTextAlignment m_alignment = NSTextAlignment::Natural;
    int m_numberOfLines = 1;
    NSLineBreakMode m_lineBreakMode = NSLineBreakMode::ByTruncatingTail;
    bool m_adjustsFontSize = false;
    CGFloat m_minimumScaleFactor = 0;
    UIBaselineAdjustment m_baselineAdjustment = UIBaselineAdjustment::AlignBaselines;
    bool m_enabled = true;
    bool m_highlighted = false;
    UIColorRef m_highlightedTextColor;
    UIColorRef m_shadowColor;
    CGSize m_shadowOffset{0, -1};
    mutable std::optional<CGSize> m_intrinsic;
};

using UILabelRef = objc::Ref<UILabel>;

}  // namespace ios
