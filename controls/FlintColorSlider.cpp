#include "controls/FlintColorSlider.h"

#include "platform/foundation/SystemLog.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UITouch.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintColorSlider, UISlider)

void FlintColorSlider::init(const CGRect& frame) {
    UISlider::init(frame);
    baseInit();
}

void FlintColorSlider::baseInit() {
    m_colorTrackImageView = objc::make<UIImageView>(UIImage::imageWithContentsOfFile(kFlintColorTrackImagePath));
    addSubview(m_colorTrackImageView);
    sendSubviewToBack(m_colorTrackImageView.get());

    m_showPreview = true;
    m_previewOffset = -45;
    m_previewAppearAnimateDuration = 0.07f;
    m_previewDismissAnimateDuration = 0.06f;
    m_colorTrackHeight = 2;

    UIImageRef clear = imageFromColor(UIColor::clearColor());
    setMinimumTrackImage(clear, UIControlStateNormal);
    setMaximumTrackImage(clear, UIControlStateNormal);
}

void FlintColorSlider::layoutSubviews() {
    UISlider::layoutSubviews();
    CGRect track = trackRectForBounds(bounds());
    CGRect strip = track;
    strip.size.height = m_colorTrackHeight;
    strip.origin.y = CGRectGetMidY(track) - strip.size.height / 2;
    m_colorTrackImageView->setFrame(strip);
}

UIColorRef FlintColorSlider::colorFromCurrentValue() const { return UIColor::colorWithHue(value(), 1, 1, 1); }

void FlintColorSlider::setColor(const UIColorRef& color) {
    double hue = 0, saturation = 0, brightness = 0, alpha = 0;
    if (!color || !color->getHue(&hue, &saturation, &brightness, &alpha)) {
        NSLog("FlintColorSlider: colour without a hue; the slider keeps its value");
        return;
    }
    setValue(static_cast<float>(hue));
}

UIImageRef FlintColorSlider::imageFromColor(const UIColorRef& color) {
    UIGraphicsBeginImageContext({1, 1});
    if (CGContextRef context = UIGraphicsGetCurrentContext(); context && color) {
        context->setFillColor(*color);
        context->fillRect({{0, 0}, {1, 1}});
    }
    UIImageRef image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

CGRect FlintColorSlider::currentThumbRect() const {
    CGRect b = bounds();
    return thumbRectForBounds(b, trackRectForBounds(b), value());
}

objc::Ref<FlintPreviewView> FlintColorSlider::previewViewWithFrame(const CGRect& frame, const UIColorRef& color) {
    auto bubble = objc::make<FlintPreviewView>(frame);
    bubble->setTintColor(UIColor::whiteColor());
    bubble->layer()->setCornerRadius(frame.size.width / 2);
    bubble->setAlpha(0.2);
    bubble->setColor(color);
    return bubble;
}

void FlintColorSlider::createPreview() {
    CGRect frame = CGRectOffset(CGRectInset(currentThumbRect(), -1, -1), 0, m_previewOffset);
    m_previewView = previewViewWithFrame(frame, colorFromCurrentValue());
    addSubview(m_previewView);
    auto bubble = m_previewView;
    UIView::animateWithDuration(m_previewAppearAnimateDuration, [&] { bubble->setAlpha(1.0); });
}

void FlintColorSlider::followThumb() {
    if (!m_previewView) return;
    CGRect thumb = currentThumbRect();
    CGRect frame = m_previewView->frame();
    frame.origin.x = CGRectGetMidX(thumb) - frame.size.width / 2;
    m_previewView->setFrame(frame);
    m_previewView->setColor(colorFromCurrentValue());
}

bool FlintColorSlider::beginTrackingWithTouch(const UITouch& touch, const UIEvent* event) {
    bool tracking = UISlider::beginTrackingWithTouch(touch, event);
    if (m_showPreview && CGRectContainsPoint(CGRectInset(currentThumbRect(), -8, -8), touch.locationInView(this)) &&
        !m_previewView)
        createPreview();
    return tracking;
}

bool FlintColorSlider::continueTrackingWithTouch(const UITouch& touch, const UIEvent* event) {
    bool tracking = UISlider::continueTrackingWithTouch(touch, event);
    if (m_showPreview && isTracking()) {
        if (m_previewView)
            followThumb();
        else
            createPreview();
    }
    return tracking;
}

void FlintColorSlider::endTrackingWithTouch(const UITouch* touch, const UIEvent* event) {
    UISlider::endTrackingWithTouch(touch, event);
    if (m_showPreview) removePreview();
}

void FlintColorSlider::cancelTrackingWithEvent(const UIEvent* event) {
    UISlider::cancelTrackingWithEvent(event);
    if (m_showPreview) removePreview();
}

void FlintColorSlider::removePreview() {
    if (!m_previewView) return;
    followThumb();
    auto bubble = m_previewView;
    objc::WeakRef<FlintColorSlider> weakSelf = std::static_pointer_cast<FlintColorSlider>(shared_from_this());
    UIView::animateWithDuration(
        m_previewDismissAnimateDuration, 0,
        UIViewAnimationOptionCurveLinear | UIViewAnimationOptionBeginFromCurrentState, [&] { bubble->setAlpha(0); },
        [weakSelf](bool finished) {
            auto self = weakSelf.lock();
            if (!finished || !self || !self->m_previewView) return;
            self->m_previewView->removeFromSuperview();
            self->m_previewView = nullptr;
        });
}
