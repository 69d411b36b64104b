#pragma once
// Finds the versioned entry tables of the libraries flint-sim loads with dlopen: libFlint.so's
// FlintBridge and the simulator screens' FlintSimScreens. One lookup per library; the version and
// size are checked, and a mismatch is answered with what is missing.

#include <string>

struct FlintBridge;

namespace flint::sim {

struct FlintSimScreens;

// The table of a loaded libFlint.so; none with the reason in `error`.
const FlintBridge* flintBridge(void* library, std::string& error);
// The table of the simulator screens' library, loaded on first use; none with the reason.
const FlintSimScreens* simulatorScreens(std::string& error);

}  // namespace flint::sim
