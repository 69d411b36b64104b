#pragma once
// A layer filled with a gradient across its bounds. Points are in the unit square of the bounds
// ((0, 0) top-left); without locations the colours are spread evenly.

#include <string>
#include <vector>

#include "platform/quartz/CALayer.h"

namespace ios {

inline const std::string kCAGradientLayerAxial = "axial";
inline const std::string kCAGradientLayerRadial = "radial";

class CAGradientLayer : public CALayer {
    OBJC_CLASS_DECLARE(CAGradientLayer)
public:
    static objc::Ref<CAGradientLayer> layer();

    const std::vector<UIColorRef>& colors() const { return m_colors; }
    void setColors(std::vector<UIColorRef> colors);
    const std::vector<double>& locations() const { return m_locations; }
    void setLocations(std::vector<double> locations);
    const CGPoint& startPoint() const { return m_startPoint; }
    void setStartPoint(const CGPoint& p);
    const CGPoint& endPoint() const { return m_endPoint; }
    void setEndPoint(const CGPoint& p);
    // Axial (the default), or radial: centred on startPoint, reaching endPoint.
    const std::string& type() const { return m_type; }
    void setType(const std::string& type) { m_type = type; }

    // The stop positions in use: the locations when there is one per colour, else evenly spread.
    std::vector<double> effectiveLocations() const;

    CAValue valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

protected:
    CAGradientLayer() = default;
    CAGradientLayer(const CAGradientLayer&) = default;
    objc::Ref<CALayer> makeCopy() const override { return copyOf(*this); }

private:
    std::vector<UIColorRef> m_colors;
    std::vector<double> m_locations;
    CGPoint m_startPoint{0.5, 0};
    CGPoint m_endPoint{0.5, 1};
    std::string m_type = kCAGradientLayerAxial;
};

using CAGradientLayerRef = objc::Ref<CAGradientLayer>;

}  // namespace ios
