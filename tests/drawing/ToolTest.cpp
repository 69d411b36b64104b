#include <cmath>

#include "CanvasFixture.h"
#include "drawing/FlintDrawingArrowTool.h"
#include "drawing/FlintDrawingEraserTool.h"
#include "drawing/FlintDrawingHexagonTool.h"
#include "drawing/FlintDrawingLineTool.h"
#include "drawing/FlintDrawingPenTool.h"
#include "drawing/FlintDrawingRectangleTool.h"
#include "drawing/FlintDrawingToolState.h"
#include "drawing/FlintDrawingTriangleTool.h"

using namespace ios;
using flint::testing::renderTool;

namespace {

template <class T>
objc::Ref<T> configured(double width = 10) {
    auto tool = objc::make<T>();
    tool->setLineWidth(width);
    tool->setLineColor(UIColor::blackColor());
    tool->setLineAlpha(1);
    return tool;
}

bool painted(const UIImage& image, double x, double y) { return image.pixelAtPoint({x, y}).a > 128; }

}  // namespace

TEST(DrawingTools, TwoPointToolsSpanFromTouchDownToTheLatestPointAndStatesCarryTheTool) {
    auto line = configured<FlintDrawingLineTool>();
    EXPECT_EQ(line->firstPoint(), CGPointZero);
    line->setInitialPoint({10, 20});
    line->moveFromPoint({999, 999}, {30, 40});
    line->moveFromPoint({1, 1}, {50, 60});
    EXPECT_EQ(line->firstPoint(), (CGPoint{10, 20}));
    EXPECT_EQ(line->lastPoint(), (CGPoint{50, 60}));
    auto state = line->captureToolState();
    EXPECT_EQ(state->tool().get(), static_cast<FlintDrawingTool*>(line.get()));
    EXPECT_FALSE(state->hasPositionObject());
    EXPECT_FALSE(line->respondsToApplyToolState());
}

TEST(DrawingTools, PenSmoothsThroughMidpointsAndReturnsTheSegmentBoxWithItsControlPoint) {
    auto pen = configured<FlintDrawingPenTool>();
    EXPECT_EQ(pen->lineCapStyle(), kCGLineCapRound);
    pen->setInitialPoint({500, 500});  // ignored
    CGRect box = pen->addPathPreviousPreviousPoint({0, 0}, {100, 0}, {100, 100});
    // m1 = (50, 0), m2 = (100, 50), control (100, 0): the box holds the control point.
    EXPECT_EQ(box, CGRectMake(50, 0, 50, 50));
    const auto& elements = pen->path()->elements();
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].type, CGPathElementType::MoveToPoint);
    EXPECT_EQ(elements[0].points[0], (CGPoint{50, 0}));
    EXPECT_EQ(elements[1].type, CGPathElementType::AddQuadCurveToPoint);
    EXPECT_EQ(elements[1].points[0], (CGPoint{100, 0}));
    EXPECT_EQ(elements[1].points[1], (CGPoint{100, 50}));
    EXPECT_EQ(midPoint({1, 3}, {2, 8}), (CGPoint{1.5, 5.5}));
}

// Probes on both sides of each end: a head of 3 or 5 widths, or a tip at another distance, fails.
TEST(DrawingTools, ArrowHeadIsFourWidthsWithTheTipOneWidthBeyondAndAZeroArrowPointsRight) {
    auto arrow = configured<FlintDrawingArrowTool>(10);
    // The shaft runs along the middle of a pixel row.
    const CGPoint last{200, 150.5};
    arrow->setInitialPoint({50, 150.5});
    arrow->moveFromPoint({}, last);
    auto image = renderTool(*arrow);
    // The tip is 10 points beyond the last point; the barbs meet there in a miter that reaches
    // 5 / sin(22.5°) ≈ 13.1 points further.
    EXPECT_TRUE(painted(*image, 221.5, 150.5));
    EXPECT_FALSE(painted(*image, 225.5, 150.5));
    // Barb ends at 157.5° and 202.5° from the shaft, 40 points from the last point. Along each
    // barb: painted 2 points inside its end, clear 2 points beyond its square cap (5 points).
    const CGPoint tip{210, 150.5};
    for (double sign : {1.0, -1.0}) {
        CGPoint end{last.x + 40 * std::cos(sign * 0.875 * M_PI), last.y + 40 * std::sin(sign * 0.875 * M_PI)};
        double len = std::hypot(tip.x - end.x, tip.y - end.y);
        CGPoint u{(tip.x - end.x) / len, (tip.y - end.y) / len};
        EXPECT_TRUE(painted(*image, end.x + 2 * u.x, end.y + 2 * u.y)) << "inside the barb, side " << sign;
        EXPECT_FALSE(painted(*image, end.x - 7 * u.x, end.y - 7 * u.y)) << "beyond the barb, side " << sign;
    }
    EXPECT_FALSE(painted(*image, 200, 150 + 30));

    EXPECT_EQ(FlintDrawingArrowTool::angleWithFirstPoint({5, 5}, {5, 5}), 0.0f);
    auto still = configured<FlintDrawingArrowTool>(4);
    still->setInitialPoint({150, 150});
    still->moveFromPoint({}, {150, 150});
    auto dot = renderTool(*still);
    EXPECT_TRUE(painted(*dot, 153, 150));  // tip 4 points to the right
    EXPECT_TRUE(painted(*dot, 138, 154));  // the barbs reach back to the left
    EXPECT_FALSE(painted(*dot, 150, 130));
}

