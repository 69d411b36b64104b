#pragma once
// A layer that shows what lies beneath it, blurred and tinted: the backing of the visual-effect
// views. The blur is a Gaussian of the given radius in points (σ = radius / 2); the tint is laid
// over it, clipped to the layer's (rounded) bounds. Its own background, contents and sublayers
// draw on top as for any layer.

#include "platform/quartz/CALayer.h"

namespace ios {

enum class CABackdropStyle { Dark, Light };

class CABackdropLayer : public CALayer {
    OBJC_CLASS_DECLARE(CABackdropLayer)
public:
    static objc::Ref<CABackdropLayer> layer();
    static objc::Ref<CABackdropLayer> layerWithStyle(CABackdropStyle style);

    CABackdropStyle style() const { return m_style; }
    void setStyle(CABackdropStyle style) { m_style = style; }
    // 20 points by default.
    double blurRadius() const { return m_blurRadius; }
    void setBlurRadius(double radius);
    // The style's tint: black at 0.45 (dark) or white at 0.55 (light).
    UIColorRef tintColor() const;

    CAValue valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

protected:
    CABackdropLayer() = default;
    CABackdropLayer(const CABackdropLayer&) = default;
    objc::Ref<CALayer> makeCopy() const override { return copyOf(*this); }

private:
    CABackdropStyle m_style = CABackdropStyle::Dark;
    double m_blurRadius = 20;
};

using CABackdropLayerRef = objc::Ref<CABackdropLayer>;

}  // namespace ios
