#pragma once
// Property-list files and data, XML or binary, through libplist. Anything that is not a
// well-formed property list (missing file, unreadable, corrupt, truncated) reads as none.
// Dates keep what each format can hold: XML whole seconds of the years 1 to 9999, binary
// microseconds; a date outside a format's range is written as the nearest one inside it.

#include <filesystem>
#include <optional>

#include "platform/foundation/Value.h"

namespace ios {

enum class PlistFormat { XML, Binary };

std::optional<Value> propertyListFromData(const Data& bytes);
Data propertyListData(const Value& value, PlistFormat format = PlistFormat::XML);

// Host-path file access. Writing is atomic (a temporary file renamed over the target).
std::optional<Value> readPropertyListFile(const std::filesystem::path& hostPath);
bool writePropertyListFile(const Value& value, const std::filesystem::path& hostPath,
                           PlistFormat format = PlistFormat::XML);

// The platform's dictionary operations on device paths (mapped under the device root): a file
// that is not a dictionary reads as none.
std::optional<Dictionary> dictionaryWithContentsOfFile(const std::string& devicePath);
bool writeDictionaryToFile(const Dictionary& dictionary, const std::string& devicePath,
                           PlistFormat format = PlistFormat::XML);

}  // namespace ios
