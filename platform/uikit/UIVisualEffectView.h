#pragma once
// Visual-effect views with blur effects: the view's layer is a CABackdropLayer, which the
// compositor draws as what lies beneath, blurred and tinted by the style (dark: black at 0.45;
// light: white at 0.55). Content goes into contentView, which fills the view.

#include "platform/quartz/CABackdropLayer.h"
#include "platform/uikit/UIView.h"

namespace ios {

// The platform's numbering. Extra light and light draw light; dark draws dark; regular and
// prominent follow the device's appearance (dark unless it is light).
enum class UIBlurEffectStyle { ExtraLight = 0, Light = 1, Dark = 2, Regular = 4, Prominent = 5 };

class UIVisualEffect : public objc::Object {
    OBJC_CLASS_DECLARE(UIVisualEffect)
protected:
    UIVisualEffect() = default;
};

class UIBlurEffect : public UIVisualEffect {
    OBJC_CLASS_DECLARE(UIBlurEffect)
public:
    static objc::Ref<UIBlurEffect> effectWithStyle(UIBlurEffectStyle style);
    UIBlurEffectStyle style() const { return m_style; }
    // The backdrop style this effect draws with now.
    CABackdropStyle backdropStyle() const;

    void init(UIBlurEffectStyle style) { m_style = style; }

protected:
    UIBlurEffect() = default;

private:
    UIBlurEffectStyle m_style = UIBlurEffectStyle::Dark;
};

class UIVisualEffectView : public UIView {
    OBJC_CLASS_DECLARE(UIVisualEffectView)
public:
    using UIView::init;
    void init(const CGRect& frame) override;
    // initWithEffect:
    void init(const objc::Ref<UIVisualEffect>& effect);

    objc::Ref<CALayer> makeBackingLayer() const override;
    // None: the backdrop stays tinted but is no longer blurred (radius 0).
    const objc::Ref<UIVisualEffect>& effect() const { return m_effect; }
    void setEffect(const objc::Ref<UIVisualEffect>& effect);
    const objc::Ref<UIView>& contentView() const { return m_contentView; }
    CABackdropLayer& backdropLayer() const;

    void traitCollectionDidChange(const UITraitCollection* previous) override;

    // Shows no drawing of its own (known before the first display).
    bool respondsToDrawLayer() const override { return false; }

protected:
    UIVisualEffectView() = default;

private:
    void applyEffect();

    objc::Ref<UIVisualEffect> m_effect;
    objc::Ref<UIView> m_contentView;
};

using UIBlurEffectRef = objc::Ref<UIBlurEffect>;
using UIVisualEffectViewRef = objc::Ref<UIVisualEffectView>;

}  // namespace ios
