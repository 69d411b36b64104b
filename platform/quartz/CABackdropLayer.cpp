#include "platform/quartz/CABackdropLayer.h"

#include <algorithm>

#include "platform/quartz/CARetainedRenderer.h"

namespace ios {

OBJC_CLASS_DEFINE(CABackdropLayer, CALayer)

objc::Ref<CABackdropLayer> CABackdropLayer::layer() { return objc::make<CABackdropLayer>(); }

objc::Ref<CABackdropLayer> CABackdropLayer::layerWithStyle(CABackdropStyle style) {
    auto l = layer();
    l->setStyle(style);
    return l;
}

void CABackdropLayer::setBlurRadius(double radius) {
    changeValue("blurRadius", [&] { m_blurRadius = std::max(0.0, radius); });
}

UIColorRef CABackdropLayer::tintColor() const {
    return m_style == CABackdropStyle::Dark ? UIColor::colorWithWhite(0, 0.45) : UIColor::colorWithWhite(1, 0.55);
}

CAValue CABackdropLayer::valueForKeyPath(const std::string& path) const {
    if (path == "blurRadius") return m_blurRadius;
    return CALayer::valueForKeyPath(path);
}

bool CABackdropLayer::setValueForKeyPath(const std::string& path, const CAValue& v) {
    if (!isPresentation()) CARetainedRenderer::layerWillChange(*this);
    if (path == "blurRadius") {
        if (!v.holds<double>()) return false;
        m_blurRadius = std::max(0.0, v.number());
        return true;
    }
    return CALayer::setValueForKeyPath(path, v);
}

}  // namespace ios
