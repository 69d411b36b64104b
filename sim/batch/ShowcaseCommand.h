#pragma once
// flint-sim showcase: mock-ups from the command line, made by the Showcase composer.
//
//   flint-sim showcase --list
//   flint-sim showcase --screenshot shot.png --template rosegold [--background-color '#00B2FF' |
//       --background bg.jpg] [--rotate 0,35,-12] [--translate 0,20] [--scale 0.9,0.9]
//       [--caption "Made with Flint" --caption-at 40,60 --caption-color '#FF2D55']
//       [--profile iphone-x] [--resolution 3] -o mock.png
//   flint-sim showcase --jobs jobs.json [--out-dir DIR] [--parallel N]
//
// Exit status: 0 when every mock-up was written, 1 when some failed, 2 for a usage error.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "sim/batch/MockupJob.h"

namespace flint::sim {

struct ShowcaseRequest {
    enum class Mode { List, One, Jobs } mode = Mode::One;
    MockupJob job;                  // Mode::One
    std::filesystem::path jobFile;  // Mode::Jobs
    std::filesystem::path outDir;
    int parallel = 0;  // 0: one worker per core
};

// Parses the arguments after "showcase"; 0 with the request, 2 with the message in `error`, or
// -1 when help was asked for and printed to `out`.
int parseShowcaseArguments(const std::vector<std::string>& arguments, ShowcaseRequest& request, std::string& error,
                           std::ostream& out);

// The ten templates, one line each.
void listTemplates(std::ostream& out);

int runShowcaseCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace flint::sim