TEST(DrawingTools, PolygonsStartBelowTheCentreAndCloseOnTheirFirstVertex) {
    auto triangle = configured<FlintDrawingTriangleTool>(2);
    triangle->setInitialPoint({100, 100});
    triangle->moveFromPoint({}, {100, 200});  // centre (100, 150), radius 50
    auto v = triangle->vertices();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0], (CGPoint{100, 200}));
    EXPECT_NEAR(v[3].x, 100, 1e-4);
    EXPECT_NEAR(v[3].y, 200, 1e-4);
    // The other two vertices sit above the centre: the triangle points down.
    EXPECT_LT(v[1].y, 150);
    EXPECT_LT(v[2].y, 150);
    auto hexagon = configured<FlintDrawingHexagonTool>(2);
    hexagon->setInitialPoint({0, 0});
    hexagon->moveFromPoint({}, {0, 100});
    auto h = hexagon->vertices();
    ASSERT_EQ(h.size(), 7u);
    EXPECT_NEAR(h[3].y, 0, 1e-4);  // a vertex at the top
    hexagon->setFill(true);
    auto filled = renderTool(*hexagon, {200, 200});
    EXPECT_TRUE(painted(*filled, 0.5, 50));
}

TEST(DrawingTools, RectanglesCoverTheSameAreaDraggedInEveryDirection) {
    auto reference = configured<FlintDrawingRectangleTool>();
    reference->setFill(true);
    reference->setInitialPoint({50, 60});
    reference->moveFromPoint({}, {150, 120});
    auto expected = renderTool(*reference);
    EXPECT_TRUE(painted(*expected, 100, 90));
    EXPECT_FALSE(painted(*expected, 160, 90));
    for (auto [from, to] : std::vector<std::pair<CGPoint, CGPoint>>{
             {{150, 120}, {50, 60}}, {{150, 60}, {50, 120}}, {{50, 120}, {150, 60}}}) {
        auto r = configured<FlintDrawingRectangleTool>();
        r->setFill(true);
        r->setInitialPoint(from);
        r->moveFromPoint({}, to);
        EXPECT_TRUE(flint::testing::samePixels(*expected, *renderTool(*r))) << from << " → " << to;
    }
}

TEST(DrawingTools, TheEraserClearsPixelsWhateverItsColour) {
    UIGraphicsBeginImageContextWithOptions({100, 100}, false, 1);
    UIGraphicsGetCurrentContext()->setFillColor(1, 0, 0, 1);
    UIGraphicsGetCurrentContext()->fillRect({{0, 0}, {100, 100}});
    auto eraser = configured<FlintDrawingEraserTool>(10);
    eraser->setLineColor(UIColor::blueColor());
    eraser->addPathPreviousPreviousPoint({10, 50}, {10, 50}, {90, 50});
    eraser->draw();
    // The eraser leaves the shared state as it found it.
    EXPECT_EQ(UIGraphicsGetCurrentContext()->gstate().blendMode, kCGBlendModeNormal);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    // A width of 10 clears 5 points either side of the path (y = 50): row 54 is cleared, row 55 not.
    EXPECT_EQ(image->pixelAtPoint({30, 50}).a, 0);
    EXPECT_EQ(image->pixelAtPoint({30, 54}).a, 0);
    EXPECT_EQ(image->pixelAtPoint({30, 55}), (UIImage::RGBA{255, 0, 0, 255}));
    EXPECT_EQ(image->pixelAtPoint({30, 45}).a, 0);
    EXPECT_EQ(image->pixelAtPoint({30, 44}), (UIImage::RGBA{255, 0, 0, 255}));
}
