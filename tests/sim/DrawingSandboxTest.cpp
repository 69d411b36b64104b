#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/support/PixelProbe.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIImage.h"
#include "sim/device/Device.h"
#include "sim/sandboxes/DrawingSandbox.h"

using namespace ios;
using ios::testing::pixelNear;
using ios::testing::rgba;

// The demo draws through touches and writes three screenshots: everything, after undoing the
// text box and the arrow, and after redoing both.
TEST(DrawingSandbox, TheDemoDrawsUndoesAndRedoesThroughTouches) {
    ios::testing::TestProcess process;
    flint::sim::installBundle(process.root());
    const std::filesystem::path dir = process.root() / "out";
    std::ostringstream log;
    ASSERT_EQ(flint::sim::runDrawingDemo(dir.string(), log), 0) << log.str();
    for (const char* name : {"drawing-1.png", "drawing-2.png", "drawing-3.png"})
        ASSERT_TRUE(std::filesystem::exists(dir / name)) << name;
    EXPECT_NE(log.str().find("drawing: 5 tools"), std::string::npos) << log.str();

    auto shot = [&](const char* name) { return UIImage::imageWithContentsOfHostFile(dir / name, 3); };
    // The screenshots are at the screen's scale (3 on this device): 1125 pixels across.
    auto first = shot("drawing-1.png"), undone = shot("drawing-2.png"), redone = shot("drawing-3.png");
    ASSERT_TRUE(first && undone && redone);
    ASSERT_EQ(first->pixelWidth(), 1125);
    auto at = [](const UIImageRef& image, CGPoint p) {
        return image->pixelAt(static_cast<int>(p.x * 3), static_cast<int>(p.y * 3));
    };
    const double top = flint::sim::kSandboxCanvasTop;
    const CGPoint rectangleEdge{40, top + 185}, ellipse{260, top + 185}, arrow{160, top + 330}, plain{340, top + 420};

    EXPECT_TRUE(pixelNear(at(first, rectangleEdge), rgba(26, 77, 204), 12));
    EXPECT_TRUE(pixelNear(at(first, ellipse), rgba(26, 166, 77), 12));
    EXPECT_TRUE(pixelNear(at(first, arrow), rgba(217, 102, 13), 12));
    EXPECT_TRUE(pixelNear(at(first, plain), rgba(245, 242, 235), 12));
    // Undo took the arrow away, leaving the background; the shapes stay.
    EXPECT_TRUE(pixelNear(at(undone, arrow), rgba(245, 242, 235), 12));
    EXPECT_TRUE(pixelNear(at(undone, ellipse), rgba(26, 166, 77), 12));
    EXPECT_TRUE(pixelNear(at(redone, arrow), rgba(217, 102, 13), 12));
}
