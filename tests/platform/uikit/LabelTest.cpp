#include <climits>
#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UILabel.h"

using namespace ios;

TEST(UILabel, IntrinsicSizeIsTheMeasuredTextRoundedUp) {
    ios::testing::TestProcess process;
    auto label = objc::make<UILabel>(CGRectZero);
    EXPECT_EQ(label->intrinsicContentSize(), CGSizeZero);
    label->setText("Carrier Name:");
    CGSize measured = NSStringSizeWithAttributes("Carrier Name:", {UIFont::systemFontOfSize(17), nullptr});
    EXPECT_EQ(label->intrinsicContentSize(), CGSizeMake(std::ceil(measured.width), std::ceil(measured.height)));
    label->setFont(UIFont::boldSystemFontOfSize(11));
    EXPECT_LT(label->intrinsicContentSize().width, std::ceil(measured.width));
    // Attributed text with plain runs: the first run's font applies to all.
    label->setAttributedText(
        NSAttributedString::stringWithRuns({{"Wi", UIFont::systemFontOfSize(30), nullptr}, {"Fi", nullptr, nullptr}}));
    EXPECT_EQ(*label->text(), "WiFi");
    EXPECT_EQ(label->font()->pointSize(), 30);
    label->setText(std::string("two\nlines"));
    CGSize one = label->intrinsicContentSize();
    label->setNumberOfLines(0);
    EXPECT_GT(label->intrinsicContentSize().height, one.height * 1.5);
}

TEST(UILabel, DrawsCentredTextInItsColourAndShrinksToFit) {
    ios::testing::TestProcess process;
    auto label = objc::make<UILabel>(CGRectMake(0, 0, 200, 60));
    label->setText("IIIIIIII");
    label->setTextColor(UIColor::redColor());
    label->setTextAlignment(NSTextAlignment::Center);
    auto render = [&] {
        label->displayIfNeeded();
        return UIImage::imageWithSize(CGSizeMake(200, 60), 1,
                                      [&](CGContext& c) { label->layer()->renderInContext(c); });
    };
    auto image = render();
    CGRect text = label->textRectForBounds();
    EXPECT_NEAR(text.origin.x + text.size.width / 2, 100, 0.5);
    EXPECT_NEAR(text.origin.y + text.size.height / 2, 30, 0.5);
    int red = 0, outside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            auto p = image->pixelAt(x, y);
            bool inText = CGRectContainsPoint(CGRectInset(text, -1, -1), CGPointMake(x + 0.5, y + 0.5));
            if (p.a > 128) (inText ? red : outside)++;
            if (p.a > 128) {
                EXPECT_TRUE(p.r > 215 && p.g < 40 && p.b < 40) << p;
            }
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(outside, 0);

    label->setFrame(CGRectMake(0, 0, 20, 60));
    EXPECT_EQ(label->fontForDrawing(), label->font());
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumScaleFactor(0.5);
    EXPECT_LT(label->fontForDrawing()->pointSize(), 17);
    EXPECT_GE(label->fontForDrawing()->pointSize(), 8.5);
}

// Setting a value the label already has changes nothing: no layout pass is asked for, so a view
// that sets its label's properties in layoutSubviews cannot start a layout loop.
TEST(UILabel, UnchangedValuesAskForNoLayout) {
    ios::testing::TestProcess process;
    auto parent = objc::make<UIView>(CGRectMake(0, 0, 200, 100));
    auto label = objc::make<UILabel>(CGRectMake(0, 0, 200, 40));
    parent->addSubview(label);
    label->setText(std::string("Marquee"));
    label->setNumberOfLines(1);
    label->setLineBreakMode(NSLineBreakMode::ByClipping);
    label->setTextAlignment(NSTextAlignment::Center);
    parent->layoutIfNeeded();
    ASSERT_FALSE(parent->needsLayout());
    label->setText(std::string("Marquee"));
    label->setNumberOfLines(1);
    label->setLineBreakMode(NSLineBreakMode::ByClipping);
    label->setTextAlignment(NSTextAlignment::Center);
    EXPECT_FALSE(parent->needsLayout());
    EXPECT_FALSE(label->needsLayout());
    label->setNumberOfLines(2);
    EXPECT_TRUE(parent->needsLayout());
}

namespace {
// Where the ink of a rendered label lies, in pixel rows at scale 2: over the whole label, and in
// its rightmost `tail` inked columns.
struct TailInk {
    int top = INT_MAX, bottom = -1, tailTop = INT_MAX, tailBottom = -1, right = -1;
};
TailInk tailInk(UILabel& label, int tail = 3) {
    label.displayIfNeeded();
    const CGSize size = label.bounds().size;
    auto image = UIImage::imageWithSize(size, 2, [&](CGContext& c) { label.layer()->renderInContext(c); });
    TailInk ink;
    for (int y = 0; y < image->pixelHeight(); ++y)
        for (int x = 0; x < image->pixelWidth(); ++x)
            if (image->pixelAt(x, y).a > 100) {
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ink.right = std::max(ink.right, x);
            }
    for (int y = 0; y < image->pixelHeight(); ++y)
        for (int x = std::max(0, ink.right - tail + 1); x <= ink.right; ++x)
            if (image->pixelAt(x, y).a > 100) {
                ink.tailTop = std::min(ink.tailTop, y);
                ink.tailBottom = std::max(ink.tailBottom, y);
            }
    return ink;
}
}  // namespace

// A one-line label cuts a text longer than its width at the tail and ends it with an ellipsis,
// whose dots sit on the baseline; a text that fits ends with its own last letter.
TEST(UILabel, ATextWiderThanTheLabelEndsInAnEllipsisInsideIt) {
    ios::testing::TestProcess process;
    auto label = objc::make<UILabel>(CGRectMake(0, 0, 120, 30));
    label->setText(std::string("HHHHHHHHHHHHHHHHHHHHHHHH"));
    label->setTextAlignment(NSTextAlignment::Center);
    TailInk cut = tailInk(*label);
    ASSERT_GE(cut.right, 0);
    EXPECT_LT(cut.right, 240);
    EXPECT_GT(cut.right, 240 - 2 * 12);  // the cut text fills the width, less at most one letter
    const int height = cut.bottom - cut.top;
    EXPECT_GT(height, 20);
    // The last dot: low and short, at the foot of the capitals.
    EXPECT_LT(cut.tailBottom - cut.tailTop, height / 4) << cut.tailTop << "-" << cut.tailBottom;
    EXPECT_NEAR(cut.tailBottom, cut.bottom, 1);

    label->setText(std::string("HHH"));
    TailInk whole = tailInk(*label);
    EXPECT_LT(whole.tailTop, whole.top + 2);
}
