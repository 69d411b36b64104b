#pragma once
// The panel's shortcuts: each opens its target, gives the medium haptic tap and closes the panel
// at the next turn of the run loop.

#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

void flintOpenApps1(FlintHost& host);
void flintOpenApps2(FlintHost& host);
void flintOpenApps3(FlintHost& host);
void flintOpenApps4(FlintHost& host);
void flintOpenApps5(FlintHost& host);
void flintOpenApps6(FlintHost& host);
void launchIcloud(FlintHost& host);
void launchSettings(FlintHost& host);
void launchTwitter(FlintHost& host);
void launchReddit(FlintHost& host);
void launchWiFi(FlintHost& host);
void launchCellular(FlintHost& host);
void launchMusic(FlintHost& host);
void launchSpotify(FlintHost& host);

extern const ActionTable shortcutActions;

}  // namespace flint
