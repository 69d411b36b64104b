// Nothing grows: each soak phase, repeated, leaves exactly as many live objects of every class as
// there were before it (after one warm-up round, which fills the process's caches).
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/SoakDevice.h"

namespace {

constexpr int kRepetitions = 50;

std::string describe(const objc::LiveObjectCounts& diff) {
    std::ostringstream text;
    for (const auto& [name, change] : diff) text << "  " << name << (change > 0 ? " +" : " ") << change << "\n";
    return text.str();
}

TEST(Soak, EveryPhaseLeavesTheLiveObjectsAsItFoundThem) {
    flint::soak::SoakDevice device;

    ASSERT_TRUE(device.panelRepetition(9)) << device.failure();
    auto baseline = objc::liveObjectCounts();
    for (int n = 0; n < kRepetitions; ++n) ASSERT_TRUE(device.panelRepetition(n)) << n << ": " << device.failure();
    auto diff = objc::diffLiveObjectCounts(baseline, objc::liveObjectCounts());
    EXPECT_TRUE(diff.empty()) << "after the quick panel:\n" << describe(diff);

    ASSERT_TRUE(device.showcaseRepetition(0)) << device.failure();
    baseline = objc::liveObjectCounts();
    for (int n = 0; n < kRepetitions; ++n) ASSERT_TRUE(device.showcaseRepetition(n)) << n << ": " << device.failure();
    diff = objc::diffLiveObjectCounts(baseline, objc::liveObjectCounts());
    EXPECT_TRUE(diff.empty()) << "after the Showcase editor:\n" << describe(diff);

    device.openSandbox();
    ASSERT_TRUE(device.sandboxRepetition(0)) << device.failure();
    device.closeSandbox();
    baseline = objc::liveObjectCounts();
    device.openSandbox();
    for (int n = 0; n < kRepetitions; ++n) ASSERT_TRUE(device.sandboxRepetition(n)) << n << ": " << device.failure();
    device.closeSandbox();
    diff = objc::diffLiveObjectCounts(baseline, objc::liveObjectCounts());
    EXPECT_TRUE(diff.empty()) << "after the drawing sandbox:\n" << describe(diff);
}

}  // namespace
