#include "platform/uikit/UISlider.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIGestureRecognizer.h"

namespace ios {

OBJC_CLASS_DEFINE(UISlider, UIControl)

namespace {

UIImageRef imageFor(const std::map<unsigned, UIImageRef>& map, unsigned state) {
    auto it = map.find(state);
    if (it != map.end() && it->second) return it->second;
    it = map.find(UIControlStateNormal);
    return it != map.end() ? it->second : nullptr;
}

}  // namespace

void UISlider::init(const CGRect& frame) {
    UIControl::init(frame);
    setOpaque(false);
}

void UISlider::setValue(float value, bool) {
    float clamped = std::isnan(value) ? m_min : std::clamp(value, m_min, m_max);
    if (clamped == m_value) return;
    m_value = clamped;
    setNeedsDisplay();
}

void UISlider::setMinimumValue(float value) {
    m_min = value;
    if (m_max < m_min) m_max = m_min;
    setValue(m_value);
    setNeedsDisplay();
}

void UISlider::setMaximumValue(float value) {
    m_max = value;
    if (m_min > m_max) m_min = m_max;
    setValue(m_value);
    setNeedsDisplay();
}

void UISlider::setMinimumTrackImage(UIImageRef image, unsigned state) {
    m_minTrackImages[state] = std::move(image);
    setNeedsDisplay();
}
UIImageRef UISlider::minimumTrackImageForState(unsigned state) const { return imageFor(m_minTrackImages, state); }
void UISlider::setMaximumTrackImage(UIImageRef image, unsigned state) {
    m_maxTrackImages[state] = std::move(image);
    setNeedsDisplay();
}
UIImageRef UISlider::maximumTrackImageForState(unsigned state) const { return imageFor(m_maxTrackImages, state); }
void UISlider::setThumbImage(UIImageRef image, unsigned state) {
    m_thumbImages[state] = std::move(image);
    setNeedsDisplay();
}
UIImageRef UISlider::thumbImageForState(unsigned state) const { return imageFor(m_thumbImages, state); }
void UISlider::setMinimumTrackTintColor(UIColorRef color) {
    m_minTint = std::move(color);
    setNeedsDisplay();
}
void UISlider::setMaximumTrackTintColor(UIColorRef color) {
    m_maxTint = std::move(color);
    setNeedsDisplay();
}
void UISlider::setThumbTintColor(UIColorRef color) {
    m_thumbTint = std::move(color);
    setNeedsDisplay();
}

CGRect UISlider::trackRectForBounds(const CGRect& b) const {
    return CGRectMake(b.origin.x + kSliderTrackInset, CGRectGetMidY(b) - kSliderTrackHeight / 2,
                      std::max(0.0, b.size.width - 2 * kSliderTrackInset), kSliderTrackHeight);
}

CGRect UISlider::thumbRectForBounds(const CGRect& b, const CGRect&, float value) const {
    double range = m_max - m_min;
    double f = range > 0 ? std::clamp((static_cast<double>(value) - m_min) / range, 0.0, 1.0) : 0.0;
    double half = kSliderThumbSize / 2;
    double travel = std::max(0.0, b.size.width - kSliderThumbSize);
    double cx = b.origin.x + half + travel * f;
    return CGRectMake(cx - half, CGRectGetMidY(b) - half, kSliderThumbSize, kSliderThumbSize);
}

float UISlider::valueForThumbCenterX(double x) const {
    double half = kSliderThumbSize / 2;
    double travel = bounds().size.width - kSliderThumbSize;
    if (travel <= 0) return m_min;
    double f = std::clamp((x - bounds().origin.x - half) / travel, 0.0, 1.0);
    return static_cast<float>(m_min + f * (static_cast<double>(m_max) - m_min));
}

void UISlider::moveThumbTo(double x) {
    float before = m_value;
    setValue(valueForThumbCenterX(x));
    if (m_value == before) return;
    m_changedWhileTracking = true;
    if (m_continuous) sendActionsForControlEvents(UIControlEventValueChanged);
}

bool UISlider::beginTrackingWithTouch(const UITouch& touch, const UIEvent*) {
    CGPoint p = touch.locationInView(this);
    CGRect thumb = thumbRectForBounds(bounds(), trackRectForBounds(bounds()), m_value);
    m_grabbedThumb = CGRectContainsPoint(thumb, p);
    m_grabOffset = m_grabbedThumb ? p.x - CGRectGetMidX(thumb) : 0;
    m_changedWhileTracking = false;
    return true;
}

bool UISlider::continueTrackingWithTouch(const UITouch& touch, const UIEvent*) {
    moveThumbTo(touch.locationInView(this).x - m_grabOffset);
    return true;
}

void UISlider::endTrackingWithTouch(const UITouch* touch, const UIEvent*) {
    if (touch && touch->locationInView(this) != touch->previousLocationInView(this))
        moveThumbTo(touch->locationInView(this).x - m_grabOffset);
    if (!m_continuous && m_changedWhileTracking) sendActionsForControlEvents(UIControlEventValueChanged);
    m_changedWhileTracking = false;
}

void UISlider::cancelTrackingWithEvent(const UIEvent*) {
    if (!m_continuous && m_changedWhileTracking) sendActionsForControlEvents(UIControlEventValueChanged);
    m_changedWhileTracking = false;
}

bool UISlider::preventsAncestorGestureRecognizer(const UIGestureRecognizer& recognizer, const UITouch& touch) const {
    if (dynamic_cast<const UIPanGestureRecognizer*>(&recognizer) ||
        dynamic_cast<const UISwipeGestureRecognizer*>(&recognizer))
        return true;
    return UIControl::preventsAncestorGestureRecognizer(recognizer, touch);
}

void UISlider::drawRect(const CGRect&) {
    CGContext* context = UIGraphicsGetCurrentContext();
    if (!context) return;
    CGRect track = trackRectForBounds(bounds());
    CGRect thumb = thumbRectForBounds(bounds(), track, m_value);
    double split = CGRectGetMidX(thumb);
    CGRect minPart =
        CGRectMake(track.origin.x, track.origin.y, std::max(0.0, split - track.origin.x), track.size.height);
    CGRect maxPart = CGRectMake(split, track.origin.y, std::max(0.0, CGRectGetMaxX(track) - split), track.size.height);
    UIImageRef minImage = minimumTrackImageForState(state());
    UIImageRef maxImage = maximumTrackImageForState(state());
    // A track image is drawn at its own height, centred on the track, and cut at the thumb.
    auto drawPart = [&](const UIImageRef& image, const CGRect& part, const UIColorRef& tint) {
        if (part.size.width <= 0) return;
        if (image) {
            double h = image->size().height > 0 ? image->size().height : track.size.height;
            CGRect full = CGRectMake(track.origin.x, CGRectGetMidY(track) - h / 2, track.size.width, h);
            context->saveGState();
            context->clipToRect(CGRectMake(part.origin.x, full.origin.y, part.size.width, h));
            image->paint(context->cairo(), full, 1);
            context->restoreGState();
            return;
        }
        context->setFillColor(*tint);
        context->fillRect(part);
    };
    UIColorRef minTint = m_minTint ? m_minTint : tintColor();
    if (!minTint) minTint = UIColor::systemBlueColor();
    UIColorRef maxTint = m_maxTint ? m_maxTint : UIColor::colorWithWhite(0.71, 1);
    drawPart(minImage, minPart, minTint);
    drawPart(maxImage, maxPart, maxTint);

    if (UIImageRef image = thumbImageForState(state())) {
        CGSize s = image->size();
        image->paint(context->cairo(),
                     CGRectMake(split - s.width / 2, CGRectGetMidY(thumb) - s.height / 2, s.width, s.height), 1);
        return;
    }
    // The default thumb: a white disc with a soft grey rim.
    CGRect disc = CGRectInset(thumb, 2, 2);
    context->setFillColor(0, 0, 0, 0.12);
    context->addEllipseInRect(CGRectOffset(disc, 0, 1));
    context->fillPath();
    context->setFillColor(*(m_thumbTint ? m_thumbTint : UIColor::whiteColor()));
    context->addEllipseInRect(disc);
    context->fillPath();
}

}  // namespace ios
