#pragma once
// The quick panel's measures: every constant that changes with the screen class.

#include "platform/graphics/CGGeometry.h"
#include "startup/ScreenMetrics.h"

namespace flint {

struct PanelMetrics : ScreenMetrics {
    double topZoneHeight() const { return 0.05 * H; }  // T
    double cardWidth() const { return W / 2 - 15; }
    double userCardHeight() const { return W / 2 - 100; }
    double utilitiesCardHeight() const { return W / 2 - 20; }
    double networkCardHeight() const;  // Wi-Fi and cellular
    double appCardHeight() const;
    double showcaseCardHeight() const;
    double musicCardHeight() const;

    // User card.
    double avatarSide() const { return screenClass == ScreenClass::Height667 ? 45 : 50; }
    // Utilities card.
    double utilitiesInset() const;
    double settingsButtonSide() const;
    static constexpr double kCornerButtonSide = 50;
    static constexpr double kCornerIconSide = 25;
    static constexpr double kSettingsIconSide = 35;
    // Wi-Fi and cellular cards.
    double networkIconSide() const { return screenClass == ScreenClass::Height667 ? 40 : 50; }
    double networkTopInset() const;  // a
    double networkGapB() const { return screenClass == ScreenClass::Height667 ? 2 : 5; }
    double networkGapC() const { return screenClass == ScreenClass::Height667 ? 3 : 5; }
    double networkBoldFontSize() const;
    double networkRegularFontSize() const { return screenClass == ScreenClass::Other ? 11 : 10; }
    // Text in a card keeps this far from its sides (and from the music shortcuts).
    static constexpr double kCardTextInset = 5;
    // Music card.
    double transportSide() const { return screenClass == ScreenClass::Height667 ? 35 : 40; }
    static constexpr double kMusicShortcutSide = 40;
    static constexpr double kMusicShortcutMargin = 10;        // from the card's right edge
    static constexpr double kMusicShortcutCentreOffset = 25;  // above and below the card's centre
    unsigned wavePercent() const;

    // Card frames in the panel's root view.
    ios::CGRect userCardFrame() const;
    ios::CGRect utilitiesCardFrame() const;
    ios::CGRect wifiCardFrame() const;
    ios::CGRect cellularCardFrame() const;
    ios::CGRect appCardFrame() const;
    ios::CGRect showcaseCardFrame() const;
    ios::CGRect musicCardFrame() const;
    ios::CGRect topZoneFrame() const { return ios::CGRectMake(0, 0, W, topZoneHeight()); }
    ios::CGRect dismissPillFrame() const { return ios::CGRectMake((W - 150) / 2, H - 20 - 50, 150, 50); }
    // A countdown banner's window.
    ios::CGRect bannerWindowFrame() const { return ios::CGRectMake(0, 0, W, 0.15 * H); }

    static PanelMetrics forSize(double width, double height);
    // The main screen's.
    static PanelMetrics current();
};

}  // namespace flint
