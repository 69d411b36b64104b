#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/PixelProbe.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"

using namespace ios;

TEST(UIFont, SystemFontsReportThePlatformNames) {
    auto regular = UIFont::systemFontOfSize(17);
    auto bold = UIFont::boldSystemFontOfSize(11);
    EXPECT_EQ(regular->fontName(), ".SFUIText");
    EXPECT_EQ(bold->fontName(), ".SFUIText-Bold");
    EXPECT_EQ(regular->pointSize(), 17);
    EXPECT_EQ(bold->pointSize(), 11);
    EXPECT_TRUE(bold->isBold());
    EXPECT_FALSE(regular->isBold());
}

TEST(UIFont, NamesRoundTripAndUnknownNamesGiveNone) {
    auto regular = UIFont::fontWithName(".SFUIText", 10);
    auto bold = UIFont::fontWithName(".SFUIText-Bold", 13);
    ASSERT_TRUE(regular);
    ASSERT_TRUE(bold);
    EXPECT_TRUE(regular->isEqual(*UIFont::systemFontOfSize(10)));
    EXPECT_TRUE(bold->isEqual(*UIFont::boldSystemFontOfSize(13)));
    EXPECT_EQ(UIFont::fontWithName(UIFont::systemFontOfSize(9)->fontName(), 9)->fontName(), ".SFUIText");
    EXPECT_FALSE(UIFont::fontWithName("NoSuchFace-Regular", 12));
    EXPECT_FALSE(UIFont::fontWithName("", 12));
    // An installed face is found by its own name.
    auto inter = UIFont::fontWithName("Inter", 12);
    ASSERT_TRUE(inter);
    EXPECT_EQ(inter->familyName(), "Inter");
}

TEST(UIFont, InterIsReallyInUse) {
    EXPECT_EQ(UIFont::systemFontOfSize(17)->resolvedFamilyForTesting(), "Inter");
    EXPECT_EQ(UIFont::boldSystemFontOfSize(17)->resolvedFamilyForTesting(), "Inter");
}

TEST(UIFont, MetricsScaleWithSize) {
    auto small = UIFont::systemFontOfSize(10), large = UIFont::systemFontOfSize(20);
    EXPECT_GT(small->ascender(), 0);
    EXPECT_LT(small->descender(), 0);
    EXPECT_NEAR(large->lineHeight(), 2 * small->lineHeight(), 0.1);
    // A line is taller than the font size but not absurdly so.
    EXPECT_GT(large->lineHeight(), 20);
    EXPECT_LT(large->lineHeight(), 30);
}

TEST(UIFont, SystemLinesFollowThePlatformMetricsNotInters) {
    for (double size : {10.0, 11.0, 17.0}) {
        for (const auto& font : {UIFont::systemFontOfSize(size), UIFont::boldSystemFontOfSize(size)}) {
            EXPECT_NEAR(font->ascender(), 0.952 * size, 1e-9) << size;
            EXPECT_NEAR(font->descender(), -0.241 * size, 1e-9) << size;
            EXPECT_EQ(font->leading(), 0) << size;
            EXPECT_NEAR(font->lineHeight(), 1.193 * size, 1e-9) << size;
            // Laid-out lines stand on the same grid, one after another.
            NSStringAttributes attrs;
            attrs.font = font;
            EXPECT_NEAR(NSStringSizeWithAttributes("Carrier IP:", attrs).height, 1.193 * size, 0.01) << size;
            EXPECT_NEAR(NSStringSizeWithAttributes("one\ntwo\nthree", attrs).height, 3 * 1.193 * size, 0.02) << size;
            TextLayout layout("Carrier IP:", attrs);
            EXPECT_NEAR(layout.baselineOfFirstLine(), 0.952 * size, 0.01) << size;
        }
    }
    // Rounded up by the callers that ask for whole points: 10 pt → 12, 11 pt → 14, 17 pt → 21.
    EXPECT_EQ(std::ceil(UIFont::systemFontOfSize(10)->lineHeight()), 12);
    EXPECT_EQ(std::ceil(UIFont::boldSystemFontOfSize(11)->lineHeight()), 14);
    EXPECT_EQ(std::ceil(UIFont::systemFontOfSize(17)->lineHeight()), 21);
    // Another face keeps its own metrics.
    auto inter = UIFont::fontWithName("Inter", 20);
    ASSERT_TRUE(inter);
    EXPECT_GT(inter->lineHeight(), 1.2 * 20);
}

TEST(TextDrawing, TheSystemFontStandsOnThePlatformBaseline) {
    // A capital's ink ends at the baseline, 0.952 × size below the line's top.
    NSStringAttributes attrs{UIFont::systemFontOfSize(100), UIColor::blackColor()};
    auto image = UIImage::imageWithSize({200, 150}, 1,
                                        [&](CGContext& c) { drawText(c, "H", CGRectMake(0, 10, 200, 140), attrs); });
    int top = -1, bottom = -1;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            if (image->pixelAt(x, y).a > 128) {
                if (top < 0) top = y;
                bottom = y;
            }
    ASSERT_GE(bottom, 0);
    EXPECT_NEAR(bottom + 1, 10 + 95.2, 0.8);
    EXPECT_GT(top, 10 + 95.2 - 80);  // a cap height of about 0.73 em
}

