#pragma once
// `flint-sim demo` runs once per test program, into a temporary folder removed at exit; every
// test that reads what it printed or wrote shares that one run.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/sim/SimRunner.h"
#include "tests/support/TempFolder.h"

namespace flint::testing {

struct DemoRun {
    std::filesystem::path out;  // the PNGs
    SimResult result;
};

inline const DemoRun& demoRun() {
    static const struct Holder {
        ios::testing::TempFolder root{"flint-demo"};
        DemoRun run;
        Holder() {
            run.out = root.path() / "out";
            if (root) run.result = runSim("demo --out " + run.out.string());
        }
    } holder;
    return holder.run;
}

}  // namespace flint::testing
