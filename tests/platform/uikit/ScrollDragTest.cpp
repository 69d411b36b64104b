// A finger dragging a scroll view through the touch entry points: the content follows the
// finger, a paging scroll view settles on whole pages, a disabled one stays put, and a slider in
// the content keeps its own drags.

#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISlider.h"
#include "tests/platform/uikit/InputTestSupport.h"

using namespace ios;

namespace {

class ScrollDragTest : public ios::testing::InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        scroll = objc::make<UIScrollView>(CGRectMake(0, 100, 300, 400));
        scroll->setContentSize(CGSizeMake(1500, 400));
        window->addSubview(scroll);
    }
    objc::Ref<UIScrollView> scroll;
};

TEST_F(ScrollDragTest, AFreeScrollViewFollowsTheFingerAndComesToRestInsideItsContent) {
    // A slow drag (0.5 s, then held still) moves the content with the finger, minus nothing.
    pressAndMove({CGPointMake(250, 300), CGPointMake(130, 300)}, 0.5);
    EXPECT_TRUE(scroll->isDragging());
    EXPECT_NEAR(scroll->contentOffset().x, 120, 0.5);
    EXPECT_EQ(scroll->contentOffset().y, 0);  // content no taller than the view: no vertical scroll
    runLoop().advanceBy(0.2);                 // the finger rests, so the release has no speed
    sendTouch(UITouchPhase::Ended, CGPointMake(130, 300));
    EXPECT_FALSE(scroll->isDragging());
    runLoop().advanceBy(1);
    EXPECT_NEAR(scroll->contentOffset().x, 120, 0.5);

    // Dragging past the start edge pulls at half speed, and the release brings it back to 0.
    drag({CGPointMake(50, 300), CGPointMake(290, 300)}, 0.5);
    runLoop().advanceBy(1);
    EXPECT_EQ(scroll->contentOffset(), CGPointZero);
}

TEST_F(ScrollDragTest, APagingScrollViewSettlesOnWholePagesOnePageAtMost) {
    scroll->setPagingEnabled(true);
    // Less than half a page, slowly: back to page 0.
    pressAndMove({CGPointMake(250, 300), CGPointMake(150, 300)}, 0.5);
    runLoop().advanceBy(0.2);
    sendTouch(UITouchPhase::Ended, CGPointMake(150, 300));
    EXPECT_TRUE(scroll->isDecelerating());
    runLoop().advanceBy(UIScrollView::kSettleDuration + 0.05);
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(scroll->contentOffset().x, 0);

    // A quick flick of 100 points goes on to the next page.
    swipe(CGPointMake(250, 300), CGPointMake(150, 300), 0.1);
    runLoop().advanceBy(1);
    EXPECT_EQ(scroll->contentOffset().x, 300);

    // A long fast fling still moves one page only.
    swipe(CGPointMake(290, 300), CGPointMake(10, 300), 0.1);
    runLoop().advanceBy(1);
    EXPECT_EQ(scroll->contentOffset().x, 600);

    // Back the other way.
    swipe(CGPointMake(50, 300), CGPointMake(200, 300), 0.1);
    runLoop().advanceBy(1);
    EXPECT_EQ(scroll->contentOffset().x, 300);
}

TEST_F(ScrollDragTest, DisabledScrollingAndSlidersInTheContentLeaveTheOffsetAlone) {
    scroll->setScrollEnabled(false);
    EXPECT_FALSE(scroll->panGestureRecognizer()->isEnabled());
    swipe(CGPointMake(250, 300), CGPointMake(50, 300), 0.2);
    runLoop().advanceBy(1);
    EXPECT_EQ(scroll->contentOffset().x, 0);
    scroll->setScrollEnabled(true);
    EXPECT_TRUE(scroll->panGestureRecognizer()->isEnabled());

    // A slider in the content takes a horizontal drag for itself.
    auto slider = objc::make<UISlider>(CGRectMake(20, 50, 260, 31));
    scroll->addSubview(slider);
    const double y = 100 + 50 + 15.5;
    drag({CGPointMake(20 + 15.5, y), CGPointMake(20 + 260 - 15.5, y)}, 0.4);
    runLoop().advanceBy(1);
    EXPECT_NEAR(slider->value(), 1.0, 1e-6);
    EXPECT_EQ(scroll->contentOffset().x, 0);
}

}  // namespace
