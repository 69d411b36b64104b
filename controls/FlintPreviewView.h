#pragma once
// The round colour bubble that floats above the colour slider's thumb: a circle in the tint
// colour (the rim), a smaller circle showing the colour, and a rounded point beneath.

#include "platform/uikit/UIView.h"

class FlintPreviewView : public ios::UIView {
    OBJC_CLASS_DECLARE(FlintPreviewView)
public:
    using ios::UIView::init;
    void init(const ios::CGRect& frame) override;

    ios::UIColorRef color() const { return m_color; }
    void setColor(ios::UIColorRef color);
    const objc::Ref<ios::UIView>& colorView() const { return m_colorView; }
    const objc::Ref<ios::UIView>& arrowView() const { return m_arrowView; }

    void tintColorDidChange() override;

protected:
    FlintPreviewView() = default;

private:
    ios::UIColorRef m_color;
    objc::Ref<ios::UIView> m_colorView;
    objc::Ref<ios::UIView> m_arrowView;
};
