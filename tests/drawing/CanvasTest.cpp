#include <random>

#include "CanvasFixture.h"
#include "drawing/FlintDrawingPenTool.h"
#include "drawing/FlintDrawingRectangleTool.h"

using namespace ios;
using flint::testing::CanvasTest;
using flint::testing::samePixels;

namespace {

struct RecordingDelegate : FlintDrawingViewDelegate {
    bool answers = true;
    std::vector<std::string> calls;
    bool respondsToDrawingViewMethod(Method) const override { return answers; }
    void drawingViewWillBeginDrawUsingTool(FlintDrawingView&, const FlintDrawingToolRef&) override {
        calls.push_back("begin");
    }
    void drawingViewDidEndDrawUsingTool(FlintDrawingView&, const FlintDrawingToolRef&) override {
        calls.push_back("end");
    }
    void drawingViewDidUndoDrawUsingTool(FlintDrawingView&, const FlintDrawingToolRef&) override {
        calls.push_back("undo");
    }
    void drawingViewDidRedoDrawUsingTool(FlintDrawingView&, const FlintDrawingToolRef&) override {
        calls.push_back("redo");
    }
};

UIImageRef solidImage(CGSize size, double scale, double r, double g, double b) {
    return UIImage::imageWithSize(size, scale, [&](CGContext& c) {
        c.setFillColor(r, g, b, 1);
        c.fillRect({{0, 0}, size});
    });
}

}  // namespace

TEST_F(CanvasTest, ConfigurationDefaults) {
    EXPECT_EQ(canvas->drawTool(), FlintDrawingToolTypePen);
    EXPECT_TRUE(canvas->lineColor()->isEqual(*UIColor::blackColor()));
    EXPECT_EQ(canvas->lineWidth(), 10.0);
    EXPECT_EQ(canvas->lineAlpha(), 1.0);
    EXPECT_EQ(canvas->drawMode(), FlintDrawingModeOriginalSize);
    EXPECT_EQ(canvas->edgeSnapThreshold(), 0.0);
    EXPECT_TRUE(canvas->backgroundColor()->isEqual(*UIColor::clearColor()));
    EXPECT_TRUE(canvas->draggableTextCloseImage());
    EXPECT_TRUE(canvas->draggableTextRotateImage());
    EXPECT_FALSE(canvas->canUndo());
    EXPECT_FALSE(canvas->drawings());
}

TEST_F(CanvasTest, APenTapAddsOneToolAndOneStateAndPaintsARoundDot) {
    auto delegate = std::make_shared<RecordingDelegate>();
    canvas->setDelegate(delegate);
    tap({100, 100});
    ASSERT_EQ(canvas->pathArray().size(), 1u);
    EXPECT_EQ(canvas->undoStates().size(), 1u);
    EXPECT_FALSE(canvas->currentTool());
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"begin", "end"}));
    auto cache = canvas->cacheImage();
    ASSERT_TRUE(cache);
    EXPECT_EQ(cache->pixelAtPoint({100, 100}).a, 255);
    // Round caps of radius 5 (the default width of 10): the pixels just inside the circle are
    // painted, those just beyond it clear, on both sides.
    for (double inside : {104.5, 95.5}) EXPECT_GT(cache->pixelAtPoint({inside, 100.5}).a, 200) << inside;
    for (double beyond : {105.5, 94.5}) EXPECT_LT(cache->pixelAtPoint({beyond, 100.5}).a, 40) << beyond;
}

TEST_F(CanvasTest, UndoAndRedoMoveStatesAsPairsAndANewStrokeEmptiesRedo) {
    auto delegate = std::make_shared<RecordingDelegate>();
    canvas->setDelegate(delegate);
    stroke({{50, 50}, {150, 150}});
    auto tool = canvas->pathArray().at(0);
    canvas->undoLatestStep();
    EXPECT_TRUE(canvas->pathArray().empty());
    ASSERT_EQ(canvas->redoStates().size(), 2u);
    EXPECT_TRUE(canvas->undoStates().empty());
    EXPECT_EQ(canvas->cacheImage()->pixelAtPoint({100, 100}).a, 0);
    canvas->redoLatestStep();
    ASSERT_EQ(canvas->pathArray().size(), 1u);
    EXPECT_EQ(canvas->pathArray()[0], tool);
    EXPECT_EQ(canvas->undoStates().size(), 1u);
    EXPECT_TRUE(canvas->redoStates().empty());
    EXPECT_EQ(canvas->cacheImage()->pixelAtPoint({100, 100}).a, 255);
    EXPECT_EQ(delegate->calls.back(), "redo");

    canvas->undoLatestStep();
    stroke({{200, 200}, {250, 250}});
    EXPECT_FALSE(canvas->canRedo());
    canvas->redoLatestStep();  // nothing to redo
    EXPECT_EQ(canvas->pathArray().size(), 1u);

    // A redone tool is painted above tools drawn after it.
    stroke({{20, 300}, {120, 300}});
    canvas->undoLatestStep();
    canvas->undoLatestStep();
    canvas->redoLatestStep();
    canvas->redoLatestStep();
    EXPECT_EQ(canvas->pathArray().size(), 2u);

    canvas->clear();
    EXPECT_FALSE(canvas->canUndo());
    EXPECT_FALSE(canvas->canRedo());
    EXPECT_TRUE(canvas->pathArray().empty());
    EXPECT_EQ(canvas->cacheImage()->pixelAtPoint({225, 225}).a, 0);
}

