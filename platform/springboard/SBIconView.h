#pragma once
// One application on the home screen: its 60-point icon with its name beneath; a tap on it
// launches the application.

#include "platform/springboard/DeviceConfiguration.h"
#include "platform/uikit/UIView.h"

namespace ios {

class SBIconView : public UIView {
    OBJC_CLASS_DECLARE(SBIconView)
public:
    static constexpr CGFloat kIconSide = 60;
    static constexpr CGFloat kLabelGap = 5;
    static constexpr CGFloat kLabelFontSize = 12;
    static constexpr CGFloat kWidth = 76;   // the label may be wider than the icon
    static constexpr CGFloat kHeight = 82;  // icon, gap and one line of label

    using UIView::init;
    void init(const InstalledApplication& application);

    const InstalledApplication& application() const { return m_application; }
    // The icon's square in the view's coordinates.
    CGRect iconFrame() const { return CGRectMake((kWidth - kIconSide) / 2, 0, kIconSide, kIconSide); }
    CGRect labelFrame() const;
    // The name's colour for the current appearance.
    static UIColorRef labelColor();

    void drawRect(const CGRect& rect) override;
    // A finger lifted inside the view launches the application.
    void touchesBegan(const UITouchList& touches, const UIEvent& event) override {}
    void touchesMoved(const UITouchList& touches, const UIEvent& event) override {}
    void touchesEnded(const UITouchList& touches, const UIEvent& event) override;
    void traitCollectionDidChange(const UITraitCollection* previous) override { setNeedsDisplay(); }

protected:
    SBIconView() = default;

private:
    InstalledApplication m_application;
    objc::Ref<UIImage> m_icon;
};

}  // namespace ios
