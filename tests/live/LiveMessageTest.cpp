// The live view's message decoder: every good message decodes to what it says, every bad one is
// refused with a reason.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/live/LiveMessage.h"

namespace {

using namespace flint::live;

InputMessage decodeGood(const std::string& text) {
    auto result = decodeInputMessage(text);
    EXPECT_TRUE(result.message) << text << ": " << result.error;
    return result.message.value_or(InputMessage{ButtonMessage{ButtonMessage::Kind::Home}});
}

TEST(LiveMessage, GoodMessagesDecodeToTheirValues) {
    auto touch = std::get<TouchMessage>(decodeGood(R"({"type":"touch","phase":"moved","x":12.5,"y":-3,"finger":2})"));
    EXPECT_EQ(touch.phase, TouchPhase::Moved);
    EXPECT_DOUBLE_EQ(touch.x, 12.5);
    EXPECT_DOUBLE_EQ(touch.y, -3);
    EXPECT_EQ(touch.finger, 2);
    EXPECT_EQ(std::get<TouchMessage>(decodeGood(R"({"type":"touch","phase":"began","x":1,"y":2})")).finger, 0);
    EXPECT_EQ(std::get<TouchMessage>(decodeGood(R"({"type":"touch","phase":"cancelled","x":0,"y":0})")).phase,
              TouchPhase::Cancelled);

    auto text = std::get<KeyMessage>(decodeGood(R"({"type":"key","text":"Grüße"})"));
    EXPECT_EQ(text.kind, KeyMessage::Kind::Text);
    EXPECT_EQ(text.text, "Grüße");
    EXPECT_EQ(std::get<KeyMessage>(decodeGood(R"({"type":"key","key":"Backspace"})")).kind,
              KeyMessage::Kind::Backspace);
    EXPECT_EQ(std::get<KeyMessage>(decodeGood(R"({"type":"key","key":"Enter"})")).kind, KeyMessage::Kind::Enter);

    EXPECT_EQ(std::get<AppearanceMessage>(decodeGood(R"({"type":"appearance","style":"light"})")).style, 1);
    EXPECT_EQ(std::get<AppearanceMessage>(decodeGood(R"({"type":"appearance","style":"dark"})")).style, 2);
    EXPECT_EQ(std::get<AppearanceMessage>(decodeGood(R"({"type":"appearance","style":"unspecified"})")).style, 0);

    auto flag = std::get<PreferenceMessage>(decodeGood(R"({"type":"pref","key":"enableWave","value":false})"));
    EXPECT_FALSE(flag.colors);
    EXPECT_EQ(flag.key, "enableWave");
    EXPECT_EQ(flag.kind, PreferenceMessage::Kind::Bool);
    EXPECT_FALSE(flag.boolValue);
    auto number = std::get<PreferenceMessage>(decodeGood(R"({"type":"pref","key":"gestureOption","value":2})"));
    EXPECT_EQ(number.kind, PreferenceMessage::Kind::Integer);
    EXPECT_EQ(number.integerValue, 2);
    auto real = std::get<PreferenceMessage>(decodeGood(R"({"type":"pref","key":"x","value":0.5})"));
    EXPECT_EQ(real.kind, PreferenceMessage::Kind::Real);
    EXPECT_DOUBLE_EQ(real.realValue, 0.5);
    auto colour = std::get<PreferenceMessage>(
        decodeGood(R"({"type":"pref","file":"colors","key":"flintLabelColor","value":"#FF0000"})"));
    EXPECT_TRUE(colour.colors);
    EXPECT_EQ(colour.kind, PreferenceMessage::Kind::Text);
    EXPECT_EQ(colour.textValue, "#FF0000");
    EXPECT_EQ(std::get<PreferenceMessage>(decodeGood(R"({"type":"pref","key":"App1","value":null})")).kind,
              PreferenceMessage::Kind::Unset);

    EXPECT_EQ(std::get<ProfileMessage>(decodeGood(R"({"type":"profile","name":"iphone-8"})")).name, "iphone-8");
    EXPECT_EQ(std::get<ButtonMessage>(decodeGood(R"({"type":"button","name":"lock"})")).kind,
              ButtonMessage::Kind::Lock);
}

TEST(LiveMessage, BadMessagesAreRefusedWithAReason) {
    const std::vector<std::string> bad = {
        "",
        "not json",
        "[1,2]",
        R"({"phase":"began"})",
        R"({"type":7})",
        R"({"type":"explode"})",
        R"({"type":"touch","phase":"hover","x":1,"y":1})",
        R"({"type":"touch","phase":"began","x":"1","y":1})",
        R"({"type":"touch","phase":"began","x":1})",
        R"({"type":"touch","phase":"began","x":1e9,"y":1})",
        R"({"type":"touch","phase":"began","x":1,"y":1,"finger":10})",
        R"({"type":"touch","phase":"began","x":1,"y":1,"finger":-1})",
        R"({"type":"touch","phase":"began","x":1,"y":1,"finger":1.5})",
        R"({"type":"key"})",
        R"({"type":"key","text":""})",
        R"({"type":"key","text":"a\u0007"})",
        R"({"type":"key","text":"\n"})",
        R"({"type":"key","key":"Escape"})",
        "{\"type\":\"key\",\"text\":\"\xC3\"}",
        "{\"type\":\"key\",\"text\":\"\xC0\xAF\"}",
        R"({"type":"appearance","style":"sepia"})",
        R"({"type":"pref","key":"../etc","value":1})",
        R"({"type":"pref","key":"","value":1})",
        R"({"type":"pref","key":"a"})",
        R"({"type":"pref","key":"a","value":[1]})",
        R"({"type":"pref","key":"a","value":18446744073709551615})",
        R"({"type":"pref","file":"other","key":"a","value":1})",
        R"({"type":"pref","file":"colors","key":"flintLabelColor","value":3})",
        R"({"type":"profile","name":"iphone-99"})",
        R"({"type":"button","name":"power"})",
    };
    for (const auto& text : bad) {
        auto result = decodeInputMessage(text);
        EXPECT_FALSE(result.message) << text;
        EXPECT_FALSE(result.error.empty()) << text;
    }
    std::string huge = R"({"type":"key","text":")" + std::string(kMaxInputMessageBytes, 'a') + R"("})";
    auto result = decodeInputMessage(huge);
    EXPECT_FALSE(result.message);
    EXPECT_NE(result.error.find("64 KiB"), std::string::npos);
    std::string longKey = R"({"type":"key","text":")" + std::string(1025, 'a') + R"("})";
    EXPECT_FALSE(decodeInputMessage(longKey).message);
}

TEST(LiveMessage, UploadHeadersTakePngAndJpegUpTo32MiB) {
    auto png = decodeUploadHeader("image/png", 1000);
    ASSERT_TRUE(png.header);
    EXPECT_EQ(png.header->format, UploadHeader::Format::PNG);
    EXPECT_EQ(png.header->length, 1000u);
    auto jpeg = decodeUploadHeader("image/jpeg; charset=binary", kMaxUploadBytes);
    ASSERT_TRUE(jpeg.header);
    EXPECT_EQ(jpeg.header->format, UploadHeader::Format::JPEG);

    EXPECT_FALSE(decodeUploadHeader("image/png", kMaxUploadBytes + 1).header);
    EXPECT_FALSE(decodeUploadHeader("image/png", 0).header);
    EXPECT_FALSE(decodeUploadHeader("image/png", std::nullopt).header);
    auto gif = decodeUploadHeader("image/gif", 10);
    EXPECT_FALSE(gif.header);
    EXPECT_NE(gif.error.find("PNG or JPEG"), std::string::npos);
    EXPECT_FALSE(decodeUploadHeader("", 10).header);
}

TEST(LiveMessage, ImageSizesAreReadFromHeadersAlone) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                     'I',  'H', 'D', 'R', 0,    0,    0x23, 0x28, 0, 0, 0, 7};  // 9000 × 7
    auto size = encodedImageSize(png.data(), png.size());
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 9000);
    EXPECT_EQ(size->height, 7);
    EXPECT_FALSE(encodedImageSize(png.data(), png.size() - 1));  // cut short

    // SOI, an APP0 segment of 4 bytes, then SOF0 with height 300 and width 8193.
    std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF,
                                      0xC0, 0x00, 0x11, 0x08, 0x01, 0x2C, 0x20, 0x01};
    size = encodedImageSize(jpeg.data(), jpeg.size());
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 8193);
    EXPECT_EQ(size->height, 300);
    // A Huffman table (C4) is not a frame header.
    std::vector<std::uint8_t> tables = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x04, 0x00, 0x00};
    EXPECT_FALSE(encodedImageSize(tables.data(), tables.size()));
    std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_FALSE(encodedImageSize(text.data(), text.size()));
}

}  // namespace
