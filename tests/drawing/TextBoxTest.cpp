#include <algorithm>
#include <cmath>

#include "CanvasFixture.h"
#include "drawing/FlintDrawingDraggableTextTool.h"
#include "drawing/FlintDrawingLabelView.h"
#include "drawing/UITextFieldDynamicFontSize.h"
#include "platform/text/NSStringDrawing.h"

using namespace ios;
using flint::testing::CanvasTest;

namespace {

class TextBoxTest : public CanvasTest {
protected:
    objc::Ref<FlintDrawingLabelView> newBox(CGPoint at) {
        canvas->setDrawTool(FlintDrawingToolTypeDraggableText);
        tap(at);
        return boxes().empty() ? nullptr : boxes().back();
    }
    std::vector<objc::Ref<FlintDrawingLabelView>> boxes() const {
        std::vector<objc::Ref<FlintDrawingLabelView>> result;
        for (auto& v : canvas->subviews())
            if (auto box = std::dynamic_pointer_cast<FlintDrawingLabelView>(v)) result.push_back(box);
        return result;
    }
    static double textWidth(const std::string& s, double size) {
        NSStringAttributes a;
        a.font = UIFont::systemFontOfSize(size);
        return NSStringSizeWithAttributes(s, a).width;
    }
};

}  // namespace

TEST_F(TextBoxTest, ATapCreatesAnEditedBoxFittedToItsTextAndTypingWidensIt) {
    auto box = newBox({100, 200});
    ASSERT_TRUE(box);
    EXPECT_EQ(canvas->pathArray().size(), 1u);
    EXPECT_TRUE(canvas->undoStates().empty());  // a new box has no history yet
    EXPECT_EQ(canvas->draggableTextView(), box);
    EXPECT_TRUE(box->isEditing());
    EXPECT_TRUE(box->labelTextField()->isFirstResponder());
    EXPECT_EQ(box->fontSize(), 18);
    EXPECT_EQ(box->fontName(), ".SFUIText");
    // Empty text: "xx" is narrow, so the box keeps its width of 50, and is 50 high.
    EXPECT_EQ(box->bounds().size, (CGSize{50, 50}));
    EXPECT_EQ(box->closeButton()->frame().size, (CGSize{24, 24}));
    EXPECT_TRUE(box->border()->superlayer());

    typeText("Hello world");
    double expected = std::ceil(static_cast<float>(textWidth("Hello worldxx", 18))) + 24 + 24;
    EXPECT_EQ(box->bounds().size.width, expected);
    EXPECT_EQ(box->textValue(), "Hello world");

    // A tap with the text tool while a box is edited only ends the editing.
    tap({200, 600});
    EXPECT_FALSE(box->isEditing());
    EXPECT_FALSE(box->border()->superlayer());
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_EQ(canvas->undoStates().size(), 1u);  // the box's first history state
    // The next tap makes a new box.
    newBox({200, 600});
    EXPECT_EQ(boxes().size(), 2u);
}

TEST_F(TextBoxTest, ABlankBoxIsDroppedFromListCanvasAndHistory) {
    auto box = newBox({100, 200});
    typeText("   ");
    canvas->setDrawTool(FlintDrawingToolTypePen);
    tap({300, 700});  // a drawing tool ends the editing
    EXPECT_FALSE(box->superview());
    EXPECT_TRUE(boxes().empty());
    ASSERT_EQ(canvas->pathArray().size(), 1u);  // only the pen dot
    for (auto& s : canvas->undoStates()) EXPECT_NE(s->tool().get(), static_cast<FlintDrawingTool*>(nullptr));
    EXPECT_EQ(canvas->undoStates().size(), 1u);
}

TEST_F(TextBoxTest, ClosingABoxRemovesItForGoodAndUndoCannotBringItBack) {
    auto box = newBox({100, 200});
    typeText("Hi");
    tap({300, 700});
    tap(CGPointMake(box->center().x, box->center().y));  // field: selects the idle box
    ASSERT_TRUE(box->isEditing());
    CGPoint close = box->closeButton()->convertPointToView({12, 12}, nullptr);
    tap(close);
    EXPECT_FALSE(box->superview());
    EXPECT_TRUE(canvas->pathArray().empty());
    EXPECT_FALSE(canvas->canUndo());
    canvas->undoLatestStep();
    EXPECT_TRUE(boxes().empty());
}

TEST_F(TextBoxTest, DraggingMovesTheBoxAndUndoPutsItBack) {
    auto box = newBox({100, 200});
    typeText("Drag");
    CGPoint start = box->center();
    // The box follows the finger from where the pan began (after its 10-point allowance).
    sendTouch(UITouchPhase::Began, start);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {start.x + 12, start.y});
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {start.x + 72, start.y + 40});
    sendTouch(UITouchPhase::Ended, {start.x + 72, start.y + 40});
    EXPECT_NEAR(box->center().x, start.x + 60, 1e-6);
    EXPECT_NEAR(box->center().y, start.y + 40, 1e-6);
    ASSERT_EQ(canvas->undoStates().size(), 1u);  // the position before the drag
    tap({300, 700});  // ends editing; the box already has a state
    canvas->undoLatestStep();
    // Undo of the box's only state takes the box off the canvas.
    EXPECT_FALSE(box->superview());
    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_TRUE(box->superview());

    // With move restriction the box stops at the left edge but still follows vertically.
    box->setEnableMoveRestriction(true);
    CGPoint c = box->center();
    sendTouch(UITouchPhase::Began, c);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {c.x - 12, c.y});
    for (int i = 1; i <= 10; ++i) {
        loop().advanceBy(0.02);
        sendTouch(UITouchPhase::Moved, {c.x - 12 - 30.0 * i, c.y + 5.0 * i});
    }
    sendTouch(UITouchPhase::Ended, {c.x - 312, c.y + 50});
    EXPECT_GT(box->frame().origin.x, 0);
    EXPECT_LT(box->frame().origin.x, 30);
    EXPECT_NEAR(box->center().y, c.y + 50, 1e-6);
}

