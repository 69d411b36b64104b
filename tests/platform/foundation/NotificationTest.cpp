#include <gtest/gtest.h>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "tests/support/TestProcess.h"

namespace {

using objc::id;
using objc::sel;

std::vector<std::string>* g_log = nullptr;

class Listener : public objc::Object {
    OBJC_CLASS_DECLARE(Listener)
public:
    std::string tag;
    std::function<void()> onNote;

protected:
    Listener() = default;
};

OBJC_CLASS_DEFINE_WITH(Listener, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("note:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const id> args) -> id {
        auto& l = static_cast<Listener&>(self);
        auto n = objc::cast<ios::NSNotification>(args[0]);
        g_log->push_back(l.tag + ":" + n->name());
        if (l.onNote) l.onNote();
        return nullptr;
    });
})

class NotificationTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    std::vector<std::string> log;
    void SetUp() override { g_log = &log; }
    objc::Ref<Listener> listener(const std::string& tag) {
        auto l = objc::make<Listener>();
        l->tag = tag;
        return l;
    }
    ios::NSNotificationCenter& center() { return ios::NSNotificationCenter::defaultCenter(); }
};

TEST_F(NotificationTest, DeliversSynchronouslyInRegistrationOrderByName) {
    auto a = listener("a"), b = listener("b");
    center().addObserver(b, sel("note:"), "ping", nullptr);
    center().addObserver(a, sel("note:"), "ping", nullptr);
    center().addObserver(a, sel("note:"), std::nullopt, nullptr);  // every name
    center().postNotificationName("ping");
    center().postNotificationName("pong");
    EXPECT_EQ(log, (std::vector<std::string>{"b:ping", "a:ping", "a:ping", "a:pong"}));
}

TEST_F(NotificationTest, SenderFilterMatchesOnlyThatSender) {
    auto a = listener("a");
    id sender = listener("sender"), other = listener("other");
    center().addObserver(a, sel("note:"), "ping", sender);
    center().postNotificationName("ping", other);
    center().postNotificationName("ping");
    EXPECT_TRUE(log.empty());
    center().postNotificationName("ping", sender);
    EXPECT_EQ(log, std::vector<std::string>{"a:ping"});
}

TEST_F(NotificationTest, ObserversAreWeak) {
    {
        auto a = listener("a");
        center().addObserver(a, sel("note:"), "ping", nullptr);
    }
    center().postNotificationName("ping");  // must not reach a destroyed observer
    EXPECT_TRUE(log.empty());
}

TEST_F(NotificationTest, RemovalByObserverAndByName) {
    auto a = listener("a");
    center().addObserver(a, sel("note:"), "ping", nullptr);
    center().addObserver(a, sel("note:"), "pong", nullptr);
    center().removeObserver(a.get(), "ping");
    EXPECT_EQ(center().observerCountForTesting(a.get(), "ping"), 0u);
    EXPECT_EQ(center().observerCountForTesting(a.get(), "pong"), 1u);
    center().postNotificationName("ping");
    center().postNotificationName("pong");
    EXPECT_EQ(log, std::vector<std::string>{"a:pong"});
    center().removeObserver(a.get());
    center().postNotificationName("pong");
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(NotificationTest, RemovalDuringDeliveryTakesEffectAtOnce) {
    auto a = listener("a"), b = listener("b");
    a->onNote = [&] { center().removeObserver(b.get()); };
    center().addObserver(a, sel("note:"), "ping", nullptr);
    center().addObserver(b, sel("note:"), "ping", nullptr);
    center().postNotificationName("ping");
    EXPECT_EQ(log, std::vector<std::string>{"a:ping"});
    // And an observer removing itself, then being destroyed, mid-delivery.
    objc::Ref<Listener> c = listener("c");
    c->onNote = [&] { center().removeObserver(c.get()); };
    center().addObserver(c, sel("note:"), "pong", nullptr);
    center().postNotificationName("pong");
    center().postNotificationName("pong");
    EXPECT_EQ(log, (std::vector<std::string>{"a:ping", "c:pong"}));
}

int g_darwinCalls = 0;
void darwinCallback(ios::CFNotificationCenterRef, void*, const std::string& name, const void*, const ios::Value*) {
    ++g_darwinCalls;
    g_log->push_back("darwin:" + name);
}

TEST_F(NotificationTest, DarwinCentreCoalescesAndDeliversLater) {
    g_darwinCalls = 0;
    auto center = ios::CFNotificationCenterGetDarwinNotifyCenter();
    ios::CFNotificationCenterAddObserver(center, nullptr, darwinCallback, "x/changed", nullptr,
                                         ios::CFNotificationSuspensionBehavior::Coalesce);
    ios::CFNotificationCenterPostNotification(center, "x/changed", nullptr, nullptr, true);
    ios::CFNotificationCenterPostNotification(center, "x/changed", nullptr, nullptr, true);
    ios::CFNotificationCenterPostNotification(center, "other", nullptr, nullptr, true);
    EXPECT_EQ(g_darwinCalls, 0);
    process.runLoop().runUntilIdle();
    EXPECT_EQ(g_darwinCalls, 1);
    ios::CFNotificationCenterPostNotification(center, "x/changed", nullptr, nullptr, true);
    process.runLoop().runUntilIdle();
    EXPECT_EQ(g_darwinCalls, 2);
}

}  // namespace
