#pragma once
// Measuring and drawing text with attributes (font, colour, alignment, line-break mode), as the
// platform's string-drawing additions do, over Pango. Text is UTF-8. Explicit line feeds always
// break lines. Measurements are independent of the drawing scale (no hinting of metrics).

#include <string>

#include <cairo.h>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/text/UIFont.h"

namespace ios {

enum class NSTextAlignment { Left = 0, Center = 1, Right = 2, Justified = 3, Natural = 4 };
enum class NSLineBreakMode {
    ByWordWrapping = 0,
    ByCharWrapping = 1,
    ByClipping = 2,
    ByTruncatingHead = 3,
    ByTruncatingTail = 4,
    ByTruncatingMiddle = 5
};

enum NSStringDrawingOptions : unsigned {
    NSStringDrawingUsesLineFragmentOrigin = 1u << 0,
    NSStringDrawingUsesFontLeading = 1u << 1,
    NSStringDrawingUsesDeviceMetrics = 1u << 3,
    NSStringDrawingTruncatesLastVisibleLine = 1u << 5,
};

struct NSStringAttributes {
    objc::Ref<UIFont> font;              // none: the system font at 12 points
    objc::Ref<UIColor> foregroundColor;  // none: black
    NSTextAlignment alignment = NSTextAlignment::Natural;
    NSLineBreakMode lineBreakMode = NSLineBreakMode::ByWordWrapping;
};

// One laid-out text: wrapped at widthLimit (<= 0 or infinite: no limit, one line per paragraph)
// and cut to numberOfLines lines (0: no limit). Truncating modes put an ellipsis where the text is
// cut (on the last line kept); clipping and wrapping modes just stop.
class TextLayout {
public:
    TextLayout(const std::string& text, const NSStringAttributes& attributes, CGFloat widthLimit = 0,
               int numberOfLines = 0);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // Width of the widest line kept, height of the lines kept (line heights of the font).
    CGSize size() const { return m_size; }
    int lineCount() const { return m_lines; }
    bool isTruncated() const { return m_truncated; }
    CGFloat baselineOfFirstLine() const;

    // Draws the lines from the top of rect, aligned horizontally within rect's width, in the
    // attributes' colour (times alpha), clipped to rect.
    void draw(cairo_t* cr, const CGRect& rect, CGFloat alpha = 1) const;

private:
    struct Impl;
    Impl* m_impl;
    CGSize m_size{};
    int m_lines = 0;
    bool m_truncated = false;
};

// sizeWithAttributes: the text on one line per paragraph, unrounded.
CGSize NSStringSizeWithAttributes(const std::string& text, const NSStringAttributes& attributes);
// boundingRectWithSize:options:attributes: — with UsesLineFragmentOrigin the text wraps at
// size.width and may use up to size.height (a larger height means unlimited); without it the text
// is measured on one line. Origin (0, 0), sizes unrounded.
CGRect NSStringBoundingRectWithSize(const std::string& text, CGSize size, unsigned options,
                                    const NSStringAttributes& attributes);
// drawInRect:withAttributes: — wraps at the rectangle's width, draws into the current UIGraphics
// context from the rectangle's top, clipped to it.
void NSStringDrawInRect(const std::string& text, const CGRect& rect, const NSStringAttributes& attributes);
// drawAtPoint:withAttributes: — one line per paragraph, top-left at the point.
void NSStringDrawAtPoint(const std::string& text, CGPoint point, const NSStringAttributes& attributes);
// Draws into a given context: wrapping at rect's width, up to numberOfLines (0: unlimited).
void drawText(CGContext& context, const std::string& text, const CGRect& rect, const NSStringAttributes& attributes,
              int numberOfLines = 0);

}  // namespace ios
