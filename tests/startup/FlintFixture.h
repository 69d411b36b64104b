#pragma once
// A simulated home-screen process with the system's process-wide state reset around each test.

#include <gtest/gtest.h>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"
#include "startup/FlintPreferences.h"
#include "startup/entry/LoadRoutine.h"

namespace flint::testing {

inline constexpr const char* kHomeScreenPath = "/System/Library/CoreServices/SpringBoard.app/SpringBoard";

class FlintTest : public ::testing::Test {
protected:
    explicit FlintTest(std::string executablePath = kHomeScreenPath) : process(optionsFor(std::move(executablePath))) {}
    void SetUp() override { resetFlintForTesting(); }
    void TearDown() override { resetFlintForTesting(); }

    void writePreferences(const ios::Dictionary& values) {
        ASSERT_TRUE(ios::writeDictionaryToFile(values, kSlotFilePath));
    }
    void writeColors(const ios::Dictionary& values) { ASSERT_TRUE(ios::writeDictionaryToFile(values, kColorFilePath)); }
    // What the settings pane does after writing: post the system-wide change notification.
    void postChange() {
        ios::Process::shared().darwinNotifyCenter().post(kPreferencesChanged);
        process.runLoop().runUntilIdle();
    }

    ios::testing::TestProcess process;

private:
    static ios::Process::Options optionsFor(std::string path) {
        ios::Process::Options options;
        options.executablePath = std::move(path);
        return options;
    }
};

}  // namespace flint::testing
