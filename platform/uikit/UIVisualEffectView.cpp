#include "platform/uikit/UIVisualEffectView.h"

#include "platform/uikit/UITraitCollection.h"

namespace ios {

OBJC_CLASS_DEFINE(UIVisualEffect, objc::Object)
OBJC_CLASS_DEFINE(UIBlurEffect, UIVisualEffect)
OBJC_CLASS_DEFINE(UIVisualEffectView, UIView)

namespace {
constexpr double kBlurRadius = 20;
}

objc::Ref<UIBlurEffect> UIBlurEffect::effectWithStyle(UIBlurEffectStyle style) {
    return objc::make<UIBlurEffect>(style);
}

CABackdropStyle UIBlurEffect::backdropStyle() const {
    switch (m_style) {
    case UIBlurEffectStyle::ExtraLight:
    case UIBlurEffectStyle::Light: return CABackdropStyle::Light;
    case UIBlurEffectStyle::Dark: return CABackdropStyle::Dark;
    case UIBlurEffectStyle::Regular:
    case UIBlurEffectStyle::Prominent: break;
    }
    auto traits = UITraitCollection::currentTraitCollection();
    return traits && traits->userInterfaceStyle() == UIUserInterfaceStyle::Light ? CABackdropStyle::Light
                                                                                 : CABackdropStyle::Dark;
}

objc::Ref<CALayer> UIVisualEffectView::makeBackingLayer() const { return CABackdropLayer::layer(); }

CABackdropLayer& UIVisualEffectView::backdropLayer() const { return static_cast<CABackdropLayer&>(*layer()); }

void UIVisualEffectView::init(const CGRect& frame) {
    UIView::init(frame);
    m_contentView = objc::make<UIView>(CGRect{CGPointZero, frame.size});
    m_contentView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(m_contentView);
    applyEffect();
}

void UIVisualEffectView::init(const objc::Ref<UIVisualEffect>& effect) {
    m_effect = effect;
    init(CGRectZero);
}

void UIVisualEffectView::setEffect(const objc::Ref<UIVisualEffect>& effect) {
    m_effect = effect;
    applyEffect();
}

void UIVisualEffectView::applyEffect() {
    auto* backdrop = dynamic_cast<CABackdropLayer*>(layer().get());
    if (!backdrop) return;
    auto blur = objc::cast<UIBlurEffect>(m_effect);
    backdrop->setBlurRadius(blur ? kBlurRadius : 0);
    if (blur) backdrop->setStyle(blur->backdropStyle());
}

void UIVisualEffectView::traitCollectionDidChange(const UITraitCollection* previous) {
    UIView::traitCollectionDidChange(previous);
    applyEffect();
}

}  // namespace ios
