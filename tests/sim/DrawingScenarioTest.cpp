// The drawing sandbox driven by a scenario, as a person would: shapes and strokes by finger,
// undo and redo, and a snapshot probed for what was drawn.

#include <gtest/gtest.h>

#include "sim/SimRunner.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/UIImage.h"

namespace {

using flint::testing::SimResult;

class DrawingScenario : public flint::testing::SimFolderTest {
protected:
    SimResult run(const std::string& script) { return runScript("script", script); }
};

TEST_F(DrawingScenario, StrokesUndoRedoAndASnapshot) {
    std::string png = (dir / "drawing.png").string();
    SimResult r = run("scale 1\n"
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
                      "snapshot " + png + "\n"
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

    SimResult probe = run("boot\n"
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

}  // namespace
