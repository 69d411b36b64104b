#include <gtest/gtest.h>

#include "tests/support/TestProcess.h"
#include "platform/objc/Runtime.h"

namespace {

using objc::id;
using objc::sel;

class Counter : public objc::Object {
    OBJC_CLASS_DECLARE(Counter)
public:
    int bumps = 0;
    std::vector<std::string> calls;

protected:
    Counter() = default;
};

class SubCounter : public Counter {
    OBJC_CLASS_DECLARE(SubCounter)
protected:
    SubCounter() = default;
};

OBJC_CLASS_DEFINE_WITH(Counter, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("bump", "v@:", [](objc::Object& self, objc::SEL, std::span<const id>) -> id {
        static_cast<Counter&>(self).bumps += 1;
        return nullptr;
    });
})
OBJC_CLASS_DEFINE(SubCounter, Counter)

class RuntimeTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;  // resets added methods and hooks when the test ends
};

TEST_F(RuntimeTest, SelectorsAreInternedAndCountTheirArguments) {
    EXPECT_EQ(sel("invokeScreenshot:"), objc::sel_registerName(std::string("invokeScreenshot:")));
    EXPECT_NE(sel("invokeScreenshot:"), sel("invokeScreenshot"));
    EXPECT_EQ(objc::sel_argumentCount(sel("launchFlintWindow")), 0);
    EXPECT_EQ(objc::sel_argumentCount(sel("imagePickerController:didFinishPickingMediaWithInfo:")), 2);
}

TEST_F(RuntimeTest, ClassesAreFoundByNameAndInheritMethods) {
    ASSERT_EQ(objc::objc_getClass("Counter"), &Counter::staticClass());
    EXPECT_EQ(objc::objc_getClass("NoSuchClass"), nullptr);
    auto sub = objc::make<SubCounter>();
    EXPECT_TRUE(sub->isKindOfClass(Counter::staticClass()));
    EXPECT_TRUE(objc::respondsToSelector(sub.get(), sel("bump")));
    objc::msgSend(sub, sel("bump"));
    EXPECT_EQ(sub->bumps, 1);
    EXPECT_FALSE(objc::respondsToSelector(sub.get(), sel("launchFlintWindow")));
}

TEST_F(RuntimeTest, AddMethodRefusesAnExistingOneButMayOverrideAnInheritedOne) {
    auto imp = [](objc::Object& self, objc::SEL, std::span<const id>) -> id {
        static_cast<Counter&>(self).bumps += 100;
        return nullptr;
    };
    EXPECT_FALSE(objc::class_addMethod(&Counter::staticClass(), sel("bump"), imp, "v@:"));
    EXPECT_TRUE(objc::class_addMethod(&SubCounter::staticClass(), sel("bump"), imp, "v@:"));
    auto sub = objc::make<SubCounter>();
    objc::msgSend(sub, sel("bump"));
    EXPECT_EQ(sub->bumps, 100);
    EXPECT_EQ(objc::addedMethodsForTesting(SubCounter::staticClass()).size(), 1u);
}

TEST_F(RuntimeTest, HookReplacesAndKeepsThePreviousImplementationCallable) {
    objc::IMP previous;
    objc::MSHookMessageEx(
        &Counter::staticClass(), sel("bump"),
        [&previous](objc::Object& self, objc::SEL cmd, std::span<const id> args) -> id {
            static_cast<Counter&>(self).calls.push_back("hook");
            return previous(self, cmd, args);
        },
        &previous);
    ASSERT_TRUE(previous);
    auto counter = objc::make<Counter>();
    objc::msgSend(counter, sel("bump"));
    EXPECT_EQ(counter->bumps, 1);
    EXPECT_EQ(counter->calls, std::vector<std::string>{"hook"});
    EXPECT_TRUE(objc::isHookedForTesting(Counter::staticClass(), sel("bump")));
}

