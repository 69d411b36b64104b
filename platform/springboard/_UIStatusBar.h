#pragma once
// The system status bar. Its -layoutSubviews runs through the class's method table, so the
// method can be replaced by name and the replacement can call the previous implementation.
//
// It draws the time and a battery in the appearance's foreground colour (white when dark, black
// otherwise) over a transparent background. Home-button profiles (20 points high) centre the
// time; notched ones (44 points) put it in the left ear. The battery sits at the right.

#include <string>

#include "platform/uikit/UIView.h"

namespace ios {

class _UIStatusBar : public UIView {
    OBJC_CLASS_DECLARE(_UIStatusBar)
public:
    // The time of day the media clock's zero stands for (our choice: 9:41), in seconds.
    static constexpr double kClockBaseTime = 9 * 3600 + 41 * 60;
    // The battery charge drawn, 0 ... 1.
    static constexpr double kBatteryLevel = 0.8;

    void layoutSubviews() override;
    // The class's own layout, reached through the method table.
    void statusBarLayoutSubviews();
    int layoutPassCount() const { return m_layoutPasses; }

    // The time of day shown at the media clock's current time, "H:MM" on a 12-hour clock.
    static std::string timeText();
    static std::string timeTextAt(double mediaTime);
    // Where the time and the battery are drawn, in the bar's coordinates.
    CGRect timeFrame() const;
    CGRect batteryFrame() const;      // the battery's body, outline included
    CGRect batteryFillFrame() const;  // the charged part inside it
    // The colour of the time and the battery for the current appearance.
    static UIColorRef foregroundColor();

    // Redraws when the shown minute changed (the home screen calls this on every minute).
    void refreshTime();

    void drawRect(const CGRect& rect) override;
    void traitCollectionDidChange(const UITraitCollection* previous) override { setNeedsDisplay(); }

protected:
    _UIStatusBar() = default;

private:
    bool isNotched() const { return bounds().size.height > 30; }

    int m_layoutPasses = 0;
    std::string m_shownTime;
};

}  // namespace ios
