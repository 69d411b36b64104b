#pragma once
// A scroll view: its content offset is its bounds origin, so its subviews (the content) move
// under it as the offset changes; it clips to its bounds. A finger drags it through its own pan
// recogniser (panGestureRecognizer), which calls beginDragging / dragBy / endDragging with the
// finger's movement and release velocity; code may call those directly too. On release a paging scroll view
// settles on the page nearest to where the content would come to rest, never more than one page
// from where the drag began, animating 0.25 s; a free one comes to rest inside its content.
//
// The delegate is held weakly and gets only the callbacks it implements: a UIScrollViewDelegate
// says so through respondsToScrollViewCallback; any other object through its method table
// ("scrollViewDidScroll:" and the others, sent with the scroll view).

#include "platform/uikit/UIView.h"

namespace ios {

class UIScrollView;
class UIPanGestureRecognizer;

enum class UIScrollViewCallback {
    DidScroll,                 // scrollViewDidScroll:
    WillBeginDragging,         // scrollViewWillBeginDragging:
    DidEndDragging,            // scrollViewDidEndDragging:willDecelerate:
    WillBeginDecelerating,     // scrollViewWillBeginDecelerating:
    DidEndDecelerating,        // scrollViewDidEndDecelerating:
    DidEndScrollingAnimation,  // scrollViewDidEndScrollingAnimation:
};

class UIScrollViewDelegate {
public:
    virtual ~UIScrollViewDelegate() = default;
    virtual bool respondsToScrollViewCallback(UIScrollViewCallback) const { return false; }
    virtual void scrollViewDidScroll(UIScrollView&) {}
    virtual void scrollViewWillBeginDragging(UIScrollView&) {}
    virtual void scrollViewDidEndDragging(UIScrollView&, bool willDecelerate) {}
    virtual void scrollViewWillBeginDecelerating(UIScrollView&) {}
    virtual void scrollViewDidEndDecelerating(UIScrollView&) {}
    virtual void scrollViewDidEndScrollingAnimation(UIScrollView&) {}
};

class UIScrollView : public UIView {
    OBJC_CLASS_DECLARE(UIScrollView)
public:
    // Duration of the settle after a drag and of animated offset changes.
    static constexpr double kSettleDuration = 0.25;
    // Deceleration per millisecond used to project where a released drag would come to rest:
    // the platform's normal rate for free scrolling, its fast rate for paging.
    static constexpr double kNormalDecelerationRate = 0.998;
    static constexpr double kFastDecelerationRate = 0.99;

    using UIView::init;
    void init(const CGRect& frame) override;

    const CGSize& contentSize() const { return m_contentSize; }
    void setContentSize(const CGSize& size);
    CGPoint contentOffset() const { return bounds().origin; }
    // Sets the bounds origin at once (no clamping, as the platform) and tells the delegate.
    void setContentOffset(const CGPoint& offset);
    // Animated: moves over kSettleDuration, then tells the delegate the scrolling animation ended.
    void setContentOffset(const CGPoint& offset, bool animated);
    // The largest offset that keeps the content filling the bounds (never negative).
    CGPoint maximumContentOffset() const;

    bool isPagingEnabled() const { return m_pagingEnabled; }
    void setPagingEnabled(bool paging) { m_pagingEnabled = paging; }
    bool isScrollEnabled() const { return m_scrollEnabled; }
    // Also enables or disables the pan recogniser, so a disabled scroll view leaves drags alone.
    void setScrollEnabled(bool enabled);
    bool showsHorizontalScrollIndicator() const { return m_showsHorizontal; }
    void setShowsHorizontalScrollIndicator(bool shows) { m_showsHorizontal = shows; }
    bool showsVerticalScrollIndicator() const { return m_showsVertical; }
    void setShowsVerticalScrollIndicator(bool shows) { m_showsVertical = shows; }
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }

    objc::id delegate() const { return m_delegate.lock(); }
    void setDelegate(const objc::id& delegate) { m_delegate = delegate; }

    // The recogniser that turns a finger's drag into scrolling (made in init, on this view).
    UIPanGestureRecognizer* panGestureRecognizer() const { return m_pan.get(); }

    // --- dragging, driven by the pan recogniser ---
    bool isDragging() const { return m_dragging; }
    bool isDecelerating() const { return m_decelerating; }
    void beginDragging();
    // Moves the content with the finger: a finger moving by `translation` (points) moves the
    // offset the other way. Beyond the content it moves at half speed when bouncing, else stops.
    void dragBy(const CGVector& translation);
    // Releases the drag with the finger's velocity (points per second) and settles.
    void endDragging(const CGVector& velocity);
    // Where a drag released now with `velocity` settles (see the class comment).
    CGPoint settleTargetForVelocity(const CGVector& velocity) const;

    // Shows no drawing of its own (known before the first display).
    bool respondsToDrawLayer() const override { return false; }

protected:
    UIScrollView() = default;

private:
    friend struct UIScrollViewPanHandler;
    void handlePan(UIPanGestureRecognizer& pan);
    void send(UIScrollViewCallback callback, bool flag = false);
    void settleTo(const CGPoint& target);

    CGSize m_contentSize{};
    bool m_pagingEnabled = false;
    bool m_scrollEnabled = true;
    bool m_showsHorizontal = true;
    bool m_showsVertical = true;
    bool m_bounces = true;
    bool m_dragging = false;
    bool m_decelerating = false;
    CGPoint m_dragStartOffset{};
    objc::WeakRef<objc::Object> m_delegate;
    objc::Ref<UIPanGestureRecognizer> m_pan;
};

using UIScrollViewRef = objc::Ref<UIScrollView>;

}  // namespace ios
