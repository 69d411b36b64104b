#include "platform/text/NSStringDrawing.h"

#include <algorithm>
#include <cmath>

#include <pango/pangocairo.h>

#include "platform/graphics/UIGraphics.h"
#include "platform/text/TextContext.h"

namespace ios {

namespace {
// Widths beyond this are "no limit" (callers pass the largest float for unbounded sizes).
constexpr CGFloat kNoLimit = 1e6;

bool isTruncating(NSLineBreakMode mode) {
    return mode == NSLineBreakMode::ByTruncatingHead || mode == NSLineBreakMode::ByTruncatingMiddle ||
           mode == NSLineBreakMode::ByTruncatingTail;
}
}  // namespace

struct TextLayout::Impl {
    PangoLayout* layout = nullptr;
    NSStringAttributes attributes;
    CGFloat keptHeight = 0;
    // Added to Pango's positions so that the first baseline sits where the font's ascender says.
    CGFloat baselineShift = 0;
    bool empty = true;
};

TextLayout::TextLayout(const std::string& text, const NSStringAttributes& attributes, CGFloat widthLimit,
                       int numberOfLines)
    : m_impl(new Impl) {
    m_impl->attributes = attributes;
    if (!m_impl->attributes.font) m_impl->attributes.font = UIFont::systemFontOfSize(12);
    m_impl->empty = text.empty();
    PangoLayout* layout = pango_layout_new(text::measuringContext());
    m_impl->layout = layout;
    const UIFont& font = *m_impl->attributes.font;
    pango_layout_set_font_description(layout, font.pangoDescription());
    if (font.isSystemFont()) {
        // The platform's line height rather than Inter's own.
        PangoAttrList* lineHeight = pango_attr_list_new();
        pango_attr_list_insert(lineHeight, pango_attr_line_height_new_absolute(
                                               static_cast<int>(std::lround(font.lineHeight() * PANGO_SCALE))));
        pango_layout_set_attributes(layout, lineHeight);
        pango_attr_list_unref(lineHeight);
    }
    // Invalid UTF-8 would make Pango refuse the whole text; show it with replacement marks instead.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    pango_layout_set_text(layout, valid, -1);
    g_free(valid);

    switch (attributes.alignment) {
    case NSTextAlignment::Center: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
    case NSTextAlignment::Right: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
    case NSTextAlignment::Justified:
        pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
        pango_layout_set_justify(layout, TRUE);
        break;
    default: pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT); break;
    }

    bool limited = widthLimit > 0 && widthLimit < kNoLimit;
    if (limited) {
        pango_layout_set_width(layout, static_cast<int>(std::lround(widthLimit * PANGO_SCALE)));
        pango_layout_set_wrap(layout, attributes.lineBreakMode == NSLineBreakMode::ByCharWrapping
                                          ? PANGO_WRAP_CHAR
                                          : PANGO_WRAP_WORD_CHAR);
        if (isTruncating(attributes.lineBreakMode)) {
            PangoEllipsizeMode mode = PANGO_ELLIPSIZE_END;
            if (numberOfLines == 1 && attributes.lineBreakMode == NSLineBreakMode::ByTruncatingHead)
                mode = PANGO_ELLIPSIZE_START;
            if (numberOfLines == 1 && attributes.lineBreakMode == NSLineBreakMode::ByTruncatingMiddle)
                mode = PANGO_ELLIPSIZE_MIDDLE;
            pango_layout_set_ellipsize(layout, mode);
            pango_layout_set_height(layout, numberOfLines > 0 ? -numberOfLines : -1000000);
        }
    }

    int count = pango_layout_get_line_count(layout);
    int kept = numberOfLines > 0 ? std::min(numberOfLines, count) : count;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int maxWidth = 0, bottom = 0;
    for (int i = 0; i < kept; ++i) {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        maxWidth = std::max(maxWidth, logical.width);
        bottom = logical.y + logical.height;
        if (!pango_layout_iter_next_line(iter)) break;
    }
    pango_layout_iter_free(iter);
    m_lines = m_impl->empty ? 0 : kept;
    m_truncated = kept < count || pango_layout_is_ellipsized(layout);
    m_impl->keptHeight = bottom / double(PANGO_SCALE);
    if (font.isSystemFont())
        m_impl->baselineShift = font.ascender() - pango_layout_get_baseline(layout) / double(PANGO_SCALE);
    m_size = m_impl->empty ? CGSize{0, 0} : CGSize{maxWidth / double(PANGO_SCALE), bottom / double(PANGO_SCALE)};
}

