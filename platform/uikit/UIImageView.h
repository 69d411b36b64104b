#pragma once
// An image view: shows its image through its layer's contents, placed by the content mode (the
// layer's contents gravity: scale-to-fill stretches, aspect fit shows all of it, aspect fill covers
// the bounds, centre and the edge modes keep the image's size). A template image (rendering mode
// AlwaysTemplate) is drawn as a mask in the view's tint colour (the layer's contentsTintColor),
// following tint changes. Intrinsic size: the image's size in points; none without an image.

#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIView.h"

namespace ios {

class UIImageView : public UIView {
    OBJC_CLASS_DECLARE(UIImageView)
public:
    using UIView::init;
    void init(const CGRect& frame) override;
    // initWithImage: a frame of the image's size at the origin.
    void init(const UIImageRef& image);

    const UIImageRef& image() const { return m_image; }
    void setImage(UIImageRef image);

    // Hides UIView::setContentMode so that the gravity follows; layoutSubviews re-syncs it for
    // changes made through a UIView reference.
    void setContentMode(UIViewContentMode mode);

    CGSize intrinsicContentSize() const override;
    void tintColorDidChange() override;
    void layoutSubviews() override;

    // Shows no drawing of its own (known before the first display).
    bool respondsToDrawLayer() const override { return false; }

protected:
    UIImageView() = default;

private:
    void syncLayer();

    UIImageRef m_image;
};

// The contents gravity a content mode stands for.
const std::string& contentsGravityForContentMode(UIViewContentMode mode);

using UIImageViewRef = objc::Ref<UIImageView>;

}  // namespace ios
