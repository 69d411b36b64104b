#pragma once
// flint-sim's snapshot and run commands: boot the home screen on a device and render it, or run
// a scenario script against it. The standard scenario commands live here too:
//
//   device PROFILE              iphone-8, iphone-8-plus, iphone-x or iphone-11 (before boot)
//   appearance STYLE            light, dark or unspecified (before boot, or changes it while running)
//   root DIR                    use this device root (before boot; default a fresh one)
//   scale N                     pixels per point of snapshots and pixel checks (default the screen's)
//   pref KEY=VALUE              writes the preference domain (after boot: also posts the change)
//   boot                        boots the home screen and loads the library
//   wait SECONDS                advances the virtual clock, running everything due
//   snapshot FILE               renders the screen to a PNG
//   launch BUNDLE_ID / open ADDRESS / screenshot / lock / unlock / home
//   expect …                    see registerStandardScenarioCommands

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "sim/Scenario.h"

namespace flint::sim {

struct SnapshotOptions {
    std::string profile;            // empty: the device root's configuration, else iphone-x
    std::optional<int> appearance;  // none: the configuration's, else dark
    std::filesystem::path root;     // empty: a fresh temporary root
    double scale = 0;               // 0: the screen's
    std::filesystem::path output;
};

int runSnapshot(const SnapshotOptions& options, std::ostream& out, std::ostream& err);

// A scenario with every command family registered.
std::unique_ptr<Scenario> makeScenario(std::ostream& out, std::ostream& err);
// `backend`: "simulated" (the device's own services) or "host" (this machine's).
int runScenarioFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err,
                    const std::string& backend = "simulated");

void registerStandardScenarioCommands(Scenario& scenario);

// Boots the device a scenario describes (profile, appearance, root, preferences): makes the
// device, writes the device configuration when the root has none, loads the library and boots
// the home screen. False with a message on failure.
bool bootScenarioDevice(Scenario& scenario, std::string& error);

}  // namespace flint::sim
