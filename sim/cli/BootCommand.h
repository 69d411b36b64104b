#pragma once
// flint-sim's boot, demo and prefs commands.

#include <iosfwd>
#include <string>
#include <vector>

#include "sim/device/Device.h"

namespace flint::sim {

// Boots a device, loads the library, lays out the status bar and describes what happened, as
// text or as one JSON object. Returns the process exit status.
int runBoot(const BootOptions& options, bool json, std::ostream& out, std::ostream& err);

// The settings pane: reads and writes a preference file of a device root, then posts the change
// notification. `action` is get, set, unset or list.
int runPrefs(const std::filesystem::path& root, PreferenceFile file, const std::string& action,
             const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace flint::sim
