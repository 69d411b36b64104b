#include "platform/springboard/SBApplicationScreenView.h"

#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/uikit/UITraitCollection.h"

namespace ios {

OBJC_CLASS_DEFINE(SBApplicationScreenView, UIView)

namespace {
bool isDark() {
    auto traits = UITraitCollection::currentTraitCollection();
    return traits && traits->userInterfaceStyle() == UIUserInterfaceStyle::Dark;
}
}  // namespace

UIColorRef SBApplicationScreenView::screenBackgroundColor() {
    return isDark() ? UIColor::blackColor() : UIColor::whiteColor();
}

UIColorRef SBApplicationScreenView::screenTextColor() {
    return isDark() ? UIColor::whiteColor() : UIColor::blackColor();
}

void SBApplicationScreenView::init(const CGRect& frame, Kind kind, const InstalledApplication& application,
                                   std::string detail) {
    UIView::init(frame);
    m_kind = kind;
    m_application = application;
    m_detail = std::move(detail);
    setBackgroundColor(screenBackgroundColor());
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
}

void SBApplicationScreenView::traitCollectionDidChange(const UITraitCollection*) {
    setBackgroundColor(screenBackgroundColor());
    setNeedsDisplay();
}

void SBApplicationScreenView::drawRect(const CGRect&) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    const CGRect& b = bounds();
    CGFloat top = Process::current() ? Process::current()->profile().statusBarHeight : 20;
    NSStringAttributes title;
    title.foregroundColor = screenTextColor();
    title.alignment = NSTextAlignment::Center;

    switch (m_kind) {
    case Kind::Application: {
        auto icon = applicationIconImage(&m_application, 2, 0);
        CGFloat side = iconSizeForFormat(2);
        CGFloat y = std::round(b.size.height / 2 - side - 10);
        context->drawImage(CGRectMake(std::round((b.size.width - side) / 2), y, side, side), *icon);
        title.font = UIFont::boldSystemFontOfSize(28);
        drawText(*context, m_application.name, CGRectMake(16, y + side + 16, b.size.width - 32, 40), title, 1);
        break;
    }
    case Kind::SettingsPage: {
        title.font = UIFont::boldSystemFontOfSize(17);
        drawText(*context, m_application.name, CGRectMake(16, top + 10, b.size.width - 32, 24), title, 1);
        NSStringAttributes page = title;
        page.font = UIFont::boldSystemFontOfSize(34);
        page.alignment = NSTextAlignment::Left;
        drawText(*context, m_detail, CGRectMake(16, top + 48, b.size.width - 32, 44), page, 1);
        break;
    }
    case Kind::WebPage: {
        // The address bar: a rounded field at the top holding the address.
        CGRect bar = CGRectMake(12, top + 8, b.size.width - 24, 36);
        context->saveGState();
        context->setFillColor(isDark() ? 0.17 : 0.93, isDark() ? 0.17 : 0.93, isDark() ? 0.18 : 0.94, 1);
        context->addPath(CGPathCreateWithRoundedRect(bar, 10, 10, nullptr));
        context->fillPath();
        context->restoreGState();
        NSStringAttributes address = title;
        address.font = UIFont::systemFontOfSize(15);
        address.lineBreakMode = NSLineBreakMode::ByTruncatingMiddle;
        CGFloat lineHeight = std::ceil(address.font->lineHeight());
        drawText(*context, m_detail,
                 CGRectMake(bar.origin.x + 10, bar.origin.y + (bar.size.height - lineHeight) / 2, bar.size.width - 20,
                            lineHeight),
                 address, 1);
        title.font = UIFont::boldSystemFontOfSize(28);
        drawText(*context, m_application.name, CGRectMake(16, b.size.height / 2 - 20, b.size.width - 32, 40), title, 1);
        break;
    }
    }
}

}  // namespace ios
