#pragma once
// flint-sim serve: the live simulator, the device in a browser page.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "sim/live/LiveDevice.h"

namespace flint::live {

struct ServeOptions {
    LiveOptions live;
    std::string appearanceName;     // empty: the profile's
    bool removeRootAtExit = false;  // the root is a temporary one this command made
};

// Adds the serve command and its options to the program's commands.
CLI::App* addServeCommand(CLI::App& app, ServeOptions& options);

// Boots the device, serves it until interrupted (reboots in place for a profile change) and
// returns the exit status.
int runServe(ServeOptions options, std::ostream& out, std::ostream& err);

}  // namespace flint::live
