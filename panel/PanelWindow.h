#pragma once
// The quick panel's window: launchFlintWindow builds the whole panel afresh (window, root view,
// top tap zone, the seven cards, the "Dismiss" pill, the two hidden countdown banners and the
// background of the appearance mode); dismissFlintWindow hides it.

#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

void launchFlintWindow(FlintHost& host);
void dismissFlintWindow(FlintHost& host);

extern const ActionTable panelWindowActions;

}  // namespace flint
