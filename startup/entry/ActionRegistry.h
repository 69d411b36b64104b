#pragma once
// The table of every screen's actions, which the load routine adds to the status-bar class.

#include <vector>

#include "startup/ActionTable.h"

namespace flint {

// Every action table of the subsystems that are built, in the order the load routine adds them.
const std::vector<const ActionTable*>& allActionTables();

}  // namespace flint
