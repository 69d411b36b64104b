#include <gtest/gtest.h>

#include "platform/services/LCPParseColorString.h"

namespace {

void expectColor(const objc::Ref<ios::UIColor>& c, int r, int g, int b, double a) {
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->red() * 255, r, 1e-9);
    EXPECT_NEAR(c->green() * 255, g, 1e-9);
    EXPECT_NEAR(c->blue() * 255, b, 1e-9);
    EXPECT_NEAR(c->alpha(), a, 1e-9);
}

TEST(ColorParser, AcceptedForms) {
    expectColor(ios::LCPParseColorString("#131314", "#000000"), 0x13, 0x13, 0x14, 1);
    expectColor(ios::LCPParseColorString("#ff8000", "#000000"), 255, 128, 0, 1);
    expectColor(ios::LCPParseColorString("#F80", "#000000"), 255, 136, 0, 1);
    expectColor(ios::LCPParseColorString("#FF000080", "#000000"), 255, 0, 0, 128 / 255.0);
    expectColor(ios::LCPParseColorString("#00FF00:0.25", "#000000"), 0, 255, 0, 0.25);
    expectColor(ios::LCPParseColorString("  #0000ff : 1 \n", "#000000"), 0, 0, 255, 1);
    expectColor(ios::LCPParseColorString("#FF000080:.5", "#000000"), 255, 0, 0, 0.5);  // the alpha text wins
}

TEST(ColorParser, AnythingElseGivesTheFallback) {
    for (const char* bad : {"", "#", "131314", "#12345", "#1234567", "#GG0000", "#FF0000:", "#FF0000:1.5",
                            "#FF0000:-0.5", "#FF0000:0.5.5", "#FF0000:abc", "red", "#FF 000", "#FF0000::1"}) {
        expectColor(ios::LCPParseColorString(std::string(bad), "#131314"), 0x13, 0x13, 0x14, 1);
    }
    expectColor(ios::LCPParseColorString(std::nullopt, "#131314"), 0x13, 0x13, 0x14, 1);
    // The same colour whether the key holds the fallback text or is missing.
    EXPECT_TRUE(
        ios::LCPParseColorString("#131314", "#131314")->isEqual(*ios::LCPParseColorString(std::nullopt, "#131314")));
    // A fallback that is no colour text gives opaque black rather than nothing.
    expectColor(ios::LCPParseColorString(std::nullopt, "nonsense"), 0, 0, 0, 1);
}

TEST(ColorParser, EmbeddedNulIsNotAColour) {
    expectColor(ios::LCPParseColorString(std::string("#FF\0"
                                                     "0000",
                                                     8),
                                         "#131314"),
                0x13, 0x13, 0x14, 1);
}

}  // namespace
