#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/support/TestProcess.h"
#include "platform/graphics/UIImage.h"
#include "sim/device/Device.h"
#include "sim/sandboxes/DrawingSandbox.h"

using namespace ios;

namespace {

// Within 12 of 255 per channel: the PNG holds the composited screen, with anti-aliasing.
::testing::AssertionResult near(UIImage::RGBA p, double r, double g, double b) {
    auto close = [](int v, double want) { return std::abs(v - static_cast<int>(want * 255 + 0.5)) <= 12; };
    if (close(p.r, r) && close(p.g, g) && close(p.b, b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << int(p.r) << ", " << int(p.g) << ", " << int(p.b)
                                         << ") is not near (" << r * 255 << ", " << g * 255 << ", " << b * 255 << ")";
}

}  // namespace

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

    EXPECT_TRUE(near(at(first, rectangleEdge), 0.1, 0.3, 0.8));
    EXPECT_TRUE(near(at(first, ellipse), 0.1, 0.65, 0.3));
    EXPECT_TRUE(near(at(first, arrow), 0.85, 0.4, 0.05));
    EXPECT_TRUE(near(at(first, plain), 0.96, 0.95, 0.92));
    // Undo took the arrow away, leaving the background; the shapes stay.
    EXPECT_TRUE(near(at(undone, arrow), 0.96, 0.95, 0.92));
    EXPECT_TRUE(near(at(undone, ellipse), 0.1, 0.65, 0.3));
    EXPECT_TRUE(near(at(redone, arrow), 0.85, 0.4, 0.05));
}
