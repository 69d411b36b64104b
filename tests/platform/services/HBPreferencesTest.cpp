#include <gtest/gtest.h>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/services/HBPreferences.h"

namespace {

constexpr const char* kDomain = "com.example.prefs";
constexpr const char* kFile = "/var/mobile/Library/Preferences/com.example.prefs.plist";

class HBPreferencesTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    void post() {
        ios::Process::shared().darwinNotifyCenter().post(std::string(kDomain) + "/preferences.changed");
        process.runLoop().runUntilIdle();
    }
};

TEST_F(HBPreferencesTest, RegisteredKeysReadStoredValueElseDefault) {
    ASSERT_TRUE(ios::writeDictionaryToFile({{"flag", true}, {"count", "7"}}, kFile));
    auto prefs = objc::make<ios::HBPreferences>(kDomain);
    bool flag = false, other = true;
    std::int64_t count = 0;
    prefs->registerBool(false, "flag", &flag);
    prefs->registerBool(false, "other", &other);
    prefs->registerInteger(3, "count", &count);
    prefs->registerObject("x", "name");
    EXPECT_TRUE(flag);
    EXPECT_FALSE(other);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(prefs->objectForKey("name"), ios::Value("x"));
    EXPECT_TRUE(prefs->objectForKey("unregistered").isNone());

    ASSERT_TRUE(ios::writeDictionaryToFile({{"other", true}}, kFile));
    post();
    EXPECT_FALSE(flag);  // removed from the domain: back to the default
    EXPECT_TRUE(other);
    EXPECT_EQ(count, 3);
}

TEST_F(HBPreferencesTest, ChangeBlocksRunAtRegistrationAndOncePerCoalescedChange) {
    auto prefs = objc::make<ios::HBPreferences>(kDomain);
    int runs = 0;
    prefs->registerPreferenceChangeBlock([&] { ++runs; });
    EXPECT_EQ(runs, 1);
    ios::Process::shared().darwinNotifyCenter().post(std::string(kDomain) + "/preferences.changed");
    post();
    EXPECT_EQ(runs, 2);
    ios::Process::shared().darwinNotifyCenter().post("com.other/preferences.changed");
    process.runLoop().runUntilIdle();
    EXPECT_EQ(runs, 2);
}

TEST_F(HBPreferencesTest, SetObjectPersistsAndKeepsOtherKeys) {
    ASSERT_TRUE(ios::writeDictionaryToFile({{"keep", 1}}, kFile));
    auto prefs = objc::make<ios::HBPreferences>(kDomain);
    prefs->setObject("v", "key");
    auto stored = ios::dictionaryWithContentsOfFile(kFile);
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)["keep"], ios::Value(1));
    EXPECT_EQ((*stored)["key"], ios::Value("v"));
    EXPECT_EQ(prefs->objectForKey("key"), ios::Value("v"));
}

TEST_F(HBPreferencesTest, StoreGoneBeforeTheNotificationIsDelivered) {
    { auto prefs = objc::make<ios::HBPreferences>(kDomain); }
    post();  // must not call into the destroyed store
    EXPECT_EQ(ios::Process::shared().darwinNotifyCenter().observerCount(std::string(kDomain) + "/preferences.changed"),
              0u);
}

TEST_F(HBPreferencesTest, TextsLongerThanTheLimitReadCutAtACharacterBoundaryAndStayWholeInTheFile) {
    // "é" is two bytes: a cut at the limit would split the one that straddles it.
    const std::string giant = "a" + std::string(300000, 'x').replace(0, 80000, std::string(40000, 'x') + "\xC3\xA9");
    std::string straddling(ios::kMaxPreferenceTextBytes - 1, 'y');
    straddling += "\xC3\xA9tail";
    ASSERT_TRUE(ios::writeDictionaryToFile(
        {{"name", straddling}, {"short", "fine"}, {"list", ios::Array{ios::Value(giant)}}}, kFile));
    auto prefs = objc::make<ios::HBPreferences>(kDomain);
    EXPECT_EQ(*prefs->objectForKey("name").string(), std::string(ios::kMaxPreferenceTextBytes - 1, 'y'));
    EXPECT_EQ(prefs->objectForKey("short"), ios::Value("fine"));
    EXPECT_EQ(prefs->objectForKey("list").array()->at(0).string()->size(), ios::kMaxPreferenceTextBytes);
    int lines = 0;
    for (const auto& line : process.process().log().lines())
        lines += line.find("longer than 65536 bytes") != std::string::npos;
    EXPECT_EQ(lines, 2) << "one line per cut key";
    // The file keeps the whole texts, also after another key is set.
    prefs->setObject(ios::Value(true), "flag");
    auto stored = ios::dictionaryWithContentsOfFile(kFile);
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)["name"], ios::Value(straddling));
    EXPECT_EQ((*stored)["list"].array()->at(0).string()->size(), giant.size());
    EXPECT_EQ(prefs->objectForKey("name").string()->size(), ios::kMaxPreferenceTextBytes - 1);
}

}  // namespace
