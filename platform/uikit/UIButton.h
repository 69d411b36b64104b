#pragma once
// Buttons: a title, title colour, title font, image and background image per control state
// (a state without its own value falls back to normal), a background colour, and the drawing of
// all of it: background image filling the bounds, then image and title side by side, centred
// within the content insets. The system type tints its images and its default title colour with
// the tint colour and fades them while highlighted; the custom type draws images as they are.

#include <map>
#include <optional>
#include <string>

#include "platform/graphics/UIImage.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIControl.h"

namespace ios {

enum class UIButtonType { Custom = 0, System = 1 };

// The default title font size (our choice).
inline constexpr double kButtonTitleFontSize = 15;
// Vertical padding around the title in the intrinsic size.
inline constexpr double kButtonTitleVerticalPadding = 6;
// Alpha of a system button's title and image while highlighted.
inline constexpr double kButtonHighlightedAlpha = 0.2;

class UIButton : public UIControl {
    OBJC_CLASS_DECLARE(UIButton)
public:
    static objc::Ref<UIButton> buttonWithType(UIButtonType type);
    void init(const CGRect& frame) override;
    using UIControl::init;
    UIButtonType buttonType() const { return m_type; }

    void setTitle(const std::optional<std::string>& title, unsigned state);
    std::optional<std::string> titleForState(unsigned state) const;
    std::optional<std::string> currentTitle() const { return titleForState(state()); }
    void setTitleColor(UIColorRef color, unsigned state);
    UIColorRef titleColorForState(unsigned state) const;
    UIColorRef currentTitleColor() const { return titleColorForState(state()); }
    void setImage(UIImageRef image, unsigned state);
    UIImageRef imageForState(unsigned state) const;
    UIImageRef currentImage() const { return imageForState(state()); }
    void setBackgroundImage(UIImageRef image, unsigned state);
    UIImageRef backgroundImageForState(unsigned state) const;

    // The title label's font (the platform's titleLabel.font).
    const objc::Ref<UIFont>& titleFont() const { return m_font; }
    void setTitleFont(objc::Ref<UIFont> font);

    const UIEdgeInsets& contentEdgeInsets() const { return m_contentInsets; }
    void setContentEdgeInsets(const UIEdgeInsets& insets);
    bool adjustsImageWhenHighlighted() const { return m_adjustsImageWhenHighlighted; }
    void setAdjustsImageWhenHighlighted(bool adjusts) { m_adjustsImageWhenHighlighted = adjusts; }

    // Where the title and image are drawn, in bounds coordinates.
    CGRect titleRectForContentRect(const CGRect& contentRect) const;
    CGRect imageRectForContentRect(const CGRect& contentRect) const;
    CGRect contentRectForBounds(const CGRect& bounds) const;

    CGSize intrinsicContentSize() const override;
    CGSize sizeThatFits(const CGSize& size) const override;
    void drawRect(const CGRect& rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

protected:
    UIButton() = default;
    void stateDidChange() override;

private:
    template <class T>
    static T lookup(const std::map<unsigned, T>& map, unsigned state);
    CGSize titleSize() const;
    CGSize imageSize() const;

    UIButtonType m_type = UIButtonType::Custom;
    std::map<unsigned, std::optional<std::string>> m_titles;
    std::map<unsigned, UIColorRef> m_titleColors;
    std::map<unsigned, UIImageRef> m_images;
    std::map<unsigned, UIImageRef> m_backgroundImages;
    objc::Ref<UIFont> m_font;
    UIEdgeInsets m_contentInsets;
    bool m_adjustsImageWhenHighlighted = true;
};

}  // namespace ios