TEST_F(CanvasTest, DelegateMethodsAreSentOnlyWhenAnswered) {
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->answers = false;
    canvas->setDelegate(delegate);
    tap({10, 10});
    canvas->undoLatestStep();
    canvas->redoLatestStep();
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(CanvasTest, RectangleCornersSnapToTheEdgesWithinTheThreshold) {
    canvas->setDrawTool(FlintDrawingToolTypeRectangleStroke);
    stroke({{10, 100}, {200, 100}, {360, 805}});
    auto rect = std::dynamic_pointer_cast<FlintDrawingRectangleTool>(canvas->pathArray().at(0));
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->firstPoint().x, 10);  // threshold 0: no snapping
    canvas->setEdgeSnapThreshold(20);
    stroke({{10, 100}, {200, 100}, {360, 805}});
    rect = std::dynamic_pointer_cast<FlintDrawingRectangleTool>(canvas->pathArray().at(1));
    EXPECT_EQ(rect->firstPoint(), (CGPoint{0, 100}));
    EXPECT_EQ(rect->lastPoint(), (CGPoint{375, 812}));
    // Both sides of the threshold: closer than 20 points snaps, exactly 20 does not.
    canvas->setLineWidth(1);
    stroke({{19.75, 20}, {200, 300}, {355, 792.25}});
    rect = std::dynamic_pointer_cast<FlintDrawingRectangleTool>(canvas->pathArray().at(2));
    EXPECT_EQ(rect->firstPoint(), (CGPoint{0, 20}));
    EXPECT_EQ(rect->lastPoint(), (CGPoint{355, 812}));
    stroke({{20, 19.75}, {200, 300}, {355.25, 792}});
    rect = std::dynamic_pointer_cast<FlintDrawingRectangleTool>(canvas->pathArray().at(3));
    EXPECT_EQ(rect->firstPoint(), (CGPoint{20, 0}));
    EXPECT_EQ(rect->lastPoint(), (CGPoint{375, 792}));
    // Pens are never snapped.
    canvas->setDrawTool(FlintDrawingToolTypePen);
    tap({5, 5});
    EXPECT_EQ(canvas->currentPoint(), (CGPoint{5, 5}));
}

TEST_F(CanvasTest, LoadingFlatteningAndDrawings) {
    auto red = solidImage({375, 812}, 3, 1, 0, 0);
    tap({100, 100});
    canvas->loadImage(red);
    EXPECT_TRUE(canvas->pathArray().empty());
    EXPECT_FALSE(canvas->canUndo());
    EXPECT_EQ(canvas->cacheImage()->pixelAtPoint({100, 100}), (UIImage::RGBA{255, 0, 0, 255}));
    EXPECT_FALSE(canvas->drawings());  // none even with a background

    canvas->setLineColor(UIColor::blueColor());
    stroke({{50, 400}, {300, 400}});
    auto drawings = canvas->drawings();
    ASSERT_TRUE(drawings);
    EXPECT_EQ(drawings->pixelAtPoint({150, 400}), (UIImage::RGBA{0, 0, 255, 255}));
    EXPECT_EQ(drawings->pixelAtPoint({150, 200}).a, 0);

    canvas->commitAndDiscardToolStack();
    EXPECT_TRUE(canvas->pathArray().empty());
    EXPECT_EQ(canvas->undoStates().size(), 1u);  // the stacks stay
    EXPECT_EQ(canvas->backgroundImage(), canvas->cacheImage());
    EXPECT_EQ(canvas->backgroundImage()->pixelAtPoint({150, 400}), (UIImage::RGBA{0, 0, 255, 255}));

    // An eraser clears the background too.
    canvas->setDrawTool(FlintDrawingToolTypeEraser);
    stroke({{50, 600}, {300, 600}});
    EXPECT_EQ(canvas->cacheImage()->pixelAtPoint({150, 600}).a, 0);
    EXPECT_EQ(canvas->cacheImage()->pixelAtPoint({150, 700}).a, 255);
}

