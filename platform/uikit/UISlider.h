#pragma once
// A horizontal slider. Geometry (our choice, close to the platform's): the track is 2 points
// high, centred vertically and inset 2 points from each side; the thumb is 31 × 31, centred
// vertically, its centre moving linearly from 15.5 points inside the left edge (minimum) to 15.5
// inside the right edge (maximum). A touch on the thumb drags it keeping the grip offset; a touch
// elsewhere moves the thumb under the finger once it moves. Value-changed is sent at every change
// while continuous, else once at the end of the drag.

#include <map>

#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIControl.h"

namespace ios {

inline constexpr double kSliderHeight = 31;
inline constexpr double kSliderTrackHeight = 2;
inline constexpr double kSliderTrackInset = 2;
inline constexpr double kSliderThumbSize = 31;

class UISlider : public UIControl {
    OBJC_CLASS_DECLARE(UISlider)
public:
    void init(const CGRect& frame) override;
    using UIControl::init;

    float value() const { return m_value; }
    // Clamped to the range; does not send value-changed.
    void setValue(float value, bool animated = false);
    float minimumValue() const { return m_min; }
    void setMinimumValue(float value);
    float maximumValue() const { return m_max; }
    void setMaximumValue(float value);
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }

    void setMinimumTrackImage(UIImageRef image, unsigned state);
    UIImageRef minimumTrackImageForState(unsigned state) const;
    void setMaximumTrackImage(UIImageRef image, unsigned state);
    UIImageRef maximumTrackImageForState(unsigned state) const;
    void setThumbImage(UIImageRef image, unsigned state);
    UIImageRef thumbImageForState(unsigned state) const;
    UIColorRef minimumTrackTintColor() const { return m_minTint; }
    void setMinimumTrackTintColor(UIColorRef color);
    UIColorRef maximumTrackTintColor() const { return m_maxTint; }
    void setMaximumTrackTintColor(UIColorRef color);
    UIColorRef thumbTintColor() const { return m_thumbTint; }
    void setThumbTintColor(UIColorRef color);

    virtual CGRect trackRectForBounds(const CGRect& bounds) const;
    virtual CGRect thumbRectForBounds(const CGRect& bounds, const CGRect& trackRect, float value) const;
    // The value whose thumb centre sits at x (bounds coordinates), clamped to the range.
    float valueForThumbCenterX(double x) const;

    bool beginTrackingWithTouch(const UITouch& touch, const UIEvent* event) override;
    bool continueTrackingWithTouch(const UITouch& touch, const UIEvent* event) override;
    void endTrackingWithTouch(const UITouch* touch, const UIEvent* event) override;
    void cancelTrackingWithEvent(const UIEvent* event) override;
    // A touch on the slider keeps pans and swipes of its superviews from taking it.
    bool preventsAncestorGestureRecognizer(const UIGestureRecognizer& recognizer, const UITouch& touch) const override;

    CGSize intrinsicContentSize() const override { return {UIViewNoIntrinsicMetric, kSliderHeight}; }
    void drawRect(const CGRect& rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

protected:
    UISlider() = default;

private:
    void moveThumbTo(double x);

    float m_value = 0;
    float m_min = 0;
    float m_max = 1;
    bool m_continuous = true;
    bool m_grabbedThumb = false;
    bool m_changedWhileTracking = false;
    double m_grabOffset = 0;
    std::map<unsigned, UIImageRef> m_minTrackImages, m_maxTrackImages, m_thumbImages;
    UIColorRef m_minTint, m_maxTint, m_thumbTint;
};

}  // namespace ios