TEST_F(TextBoxTest, TheRotateHandleScalesByTheSquareRootOfTheDistanceRatio) {
    auto box = newBox({100, 200});
    typeText("Rotate me");
    CGRect before = box->bounds();
    CGPoint centre = box->center();
    CGPoint handle = box->rotateButton()->convertPointToView({12, 12}, nullptr);
    CGPoint dir{handle.x - centre.x, handle.y - centre.y};
    double len = std::hypot(dir.x, dir.y);
    dir = {dir.x / len, dir.y / len};
    CGPoint began{handle.x + 12 * dir.x, handle.y + 12 * dir.y};
    double d0 = std::hypot(began.x - centre.x, began.y - centre.y);
    sendTouch(UITouchPhase::Began, handle);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, began);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {centre.x + 2 * d0 * dir.x, centre.y + 2 * d0 * dir.y});
    sendTouch(UITouchPhase::Ended, {centre.x + 2 * d0 * dir.x, centre.y + 2 * d0 * dir.y});
    EXPECT_NEAR(box->bounds().size.width, before.size.width * std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(box->bounds().size.height, before.size.height * std::sqrt(2.0), 1e-3);
    // The finger kept its angle: no rotation along the same ray.
    EXPECT_NEAR(box->transform().b, 0, 1e-5);
    // Shrinking below 45 × 45 is refused.
    CGRect grown = box->bounds();
    CGPoint h2 = box->rotateButton()->convertPointToView({12, 12}, nullptr);
    sendTouch(UITouchPhase::Began, h2);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {h2.x - 12 * dir.x, h2.y - 12 * dir.y});
    sendTouch(UITouchPhase::Moved, {centre.x + 2 * dir.x, centre.y + 2 * dir.y});
    sendTouch(UITouchPhase::Ended, {centre.x + 2 * dir.x, centre.y + 2 * dir.y});
    EXPECT_EQ(box->bounds().size, grown.size);
}

TEST_F(TextBoxTest, FontFittingStopsAtOneHundredAndTapsToggleTheHandles) {
    auto box = newBox({50, 100});
    typeText("W");
    box->resizeInRect(CGRectMake(0, 0, 2000, 2000));
    EXPECT_EQ(box->fontSize(), 100);
    double before = box->fontSize();
    box->resizeInRect(CGRectMake(0, 0, 3, 3));  // nothing fits: unchanged
    EXPECT_EQ(box->fontSize(), before);

    box->contentTapped(nullptr);
    EXPECT_FALSE(box->isEditing());
    // On an idle box the field refuses to start typing and selects the box instead.
    EXPECT_FALSE(box->textFieldShouldBeginEditing(*box->labelTextField()));
    EXPECT_TRUE(box->isEditing());
}

// A box created, then dragged, has two history states. Undoing both takes it off the canvas; the
// first redo already shows it again, so from then on it must be in the tool list — or a new
// stroke (which empties redo) would leave it on the canvas where clear cannot reach it.
TEST_F(TextBoxTest, RedoingAMovedBoxListsItAgainAtItsFirstRedo) {
    auto box = newBox({100, 200});
    typeText("Moved");
    tap({300, 700});  // ends editing: the box's first state
    ASSERT_FALSE(box->isEditing());
    CGPoint start = box->center();
    sendTouch(UITouchPhase::Began, start);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {start.x + 12, start.y});
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {start.x + 52, start.y + 30});
    sendTouch(UITouchPhase::Ended, {start.x + 52, start.y + 30});
    loop().advanceBy(0.5);
    ASSERT_EQ(canvas->undoStates().size(), 2u);
    auto listed = [&] {
        auto& tools = canvas->pathArray();
        return std::count_if(tools.begin(), tools.end(), [&](const FlintDrawingToolRef& t) {
            auto text = std::dynamic_pointer_cast<FlintDrawingDraggableTextTool>(t);
            return text && text->labelView() == box;
        });
    };

    canvas->undoLatestStep();
    canvas->undoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_FALSE(box->superview());
    EXPECT_EQ(listed(), 0);

    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_TRUE(box->superview());
    EXPECT_EQ(listed(), 1);
    // The second redo puts the drag back and does not list the box twice.
    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_EQ(listed(), 1);
    EXPECT_NEAR(box->center().x, start.x + 40, 1e-6);

    // Again, now with a stroke between the two redos: the box stays listed, and clear removes it.
    canvas->undoLatestStep();
    canvas->undoLatestStep();
    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    canvas->setDrawTool(FlintDrawingToolTypePen);
    stroke({{20, 600}, {80, 650}});
    EXPECT_FALSE(canvas->canRedo());
    EXPECT_TRUE(box->superview());
    EXPECT_EQ(listed(), 1);
    canvas->clear();
    EXPECT_FALSE(box->superview());
    EXPECT_TRUE(boxes().empty());
}
