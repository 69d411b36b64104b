#pragma once
// One mock-up to make: the steps a person takes in the Showcase composer, as values. The command
// line and the job file set the same options by the same names, through setJobOption.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services/LCPParseColorString.h"
#include "sim/batch/MockupTemplates.h"

namespace flint::sim {

inline constexpr double kMinimumResolution = 1, kMaximumResolution = 4;
inline constexpr const char* kDefaultMockupProfile = "iphone-x";

struct MockupJob {
    int number = 0;  // position in the job file from 1; 0 for the command line's one job
    std::filesystem::path screenshot, background, output;
    const MockupTemplate* mockupTemplate = nullptr;
    std::optional<ios::RGBA> backgroundColor, captionColor;
    std::string backgroundColorText, captionColorText;  // as given, for the reports
    std::optional<std::array<double, 3>> rotate;
    std::optional<std::array<double, 2>> translate, scale, captionAt;
    std::optional<std::string> caption;
    std::string profile = kDefaultMockupProfile;
    std::optional<double> resolution;  // none: the profile's scale
    std::string problem;               // why the job cannot run; empty when it can

    // How lines about the job name it: "job 3 (shots/home.png)", or the output for the command
    // line's job.
    std::string label() const;
};

// The option names, as the job file spells them.
const std::vector<std::string>& jobOptionNames();

// Sets option `name` (a job-file name) from its text as the command line gives it; relative
// paths are taken from `base`. False with the reason, which names the option.
bool setJobOption(MockupJob& job, std::string_view name, const std::string& text, const std::filesystem::path& base,
                  std::string& error);

// What a job still lacks once every option is set (screenshot, template, output); empty when
// nothing.
std::string missingJobOptions(const MockupJob& job);

// "#RRGGBB" of a colour.
std::string hexColour(const ios::RGBA& colour);

}  // namespace flint::sim
