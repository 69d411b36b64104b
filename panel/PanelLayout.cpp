#include "panel/PanelLayout.h"

namespace flint {

PanelMetrics PanelMetrics::forSize(double width, double height) {
    PanelMetrics m;
    static_cast<ScreenMetrics&>(m) = ScreenMetrics::forSize(width, height);
    return m;
}

PanelMetrics PanelMetrics::current() {
    PanelMetrics m;
    static_cast<ScreenMetrics&>(m) = ScreenMetrics::current();
    return m;
}

namespace {
bool small(ScreenClass c) { return c == ScreenClass::Height667 || c == ScreenClass::Height736; }
}  // namespace

double PanelMetrics::networkCardHeight() const { return small(screenClass) ? W / 2 - 80 : W / 2 - 50; }
double PanelMetrics::appCardHeight() const { return small(screenClass) ? W / 2 : W / 2 + 50; }
double PanelMetrics::showcaseCardHeight() const { return small(screenClass) ? W / 2 - 80 : W / 2 - 30; }
double PanelMetrics::musicCardHeight() const {
    switch (screenClass) {
    case ScreenClass::Height667: return W / 2 - 55;
    case ScreenClass::Height736: return W / 2 - 70;
    default: return W / 2;
    }
}

double PanelMetrics::utilitiesInset() const {
    return screenClass == ScreenClass::Height667 || screenClass == ScreenClass::Height812 ? 15 : 20;
}
double PanelMetrics::settingsButtonSide() const {
    return screenClass == ScreenClass::Height667 || screenClass == ScreenClass::Height812 ? 55 : 60;
}
double PanelMetrics::networkTopInset() const { return small(screenClass) ? 5 : 10; }
double PanelMetrics::networkBoldFontSize() const {
    switch (screenClass) {
    case ScreenClass::Height812: return 12;
    case ScreenClass::Other: return 13;
    default: return 11;
    }
}
unsigned PanelMetrics::wavePercent() const { return small(screenClass) ? 20 : 40; }

ios::CGRect PanelMetrics::userCardFrame() const {
    return ios::CGRectMake(10, topZoneHeight() + 10, cardWidth(), userCardHeight());
}
ios::CGRect PanelMetrics::utilitiesCardFrame() const {
    return ios::CGRectMake(W / 2 + 5, topZoneHeight() + 10, cardWidth(), utilitiesCardHeight());
}
ios::CGRect PanelMetrics::wifiCardFrame() const {
    return ios::CGRectMake(10, ios::CGRectGetMaxY(userCardFrame()) + 10, cardWidth(), networkCardHeight());
}
ios::CGRect PanelMetrics::cellularCardFrame() const {
    return ios::CGRectMake(W / 2 + 5, ios::CGRectGetMaxY(utilitiesCardFrame()) + 10, cardWidth(), networkCardHeight());
}
ios::CGRect PanelMetrics::appCardFrame() const {
    return ios::CGRectMake(10, ios::CGRectGetMaxY(wifiCardFrame()) + 10, cardWidth(), appCardHeight());
}
ios::CGRect PanelMetrics::showcaseCardFrame() const {
    return ios::CGRectMake(W / 2 + 5, ios::CGRectGetMaxY(cellularCardFrame()) + 10, cardWidth(), showcaseCardHeight());
}
ios::CGRect PanelMetrics::musicCardFrame() const {
    return ios::CGRectMake(10, ios::CGRectGetMaxY(showcaseCardFrame()) + 10, W - 20, musicCardHeight());
}

}  // namespace flint
