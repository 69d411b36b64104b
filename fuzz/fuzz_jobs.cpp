// Job files of any kind: the reader never fails, and what it returns is one error and no job, or
// jobs that either carry a reason or have everything a mock-up needs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/batch/JobFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const flint::sim::JobFile file = flint::sim::readJobText(text, "jobs.json", "/jobs", size % 2 ? "/out" : "");
    if (!file.error.empty() && !file.jobs.empty()) std::abort();
    if (!file.error.empty() && file.error.rfind("jobs.json:", 0) != 0) std::abort();
    int number = 0;
    for (const auto& job : file.jobs) {
        if (job.number != ++number) std::abort();
        if (!job.problem.empty()) continue;
        if (job.screenshot.empty() || job.output.empty() || !job.mockupTemplate) std::abort();
        if (job.resolution && (*job.resolution < 1 || *job.resolution > 4)) std::abort();
        if (!job.screenshot.is_absolute() || !job.output.is_absolute()) std::abort();
    }
    return 0;
}
