#pragma once
// The standard scenario commands:
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

#include <memory>
#include <string>

#include "sim/device/Device.h"
#include "sim/scenario/Scenario.h"

namespace flint::sim {

void registerStandardScenarioCommands(Scenario& scenario);

// Boots the device a scenario describes (profile, appearance, root, preferences): makes the
// device, writes the device configuration when the root has none, loads the library and boots
// the home screen. False with a message on failure.
bool bootScenarioDevice(Scenario& scenario, std::string& error);

// The same for explicit options: the choices made win (the profile only when `profileChosen`),
// then the device root's configuration, then the defaults. False with a message on failure; the
// device made (if any) is in `device` either way.
bool bootConfiguredDevice(BootOptions options, bool profileChosen, std::unique_ptr<Device>& device, std::string& error);

}  // namespace flint::sim
