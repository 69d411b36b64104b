#pragma once
// The wallpaper: the generated gradient of the current appearance, the contents of a sublayer
// covering the bounds, made again when the appearance or the size changes.

#include "platform/uikit/UIView.h"

namespace ios {

class SBWallpaperView : public UIView {
    OBJC_CLASS_DECLARE(SBWallpaperView)
public:
    using UIView::init;
    void init(const CGRect& frame) override;
    void layoutSubviews() override;
    void traitCollectionDidChange(const UITraitCollection* previous) override;
    // The appearance the contents were made for.
    int shownStyle() const { return m_style; }

protected:
    SBWallpaperView() = default;

private:
    void refresh();
    objc::Ref<CALayer> m_imageLayer;
    int m_style = -1;
    CGSize m_size{};
};

}  // namespace ios
