#pragma once
// A layer that fills and strokes a path given in its own coordinates.

#include <string>
#include <vector>

#include "platform/graphics/CGPath.h"
#include "platform/quartz/CALayer.h"

namespace ios {

inline const std::string kCALineCapButt = "butt";
inline const std::string kCALineCapRound = "round";
inline const std::string kCALineCapSquare = "square";
inline const std::string kCALineJoinMiter = "miter";
inline const std::string kCALineJoinRound = "round";
inline const std::string kCALineJoinBevel = "bevel";
inline const std::string kCAFillRuleNonZero = "non-zero";
inline const std::string kCAFillRuleEvenOdd = "even-odd";

class CAShapeLayer : public CALayer {
    OBJC_CLASS_DECLARE(CAShapeLayer)
public:
    static objc::Ref<CAShapeLayer> layer();

    const CGPathRef& path() const { return m_path; }
    void setPath(CGPathRef path);
    // Opaque black by default; none fills nothing.
    const UIColorRef& fillColor() const { return m_fillColor; }
    void setFillColor(UIColorRef color);
    // None by default: no stroke.
    const UIColorRef& strokeColor() const { return m_strokeColor; }
    void setStrokeColor(UIColorRef color);
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width);
    const std::vector<double>& lineDashPattern() const { return m_dashPattern; }
    void setLineDashPattern(std::vector<double> pattern);
    double lineDashPhase() const { return m_dashPhase; }
    void setLineDashPhase(double phase);
    const std::string& lineCap() const { return m_lineCap; }
    void setLineCap(const std::string& cap) { m_lineCap = cap; }
    const std::string& lineJoin() const { return m_lineJoin; }
    void setLineJoin(const std::string& join) { m_lineJoin = join; }
    double miterLimit() const { return m_miterLimit; }
    void setMiterLimit(double limit) { m_miterLimit = limit; }
    const std::string& fillRule() const { return m_fillRule; }
    void setFillRule(const std::string& rule) { m_fillRule = rule; }
    // The part of the path's length that is stroked, as fractions 0…1.
    double strokeStart() const { return m_strokeStart; }
    void setStrokeStart(double s);
    double strokeEnd() const { return m_strokeEnd; }
    void setStrokeEnd(double e);

    CAValue valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

    void init() override;

protected:
    CAShapeLayer() = default;
    CAShapeLayer(const CAShapeLayer&) = default;
    objc::Ref<CALayer> makeCopy() const override { return copyOf(*this); }

private:
    CGPathRef m_path;
    UIColorRef m_fillColor;
    UIColorRef m_strokeColor;
    double m_lineWidth = 1;
    std::vector<double> m_dashPattern;
    double m_dashPhase = 0;
    std::string m_lineCap = kCALineCapButt;
    std::string m_lineJoin = kCALineJoinMiter;
    double m_miterLimit = 10;
    std::string m_fillRule = kCAFillRuleNonZero;
    double m_strokeStart = 0;
    double m_strokeEnd = 1;
};

using CAShapeLayerRef = objc::Ref<CAShapeLayer>;

}  // namespace ios
