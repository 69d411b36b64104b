#pragma once
// `flint-sim demo` runs once per test program, into a temporary folder removed at exit; every
// test that reads what it printed or wrote shares that one run.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "sim/SimRunner.h"

namespace flint::testing {

struct DemoRun {
    std::filesystem::path out;  // the PNGs
    SimResult result;
};

inline const DemoRun& demoRun() {
    static const struct Holder {
        std::filesystem::path root;
        DemoRun run;
        Holder() {
            std::string pattern = (std::filesystem::temp_directory_path() / "flint-demo-XXXXXX").string();
            if (mkdtemp(pattern.data())) root = pattern;
            run.out = root / "out";
            if (!root.empty()) run.result = runSim("demo --out " + run.out.string());
        }
        ~Holder() {
            std::error_code ec;
            if (!root.empty()) std::filesystem::remove_all(root, ec);
        }
    } holder;
    return holder.run;
}

}  // namespace flint::testing
