#include "controls/FlintPreviewView.h"

#include <cmath>

using namespace ios;

OBJC_CLASS_DEFINE(FlintPreviewView, UIView)

void FlintPreviewView::init(const CGRect& frame) {
    UIView::init(frame);
    CGRect b = bounds();
    m_colorView = objc::make<UIView>(CGRectInset(b, 3, 3));
    m_colorView->layer()->setCornerRadius(m_colorView->frame().size.width / 2);
    addSubview(m_colorView);

    m_arrowView = objc::make<UIView>(CGRectMake(CGRectGetMidX(b) - 19.0 / 2, b.size.height - 15, 19, 18));
    m_arrowView->setTransform(CGAffineTransformMakeRotation(M_PI / 4));
    m_arrowView->layer()->setCornerRadius(4);
    addSubview(m_arrowView);
    sendSubviewToBack(m_arrowView.get());
}

void FlintPreviewView::tintColorDidChange() {
    setBackgroundColor(tintColor());
    if (m_arrowView) m_arrowView->setBackgroundColor(tintColor());
}

void FlintPreviewView::setColor(UIColorRef color) {
    m_color = color;
    if (m_colorView) m_colorView->setBackgroundColor(color);
}
