#include "platform/springboard/SBIconView.h"

#include <cmath>

#include "platform/graphics/UIGraphics.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITraitCollection.h"

namespace ios {

OBJC_CLASS_DEFINE(SBIconView, UIView)

void SBIconView::init(const InstalledApplication& application) {
    UIView::init(CGRectMake(0, 0, kWidth, kHeight));
    m_application = application;
    m_icon = applicationIconImage(&m_application, 2, 0);
}

CGRect SBIconView::labelFrame() const {
    CGFloat height = std::ceil(UIFont::systemFontOfSize(kLabelFontSize)->lineHeight());
    return CGRectMake(0, kIconSide + kLabelGap, kWidth, height);
}

UIColorRef SBIconView::labelColor() {
    auto traits = UITraitCollection::currentTraitCollection();
    bool dark = traits && traits->userInterfaceStyle() == UIUserInterfaceStyle::Dark;
    return dark ? UIColor::whiteColor() : UIColor::colorWithRed(0x1c / 255.0, 0x1c / 255.0, 0x1e / 255.0, 1);
}

void SBIconView::touchesEnded(const UITouchList& touches, const UIEvent&) {
    if (touches.empty() || !CGRectContainsPoint(bounds(), touches.front()->locationInView(this))) return;
    HomeScreen::shared().launchApplication(m_application.bundleIdentifier, false);
}

void SBIconView::drawRect(const CGRect&) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    if (m_icon) context->drawImage(iconFrame(), *m_icon);
    NSStringAttributes attributes;
    attributes.font = UIFont::systemFontOfSize(kLabelFontSize);
    attributes.foregroundColor = labelColor();
    attributes.alignment = NSTextAlignment::Center;
    attributes.lineBreakMode = NSLineBreakMode::ByTruncatingTail;
    drawText(*context, m_application.name, labelFrame(), attributes, 1);
}

}  // namespace ios
