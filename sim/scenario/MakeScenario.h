#pragma once
// A scenario with every command family registered, and the `run` command that reads a script into
// one.

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

#include "sim/scenario/Scenario.h"

namespace flint::sim {

std::unique_ptr<Scenario> makeScenario(std::ostream& out, std::ostream& err);

// `backend`: "simulated" (the device's own services) or "host" (this machine's).
int runScenarioFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err,
                    const std::string& backend = "simulated");

}  // namespace flint::sim
