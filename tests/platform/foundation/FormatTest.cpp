#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/Format.h"
#include "platform/foundation/NumberDescription.h"
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

TEST(Format, NumbersAsTextAreWrittenAsThePlatformDescribesThem) {
    EXPECT_EQ(ios::numberDescription(3.0), "3");
    EXPECT_EQ(ios::numberDescription(2.5), "2.5");
    EXPECT_EQ(ios::numberDescription(-0.1), "-0.1");
    EXPECT_EQ(ios::numberDescription(1234567.0), "1234567");
    EXPECT_EQ(ios::numberDescription(0.30000000000000004), "0.30000000000000004");  // still reads back the same
    EXPECT_EQ(ios::numberDescription(1e21), "1e+21");
    EXPECT_EQ(ios::numberDescription(std::nan("")), "nan");
    EXPECT_EQ(format("%@ s", 3.0), "3 s");
    EXPECT_EQ(format("%@", 2.5f), "2.5");

    EXPECT_EQ(ios::textOfValue(3.0), "3");
    EXPECT_EQ(ios::textOfValue(2.5), "2.5");
    EXPECT_EQ(ios::textOfValue(10), "10");
    EXPECT_EQ(ios::textOfValue(true), "1");
    EXPECT_EQ(ios::textOfValue("3.000000"), "3.000000");  // a text stays as it is
    EXPECT_EQ(ios::textOfValue(ios::Data{1, 2}), std::nullopt);
    EXPECT_EQ(ios::textOfValue(ios::Value()), std::nullopt);
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
