#include "platform/uikit/UIButton.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"

namespace ios {

OBJC_CLASS_DEFINE(UIButton, UIControl)

objc::Ref<UIButton> UIButton::buttonWithType(UIButtonType type) {
    auto button = objc::make<UIButton>(CGRectZero);
    button->m_type = type;
    return button;
}

void UIButton::init(const CGRect& frame) {
    UIControl::init(frame);
    m_font = UIFont::systemFontOfSize(kButtonTitleFontSize);
    setOpaque(false);
}

template <class T>
T UIButton::lookup(const std::map<unsigned, T>& map, unsigned state) {
    auto it = map.find(state);
    if (it != map.end() && it->second) return it->second;
    // Highlighted+selected falls back to highlighted, then selected, then normal.
    for (unsigned s :
         {state & UIControlStateHighlighted, state & UIControlStateSelected, state & UIControlStateDisabled}) {
        if (!s) continue;
        it = map.find(s);
        if (it != map.end() && it->second) return it->second;
    }
    it = map.find(UIControlStateNormal);
    return it != map.end() ? it->second : T{};
}

void UIButton::setTitle(const std::optional<std::string>& title, unsigned state) {
    m_titles[state] = title;
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

std::optional<std::string> UIButton::titleForState(unsigned state) const { return lookup(m_titles, state); }

void UIButton::setTitleColor(UIColorRef color, unsigned state) {
    m_titleColors[state] = std::move(color);
    setNeedsDisplay();
}

UIColorRef UIButton::titleColorForState(unsigned state) const {
    UIColorRef color = lookup(m_titleColors, state);
    if (color) return color;
    if (m_type == UIButtonType::System) return tintColor();
    return UIColor::whiteColor();
}

void UIButton::setImage(UIImageRef image, unsigned state) {
    m_images[state] = std::move(image);
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

UIImageRef UIButton::imageForState(unsigned state) const { return lookup(m_images, state); }

void UIButton::setBackgroundImage(UIImageRef image, unsigned state) {
    m_backgroundImages[state] = std::move(image);
    setNeedsDisplay();
}

UIImageRef UIButton::backgroundImageForState(unsigned state) const { return lookup(m_backgroundImages, state); }

void UIButton::setTitleFont(objc::Ref<UIFont> font) {
    m_font = font ? std::move(font) : UIFont::systemFontOfSize(kButtonTitleFontSize);
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

void UIButton::setContentEdgeInsets(const UIEdgeInsets& insets) {
    m_contentInsets = insets;
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

void UIButton::stateDidChange() { setNeedsDisplay(); }

CGSize UIButton::titleSize() const {
    auto title = currentTitle();
    if (!title || title->empty()) return CGSizeZero;
    NSStringAttributes attributes;
    attributes.font = m_font;
    CGSize s = NSStringSizeWithAttributes(*title, attributes);
    return CGSizeMake(std::ceil(s.width), std::ceil(s.height));
}

CGSize UIButton::imageSize() const {
    auto image = currentImage();
    return image ? image->size() : CGSizeZero;
}

CGRect UIButton::contentRectForBounds(const CGRect& bounds) const {
    return UIEdgeInsetsInsetRect(bounds, m_contentInsets);
}

CGRect UIButton::imageRectForContentRect(const CGRect& content) const {
    CGSize image = imageSize(), title = titleSize();
    if (image.width <= 0 || image.height <= 0) return CGRectMake(CGRectGetMidX(content), CGRectGetMidY(content), 0, 0);
    // An image larger than the content shrinks to fit, keeping its aspect.
    double scale = std::min({1.0, content.size.width > 0 ? content.size.width / image.width : 1.0,
                             content.size.height > 0 ? content.size.height / image.height : 1.0});
    double w = image.width * scale, h = image.height * scale;
    double total = w + title.width;
    double x = CGRectGetMidX(content) - total / 2;
    return CGRectMake(x, CGRectGetMidY(content) - h / 2, w, h);
}

CGRect UIButton::titleRectForContentRect(const CGRect& content) const {
    CGSize title = titleSize();
    CGRect image = imageRectForContentRect(content);
    double total = image.size.width + title.width;
    double x = CGRectGetMidX(content) - total / 2 + image.size.width;
    double w = std::min(title.width, std::max(0.0, CGRectGetMaxX(content) - x));
    return CGRectMake(x, CGRectGetMidY(content) - title.height / 2, w, title.height);
}

CGSize UIButton::intrinsicContentSize() const {
    CGSize title = titleSize(), image = imageSize();
    CGSize size = CGSizeMake(title.width, title.width > 0 ? title.height + 2 * kButtonTitleVerticalPadding : 0);
    if (image.width > 0)
        size = CGSizeMake(std::max(size.width, image.width + title.width), std::max(size.height, image.height));
    return CGSizeMake(size.width + m_contentInsets.left + m_contentInsets.right,
                      size.height + m_contentInsets.top + m_contentInsets.bottom);
}

CGSize UIButton::sizeThatFits(const CGSize&) const { return intrinsicContentSize(); }

void UIButton::drawRect(const CGRect&) {
    CGContext* context = UIGraphicsGetCurrentContext();
    if (!context) return;
    const bool fade = m_type == UIButtonType::System && isHighlighted();
    const double alpha = fade ? kButtonHighlightedAlpha : (isEnabled() ? 1.0 : 0.5);
    if (auto background = backgroundImageForState(state()))
        background->paint(context->cairo(), bounds(), isEnabled() ? 1.0 : 0.5);

    CGRect content = contentRectForBounds(bounds());
    if (auto image = currentImage()) {
        bool tinted =
            image->renderingMode() == UIImageRenderingMode::AlwaysTemplate ||
            (m_type == UIButtonType::System && image->renderingMode() != UIImageRenderingMode::AlwaysOriginal);
        UIColorRef tint = tintColor();
        double imageAlpha = alpha;
        if (m_type == UIButtonType::Custom && isHighlighted() && m_adjustsImageWhenHighlighted) imageAlpha = 0.6;
        image->paint(context->cairo(), imageRectForContentRect(content), imageAlpha,
                     tinted && tint ? tint.get() : nullptr);
    }
    auto title = currentTitle();
    if (title && !title->empty()) {
        NSStringAttributes attributes;
        attributes.font = m_font;
        UIColorRef color = currentTitleColor();
        if (m_type == UIButtonType::Custom && isHighlighted() && !lookup(m_titleColors, UIControlStateHighlighted))
            color = color->colorWithAlphaComponent(color->alpha() * 0.6);
        attributes.foregroundColor = alpha < 1 ? color->colorWithAlphaComponent(color->alpha() * alpha) : color;
        attributes.lineBreakMode = NSLineBreakMode::ByTruncatingMiddle;
        drawText(*context, *title, titleRectForContentRect(content), attributes, 1);
    }
}

}  // namespace ios
