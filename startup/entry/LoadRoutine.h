#pragma once
// The library's load routine and what it did, for the simulator and tests.

#include <string>
#include <vector>

namespace flint {

struct LoadReport {
    bool ran = false;
    bool qualified = false;
    bool hookInstalled = false;
    std::vector<std::string> actions;     // selectors added, in order
    std::vector<std::string> properties;  // getter and setter selectors added, in order
};

// Runs the load routine in the current process.
void flintLoadRoutine();
const LoadReport& lastLoadReport();

// Whether an executable path qualifies for the panel: it names an application or the home screen.
bool processQualifies(const std::string& executablePath);

// Puts every process-wide value of the system back as at load, for tests.
void resetFlintForTesting();

}  // namespace flint
