#pragma once
// Image files as the composer takes them in: at most 8192 pixels on a side and 64 MiB, PNG or
// JPEG; and their way into the device's photo library, where the image picker finds them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/graphics/UIImage.h"

namespace flint::sim {

inline constexpr int kMaximumImageSide = 8192;
inline constexpr std::uintmax_t kMaximumImageBytes = 64u << 20;

struct ImageFile {
    ios::UIImage::Data bytes;
    int width = 0, height = 0;
    bool png = false;
};

// Reads a file and its dimensions from the PNG or JPEG header, refusing what is too large before
// any pixel is decoded; none with the reason ("not found", "9000 × 200 pixels, more than …").
std::optional<ImageFile> readImageFile(const std::filesystem::path& path, std::string& error);

// Adds an image file read by readImageFile to the current process's photo library as its newest
// photo: a PNG with its own bytes (decoded only when picked), a JPEG as the PNG of its pixels.
// The photo's path, or empty with the reason, which starts with `what`.
std::filesystem::path addToPhotoLibrary(const ImageFile& file, const std::string& what, std::string& error);

// Writes bytes to a temporary file beside `target` and renames it over the target, so the target
// is never seen half written; false with the reason.
bool writeFileAtomically(const std::filesystem::path& target, const ios::UIImage::Data& bytes, std::string& error);
// From now on an interrupt or termination of this process removes the temporary file being
// written before the process ends.
void installPartialFileCleanup();

}  // namespace flint::sim
