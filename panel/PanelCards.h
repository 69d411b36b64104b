#pragma once
// The seven cards of the quick panel, built into the panel's root view and stored in the host
// object's properties. The builders run in launchFlintWindow's order; each builds its card's
// contents and places them for the screen class.

#include "panel/PanelLayout.h"
#include "platform/uikit/UIView.h"
#include "startup/FlintHost.h"

namespace flint::panel {

void buildUserCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);
void buildUtilitiesCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);
void buildWifiCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);
void buildCellularCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);
void buildAppCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);
void buildShowcaseCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);
// Also starts the now-playing refreshes and subscriptions (NowPlayingCard.h).
void buildMusicCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root);

// The Wi-Fi card's network name: the Wi-Fi manager's current network, or "Not connected".
std::string wifiNetworkText();

}  // namespace flint::panel
