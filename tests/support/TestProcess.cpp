#include "tests/support/TestProcess.h"

#include <cstdlib>

#include "platform/objc/Runtime.h"

namespace ios::testing {

TestProcess::TestProcess(Process::Options options) {
    if (options.deviceRoot.empty()) {
        m_folder.emplace("flint-device");
        if (!*m_folder) std::abort();
        options.deviceRoot = m_folder->path();
    }
    m_root = options.deviceRoot;
    m_process = std::make_unique<Process>(std::move(options));
}

TestProcess::~TestProcess() {
    m_process.reset();
    objc::resetRuntimeForTesting();
    // The device root goes with m_folder, after the process.
}

}  // namespace ios::testing