TextLayout::~TextLayout() {
    if (m_impl->layout) g_object_unref(m_impl->layout);
    delete m_impl;
}

CGFloat TextLayout::baselineOfFirstLine() const {
    return pango_layout_get_baseline(m_impl->layout) / double(PANGO_SCALE) + m_impl->baselineShift;
}

void TextLayout::draw(cairo_t* cr, const CGRect& rect, CGFloat alpha) const {
    if (!cr || m_impl->empty || !(alpha > 0)) return;
    CGRect r = CGRectStandardize(rect);
    if (!std::isfinite(r.origin.x + r.origin.y)) return;
    cairo_save(cr);
    cairo_new_path(cr);
    if (std::isfinite(r.size.width) && std::isfinite(r.size.height) && r.size.width < kNoLimit &&
        r.size.height < kNoLimit) {
        cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, std::min(r.size.height, m_impl->keptHeight));
        cairo_clip(cr);
    }
    const auto& color = m_impl->attributes.foregroundColor;
    if (color)
        cairo_set_source_rgba(cr, color->red(), color->green(), color->blue(), color->alpha() * alpha);
    else
        cairo_set_source_rgba(cr, 0, 0, 0, alpha);
    // A layout without a width aligns within its own width; give it the rectangle's.
    double x = r.origin.x;
    if (pango_layout_get_width(m_impl->layout) < 0 && r.size.width < kNoLimit) {
        if (m_impl->attributes.alignment == NSTextAlignment::Center)
            x += (r.size.width - m_size.width) / 2;
        else if (m_impl->attributes.alignment == NSTextAlignment::Right)
            x += r.size.width - m_size.width;
    }
    cairo_move_to(cr, x, r.origin.y + m_impl->baselineShift);
    pango_cairo_show_layout(cr, m_impl->layout);
    cairo_new_path(cr);
    cairo_restore(cr);
}

CGSize NSStringSizeWithAttributes(const std::string& text, const NSStringAttributes& attributes) {
    return TextLayout(text, attributes).size();
}

CGRect NSStringBoundingRectWithSize(const std::string& text, CGSize size, unsigned options,
                                    const NSStringAttributes& attributes) {
    if (!(options & NSStringDrawingUsesLineFragmentOrigin))
        return {{0, 0}, NSStringSizeWithAttributes(text, attributes)};
    TextLayout full(text, attributes, size.width, 0);
    CGSize result = full.size();
    // A height limit keeps the whole lines that fit (at least the first).
    if (size.height > 0 && size.height < result.height && full.lineCount() > 1) {
        CGFloat lineHeight = result.height / full.lineCount();
        int fit = std::max(1, static_cast<int>(std::floor(size.height / lineHeight + 1e-9)));
        result = TextLayout(text, attributes, size.width, fit).size();
    }
    return {{0, 0}, result};
}

void drawText(CGContext& context, const std::string& text, const CGRect& rect, const NSStringAttributes& attributes,
              int numberOfLines) {
    if (context.gstate().singularCTM) return;
    TextLayout layout(text, attributes, rect.size.width, numberOfLines);
    cairo_t* cr = context.cairo();
    cairo_save(cr);
    cairo_set_operator(cr, cairoOperatorForBlendMode(context.gstate().blendMode));
    cairo_path_t* saved = cairo_copy_path(cr);
    layout.draw(cr, rect, context.gstate().alpha);
    cairo_new_path(cr);
    cairo_append_path(cr, saved);
    cairo_path_destroy(saved);
    cairo_restore(cr);
}

void NSStringDrawInRect(const std::string& text, const CGRect& rect, const NSStringAttributes& attributes) {
    if (CGContextRef context = UIGraphicsGetCurrentContext()) drawText(*context, text, rect, attributes, 0);
}

void NSStringDrawAtPoint(const std::string& text, CGPoint point, const NSStringAttributes& attributes) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    CGSize size = NSStringSizeWithAttributes(text, attributes);
    // One line per paragraph: no wrapping width, and no alignment shift.
    NSStringAttributes left = attributes;
    left.alignment = NSTextAlignment::Left;
    TextLayout layout(text, left, 0, 0);
    cairo_t* cr = context->cairo();
    cairo_save(cr);
    cairo_set_operator(cr, cairoOperatorForBlendMode(context->gstate().blendMode));
    layout.draw(cr, {point, {size.width + 1, size.height + 1}}, context->gstate().alpha);
    cairo_restore(cr);
}

}  // namespace ios
