#pragma once
// Runs flint-sim as a separate program, as a person would, and collects what it printed.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>

#include "tests/support/TempFolder.h"

namespace flint::testing {

struct SimResult {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;  // standard output and standard error together
};

inline SimResult runSim(const std::string& arguments) {
    SimResult result;
    FILE* pipe = popen((std::string(FLINT_SIM_PATH) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A test with a temporary folder of its own, removed afterwards, for scripts and written files.
class SimFolderTest : public ::testing::Test {
protected:
    ios::testing::TempFolder folder{"flint-simtest"};
    const std::filesystem::path dir = folder.path();
    void SetUp() override { ASSERT_TRUE(folder); }
    std::filesystem::path write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return dir / name;
    }
    // Runs a scenario script written into the folder under `name`.
    SimResult runScript(const std::string& name, const std::string& script) {
        return runSim("run " + write(name, script).string());
    }
};

}  // namespace flint::testing
