#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"

namespace {

using ios::Value;

class PropertyListTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    void writeBytes(const std::string& devicePath, const std::string& bytes) {
        auto path = ios::devicePath(devicePath);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ios::Dictionary sample() {
        return {{"enableAll", true},
                {"gestureOption", 4},
                {"negative", -7},
                {"ratio", 0.75},
                {"name", "iCloud"},
                {"avatar", ios::Data{0, 1, 2, 255}},
                {"when", ios::Date{1000}},  // XML dates keep whole seconds
                {"list", ios::Array{Value(1), Value("two")}},
                {"nested", ios::Dictionary{{"App3", "com.example.app"}}}};
    }
};

TEST_F(PropertyListTest, RoundTripsEveryKindInBothFormats) {
    for (auto format : {ios::PlistFormat::XML, ios::PlistFormat::Binary}) {
        const std::string path = "/var/mobile/Library/Preferences/roundtrip.plist";
        ASSERT_TRUE(ios::writeDictionaryToFile(sample(), path, format));
        auto read = ios::dictionaryWithContentsOfFile(path);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, sample());
    }
}

TEST_F(PropertyListTest, DeviceVarPathsAndPrivateVarPathsNameTheSameFile) {
    ASSERT_TRUE(ios::writeDictionaryToFile({{"k", "v"}}, "/private/var/mobile/Library/Preferences/x.plist"));
    auto read = ios::dictionaryWithContentsOfFile("/var/mobile/Library/Preferences/x.plist");
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["k"], Value("v"));
}

TEST_F(PropertyListTest, BadFilesReadAsNone) {
    EXPECT_FALSE(ios::dictionaryWithContentsOfFile("/var/mobile/missing.plist"));
    writeBytes("/var/mobile/garbage.plist", "this is not a property list");
    EXPECT_FALSE(ios::dictionaryWithContentsOfFile("/var/mobile/garbage.plist"));
    writeBytes("/var/mobile/empty.plist", "");
    EXPECT_FALSE(ios::dictionaryWithContentsOfFile("/var/mobile/empty.plist"));
    writeBytes("/var/mobile/array.plist",
               "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>");
    EXPECT_FALSE(ios::dictionaryWithContentsOfFile("/var/mobile/array.plist"));  // not a dictionary
    writeBytes("/var/mobile/cut.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><stri");
    EXPECT_FALSE(ios::dictionaryWithContentsOfFile("/var/mobile/cut.plist"));

    // A binary list cut short anywhere reads as none, never as a crash.
    auto bytes = ios::propertyListData(Value(sample()), ios::PlistFormat::Binary);
    for (std::size_t n = 0; n < bytes.size(); n += 3)
        EXPECT_FALSE(ios::propertyListFromData(ios::Data(bytes.begin(), bytes.begin() + static_cast<long>(n)))) << n;
}

TEST_F(PropertyListTest, ReadsXmlWrittenByHand) {
    writeBytes("/var/mobile/hand.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>flintWaveColor</key><string>#FF0000</string>
  <key>appearanceMode</key><integer>2</integer>
  <key>enableWave</key><true/>
</dict>
</plist>)");
    auto read = ios::dictionaryWithContentsOfFile("/var/mobile/hand.plist");
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["flintWaveColor"], Value("#FF0000"));
    EXPECT_EQ((*read)["appearanceMode"].integerValue(), 2);
    EXPECT_TRUE((*read)["enableWave"].boolValue());
}

TEST_F(PropertyListTest, BinaryTextWithANulInsideIsRefusedNotFatal) {
    // {"a\0b": 1}: the key holds a NUL byte.
    const ios::Data keyWithNul = {0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd1, 0x01, 0x02, 0x53, 0x61,
                                  0x00, 0x62, 0x10, 0x01, 0x08, 0x0b, 0x0f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11};
    EXPECT_FALSE(ios::propertyListFromData(keyWithNul));
    ios::Data sameWithoutNul = keyWithNul;
    sameWithoutNul[13] = 'x';
    auto read = ios::propertyListFromData(sameWithoutNul);
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["axb"], Value(1));
}

TEST_F(PropertyListTest, TextThatIsNotUtf8IsRepairedSoItCanBeWrittenBack) {
    writeBytes("/var/mobile/bad-text.plist",
               "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key><string>\x95wo "
               "\xC3\xA9</string></dict></plist>");
    auto read = ios::dictionaryWithContentsOfFile("/var/mobile/bad-text.plist");
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["k"], Value("\xEF\xBF\xBDwo \xC3\xA9"));  // valid sequences are kept
    for (auto format : {ios::PlistFormat::XML, ios::PlistFormat::Binary})
        EXPECT_EQ(ios::propertyListFromData(ios::propertyListData(Value(*read), format)), Value(*read));
}

}  // namespace

