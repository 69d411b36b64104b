#include "platform/quartz/CAShapeLayer.h"

#include <algorithm>

#include "platform/quartz/CARetainedRenderer.h"

namespace ios {

OBJC_CLASS_DEFINE(CAShapeLayer, CALayer)

objc::Ref<CAShapeLayer> CAShapeLayer::layer() { return objc::make<CAShapeLayer>(); }

void CAShapeLayer::init() {
    CALayer::init();
    m_fillColor = UIColor::blackColor();
}

void CAShapeLayer::setPath(CGPathRef path) {
    changeValue("path", [&] { m_path = std::move(path); });
}
void CAShapeLayer::setFillColor(UIColorRef color) {
    changeValue("fillColor", [&] { m_fillColor = std::move(color); });
}
void CAShapeLayer::setStrokeColor(UIColorRef color) {
    changeValue("strokeColor", [&] { m_strokeColor = std::move(color); });
}
void CAShapeLayer::setLineWidth(double width) {
    changeValue("lineWidth", [&] { m_lineWidth = std::max(0.0, width); });
}
void CAShapeLayer::setLineDashPattern(std::vector<double> pattern) {
    changeValue("lineDashPattern", [&] { m_dashPattern = std::move(pattern); });
}
void CAShapeLayer::setLineDashPhase(double phase) {
    changeValue("lineDashPhase", [&] { m_dashPhase = phase; });
}
void CAShapeLayer::setStrokeStart(double s) {
    changeValue("strokeStart", [&] { m_strokeStart = std::clamp(s, 0.0, 1.0); });
}
void CAShapeLayer::setStrokeEnd(double e) {
    changeValue("strokeEnd", [&] { m_strokeEnd = std::clamp(e, 0.0, 1.0); });
}

CAValue CAShapeLayer::valueForKeyPath(const std::string& path) const {
    if (path == "fillColor") return m_fillColor;
    if (path == "strokeColor") return m_strokeColor;
    if (path == "lineWidth") return m_lineWidth;
    if (path == "lineDashPhase") return m_dashPhase;
    if (path == "miterLimit") return m_miterLimit;
    if (path == "strokeStart") return m_strokeStart;
    if (path == "strokeEnd") return m_strokeEnd;
    return CALayer::valueForKeyPath(path);
}

bool CAShapeLayer::setValueForKeyPath(const std::string& path, const CAValue& v) {
    if (!isPresentation()) CARetainedRenderer::layerWillChange(*this);
    if (path == "fillColor" || path == "strokeColor") {
        if (!v.isNone() && !v.holds<UIColorRef>()) return false;
        (path == "fillColor" ? m_fillColor : m_strokeColor) = v.color();
        return true;
    }
    double* field = path == "lineWidth"       ? &m_lineWidth
                    : path == "lineDashPhase" ? &m_dashPhase
                    : path == "miterLimit"    ? &m_miterLimit
                    : path == "strokeStart"   ? &m_strokeStart
                    : path == "strokeEnd"     ? &m_strokeEnd
                                              : nullptr;
    if (field) {
        if (!v.holds<double>()) return false;
        *field = v.number();
        return true;
    }
    return CALayer::setValueForKeyPath(path, v);
}

}  // namespace ios
