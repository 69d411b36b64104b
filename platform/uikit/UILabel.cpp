#include "platform/uikit/UILabel.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/NSLayoutConstraint.h"

namespace ios {

OBJC_CLASS_DEFINE(UILabel, UIView)

namespace {
// The smallest size shrinking goes to when no minimum scale factor is set.
constexpr CGFloat kSmallestShrunkFontSize = 4;
}  // namespace

void UILabel::init(const CGRect& frame) {
    UIView::init(frame);
    m_font = UIFont::systemFontOfSize(UIFont::kLabelFontSize);
    m_textColor = UIColor::blackColor();
    setUserInteractionEnabled(false);
    setContentMode(UIViewContentMode::Redraw);
}

void UILabel::contentChanged(bool sizeChanges) {
    setNeedsDisplay();
    if (!sizeChanges) return;
    m_intrinsic.reset();
    invalidateIntrinsicContentSize();
    setNeedsConstraintLayout(*this);
}

void UILabel::setText(const std::optional<std::string>& text) {
    if (text == m_text && !m_attributedText) return;
    m_text = text;
    m_attributedText = nullptr;
    contentChanged(true);
}

objc::Ref<NSAttributedString> UILabel::attributedText() const {
    if (m_attributedText) return m_attributedText;
    if (!m_text) return nullptr;
    return NSAttributedString::stringWithString(*m_text, m_font, m_textColor);
}

void UILabel::setAttributedText(const objc::Ref<NSAttributedString>& text) {
    if (!text) {
        m_attributedText = nullptr;
        m_text.reset();
    } else {
        m_attributedText = text;
        m_text = text->string();
        if (!text->runs().empty()) {
            const auto& first = text->runs().front();
            if (first.font) m_font = first.font;
            if (first.foregroundColor) m_textColor = first.foregroundColor;
        }
    }
    contentChanged(true);
}

void UILabel::setFont(objc::Ref<UIFont> font) {
    m_font = font ? std::move(font) : UIFont::systemFontOfSize(UIFont::kLabelFontSize);
    contentChanged(true);
}

void UILabel::setTextColor(UIColorRef color) {
    m_textColor = color ? std::move(color) : UIColor::blackColor();
    contentChanged(false);
}

void UILabel::setTextAlignment(NSTextAlignment alignment) {
    if (alignment == m_alignment) return;  // unchanged: no relayout or redraw
    m_alignment = alignment;
    contentChanged(false);
}

void UILabel::setNumberOfLines(int lines) {
    if (std::max(0, lines) == m_numberOfLines) return;
    m_numberOfLines = std::max(0, lines);
    contentChanged(true);
}

void UILabel::setLineBreakMode(NSLineBreakMode mode) {
    if (mode == m_lineBreakMode) return;
    m_lineBreakMode = mode;
    contentChanged(true);
}

void UILabel::setAdjustsFontSizeToFitWidth(bool adjusts) {
    if (adjusts == m_adjustsFontSize) return;
    m_adjustsFontSize = adjusts;
    contentChanged(false);
}

void UILabel::setMinimumScaleFactor(CGFloat factor) {
    m_minimumScaleFactor = std::clamp<CGFloat>(std::isfinite(factor) ? factor : 0, 0, 1);
    contentChanged(false);
}

void UILabel::setBaselineAdjustment(UIBaselineAdjustment adjustment) {
    if (adjustment == m_baselineAdjustment) return;
    m_baselineAdjustment = adjustment;
    contentChanged(false);
}

void UILabel::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    contentChanged(false);
}

void UILabel::setHighlighted(bool highlighted) {
    m_highlighted = highlighted;
    contentChanged(false);
}

void UILabel::setHighlightedTextColor(UIColorRef color) {
    m_highlightedTextColor = std::move(color);
    contentChanged(false);
}

void UILabel::setShadowColor(UIColorRef color) {
    m_shadowColor = std::move(color);
    contentChanged(false);
}

void UILabel::setShadowOffset(const CGSize& offset) {
    m_shadowOffset = offset;
    contentChanged(false);
}

NSStringAttributes UILabel::attributes(const objc::Ref<UIFont>& font) const {
    NSStringAttributes a;
    a.font = font;
    a.foregroundColor = m_textColor;
    a.alignment = m_alignment;
    a.lineBreakMode = m_lineBreakMode;
    return a;
}

