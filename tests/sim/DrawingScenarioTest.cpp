// The drawing sandbox driven by a scenario, as a person would: shapes and strokes by finger,
// undo and redo, and a snapshot probed for what was drawn.

#include <gtest/gtest.h>

#include "tests/sim/SimRunner.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/UIImage.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"

namespace {

using flint::testing::SimResult;

class DrawingScenario : public flint::testing::SimFolderTest {
protected:
    SimResult run(const std::string& script) { return runScript("script", script); }
};

TEST_F(DrawingScenario, StrokesUndoRedoAndASnapshot) {
    std::string png = (dir / "drawing.png").string();
    SimResult r =
        run("scale 1\n"
            "boot\n"
            "sandbox drawing\n"
            "expect drawing-steps 0\n"
            "drawing tool filled-rectangle\n"
            "drag 40 150 200 300\n"
            "expect drawing-steps 1\n"
            "drawing tool pen\n"
            "drag 60 400 150 450 250 420\n"
            "expect drawing-steps 2\n"
            "drawing undo\n"
            "expect drawing-steps 1\n"
            "drawing redo\n"
            "expect drawing-steps 2\n"
            "drawing undo\n"
            "snapshot " +
            png +
            "\n"
            "drawing tool crayon\n");
    // Every line up to the unknown tool ran; that one fails with its reason.
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("unknown tool \"crayon\""), std::string::npos) << r.out;
    ASSERT_TRUE(std::filesystem::exists(png)) << r.out;

    // The filled rectangle is on the snapshot; the undone pen stroke is not.
    std::ifstream in(png, std::ios::binary);
    ios::Data bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto image = ios::UIImage::imageWithData(bytes);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixelWidth(), 375);  // iphone-x at scale 1: pixels are points
    auto background = image->pixelAtPoint(ios::CGPointMake(330, 520));
    EXPECT_NE(image->pixelAtPoint(ios::CGPointMake(120, 225)), background);
    EXPECT_EQ(image->pixelAtPoint(ios::CGPointMake(150, 450)), background);

    SimResult probe =
        run("boot\n"
            "sandbox drawing\n"
            "drawing tool filled-rectangle\n"
            "drag 40 150 200 300\n"
            "expect drawing-steps 1\n"
            "drawing clear\n"
            "expect drawing-steps 0\n");
    EXPECT_EQ(probe.status, 0) << probe.out;
}

TEST_F(DrawingScenario, DrawingLinesNeedTheSandbox) {
    SimResult r = run("boot\ndrawing undo\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("the drawing sandbox is not open"), std::string::npos) << r.out;
}

// A text box made by a text-tool tap at screen point (x, y) is centred 25 points right of and 50
// points below it (its 50 × 100 frame there shrinks to 50 high about its centre). Typing widens it
// about that centre to the width of the text and "xx" at 18 points, plus 48.
struct TypedBox {
    double tapX, tapY;
    std::string text;
    double centreX() const { return tapX + 25; }
    double centreY() const { return tapY + 50; }
    double width() const {
        ios::NSStringAttributes a;
        a.font = ios::UIFont::systemFontOfSize(18);
        float w = std::ceil(static_cast<float>(ios::NSStringSizeWithAttributes(text + "xx", a).width)) + 24.0f;
        return (w < 50 ? 26 : w) + 24;
    }
    // Handle centres: 12 points in from the box's corners.
    std::string closeHandle() const { return point(centreX() - width() / 2 + 12, centreY() - 25 + 12); }
    std::string rotateHandle(double dx = 0, double dy = 0) const {
        return point(centreX() + width() / 2 - 12 + dx, centreY() + 25 - 12 + dy);
    }
    std::string centre() const { return point(centreX(), centreY()); }
    static std::string point(double x, double y) { return num(x) + " " + num(y); }
    static std::string num(double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.3f", v);
        return buffer;
    }
};

}  // namespace

// A drag that starts on a text box's rotate handle turns and grows the box about its centre; the
// box never jumps to the finger, not even at touch-up.
TEST_F(DrawingScenario, DraggingTheRotateHandleKeepsTheBoxCentred) {
    TypedBox box{60, 200, "Hello"};
    SimResult r =
        run("boot\n"
            "sandbox drawing\n"
            "drawing tool text\n"
            "tap 60 200\n"
            "type \"Hello\"\n"
            "expect text-box centre " +
            box.centre() +
            "\n"
            "expect text-box size " +
            TypedBox::point(box.width(), 50) +
            "\n"
            "drag " +
            box.rotateHandle() + " " + box.rotateHandle(30, 10) + " " + box.rotateHandle(70, 50) +
            "\n"
            "expect text-box centre " +
            box.centre() +
            "\n"
            "expect drawing-steps 1\n");
    EXPECT_EQ(r.status, 0) << r.out;
}

