#pragma once
// The lock screen: the wallpaper dimmed, with the time large and a lock symbol above it.

#include <string>

#include "platform/uikit/UIView.h"

namespace ios {

class SBLockScreenView : public UIView {
    OBJC_CLASS_DECLARE(SBLockScreenView)
public:
    // The dimming over the wallpaper (black at this alpha).
    static constexpr double kDimming = 0.35;

    using UIView::init;
    void init(const CGRect& frame) override;
    CGRect timeFrame() const;
    CGRect lockFrame() const;
    void refreshTime();

    void drawRect(const CGRect& rect) override;
    void traitCollectionDidChange(const UITraitCollection* previous) override { setNeedsDisplay(); }

protected:
    SBLockScreenView() = default;

private:
    std::string m_shownTime;
};

}  // namespace ios
