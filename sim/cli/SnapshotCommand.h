#pragma once
// flint-sim's snapshot command: boots the home screen on a device and renders it to a PNG.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace flint::sim {

struct SnapshotOptions {
    std::string profile;            // empty: the device root's configuration, else iphone-x
    std::optional<int> appearance;  // none: the configuration's, else dark
    std::filesystem::path root;     // empty: a fresh temporary root
    double scale = 0;               // 0: the screen's
    std::filesystem::path output;
};

int runSnapshot(const SnapshotOptions& options, std::ostream& out, std::ostream& err);

}  // namespace flint::sim
