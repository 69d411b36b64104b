#include "platform/quartz/CAGradientLayer.h"

#include "platform/quartz/CARetainedRenderer.h"

namespace ios {

OBJC_CLASS_DEFINE(CAGradientLayer, CALayer)

objc::Ref<CAGradientLayer> CAGradientLayer::layer() { return objc::make<CAGradientLayer>(); }

void CAGradientLayer::setColors(std::vector<UIColorRef> colors) {
    changeValue("colors", [&] { m_colors = std::move(colors); });
}
void CAGradientLayer::setLocations(std::vector<double> locations) {
    changeValue("locations", [&] { m_locations = std::move(locations); });
}
void CAGradientLayer::setStartPoint(const CGPoint& p) {
    changeValue("startPoint", [&] { m_startPoint = p; });
}
void CAGradientLayer::setEndPoint(const CGPoint& p) {
    changeValue("endPoint", [&] { m_endPoint = p; });
}

std::vector<double> CAGradientLayer::effectiveLocations() const {
    if (m_locations.size() == m_colors.size()) return m_locations;
    std::vector<double> even(m_colors.size());
    for (std::size_t i = 0; i < even.size(); ++i) even[i] = even.size() > 1 ? double(i) / double(even.size() - 1) : 0;
    return even;
}

CAValue CAGradientLayer::valueForKeyPath(const std::string& path) const {
    if (path == "colors") return m_colors;
    if (path == "locations") return m_locations;
    if (path == "startPoint") return m_startPoint;
    if (path == "endPoint") return m_endPoint;
    return CALayer::valueForKeyPath(path);
}

bool CAGradientLayer::setValueForKeyPath(const std::string& path, const CAValue& v) {
    if (!isPresentation()) CARetainedRenderer::layerWillChange(*this);
    if (path == "colors") {
        if (!v.holds<CAValue::Colors>()) return false;
        m_colors = v.colors();
        return true;
    }
    if (path == "locations") {
        if (!v.holds<CAValue::Numbers>()) return false;
        m_locations = v.numbers();
        return true;
    }
    if (path == "startPoint" || path == "endPoint") {
        if (!v.holds<CGPoint>()) return false;
        (path == "startPoint" ? m_startPoint : m_endPoint) = v.point();
        return true;
    }
    return CALayer::setValueForKeyPath(path, v);
}

}  // namespace ios
