#include "platform/springboard/SBLockScreenView.h"

#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/springboard/SBArtwork.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/springboard/_UIStatusBar.h"
#include "platform/text/NSStringDrawing.h"

namespace ios {

OBJC_CLASS_DEFINE(SBLockScreenView, UIView)

void SBLockScreenView::init(const CGRect& frame) {
    UIView::init(frame);
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
}

CGRect SBLockScreenView::lockFrame() const {
    CGFloat top = Process::current() ? Process::current()->profile().statusBarHeight : 20;
    return CGRectMake(std::round(bounds().size.width / 2 - 9), top + 14, 18, 22);
}

CGRect SBLockScreenView::timeFrame() const {
    CGRect lock = lockFrame();
    return CGRectMake(0, CGRectGetMaxY(lock) + 12, bounds().size.width, 96);
}

void SBLockScreenView::refreshTime() {
    if (_UIStatusBar::timeText() != m_shownTime) setNeedsDisplay();
}

void SBLockScreenView::drawRect(const CGRect&) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    auto traits = UITraitCollection::currentTraitCollection();
    int style = traits ? static_cast<int>(traits->userInterfaceStyle()) : 0;
    context->drawImage(bounds(), *wallpaperImage(bounds().size, mainScreenScale(), style));
    context->setFillColor(0, 0, 0, kDimming);
    context->fillRect(bounds());
    context->setFillColor(*UIColor::whiteColor());
    // The padlock: a shackle over a body.
    CGRect lock = lockFrame();
    context->setStrokeColor(*UIColor::whiteColor());
    context->setLineWidth(2.5);
    context->addArc(CGRectGetMidX(lock), lock.origin.y + 7, 5.5, M_PI, 2 * M_PI, false);
    context->moveToPoint(CGRectGetMidX(lock) - 5.5, lock.origin.y + 7);
    context->addLineToPoint(CGRectGetMidX(lock) - 5.5, lock.origin.y + 11);
    context->moveToPoint(CGRectGetMidX(lock) + 5.5, lock.origin.y + 7);
    context->addLineToPoint(CGRectGetMidX(lock) + 5.5, lock.origin.y + 11);
    context->strokePath();
    context->fillRect(CGRectMake(lock.origin.x, lock.origin.y + 10, lock.size.width, 12));

    m_shownTime = _UIStatusBar::timeText();
    NSStringAttributes attributes;
    attributes.font = UIFont::systemFontOfSize(80);
    attributes.foregroundColor = UIColor::whiteColor();
    attributes.alignment = NSTextAlignment::Center;
    drawText(*context, m_shownTime, timeFrame(), attributes, 1);
}

}  // namespace ios
