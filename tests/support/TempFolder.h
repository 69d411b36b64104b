#pragma once
// A fresh folder of its own under the system's temporary folder, removed with everything in it
// when the object goes. Its path is empty when the folder could not be made.

#include <filesystem>
#include <string>

namespace ios::testing {

class TempFolder {
public:
    // The folder's name starts with `prefix`; the rest makes it unique.
    explicit TempFolder(const std::string& prefix = "flint-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    explicit operator bool() const { return !m_path.empty(); }

private:
    std::filesystem::path m_path;
};

}  // namespace ios::testing
