#include "platform/quartz/CAReplicatorLayer.h"

#include <algorithm>
#include <cmath>

#include "platform/quartz/CARetainedRenderer.h"

namespace ios {

OBJC_CLASS_DEFINE(CAReplicatorLayer, CALayer)

objc::Ref<CAReplicatorLayer> CAReplicatorLayer::layer() { return objc::make<CAReplicatorLayer>(); }

void CAReplicatorLayer::setInstanceCount(long count) {
    changeValue("instanceCount", [&] { m_instanceCount = std::max(0L, count); });
}

void CAReplicatorLayer::setInstanceTransform(const CATransform3D& t) {
    changeValue("instanceTransform", [&] { m_instanceTransform = t; });
}

CAValue CAReplicatorLayer::valueForKeyPath(const std::string& path) const {
    if (path == "instanceTransform") return m_instanceTransform;
    if (path == "instanceCount") return double(m_instanceCount);
    return CALayer::valueForKeyPath(path);
}

bool CAReplicatorLayer::setValueForKeyPath(const std::string& path, const CAValue& v) {
    if (!isPresentation()) CARetainedRenderer::layerWillChange(*this);
    if (path == "instanceTransform") {
        if (!v.holds<CATransform3D>()) return false;
        m_instanceTransform = v.transform();
        return true;
    }
    if (path == "instanceCount") {
        if (!v.holds<double>()) return false;
        m_instanceCount = std::max(0L, std::lround(v.number()));
        return true;
    }
    return CALayer::setValueForKeyPath(path, v);
}

}  // namespace ios
