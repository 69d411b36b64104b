#include "platform/springboard/_UIStatusBar.h"

#include <cmath>
#include <cstdio>

#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/quartz/CALayer.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/uikit/UITraitCollection.h"

namespace ios {

OBJC_CLASS_DEFINE_WITH(_UIStatusBar, UIView, [](objc::Class& cls) {
    cls.addNativeMethod("layoutSubviews",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<_UIStatusBar&>(self).statusBarLayoutSubviews();
                            return nullptr;
                        });
})

namespace {
objc::Ref<UIFont> timeFont(bool notched) {
    return notched ? UIFont::boldSystemFontOfSize(15) : UIFont::boldSystemFontOfSize(12);
}
}  // namespace

void _UIStatusBar::layoutSubviews() { objc::msgSend(shared_from_this(), objc::sel("layoutSubviews")); }

void _UIStatusBar::statusBarLayoutSubviews() {
    ++m_layoutPasses;
    UIView::layoutSubviews();
}

std::string _UIStatusBar::timeTextAt(double mediaTime) {
    long seconds = static_cast<long>(std::floor(kClockBaseTime + (mediaTime > 0 ? mediaTime : 0)));
    long minutes = (seconds / 60) % (24 * 60);
    long hour = minutes / 60 % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%ld:%02ld", hour == 0 ? 12 : hour, minutes % 60);
    return text;
}

std::string _UIStatusBar::timeText() { return timeTextAt(CACurrentMediaTime()); }

UIColorRef _UIStatusBar::foregroundColor() {
    auto traits = UITraitCollection::currentTraitCollection();
    bool dark = traits && traits->userInterfaceStyle() == UIUserInterfaceStyle::Dark;
    return dark ? UIColor::whiteColor() : UIColor::blackColor();
}

CGRect _UIStatusBar::timeFrame() const {
    const CGRect& b = bounds();
    auto font = timeFont(isNotched());
    CGFloat height = std::ceil(font->lineHeight());
    CGFloat width = isNotched() ? 54 : 60;
    CGFloat centerX = isNotched() ? 16 + width / 2 + 8 : b.size.width / 2;
    CGFloat top = isNotched() ? std::round((b.size.height - height) / 2 + 2) : std::round((b.size.height - height) / 2);
    return CGRectMake(centerX - width / 2, top, width, height);
}

CGRect _UIStatusBar::batteryFrame() const {
    const CGRect& b = bounds();
    CGFloat width = 24.5, height = 11.5;
    CGFloat right = isNotched() ? 26 : 8;
    CGFloat top = isNotched() ? (b.size.height - height) / 2 + 2 : (b.size.height - height) / 2;
    return CGRectMake(b.size.width - right - width, top, width, height);
}

CGRect _UIStatusBar::batteryFillFrame() const {
    CGRect body = batteryFrame();
    CGRect inner = CGRectInset(body, 2, 2);
    inner.size.width *= kBatteryLevel;
    return inner;
}

void _UIStatusBar::refreshTime() {
    if (timeText() != m_shownTime) setNeedsDisplay();
}

void _UIStatusBar::drawRect(const CGRect&) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    UIColorRef color = foregroundColor();
    m_shownTime = timeText();

    NSStringAttributes attributes;
    attributes.font = timeFont(isNotched());
    attributes.foregroundColor = color;
    attributes.alignment = NSTextAlignment::Center;
    drawText(*context, m_shownTime, timeFrame(), attributes, 1);

    // The battery: an outline at 35 % of the colour, a cap on the right, the charge filled.
    CGRect body = batteryFrame();
    context->saveGState();
    context->setStrokeColor(*color->colorWithAlphaComponent(0.35));
    context->setLineWidth(1);
    context->addPath(CGPathCreateWithRoundedRect(CGRectInset(body, 0.5, 0.5), 3, 3, nullptr));
    context->strokePath();
    context->setFillColor(*color->colorWithAlphaComponent(0.4));
    context->fillRect(CGRectMake(CGRectGetMaxX(body) + 1, body.origin.y + body.size.height / 2 - 2, 1.5, 4));
    context->setFillColor(*color);
    context->addPath(CGPathCreateWithRoundedRect(batteryFillFrame(), 1.5, 1.5, nullptr));
    context->fillPath();
    context->restoreGState();
}

}  // namespace ios
