#pragma once
// A layer that draws its sublayers instanceCount times; instance i is drawn through the instance
// transform applied i times, about the layer's anchor point (like a sublayer transform).

#include "platform/quartz/CALayer.h"

namespace ios {

class CAReplicatorLayer : public CALayer {
    OBJC_CLASS_DECLARE(CAReplicatorLayer)
public:
    static objc::Ref<CAReplicatorLayer> layer();

    long instanceCount() const { return m_instanceCount; }
    void setInstanceCount(long count);
    const CATransform3D& instanceTransform() const { return m_instanceTransform; }
    void setInstanceTransform(const CATransform3D& t);
    // Kept; instances are drawn at the same time.
    double instanceDelay() const { return m_instanceDelay; }
    void setInstanceDelay(double d) { m_instanceDelay = d; }

    CAValue valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

protected:
    CAReplicatorLayer() = default;
    CAReplicatorLayer(const CAReplicatorLayer&) = default;
    objc::Ref<CALayer> makeCopy() const override { return copyOf(*this); }

private:
    long m_instanceCount = 1;
    CATransform3D m_instanceTransform{};
    double m_instanceDelay = 0;
};

using CAReplicatorLayerRef = objc::Ref<CAReplicatorLayer>;

}  // namespace ios
