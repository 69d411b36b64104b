#pragma once
// Runs flint-sim as a separate program, as a person would, and collects what it printed.

#include <array>
#include <cstdio>
#include <string>

#include <sys/wait.h>

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

}  // namespace flint::testing