CGSize UILabel::intrinsicContentSize() const {
    if (!m_intrinsic) {
        if (!m_text || m_text->empty()) {
            m_intrinsic = CGSizeZero;
        } else {
            TextLayout layout(*m_text, attributes(m_font), 0, m_numberOfLines);
            m_intrinsic = CGSize{std::ceil(layout.size().width), std::ceil(layout.size().height)};
        }
    }
    return *m_intrinsic;
}

CGSize UILabel::sizeThatFits(const CGSize& size) const {
    if (!m_text || m_text->empty()) return CGSizeZero;
    TextLayout layout(*m_text, attributes(m_font), size.width > 0 ? size.width : 0, m_numberOfLines);
    return {std::ceil(layout.size().width), std::ceil(layout.size().height)};
}

objc::Ref<UIFont> UILabel::fontForDrawing() const {
    const CGFloat width = bounds().size.width;
    if (!m_adjustsFontSize || m_numberOfLines != 1 || !m_text || m_text->empty() || width <= 0) return m_font;
    const CGFloat size = m_font->pointSize();
    const CGFloat smallest =
        m_minimumScaleFactor > 0 ? size * m_minimumScaleFactor : std::min(size, kSmallestShrunkFontSize);
    auto font = m_font;
    CGFloat measured = NSStringSizeWithAttributes(*m_text, attributes(font)).width;
    // Widths grow almost linearly with the size; a second step absorbs the rest.
    for (int step = 0; step < 3 && measured > width && font->pointSize() > smallest; ++step) {
        CGFloat next = std::max(smallest, std::floor(font->pointSize() * width / measured * 2) / 2);
        if (next >= font->pointSize()) next = std::max(smallest, font->pointSize() - 0.5);
        font = m_font->fontWithSize(next);
        measured = NSStringSizeWithAttributes(*m_text, attributes(font)).width;
    }
    return font;
}

CGRect UILabel::textRectForBounds() const {
    const CGRect b = bounds();
    if (!m_text || m_text->empty()) return {b.origin, CGSizeZero};
    auto font = fontForDrawing();
    TextLayout layout(*m_text, attributes(font), b.size.width, m_numberOfLines);
    CGFloat height = layout.size().height;
    CGFloat y = b.origin.y + (b.size.height - height) / 2;
    if (font != m_font && m_baselineAdjustment != UIBaselineAdjustment::AlignCenters) {
        // Where the line would sit in the unshrunk font.
        TextLayout full(*m_text, attributes(m_font), 0, 1);
        CGFloat fullTop = b.origin.y + (b.size.height - full.size().height) / 2;
        y = m_baselineAdjustment == UIBaselineAdjustment::AlignBaselines
                ? fullTop + m_font->ascender() - font->ascender()
                : fullTop;
    }
    CGFloat width = std::min(b.size.width, layout.size().width);
    CGFloat x = b.origin.x;
    if (m_alignment == NSTextAlignment::Center)
        x += (b.size.width - width) / 2;
    else if (m_alignment == NSTextAlignment::Right)
        x += b.size.width - width;
    return {{x, y}, {width, height}};
}

void UILabel::drawRect(const CGRect&) {
    if (!m_text || m_text->empty()) return;
    auto context = UIGraphicsGetCurrentContext();
    if (!context) return;
    auto font = fontForDrawing();
    NSStringAttributes a = attributes(font);
    if (m_highlighted && m_highlightedTextColor) a.foregroundColor = m_highlightedTextColor;
    if (!m_enabled)
        a.foregroundColor = a.foregroundColor->colorWithAlphaComponent(a.foregroundColor->alpha() * kDisabledAlpha);

    const CGRect b = bounds();
    const CGRect text = textRectForBounds();
    // Full width, so that the layout's own alignment places the lines.
    CGRect area{{b.origin.x, text.origin.y}, {b.size.width, text.size.height}};
    if (m_shadowColor && m_shadowColor->alpha() > 0) {
        NSStringAttributes shadow = a;
        shadow.foregroundColor = m_shadowColor;
        drawText(*context, *m_text, CGRectOffset(area, m_shadowOffset.width, m_shadowOffset.height), shadow,
                 m_numberOfLines);
    }
    drawText(*context, *m_text, area, a, m_numberOfLines);
}

}  // namespace ios