TEST(TextMeasurement, LongerTextIsWiderAndBoldIsWider) {
    NSStringAttributes regular;
    regular.font = UIFont::systemFontOfSize(17);
    CGSize shortSize = NSStringSizeWithAttributes("Dismiss", regular);
    CGSize longSize = NSStringSizeWithAttributes("Dismiss the panel", regular);
    EXPECT_GT(shortSize.width, 30);
    EXPECT_GT(longSize.width, shortSize.width * 1.8);
    EXPECT_NEAR(shortSize.height, longSize.height, 1e-9);
    EXPECT_NEAR(shortSize.height, regular.font->lineHeight(), 0.5);
    NSStringAttributes bold;
    bold.font = UIFont::boldSystemFontOfSize(17);
    EXPECT_GT(NSStringSizeWithAttributes("Dismiss", bold).width, shortSize.width);
    EXPECT_EQ(NSStringSizeWithAttributes("", regular), (CGSize{0, 0}));
}

TEST(TextMeasurement, WrappingAtAWidthAddsHeight) {
    NSStringAttributes attrs;
    attrs.font = UIFont::systemFontOfSize(15);
    const std::string text = "The quick brown fox jumps over the lazy dog again and again";
    CGSize oneLine = NSStringSizeWithAttributes(text, attrs);
    CGRect wrapped = NSStringBoundingRectWithSize(text, {120, 1e9}, NSStringDrawingUsesLineFragmentOrigin, attrs);
    EXPECT_LE(wrapped.size.width, 120);
    EXPECT_GE(wrapped.size.height, 3 * oneLine.height - 0.5);
    EXPECT_EQ(wrapped.origin, (CGPoint{0, 0}));
    // Without line-fragment layout the text is measured on one line.
    CGRect single = NSStringBoundingRectWithSize(text, {120, 1e9}, 0, attrs);
    EXPECT_NEAR(single.size.width, oneLine.width, 1e-9);
    // A limited height keeps only the lines that fit.
    CGRect twoLines =
        NSStringBoundingRectWithSize(text, {120, oneLine.height * 2.5}, NSStringDrawingUsesLineFragmentOrigin, attrs);
    EXPECT_NEAR(twoLines.size.height, 2 * oneLine.height, 0.5);
    // Explicit line feeds always break.
    EXPECT_NEAR(NSStringSizeWithAttributes("a\nb", attrs).height, 2 * oneLine.height, 0.5);
}

TEST(TextLayout, LineLimitAndTruncation) {
    NSStringAttributes attrs;
    attrs.font = UIFont::systemFontOfSize(15);
    attrs.lineBreakMode = NSLineBreakMode::ByTruncatingTail;
    const std::string text = "A rather long caption that cannot fit on one short line";
    TextLayout one(text, attrs, 100, 1);
    EXPECT_EQ(one.lineCount(), 1);
    EXPECT_TRUE(one.isTruncated());
    EXPECT_LE(one.size().width, 100);
    TextLayout all(text, attrs, 100, 0);
    EXPECT_GT(all.lineCount(), 2);
    EXPECT_FALSE(all.isTruncated());
    attrs.lineBreakMode = NSLineBreakMode::ByClipping;
    TextLayout clipped(text, attrs, 100, 2);
    EXPECT_EQ(clipped.lineCount(), 2);
    EXPECT_TRUE(clipped.isTruncated());
    EXPECT_NEAR(clipped.size().height, 2 * all.size().height / all.lineCount(), 0.5);
}

TEST(TextDrawing, DrawsInTheColourInsideTheRectangleOnly) {
    NSStringAttributes attrs{UIFont::boldSystemFontOfSize(40), UIColor::redColor()};
    UIGraphicsBeginImageContextWithOptions({200, 100}, false, 2);
    NSStringDrawInRect("MMMM", CGRectMake(10, 10, 100, 80), attrs);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    int red = 0, outside = 0;
    for (int y = 0; y < image->pixelHeight(); ++y) {
        for (int x = 0; x < image->pixelWidth(); ++x) {
            auto p = image->pixelAt(x, y);
            if (p.a < 200) continue;
            bool inside = x >= 20 && x < 220 && y >= 20 && y < 180;
            if (!inside)
                ++outside;
            else if (p.r > 200 && p.g < 40 && p.b < 40)
                ++red;
        }
    }
    EXPECT_GT(red, 1000);   // heavy glyphs at 2x
    EXPECT_EQ(outside, 0);  // clipped to the rectangle
}

TEST(TextDrawing, AlignmentMovesTheInk) {
    NSStringAttributes attrs{UIFont::systemFontOfSize(20), UIColor::blackColor()};
    auto inkCentre = [&](NSTextAlignment alignment) {
        attrs.alignment = alignment;
        auto image = UIImage::imageWithSize({300, 40}, 1,
                                            [&](CGContext& c) { drawText(c, "Hi", CGRectMake(0, 0, 300, 40), attrs); });
        double sum = 0, count = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 300; ++x)
                if (image->pixelAt(x, y).a > 128) sum += x, ++count;
        return count > 0 ? sum / count : -1.0;
    };
    double left = inkCentre(NSTextAlignment::Left), centre = inkCentre(NSTextAlignment::Center),
           right = inkCentre(NSTextAlignment::Right);
    EXPECT_GT(left, 0);
    EXPECT_LT(left, 40);
    EXPECT_NEAR(centre, 150, 10);
    EXPECT_GT(right, 260);
}