TEST_F(CanvasTest, ApplyDrawToImageScalesTheCanvasToTheImage) {
    canvas->setDrawTool(FlintDrawingToolTypeRectangleFill);
    stroke({{0, 0}, {187.5, 406}});  // the top-left quarter
    auto wide = solidImage({300, 100}, 1, 0, 1, 0);
    auto result = canvas->applyDrawToImage(wide);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->size(), (CGSize{300, 100}));
    // Scaled to the width: 375 → 300, so the quarter covers x < 150 over the whole 100 rows.
    EXPECT_EQ(result->pixelAtPoint({100, 50}), (UIImage::RGBA{0, 0, 0, 255}));
    EXPECT_EQ(result->pixelAtPoint({200, 50}), (UIImage::RGBA{0, 255, 0, 255}));
    auto tall = solidImage({100, 300}, 1, 0, 1, 0);
    auto upright = canvas->applyDrawToImage(tall);
    // Scaled to the height: 812 → 300, width 375 → 138.5; the quarter covers x < 69, y < 150.
    EXPECT_EQ(upright->pixelAtPoint({30, 100}), (UIImage::RGBA{0, 0, 0, 255}));
    EXPECT_EQ(upright->pixelAtPoint({30, 200}), (UIImage::RGBA{0, 255, 0, 255}));
    EXPECT_EQ(upright->pixelAtPoint({90, 100}), (UIImage::RGBA{0, 255, 0, 255}));
}

TEST_F(CanvasTest, LiveStrokesRepaintOnlyTheGrownSegmentBox) {
    canvas->displayIfNeeded();
    sendTouch(UITouchPhase::Began, {100, 100});
    sendTouch(UITouchPhase::Moved, {110, 100});
    const CGRect& dirty = canvas->layer()->dirtyRectForTesting();
    // Segment (100,100)→(105,100) with control (100,100), grown by 2 × 10.
    EXPECT_EQ(dirty, CGRectMake(80, 80, 45, 40));
    sendTouch(UITouchPhase::Ended, {110, 100});
}

// Undo and redo start from stored bitmaps; the result must be the full rebuild's, pixel for pixel.
TEST_F(CanvasTest, FastUndoAndRedoMatchTheFullRebuildOverRandomSequences) {
    auto small = makeCanvas(CGRectMake(0, 0, 120, 90));
    std::mt19937 rng(8);
    auto coord = [&](double max) { return std::uniform_real_distribution<double>(0, max)(rng); };
    // Every tool a stroke draws (not the text or custom tools).
    const FlintDrawingToolType tools[] = {FlintDrawingToolTypePen,           FlintDrawingToolTypeLine,
                                          FlintDrawingToolTypeArrow,         FlintDrawingToolTypeRectangleStroke,
                                          FlintDrawingToolTypeRectangleFill, FlintDrawingToolTypeEllipseStroke,
                                          FlintDrawingToolTypeEllipseFill,   FlintDrawingToolTypeEraser,
                                          FlintDrawingToolTypeTriangleFill,  FlintDrawingToolTypeTriangleStroke,
                                          FlintDrawingToolTypePentagonFill,  FlintDrawingToolTypePentagonStroke,
                                          FlintDrawingToolTypeHexagonFill,   FlintDrawingToolTypeHexagonStroke};
    int checked = 0;
    for (int step = 0; step < 160; ++step) {
        int action = std::uniform_int_distribution<int>(0, 9)(rng);
        if (action < 5) {
            small->setDrawTool(tools[std::uniform_int_distribution<int>(0, int(std::size(tools)) - 1)(rng)]);
            small->setLineWidth(1 + coord(12));
            small->setLineColor(UIColor::colorWithHue(coord(1), 1, 1, 1));
            small->setLineAlpha(0.3 + coord(0.7));
            std::vector<CGPoint> path;
            for (int i = 0; i < 2 + step % 4; ++i) path.push_back({coord(120), coord(90)});
            stroke(path, 0.1);
        } else if (action < 8) {
            if (!small->canUndo()) continue;
            small->undoLatestStep();
        } else {
            if (!small->canRedo()) continue;
            small->redoLatestStep();
        }
        // After a stroke the bitmap is the incremental one, which may legitimately differ.
        if (action >= 5) {
            ASSERT_TRUE(samePixels(*small->cacheImage(), *small->fullRebuildImageForTesting())) << "step " << step;
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
    EXPECT_LE(small->snapshotCountForTesting(), FlintDrawingSnapshotCache::kMaxSnapshots);
}