// Undo and redo of a text box keep the font it was typed at, and a handle resize keeps the text
// inside its field; the first text-tool tap after the edited box left the canvas makes a new box.
TEST_F(DrawingScenario, TextBoxesKeepTheirFontAndTheNextTapAfterOneLeftMakesANewOne) {
    TypedBox flint{60, 200, "Flint"};
    SimResult fonts =
        run("boot\n"
            "sandbox drawing\n"
            "drawing tool text\n"
            "tap 60 200\n"
            "type \"Flint\"\n"
            "tap 300 600\n"
            "expect drawing-steps 1\n"
            "drawing undo\n"
            "expect text-boxes 0\n"
            "drawing redo\n"
            "wait 0.5\n"
            "expect text-boxes 1\n"
            "expect text-box font 18 0\n"
            "expect text-box size " +
            TypedBox::point(flint.width(), 50) +
            "\n"
            "drawing undo\n"
            "drawing redo\n"
            "wait 0.5\n"
            "expect text-box font 18 0\n");
    EXPECT_EQ(fonts.status, 0) << fonts.out;

    TypedBox two{60, 300, "Two"}, three{60, 400, "Three"};
    SimResult taps =
        run("boot\n"
            "sandbox drawing\n"
            "drawing tool text\n"
            "tap 60 200\n"
            "type \"One\"\n"
            "drawing clear\n"
            "tap 60 300\n"
            "expect text-boxes 1\n"
            "type \"Two\"\n"
            "expect text-box size " +
            TypedBox::point(two.width(), 50) +
            "\n"
            "tap " +
            two.closeHandle() +
            "\n"
            "expect text-boxes 0\n"
            "tap 60 400\n"
            "expect text-boxes 1\n"
            "type \"Three\"\n"
            "tap 300 600\n"
            "tap " +
            three.centre() +
            "\n"
            "drawing undo\n"
            "expect text-boxes 0\n"
            "tap 60 500\n"
            "expect text-boxes 1\n"
            "type \"Four\"\n"
            "expect text-box centre " +
            TypedBox::point(85, 550) + "\n");
    EXPECT_EQ(taps.status, 0) << taps.out;
}

// A box holding only white space leaves the canvas when editing ends, non-ASCII spaces included.
TEST_F(DrawingScenario, ABoxOfNonAsciiSpacesLeavesTheCanvas) {
    SimResult r =
        run("boot\n"
            "sandbox drawing\n"
            "drawing tool text\n"
            "tap 60 200\n"
            "type \"\u00A0\u3000\u00A0\"\n"
            "drawing tool pen\n"
            "tap 300 600\n"
            "expect text-boxes 0\n"
            "expect drawing-steps 1\n");
    EXPECT_EQ(r.status, 0) << r.out;
}

namespace {

ios::UIImageRef readPng(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    ios::Data bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ios::UIImage::imageWithData(bytes, 3);
}

// The box of the pixels darker than `limit` in a region of the image (points), as x0 y0 x1 y1.
std::array<double, 4> inkBox(const ios::UIImage& image, double x0, double y0, double x1, double y1, int limit) {
    std::array<double, 4> box{1e9, 1e9, -1e9, -1e9};
    double scale = image.scale();
    for (int y = static_cast<int>(y0 * scale); y < static_cast<int>(y1 * scale); ++y)
        for (int x = static_cast<int>(x0 * scale); x < static_cast<int>(x1 * scale); ++x) {
            auto p = image.pixelAt(x, y);
            if (p.r > limit || p.g > limit || p.b > limit) continue;
            box = {std::min(box[0], x / scale), std::min(box[1], y / scale), std::max(box[2], (x + 1) / scale),
                   std::max(box[3], (y + 1) / scale)};
        }
    return box;
}

}  // namespace

// `flint-sim drawing-demo` on its own: the device's bundle images are there (the colour slider's
// spectrum track, the text box's handle images), and the redone text box shows "Flint" at the
// 18 points it was typed at, on one line inside its field.
TEST_F(DrawingScenario, TheDrawingDemoShowsBundleImagesAndTheTextAtItsTypedSize) {
    SimResult r = flint::testing::runSim("drawing-demo --out " + dir.string());
    ASSERT_EQ(r.status, 0) << r.out;
    auto first = readPng(dir / "drawing-1.png"), redone = readPng(dir / "drawing-3.png");
    auto selected = readPng(dir / "drawing-4.png");
    ASSERT_TRUE(first && redone && selected) << r.out;
    ASSERT_EQ(first->pixelWidth(), 1125) << "iphone-x at scale 3";

    // The spectrum track runs along the slider (x 24 to 351, centred 15.5 points below its top at
    // 662): red at its left end, cyan at its middle. Without the image there is no track at all.
    auto red = first->pixelAtPoint(ios::CGPointMake(28, 677.5));
    EXPECT_TRUE(red.r > 200 && red.g < 90 && red.b < 90) << int(red.r) << " " << int(red.g) << " " << int(red.b);
    auto cyan = first->pixelAtPoint(ios::CGPointMake(24 + 327 * 0.5, 677.5));
    EXPECT_TRUE(cyan.r < 110 && cyan.g > 150 && cyan.b > 150)
        << int(cyan.r) << " " << int(cyan.g) << " " << int(cyan.b);

    // The text box was made by a tap at (120, 460): centred at (145, 510), 50 high. The text is
    // 18 points: its ink is as tall as 18-point ascenders and as wide as "Flint" at 18 points.
    ios::NSStringAttributes a;
    a.font = ios::UIFont::systemFontOfSize(18);
    double advance = ios::NSStringSizeWithAttributes("Flint", a).width;
    for (const auto& shot : {first, redone}) {
        auto ink = inkBox(*shot, 60, 480, 230, 540, 90);
        ASSERT_LT(ink[0], ink[2]) << "no text";
        double height = ink[3] - ink[1];
        EXPECT_TRUE(height > 0.65 * 18 && height < 0.8 * 18) << "ink " << height << " high";
        EXPECT_NEAR(ink[2] - ink[0], advance, 3);
        EXPECT_NEAR((ink[1] + ink[3]) / 2, 510, 4);
    }

    // Selected, the box shows its handle images: the rotate handle (bottom-right, centred 12
    // points in from the box's corner) is drawn blue, not a plain white disc.
    bool blue = false;
    for (double x = 150; x < 230 && !blue; x += 1 / 3.0) {
        auto p = selected->pixelAtPoint(ios::CGPointMake(x, 523));
        blue = p.b > 180 && p.r < 100;
    }
    EXPECT_TRUE(blue) << "no blue rotate handle on row 523";
}