TEST_F(RuntimeTest, ResetUndoesHooksAndAddedMethods) {
    objc::IMP previous;
    objc::MSHookMessageEx(
        &Counter::staticClass(), sel("bump"),
        [](objc::Object&, objc::SEL, std::span<const id>) -> id { return nullptr; }, &previous);
    objc::class_addMethod(
        &Counter::staticClass(), sel("extra"),
        [](objc::Object&, objc::SEL, std::span<const id>) -> id { return nullptr; }, "v@:");
    objc::resetRuntimeForTesting();
    auto counter = objc::make<Counter>();
    objc::msgSend(counter, sel("bump"));
    EXPECT_EQ(counter->bumps, 1);
    EXPECT_FALSE(objc::respondsToSelector(counter.get(), sel("extra")));
    EXPECT_FALSE(objc::isHookedForTesting(Counter::staticClass(), sel("bump")));
}

TEST_F(RuntimeTest, MessagesPassObjectArgumentsAndResults) {
    objc::class_addMethod(
        &Counter::staticClass(), sel("pick:other:"),
        [](objc::Object&, objc::SEL, std::span<const id> args) -> id { return args[1]; }, "@@:@@");
    auto counter = objc::make<Counter>();
    id a = objc::make<Counter>(), b = objc::make<Counter>();
    EXPECT_EQ(objc::msgSend(counter, sel("pick:other:"), a, b), b);
    // Target/action sends only as many arguments as the selector takes.
    objc::class_addMethod(
        &Counter::staticClass(), sel("count:"),
        [](objc::Object& self, objc::SEL, std::span<const id> args) -> id {
            static_cast<Counter&>(self).bumps = static_cast<int>(args.size());
            return nullptr;
        },
        "v@:@");
    objc::msgSendAction(counter, sel("count:"), a, b);
    EXPECT_EQ(counter->bumps, 1);
    EXPECT_EQ(objc::msgSend(nullptr, sel("anything")), nullptr);  // messages to nil do nothing
}

TEST_F(RuntimeTest, LiveObjectsAreCountedByExactClassUntilDestroyedAndSnapshotsDiff) {
    const auto start = objc::liveObjectCounts();
    auto a = objc::make<Counter>();
    auto b = objc::make<Counter>();
    auto c = objc::make<SubCounter>();
    EXPECT_EQ(Counter::staticClass().liveInstances(), start.count("Counter") ? start.at("Counter") + 2 : 2);
    auto grown = objc::diffLiveObjectCounts(start, objc::liveObjectCounts());
    EXPECT_EQ(grown, (objc::LiveObjectCounts{{"Counter", 2}, {"SubCounter", 1}}));

    // Counting an object twice does not count it twice; an associated object counts on its own.
    objc::countLiveObject(*a);
    a->setAssociatedObject(&start, objc::make<SubCounter>());
    EXPECT_EQ(objc::diffLiveObjectCounts(start, objc::liveObjectCounts()),
              (objc::LiveObjectCounts{{"Counter", 2}, {"SubCounter", 2}}));

    a.reset();  // takes its associated object with it
    c.reset();
    EXPECT_EQ(objc::diffLiveObjectCounts(start, objc::liveObjectCounts()), (objc::LiveObjectCounts{{"Counter", 1}}));
    auto before = objc::liveObjectCounts();
    b.reset();
    EXPECT_EQ(objc::diffLiveObjectCounts(before, objc::liveObjectCounts()), (objc::LiveObjectCounts{{"Counter", -1}}));
    EXPECT_TRUE(objc::diffLiveObjectCounts(start, objc::liveObjectCounts()).empty());
}

TEST_F(RuntimeTest, AssociatedObjectsAreStrongAndReplaceable) {
    static const char key = 0;
    auto owner = objc::make<Counter>();
    objc::WeakRef<objc::Object> weak;
    {
        id value = objc::make<Counter>();
        weak = value;
        objc::objc_setAssociatedObject(*owner, &key, value, objc::OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    }
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(objc::objc_getAssociatedObject(*owner, &key), weak.lock());
    objc::objc_setAssociatedObject(*owner, &key, nullptr, objc::OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(objc::objc_getAssociatedObject(*owner, &key), nullptr);
}

using RuntimeDeathTest = RuntimeTest;
TEST_F(RuntimeDeathTest, UnknownSelectorAbortsWithThePlatformMessage) {
    auto counter = objc::make<Counter>();
    EXPECT_DEATH(objc::msgSend(counter, sel("launchFlintWindow")),
                 "-\\[Counter launchFlintWindow\\]: unrecognized selector sent to instance 0x");
}

}  // namespace
