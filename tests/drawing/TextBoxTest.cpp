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
    tap({300, 700});                             // ends editing; the box already has a state
    canvas->undoLatestStep();
    // Undo of the box's only state takes the box off the canvas.
    EXPECT_FALSE(box->superview());
    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_TRUE(box->superview());

    // With move restriction the box stops at the left edge but still follows vertically. The
    // finger moves one point at a time so that one step would put the left edge exactly on 0:
    // that step is refused (the edge must stay inside), the one before it is taken.
    box->setEnableMoveRestriction(true);
    CGPoint c = box->center();
    double left = box->frame().origin.x;
    double fraction = left - std::floor(left);
    int steps = static_cast<int>(std::floor(left)) + 6;
    sendTouch(UITouchPhase::Began, c);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {c.x - 12, c.y});
    CGPoint finger{};
    for (int k = 0; k <= steps; ++k) {
        loop().advanceBy(0.02);
        finger = {c.x - 12 - fraction - k, c.y + 50.0 * k / steps};
        sendTouch(UITouchPhase::Moved, finger);
    }
    sendTouch(UITouchPhase::Ended, finger);
    EXPECT_NEAR(box->frame().origin.x, 1, 1e-9);
    EXPECT_NEAR(box->center().y, c.y + 50, 1e-9);
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

namespace {

// The screen point at the centre of the rotate/scale handle.
CGPoint handleCentre(const FlintDrawingLabelView& box) {
    return box.rotateButton()->convertPointToView({12, 12}, nullptr);
}

// The font's line is no taller than the field and the text no wider than the field's text area.
::testing::AssertionResult textFitsItsField(const FlintDrawingLabelView& box) {
    const UITextField& field = *box.labelTextField();
    CGRect area = field.textRectForBounds(field.bounds());
    NSStringAttributes a;
    a.font = field.font();
    double width = NSStringSizeWithAttributes(field.text(), a).width;
    double line = field.font()->lineHeight();
    if (line <= field.bounds().size.height + 1e-9 && width <= area.size.width + 1e-9)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "font " << box.fontSize() << ": line " << line << " in a field "
                                         << field.bounds().size.height << " high, text " << width << " in a text area "
                                         << area.size.width << " wide";
}

}  // namespace

// A drag that starts on the rotate handle turns and scales the box about its centre: the box's own
// pan also sees that touch, and must not move the box at any step, touch-up included.
TEST_F(TextBoxTest, ADragOnTheRotateHandleNeverMovesTheBox) {
    auto box = newBox({60, 150});
    typeText("Hello");
    CGPoint centre = box->center();
    CGSize before = box->bounds().size;
    CGPoint handle = handleCentre(*box);
    drag({handle, {handle.x + 30, handle.y + 10}, {handle.x + 70, handle.y + 50}}, 0.4);
    EXPECT_NEAR(box->center().x, centre.x, 1e-9);
    EXPECT_NEAR(box->center().y, centre.y, 1e-9);
    EXPECT_GT(box->bounds().size.width, before.width + 10);
    EXPECT_GT(std::abs(box->transform().b), 0.05);  // turned
    // One history state: the rotation's; no drag of the box was recorded.
    EXPECT_EQ(canvas->undoStates().size(), 1u);
    // The next drag on the box body moves it again, following the finger.
    CGPoint c = box->center();
    sendTouch(UITouchPhase::Began, c);
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {c.x + 12, c.y});
    loop().advanceBy(0.02);
    sendTouch(UITouchPhase::Moved, {c.x + 52, c.y + 30});
    sendTouch(UITouchPhase::Ended, {c.x + 52, c.y + 30});
    EXPECT_NEAR(box->center().x, c.x + 40, 1e-9);
    EXPECT_NEAR(box->center().y, c.y + 30, 1e-9);
}

// Undo and redo give a box back the font it had in that state, and a handle resize fits the font
// to the field's text area, so the text never comes out taller or wider than its field.
TEST_F(TextBoxTest, UndoRedoAndResizeKeepTheTextInsideItsField) {
    auto box = newBox({60, 150});
    typeText("Flint");
    tap({300, 700});  // ends editing: the box's first state
    ASSERT_EQ(canvas->undoStates().size(), 1u);
    CGSize typed = box->bounds().size;

    canvas->undoLatestStep();  // the box's creation
    loop().advanceBy(0.5);
    ASSERT_FALSE(box->superview());
    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    ASSERT_TRUE(box->superview());
    EXPECT_EQ(box->fontSize(), 18);
    EXPECT_EQ(box->bounds().size, typed);
    EXPECT_TRUE(textFitsItsField(*box));

    // A resize through the handle, then its undo and redo.
    tap(box->center());  // selects the idle box
    ASSERT_TRUE(box->isEditing());
    CGPoint handle = handleCentre(*box);
    drag({handle, {handle.x + 15, handle.y + 10}, {handle.x + 60, handle.y + 40}}, 0.4);
    double resized = box->fontSize();
    EXPECT_GT(resized, 18);
    EXPECT_TRUE(textFitsItsField(*box));
    // Fitted to the text area: the fitting takes one point less than the largest size that fits
    // (so that 100 is the most a box gets), and two points more would not fit.
    CGRect area = box->fontFittingRect(box->bounds());
    auto measured = [&](double size) {
        NSStringAttributes a;
        a.font = UIFont::systemFontOfSize(size);
        return NSStringSizeWithAttributes("Flint", a);
    };
    CGSize fits = measured(resized + 1), next = measured(resized + 2);
    EXPECT_TRUE(fits.width <= area.size.width && fits.height <= area.size.height) << fits << " in " << area;
    EXPECT_TRUE(next.width > area.size.width || next.height > area.size.height) << next << " fits " << area;

    canvas->undoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_EQ(box->fontSize(), 18);
    EXPECT_EQ(box->bounds().size, typed);
    canvas->redoLatestStep();
    loop().advanceBy(0.5);
    EXPECT_EQ(box->fontSize(), resized);
    EXPECT_TRUE(textFitsItsField(*box));
}

