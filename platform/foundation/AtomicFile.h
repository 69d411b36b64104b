#pragma once
// Whole-file writes that a crash cannot tear: readers see the old file or the whole new one.

#include <filesystem>
#include <string_view>

namespace ios {

// Writes the bytes to a temporary file beside the target (its name unique to this writer, so two
// processes writing one file never share it), then renames it over the target. Creates the
// folder when missing. False, with the target untouched, when any step fails.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Claims a new name: creates an empty file only when none of that name exists. False when the
// name is taken (or the folder cannot be written).
bool createFileExclusively(const std::filesystem::path& path);

}  // namespace ios
