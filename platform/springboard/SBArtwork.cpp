#include "platform/springboard/SBArtwork.h"

#include <cmath>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"

namespace ios {

namespace {

struct RGB {
    double r, g, b;
};
RGB rgb(std::uint32_t c) { return {((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, (c & 0xff) / 255.0}; }

// The first character of a UTF-8 text, upper-cased when it is ASCII.
std::string initialOf(const std::string& name) {
    if (name.empty()) return "";
    unsigned char c = static_cast<unsigned char>(name[0]);
    std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::string initial = name.substr(0, length);
    if (length == 1 && initial[0] >= 'a' && initial[0] <= 'z') initial[0] = static_cast<char>(initial[0] - 'a' + 'A');
    return initial;
}

}  // namespace

WallpaperColors wallpaperColorsForStyle(int userInterfaceStyle) {
    if (userInterfaceStyle == 2) return {0x1B2A49, 0x3A1C4A};
    return {0x8EC5FC, 0xF3C6E8};
}

objc::Ref<UIImage> wallpaperImage(CGSize size, double scale, int userInterfaceStyle) {
    WallpaperColors colors = wallpaperColorsForStyle(userInterfaceStyle);
    return UIImage::imageWithSize(
        size, scale,
        [&](CGContext& context) {
            cairo_t* cr = context.cairo();
            RGB top = rgb(colors.top), bottom = rgb(colors.bottom);
            cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, size.height);
            cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
            cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
            cairo_rectangle(cr, 0, 0, size.width, size.height);
            cairo_set_source(cr, gradient);
            cairo_fill(cr);
            cairo_pattern_destroy(gradient);
        },
        true);
}

CGFloat iconSizeForFormat(int format) {
    switch (format) {
    case 0: return 29;
    case 1: return 40;
    default: return 60;
    }
}

objc::Ref<UIImage> applicationIconImage(const InstalledApplication* application, int format, double scale) {
    if (scale <= 0) scale = mainScreenScale();
    CGFloat side = iconSizeForFormat(format);
    CGRect tile = CGRectMake(0, 0, side, side);
    return UIImage::imageWithSize(CGSizeMake(side, side), scale, [&](CGContext& context) {
        cairo_t* cr = context.cairo();
        cairoAddRoundedRect(cr, tile, iconCornerRadius(side));
        if (!application) {
            RGB grey = rgb(kPlaceholderIconColor);
            cairo_set_source_rgb(cr, grey.r, grey.g, grey.b);
            cairo_fill(cr);
            return;
        }
        // The application's colour, a little lighter at the top.
        RGB base = rgb(application->iconColor);
        auto lighter = [](double v) { return v + (1 - v) * 0.25; };
        cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, side);
        cairo_pattern_add_color_stop_rgb(gradient, 0, lighter(base.r), lighter(base.g), lighter(base.b));
        cairo_pattern_add_color_stop_rgb(gradient, 1, base.r, base.g, base.b);
        cairo_set_source(cr, gradient);
        cairo_fill(cr);
        cairo_pattern_destroy(gradient);

        std::string initial = initialOf(application->name);
        if (initial.empty()) return;
        NSStringAttributes attributes;
        attributes.font = UIFont::boldSystemFontOfSize(std::round(side * 0.5));
        // Dark letters on pale colours, white ones otherwise.
        double luminance = 0.2126 * base.r + 0.7152 * base.g + 0.0722 * base.b;
        attributes.foregroundColor = luminance > 0.7 ? UIColor::colorWithWhite(0.15, 1) : UIColor::whiteColor();
        attributes.alignment = NSTextAlignment::Center;
        CGFloat lineHeight = attributes.font->lineHeight();
        drawText(context, initial, CGRectMake(0, (side - lineHeight) / 2, side, lineHeight), attributes, 1);
    });
}

}  // namespace ios
