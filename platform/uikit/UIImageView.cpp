#include "platform/uikit/UIImageView.h"

#include "platform/uikit/NSLayoutConstraint.h"

namespace ios {

OBJC_CLASS_DEFINE(UIImageView, UIView)

const std::string& contentsGravityForContentMode(UIViewContentMode mode) {
    switch (mode) {
    case UIViewContentMode::ScaleToFill:
    case UIViewContentMode::Redraw: return kCAGravityResize;
    case UIViewContentMode::ScaleAspectFit: return kCAGravityResizeAspect;
    case UIViewContentMode::ScaleAspectFill: return kCAGravityResizeAspectFill;
    case UIViewContentMode::Center: return kCAGravityCenter;
    case UIViewContentMode::Top: return kCAGravityTop;
    case UIViewContentMode::Bottom: return kCAGravityBottom;
    case UIViewContentMode::Left: return kCAGravityLeft;
    case UIViewContentMode::Right: return kCAGravityRight;
    case UIViewContentMode::TopLeft: return kCAGravityTopLeft;
    case UIViewContentMode::TopRight: return kCAGravityTopRight;
    case UIViewContentMode::BottomLeft: return kCAGravityBottomLeft;
    case UIViewContentMode::BottomRight: return kCAGravityBottomRight;
    }
    return kCAGravityResize;
}

void UIImageView::init(const CGRect& frame) {
    UIView::init(frame);
    setUserInteractionEnabled(false);
    syncLayer();
}

void UIImageView::init(const UIImageRef& image) {
    init(CGRect{CGPointZero, image ? image->size() : CGSizeZero});
    setImage(image);
}

void UIImageView::setImage(UIImageRef image) {
    bool sizeChanges = !image != !m_image || (image && m_image && image->size() != m_image->size());
    m_image = std::move(image);
    syncLayer();
    if (sizeChanges) {
        invalidateIntrinsicContentSize();
        setNeedsConstraintLayout(*this);
    }
}

void UIImageView::setContentMode(UIViewContentMode mode) {
    UIView::setContentMode(mode);
    syncLayer();
}

void UIImageView::syncLayer() {
    CALayer& l = *layer();
    if (l.contents() != m_image) l.setContents(m_image);
    const std::string& gravity = contentsGravityForContentMode(contentMode());
    if (l.contentsGravity() != gravity) l.setContentsGravity(gravity);
    if (m_image) l.setContentsScale(m_image->scale());
    bool templated = m_image && m_image->renderingMode() == UIImageRenderingMode::AlwaysTemplate;
    UIColorRef tint = templated ? tintColor() : nullptr;
    if (tint != l.contentsTintColor()) l.setContentsTintColor(tint);
}

CGSize UIImageView::intrinsicContentSize() const {
    if (!m_image) return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
    return m_image->size();
}

void UIImageView::tintColorDidChange() {
    UIView::tintColorDidChange();
    syncLayer();
}

void UIImageView::layoutSubviews() {
    UIView::layoutSubviews();
    syncLayer();
}

}  // namespace ios
