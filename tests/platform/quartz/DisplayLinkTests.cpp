#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/TestProcess.h"
#include "platform/quartz/CADisplayLink.h"

using namespace ios;

namespace {

class Ticker : public objc::Object {
    OBJC_CLASS_DECLARE(Ticker)
public:
    std::vector<double> stamps;
    std::vector<double> clock;
};

void setupTicker(objc::Class& cls) {
    cls.addNativeMethod("tick:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
        auto& t = static_cast<Ticker&>(self);
        auto link = objc::cast<CADisplayLink>(args[0]);
        t.stamps.push_back(link ? link->timestamp() : -1);
        t.clock.push_back(Process::shared().runLoop().now());
        return nullptr;
    });
}

}  // namespace

OBJC_CLASS_DEFINE_WITH(Ticker, objc::Object, setupTicker)

namespace {

class DisplayLinks : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    RunLoop& loop() { return process.runLoop(); }
    objc::Ref<Ticker> ticker = objc::make<Ticker>();
};

}  // namespace

TEST_F(DisplayLinks, FiresSixtyTimesASecondOnTheFrameGrid) {
    auto link = CADisplayLink::displayLinkWithTarget(ticker, objc::sel("tick:"));
    link->addToRunLoop(loop(), NSRunLoopCommonModes);
    loop().advanceBy(1.0);
    ASSERT_EQ(ticker->stamps.size(), 60u);
    for (std::size_t i = 0; i < ticker->stamps.size(); ++i) {
        EXPECT_NEAR(ticker->stamps[i], (i + 1) / 60.0, 1e-9);
        EXPECT_NEAR(ticker->clock[i], ticker->stamps[i], 1e-9);  // delivered at its own tick
    }
    EXPECT_NEAR(link->duration(), 1 / 60.0, 1e-12);
    EXPECT_NEAR(link->targetTimestamp() - link->timestamp(), 1 / 60.0, 1e-12);
}

TEST_F(DisplayLinks, StartingBetweenTicksWaitsForTheNextTick) {
    loop().advanceBy(0.01);
    auto link = CADisplayLink::displayLinkWithTarget(ticker, objc::sel("tick:"));
    link->addToRunLoop(loop(), NSDefaultRunLoopMode);
    link->addToRunLoop(loop(), NSRunLoopCommonModes);  // a second mode adds no second tick
    loop().advanceBy(0.05);
    ASSERT_EQ(ticker->stamps.size(), 3u);
    EXPECT_NEAR(ticker->stamps[0], 1 / 60.0, 1e-9);
    EXPECT_NEAR(ticker->stamps[2], 3 / 60.0, 1e-9);
}

TEST_F(DisplayLinks, PauseRemoveAndInvalidateStopTheTicks) {
    auto link = CADisplayLink::displayLinkWithTarget(ticker, objc::sel("tick:"));
    link->addToRunLoop(loop(), NSRunLoopCommonModes);
    loop().advanceBy(0.1);
    EXPECT_EQ(ticker->stamps.size(), 6u);
    link->setPaused(true);
    loop().advanceBy(0.5);
    EXPECT_EQ(ticker->stamps.size(), 6u);
    link->setPaused(false);
    loop().advanceBy(0.1);
    EXPECT_EQ(ticker->stamps.size(), 12u);
    link->removeFromRunLoop(loop(), NSRunLoopCommonModes);
    loop().advanceBy(0.5);
    EXPECT_EQ(ticker->stamps.size(), 12u);
    link->addToRunLoop(loop(), NSRunLoopCommonModes);
    loop().advanceBy(0.05);
    EXPECT_EQ(ticker->stamps.size(), 15u);
    link->invalidate();
    EXPECT_FALSE(link->isValid());
    EXPECT_FALSE(link->target());
    loop().advanceBy(0.5);
    EXPECT_EQ(ticker->stamps.size(), 15u);
    EXPECT_EQ(loop().pendingCount(), 0u);
}

TEST_F(DisplayLinks, RetainsItsTargetAndTheRunLoopRetainsTheLink) {
    objc::WeakRef<Ticker> weakTicker = ticker;
    {
        auto link = CADisplayLink::displayLinkWithTarget(ticker, objc::sel("tick:"));
        link->addToRunLoop(loop(), NSRunLoopCommonModes);
    }
    auto* raw = ticker.get();
    ticker.reset();
    loop().advanceBy(0.1);
    ASSERT_FALSE(weakTicker.expired());  // kept alive by the link
    EXPECT_EQ(raw->stamps.size(), 6u);
}

TEST_F(DisplayLinks, WeakTargetModeLetsTheTargetGoAndThenStops) {
    objc::WeakRef<Ticker> weakTicker = ticker;
    auto link = CADisplayLink::displayLinkWithWeakTarget(ticker, objc::sel("tick:"));
    EXPECT_TRUE(link->holdsTargetWeakly());
    link->addToRunLoop(loop(), NSRunLoopCommonModes);
    loop().advanceBy(0.05);
    EXPECT_EQ(ticker->stamps.size(), 3u);
    ticker.reset();
    EXPECT_TRUE(weakTicker.expired());
    loop().advanceBy(0.05);
    EXPECT_FALSE(link->isValid());
    EXPECT_EQ(loop().pendingCount(), 0u);
}

TEST_F(DisplayLinks, BlockLinkCanInvalidateItselfFromItsCallback) {
    int calls = 0;
    auto link = CADisplayLink::displayLinkWithBlock([&](CADisplayLink& l) {
        if (++calls == 4) l.invalidate();
    });
    link->addToRunLoop(loop(), NSRunLoopCommonModes);
    loop().advanceBy(1);
    EXPECT_EQ(calls, 4);
}
