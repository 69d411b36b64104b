#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"
#include "tests/support/TestProcess.h"
#include "platform/uikit/UIScrollView.h"

using namespace ios;

namespace {
class Recorder : public objc::Object, public UIScrollViewDelegate {
public:
    bool respondsToScrollViewCallback(UIScrollViewCallback c) const override {
        return c != UIScrollViewCallback::WillBeginDragging;
    }
    void scrollViewDidScroll(UIScrollView&) override { ++scrolls; }
    void scrollViewWillBeginDragging(UIScrollView&) override { ADD_FAILURE() << "not implemented, must not be sent"; }
    void scrollViewDidEndDecelerating(UIScrollView& s) override { endedAt = s.contentOffset(); }
    int scrolls = 0;
    CGPoint endedAt{-1, -1};
};
}  // namespace

TEST(UIScrollView, OffsetIsTheBoundsOriginAndMovesTheContent) {
    ios::testing::TestProcess process;
    auto scroll = objc::make<UIScrollView>(CGRectMake(0, 0, 300, 500));
    EXPECT_TRUE(scroll->clipsToBounds());
    scroll->setContentSize(CGSizeMake(3000, 500));
    auto page = objc::make<UIView>(CGRectMake(600, 0, 300, 500));
    scroll->addSubview(page);
    auto delegate = objc::make<Recorder>();
    scroll->setDelegate(delegate);
    scroll->setContentOffset(CGPointMake(600, 0));
    EXPECT_EQ(scroll->bounds().origin, CGPointMake(600, 0));
    EXPECT_EQ(page->convertPointToView(CGPointZero, scroll.get()), CGPointMake(600, 0));
    EXPECT_EQ(scroll->convertPointToView(CGPointMake(600, 0), nullptr), CGPointZero);
    EXPECT_EQ(delegate->scrolls, 1);
    EXPECT_EQ(scroll->maximumContentOffset(), CGPointMake(2700, 0));
}

TEST(UIScrollView, PagingSettlesOnTheNearestPageAtMostOnePageAway) {
    ios::testing::TestProcess process;
    auto scroll = objc::make<UIScrollView>(CGRectMake(0, 0, 300, 500));
    scroll->setContentSize(CGSizeMake(3000, 500));
    scroll->setPagingEnabled(true);
    auto delegate = objc::make<Recorder>();
    scroll->setDelegate(delegate);
    scroll->setContentOffset(CGPointMake(900, 0));

    scroll->beginDragging();
    scroll->dragBy(CGVectorMake(-100, 0));  // finger left: content moves right by 100
    EXPECT_EQ(scroll->contentOffset().x, 1000);
    // Slow release short of half a page: back to where it began.
    EXPECT_EQ(scroll->settleTargetForVelocity(CGVectorMake(0, 0)).x, 900);
    // Past half a page: the next page.
    scroll->dragBy(CGVectorMake(-60, 0));
    EXPECT_EQ(scroll->settleTargetForVelocity(CGVectorMake(0, 0)).x, 1200);
    // A fling projecting a short move forward carries on to the next page.
    EXPECT_EQ(scroll->settleTargetForVelocity(CGVectorMake(-1000, 0)).x, 1200);
    // A very fast fling still only goes one page.
    EXPECT_EQ(scroll->settleTargetForVelocity(CGVectorMake(-20000, 0)).x, 1200);
    EXPECT_EQ(scroll->settleTargetForVelocity(CGVectorMake(20000, 0)).x, 600);

    scroll->endDragging(CGVectorMake(-20000, 0));
    EXPECT_TRUE(scroll->isDecelerating());
    EXPECT_EQ(scroll->contentOffset().x, 1200);  // the model value; the layer animates there
    process.runLoop().advanceBy(UIScrollView::kSettleDuration / 2);
    double halfway = scroll->layer()->presentationLayer()->bounds().origin.x;
    EXPECT_GT(halfway, 1060);
    EXPECT_LT(halfway, 1200);
    process.runLoop().advanceBy(UIScrollView::kSettleDuration);
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(delegate->endedAt, CGPointMake(1200, 0));

    // Never past the content's ends.
    scroll->setContentOffset(CGPointMake(2700, 0));
    scroll->beginDragging();
    scroll->dragBy(CGVectorMake(-100, 0));
    EXPECT_EQ(scroll->contentOffset().x, 2750);  // half speed beyond the end
    EXPECT_EQ(scroll->settleTargetForVelocity(CGVectorMake(-5000, 0)).x, 2700);
}
