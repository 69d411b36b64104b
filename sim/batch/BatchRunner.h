#pragma once
// Runs a batch of mock-up jobs in worker processes. A device runs on one thread and a process
// loads the library once, so each worker is a child process that boots one device of one profile
// and makes job after job on it; the jobs go out one at a time to whichever worker is free, and a
// worker whose profile has no jobs left makes room for one of another profile.
//
// On a terminal a progress bar shows the jobs done, the rate and the time left, and failures
// print above it; otherwise one line per job. The run ends with a summary: written, failed, and
// each failure's reason. Asked to stop (installStopHandlers), the workers finish the jobs in hand
// and the rest are counted as not run.

#include <ostream>
#include <string>
#include <vector>

#include "sim/batch/MockupJob.h"

namespace flint::sim {

struct BatchOptions {
    int parallel = 1;       // worker processes at most
    bool terminal = false;  // draw the progress bar
};

struct BatchResult {
    int written = 0;
    std::vector<std::string> failures;  // "job 3 (a.png): reason"
    int notRun = 0;                     // jobs not given out because a stop was asked for
    int exitStatus() const { return failures.empty() && notRun == 0 ? 0 : 1; }
};

BatchResult runBatch(const std::vector<MockupJob>& jobs, const BatchOptions& options, std::ostream& out);

// The number of cores, the default of --parallel.
int defaultParallelism();

}  // namespace flint::sim
