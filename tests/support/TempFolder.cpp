#include "tests/support/TempFolder.h"

#include <stdlib.h>

namespace ios::testing {

TempFolder::TempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) m_path = pattern;
}

TempFolder::~TempFolder() {
    if (m_path.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace ios::testing
