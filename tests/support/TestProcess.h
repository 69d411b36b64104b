#pragma once
// A fresh simulated process for one test: its own temporary device root, run loop, centres and
// log. On destruction the process ends, the runtime's added methods and hooks are undone and the
// device root is removed.

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TempFolder.h"

namespace ios::testing {

class TestProcess {
public:
    explicit TestProcess(Process::Options options = {});
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    Process& process() { return *m_process; }
    RunLoop& runLoop() { return m_process->runLoop(); }
    const std::filesystem::path& root() const { return m_root; }

private:
    std::optional<TempFolder> m_folder;  // the device root, when none was given
    std::filesystem::path m_root;
    std::unique_ptr<Process> m_process;
};

}  // namespace ios::testing
