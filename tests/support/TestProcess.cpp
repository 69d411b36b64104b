#include "tests/support/TestProcess.h"

#include <cstdlib>
#include <string>

#include "platform/objc/Runtime.h"

namespace ios::testing {

TestProcess::TestProcess(Process::Options options) {
    if (options.deviceRoot.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "flint-device-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        options.deviceRoot = pattern;
        m_ownsRoot = true;
    }
    m_root = options.deviceRoot;
    m_process = std::make_unique<Process>(std::move(options));
}

TestProcess::~TestProcess() {
    m_process.reset();
    objc::resetRuntimeForTesting();
    if (m_ownsRoot) {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
}

}  // namespace ios::testing
