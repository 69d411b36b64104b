#include <gtest/gtest.h>

#include "platform/foundation/NSTimer.h"
#include "tests/support/TestProcess.h"

namespace {

using objc::id;
using objc::sel;

class Recorder : public objc::Object {
    OBJC_CLASS_DECLARE(Recorder)
public:
    std::vector<std::string> events;
    std::vector<double> times;
    objc::Ref<ios::NSTimer> invalidateOnFire;
    void record(const std::string& what) {
        events.push_back(what);
        times.push_back(ios::Process::shared().runLoop().now());
    }

protected:
    Recorder() = default;
};

OBJC_CLASS_DEFINE_WITH(Recorder, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("tick:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const id> args) -> id {
        auto& r = static_cast<Recorder&>(self);
        r.record("tick");
        if (r.invalidateOnFire) r.invalidateOnFire->invalidate();
        return nullptr;
    });
    cls.addNativeMethod("perform", "v@:", [](objc::Object& self, objc::SEL, std::span<const id>) -> id {
        static_cast<Recorder&>(self).record("perform");
        return nullptr;
    });
    cls.addNativeMethod("performWith:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const id> args) -> id {
        static_cast<Recorder&>(self).record(args[0] ? "with-object" : "with-none");
        return nullptr;
    });
})

class RunLoopTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    ios::RunLoop& loop() { return process.runLoop(); }
};

TEST_F(RunLoopTest, TasksRunInTimeThenSchedulingOrder) {
    std::vector<int> order;
    loop().scheduleAt(2.0, [&] { order.push_back(3); });
    loop().scheduleAt(1.0, [&] { order.push_back(1); });
    loop().scheduleAt(1.0, [&] { order.push_back(2); });
    loop().advanceBy(1.5);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_DOUBLE_EQ(loop().now(), 1.5);
    loop().advanceBy(0.5);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(RunLoopTest, ZeroDelayRunsAtTheNextTurnNotInline) {
    auto r = objc::make<Recorder>();
    ios::performSelectorAfterDelay(r, sel("perform"), nullptr, 0);
    EXPECT_TRUE(r->events.empty());
    EXPECT_EQ(loop().runUntilIdle(), 1);
    EXPECT_EQ(r->events, std::vector<std::string>{"perform"});
}

TEST_F(RunLoopTest, TimersAndPerformsDueTogetherKeepSchedulingOrder) {
    auto r = objc::make<Recorder>();
    ios::performSelectorAfterDelay(r, sel("performWith:"), nullptr, 1.0);
    auto timer = ios::NSTimer::scheduledTimerWithTimeInterval(1.0, r, sel("tick:"), nullptr, false);
    ios::performSelectorAfterDelay(r, sel("performWith:"), r, 1.0);
    loop().advanceBy(1.0);
    EXPECT_EQ(r->events, (std::vector<std::string>{"with-none", "tick", "with-object"}));
    EXPECT_FALSE(timer->isValid());  // a one-shot timer ends after firing
}

TEST_F(RunLoopTest, RepeatingTimerFiresOnItsScheduleUntilInvalidated) {
    auto r = objc::make<Recorder>();
    auto timer = ios::NSTimer::scheduledTimerWithTimeInterval(1.0, r, sel("tick:"), nullptr, true);
    loop().advanceBy(3.5);
    ASSERT_EQ(r->times, (std::vector<double>{1.0, 2.0, 3.0}));
    EXPECT_TRUE(timer->isValid());
    timer->invalidate();
    loop().advanceBy(5);
    EXPECT_EQ(r->times.size(), 3u);
}

TEST_F(RunLoopTest, InvalidatingInsideItsOwnTickStopsTheTimer) {
    auto r = objc::make<Recorder>();
    r->invalidateOnFire = ios::NSTimer::scheduledTimerWithTimeInterval(0.5, r, sel("tick:"), nullptr, true);
    loop().advanceBy(3);
    EXPECT_EQ(r->events.size(), 1u);
    EXPECT_FALSE(r->invalidateOnFire->isValid());
    EXPECT_EQ(loop().pendingCount(), 0u);
}

TEST_F(RunLoopTest, TimerRetainsItsTargetUntilInvalidated) {
    objc::WeakRef<objc::Object> weak;
    objc::Ref<ios::NSTimer> timer;
    {
        auto r = objc::make<Recorder>();
        weak = r;
        timer = ios::NSTimer::scheduledTimerWithTimeInterval(1.0, r, sel("tick:"), nullptr, true);
    }
    EXPECT_FALSE(weak.expired());
    timer->invalidate();
    EXPECT_TRUE(weak.expired());
}

TEST_F(RunLoopTest, CancelledPerformsNeverRun) {
    auto r = objc::make<Recorder>();
    ios::performSelectorAfterDelay(r, sel("perform"), nullptr, 0.5);
    ios::cancelPreviousPerformRequestsWithTarget(r.get());
    loop().advanceBy(1);
    EXPECT_TRUE(r->events.empty());
}

TEST_F(RunLoopTest, UptimeFollowsTheMediaClock) {
    EXPECT_DOUBLE_EQ(ios::NSProcessInfo::processInfo().systemUptime(), 0);
    loop().advanceBy(90061);
    EXPECT_DOUBLE_EQ(ios::NSProcessInfo::processInfo().systemUptime(), 90061);
    EXPECT_EQ(ios::NSProcessInfo::processInfo().arguments().front(),
              "/System/Library/CoreServices/SpringBoard.app/SpringBoard");
}

}  // namespace