namespace {

constexpr const char* kDatesXML =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
    "\t<key>future</key>\n\t<date>2100-01-01T00:00:00Z</date>\n"
    "\t<key>past</key>\n\t<date>1900-06-01T12:00:00Z</date>\n"
    "\t<key>first</key>\n\t<date>0001-01-01T00:00:00Z</date>\n"
    "\t<key>last</key>\n\t<date>9999-12-31T23:59:59Z</date>\n"
    "</dict>\n</plist>\n";

// Seconds since 2001-01-01 of the dates above.
constexpr double k2100 = 3124137600, k1900 = -3174206400, kYear1 = -63113904000, kYear9999 = 252423993599;

TEST_F(PropertyListTest, DatesOfEveryYearSurviveReadAndRewrite) {
    writeBytes("/var/mobile/dates.plist", kDatesXML);
    auto read = ios::dictionaryWithContentsOfFile("/var/mobile/dates.plist");
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["future"], Value(ios::Date{k2100}));
    EXPECT_EQ((*read)["past"], Value(ios::Date{k1900}));
    EXPECT_EQ((*read)["first"], Value(ios::Date{kYear1}));
    EXPECT_EQ((*read)["last"], Value(ios::Date{kYear9999}));
    for (auto format : {ios::PlistFormat::XML, ios::PlistFormat::Binary}) {
        ASSERT_TRUE(ios::writeDictionaryToFile(*read, "/var/mobile/rewritten.plist", format));
        EXPECT_EQ(ios::dictionaryWithContentsOfFile("/var/mobile/rewritten.plist"), read);
    }
    // The XML writer gives the dates back as it read them.
    auto xml = ios::propertyListData(Value(*read), ios::PlistFormat::XML);
    std::string text(xml.begin(), xml.end());
    for (const char* date : {"2100-01-01T00:00:00Z", "1900-06-01T12:00:00Z", "9999-12-31T23:59:59Z"})
        EXPECT_NE(text.find(date), std::string::npos) << date;
}

TEST_F(PropertyListTest, BinaryDatesKeepFractionsAndFarYears) {
    ios::Dictionary dates{{"quarter", ios::Date{k1900 + 0.25}},
                          {"beforeQuarter", ios::Date{-0.75}},
                          {"farFuture", ios::Date{3e13}},  // about the year 950,000
                          {"farPast", ios::Date{-3e13}}};
    auto once = ios::propertyListFromData(ios::propertyListData(Value(dates), ios::PlistFormat::Binary));
    ASSERT_TRUE(once);
    EXPECT_EQ(*once, Value(dates));
}

TEST_F(PropertyListTest, DatesAFormatCannotHoldAreWrittenAsItsNearest) {
    ios::Dictionary dates{
        {"late", ios::Date{3e13}}, {"early", ios::Date{-3e13}}, {"fraction", ios::Date{k1900 + 0.25}}};
    auto xml = ios::propertyListFromData(ios::propertyListData(Value(dates), ios::PlistFormat::XML));
    ASSERT_TRUE(xml);
    EXPECT_EQ((*xml->dictionary())["late"], Value(ios::Date{kYear9999}));
    EXPECT_EQ((*xml->dictionary())["early"], Value(ios::Date{kYear1}));
    EXPECT_EQ((*xml->dictionary())["fraction"], Value(ios::Date{k1900}));  // whole seconds, rounded down
    ios::Dictionary odd{{"nan", ios::Date{std::nan("")}}, {"huge", ios::Date{1e300}}};
    auto binary = ios::propertyListFromData(ios::propertyListData(Value(odd), ios::PlistFormat::Binary));
    ASSERT_TRUE(binary);
    EXPECT_EQ((*binary->dictionary())["nan"], Value(ios::Date{0}));
    EXPECT_EQ((*binary->dictionary())["huge"], Value(ios::Date{1e15}));
}

TEST_F(PropertyListTest, WritesLeaveNoTemporaryFilesAndReplaceWholeFiles) {
    const std::string path = "/var/mobile/Library/Preferences/whole.plist";
    ASSERT_TRUE(ios::writeDictionaryToFile({{"k", std::string(100000, 'x')}}, path));
    ASSERT_TRUE(ios::writeDictionaryToFile({{"k", "short"}}, path));
    EXPECT_EQ((*ios::dictionaryWithContentsOfFile(path))["k"], Value("short"));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ios::devicePath(path).parent_path())) {
        EXPECT_EQ(entry.path().filename(), "whole.plist");
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

}  // namespace

namespace {

TEST_F(PropertyListTest, ANulInsideXMLTextIsRepairedSoTheTextIsWrittenBackWhole) {
    const std::string xml = std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key><string>ab") +
                            '\0' + "cd</string></dict></plist>";
    auto read = ios::propertyListFromData(ios::Data(xml.begin(), xml.end()));
    ASSERT_TRUE(read);
    const Value text = (*read->dictionary())["k"];
    ASSERT_TRUE(text.string());
    EXPECT_EQ(text.string()->rfind("ab\xEF\xBF\xBD", 0), 0u) << "the NUL reads as U+FFFD";
    EXPECT_EQ(text.string()->find('\0'), std::string::npos);
    for (auto format : {ios::PlistFormat::XML, ios::PlistFormat::Binary}) {
        auto again = ios::propertyListFromData(ios::propertyListData(*read, format));
        ASSERT_TRUE(again);
        EXPECT_EQ(*again, *read);
    }
}

}  // namespace
