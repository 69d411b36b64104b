#pragma once
// A job file: a JSON array of objects, one mock-up each, with the command line's options under
// their job-file names (screenshot, template, backgroundColor, …). Relative paths are taken from
// the job file's folder; relative outputs from the output folder when one is given, and a job
// without an output writes "<screenshot name>-mockup.png" there.
//
// A file that is not JSON, or not an array, is one error (nothing runs); a bad job carries its
// reason in `problem` and the others stay good.

#include <filesystem>
#include <string>
#include <vector>

#include "sim/batch/MockupJob.h"

namespace flint::sim {

struct JobFile {
    std::vector<MockupJob> jobs;
    std::string error;  // "jobs.json:3:14: …" when the file as a whole is unusable
};

JobFile readJobText(const std::string& text, const std::string& name, const std::filesystem::path& base,
                    const std::filesystem::path& outDir = {});
JobFile readJobFile(const std::filesystem::path& path, const std::filesystem::path& outDir = {});

}  // namespace flint::sim