// A box that leaves the canvas while it is being edited stops being the edited box: the next
// text-tool tap makes a new one, whether the box was cleared, closed or its creation undone.
TEST_F(TextBoxTest, TheFirstTapAfterTheEditedBoxLeftMakesANewBox) {
    auto first = newBox({60, 150});
    typeText("One");
    canvas->clear();
    EXPECT_TRUE(boxes().empty());
    auto second = newBox({60, 300});
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->isEditing());
    EXPECT_TRUE(second->labelTextField()->isFirstResponder());
    EXPECT_EQ(canvas->draggableTextView(), second);

    typeText("Two");
    tap(second->closeButton()->convertPointToView({12, 12}, nullptr));
    ASSERT_TRUE(boxes().empty());
    auto third = newBox({60, 450});
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_TRUE(third->isEditing());

    typeText("Three");
    tap({300, 700});       // ends editing: the box's first state
    tap(third->center());  // selects it again
    ASSERT_TRUE(third->isEditing());
    canvas->undoLatestStep();  // its creation
    ASSERT_TRUE(boxes().empty());
    EXPECT_FALSE(canvas->draggableTextView());
    auto fourth = newBox({60, 600});
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes().front(), fourth);
    EXPECT_TRUE(fourth->labelTextField()->isFirstResponder());
}

// Text made only of white space leaves the canvas when editing ends, non-ASCII spaces included;
// a box with any visible character stays.
TEST_F(TextBoxTest, BoxesOfUnicodeWhiteSpaceLeaveTheCanvas) {
    for (const char* blank : {"\u00A0", "\u3000", " \u2003\t\u00A0", "\u2028"}) {
        auto box = newBox({60, 150});
        typeText(blank);
        canvas->setDrawTool(FlintDrawingToolTypePen);
        tap({300, 700});
        EXPECT_FALSE(box->superview()) << "text of " << std::string(blank).size() << " bytes";
        canvas->clear();
    }
    auto kept = newBox({60, 150});
    typeText("\u3000\u00E9\u00A0");  // an accented letter between two spaces
    canvas->setDrawTool(FlintDrawingToolTypePen);
    tap({300, 700});
    EXPECT_TRUE(kept->superview());
    EXPECT_EQ(boxes().size(), 1u);
}

// Growing a box through its handle raises the font up to 100 points and no further: the box grows
// while the font is below 100 (99 included) and stops as soon as it reaches 100.
TEST_F(TextBoxTest, AHandleResizeStopsGrowingAtExactlyOneHundredPoints) {
    auto box = newBox({30, 80});
    typeText("W");
    CGPoint centre = box->center();
    CGPoint handle = handleCentre(*box);
    CGPoint far{345, 560};
    std::vector<double> fonts;
    std::vector<double> heights;
    sendTouch(UITouchPhase::Began, handle);
    for (int i = 1; i <= 240; ++i) {
        double t = i / 240.0;
        loop().advanceBy(1.0 / 60);
        sendTouch(UITouchPhase::Moved, {handle.x + (far.x - handle.x) * t, handle.y + (far.y - handle.y) * t});
        fonts.push_back(box->fontSize());
        heights.push_back(box->bounds().size.height);
    }
    sendTouch(UITouchPhase::Ended, far);
    EXPECT_EQ(box->fontSize(), 100);
    EXPECT_NEAR(box->center().x, centre.x, 1e-9);
    // The font passed through the nineties on its way, one step at a time.
    EXPECT_TRUE(std::any_of(fonts.begin(), fonts.end(), [](double f) { return f >= 90 && f < 100; }));
    // From the step that reached 100 on, the box kept its size although the finger went on.
    auto reached = std::find(fonts.begin(), fonts.end(), 100.0);
    ASSERT_NE(reached, fonts.end());
    std::size_t at = static_cast<std::size_t>(reached - fonts.begin());
    EXPECT_LT(at + 20, fonts.size()) << "the drag went on well past the ceiling";
    EXPECT_EQ(box->bounds().size.height, heights[at]);
    EXPECT_TRUE(textFitsItsField(*box));
    // The box stopped at the first step that fitted a 101-point line (the fitting takes one point
    // less): within a step of that height, not beyond.
    double field = box->bounds().size.height - 24, line = UIFont::systemFontOfSize(101)->lineHeight();
    EXPECT_GE(field, line);
    EXPECT_LT(field, line + 1);
}
