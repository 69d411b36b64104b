#include "platform/springboard/SBWallpaperView.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/uikit/UITraitCollection.h"

namespace ios {

OBJC_CLASS_DEFINE(SBWallpaperView, UIView)

void SBWallpaperView::init(const CGRect& frame) {
    UIView::init(frame);
    setUserInteractionEnabled(false);
    refresh();
}

void SBWallpaperView::layoutSubviews() {
    UIView::layoutSubviews();
    if (!CGSizeEqualToSize(bounds().size, m_size)) refresh();
}

void SBWallpaperView::traitCollectionDidChange(const UITraitCollection*) { refresh(); }

void SBWallpaperView::refresh() {
    auto traits = UITraitCollection::currentTraitCollection();
    m_style = traits ? static_cast<int>(traits->userInterfaceStyle()) : 0;
    m_size = bounds().size;
    if (m_size.width <= 0 || m_size.height <= 0) return;
    // The image sits on a sublayer of its own: the view's layer is the view's to draw in.
    if (!m_imageLayer) {
        m_imageLayer = CALayer::layer();
        layer()->insertSublayerAtIndex(m_imageLayer, 0);
    }
    m_imageLayer->setFrame(CGRectMake(0, 0, m_size.width, m_size.height));
    m_imageLayer->setContents(wallpaperImage(m_size, mainScreenScale(), m_style));
    m_imageLayer->setContentsScale(mainScreenScale());
    m_imageLayer->setContentsGravity(kCAGravityResize);
}

}  // namespace ios
