#include <gtest/gtest.h>

#include "platform/foundation/Format.h"
#include "platform/foundation/Value.h"

namespace {

using ios::format;

TEST(Format, ObjectConversionWritesTextOrNull) {
    std::optional<std::string> none;
    EXPECT_EQ(format("%@", std::string("Carrier")), "Carrier");
    EXPECT_EQ(format("%@", none), "(null)");
    EXPECT_EQ(format("%@", nullptr), "(null)");
    EXPECT_EQ(format(" %@ Days %@ Hrs %@ Mins", 1, 23, 59), " 1 Days 23 Hrs 59 Mins");
    EXPECT_EQ(format("%@ and %@", "one"), "one and (null)");  // a missing argument is none
}

TEST(Format, IntegerAndRealConversionsFollowPrintf) {
    EXPECT_EQ(format("%d", -42), "-42");
    EXPECT_EQ(format("%zd", std::size_t{7}), "7");
    EXPECT_EQ(format("%ld seconds", 10L), "10 seconds");
    EXPECT_EQ(format("%.0f", 2.5), "2");  // round half to even, as printf
    EXPECT_EQ(format("%.0f", 89.6), "90");
    EXPECT_EQ(format("%.1f", 0.25), "0.2");
    EXPECT_EQ(format("%.1f", -1.06), "-1.1");
    EXPECT_EQ(format("%02X:%02X", 0x0a, 0xff), "0A:FF");
    EXPECT_EQ(format("%02X", 300), "12C");
    EXPECT_EQ(format("100%%"), "100%");
}

TEST(Format, OddFormatsAreWrittenLiterally) {
    EXPECT_EQ(format("50%"), "50%");
    EXPECT_EQ(format("%k", 1), "%k");
    EXPECT_EQ(format("%5@|", "ab"), "   ab|");
}

TEST(Value, ConvertsLikeThePlatform) {
    EXPECT_EQ(ios::Value("12abc").integerValue(), 12);
    EXPECT_EQ(ios::Value("colorMode").integerValue(), 0);
    EXPECT_EQ(ios::Value("  -3").integerValue(), -3);
    EXPECT_EQ(ios::Value(2.9).integerValue(), 2);
    EXPECT_EQ(ios::Value(true).integerValue(), 1);
    EXPECT_TRUE(ios::Value("YES").boolValue());
    EXPECT_TRUE(ios::Value("1").boolValue());
    EXPECT_FALSE(ios::Value("0").boolValue());
    EXPECT_FALSE(ios::Value("no").boolValue());
    EXPECT_EQ(ios::Value("99999999999999999999").integerValue(), INT64_MAX);
    EXPECT_FALSE(ios::Value(5).stringValue());
    EXPECT_TRUE(ios::Value()["key"].isNone());
}

}  // namespace
