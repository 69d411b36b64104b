#pragma once
// A contact sheet of a bundle folder: every image (by base name, its @2x variant when there is
// one) in a labelled grid over a checkerboard that shows transparency, written as one PNG.

#include <string>

namespace flint::sim {

// Returns 0 on success; 1 when the folder holds no image or the sheet cannot be written.
int writeContactSheet(const std::string& bundleDir, const std::string& outPng);

}  // namespace flint::sim
