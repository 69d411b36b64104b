#include "platform/uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIGestureRecognizer.h"

namespace ios {

struct UIScrollViewPanHandler {
    static objc::id handle(objc::Object& self, objc::SEL, std::span<const objc::id> args) {
        auto& scroll = static_cast<UIScrollView&>(self);
        auto* pan = args.empty() ? nullptr : dynamic_cast<UIPanGestureRecognizer*>(args[0].get());
        if (pan) scroll.handlePan(*pan);
        return nullptr;
    }
};

OBJC_CLASS_DEFINE_WITH(UIScrollView, UIView, [](objc::Class& cls) {
    cls.addNativeMethod("_handlePan:", "v@:@", &UIScrollViewPanHandler::handle);
})

namespace {
// Distance (points) a release at `velocity` points per second coasts at a deceleration `rate`
// per millisecond: Σ v·rateⁿ over milliseconds.
double coastDistance(double velocity, double rate) { return velocity / 1000.0 * rate / (1.0 - rate); }
}  // namespace

void UIScrollView::init(const CGRect& frame) {
    UIView::init(frame);
    setClipsToBounds(true);
    m_pan = objc::make<UIPanGestureRecognizer>(shared_from_this(), objc::sel("_handlePan:"));
    m_pan->setEnabled(m_scrollEnabled);
    addGestureRecognizer(m_pan);
}

void UIScrollView::setScrollEnabled(bool enabled) {
    m_scrollEnabled = enabled;
    if (m_pan) m_pan->setEnabled(enabled);
}

// The finger's movement since the last call moves the content; the release hands the finger's
// velocity (in this view's directions) to the settle.
void UIScrollView::handlePan(UIPanGestureRecognizer& pan) {
    auto take = [&] {
        CGPoint t = pan.translationInView(this);
        pan.setTranslation(CGPointZero, this);
        if (t.x != 0 || t.y != 0) dragBy(CGVectorMake(t.x, t.y));
    };
    switch (pan.state()) {
    case UIGestureRecognizerState::Began:
        beginDragging();
        take();
        break;
    case UIGestureRecognizerState::Changed: take(); break;
    case UIGestureRecognizerState::Ended: {
        take();
        CGPoint v = pan.velocityInView(this);
        endDragging(CGVectorMake(v.x, v.y));
        break;
    }
    case UIGestureRecognizerState::Cancelled: endDragging(CGVectorMake(0, 0)); break;
    default: break;
    }
}

void UIScrollView::setContentSize(const CGSize& size) { m_contentSize = size; }

void UIScrollView::setContentOffset(const CGPoint& offset) {
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) return;
    CGRect b = bounds();
    if (b.origin == offset) return;
    b.origin = offset;
    setBounds(b);
    send(UIScrollViewCallback::DidScroll);
}

void UIScrollView::setContentOffset(const CGPoint& offset, bool animated) {
    if (!animated) {
        setContentOffset(offset);
        return;
    }
    auto self = std::static_pointer_cast<UIScrollView>(shared_from_this());
    objc::WeakRef<UIScrollView> weak = self;
    UIView::animateWithDuration(
        kSettleDuration, 0, UIViewAnimationOptionCurveEaseOut, [&] { setContentOffset(offset); },
        [weak](bool) {
            if (auto s = weak.lock()) s->send(UIScrollViewCallback::DidEndScrollingAnimation);
        });
}

CGPoint UIScrollView::maximumContentOffset() const {
    return {std::max(0.0, m_contentSize.width - bounds().size.width),
            std::max(0.0, m_contentSize.height - bounds().size.height)};
}

void UIScrollView::beginDragging() {
    if (!m_scrollEnabled) return;
    m_dragging = true;
    m_dragStartOffset = contentOffset();
    send(UIScrollViewCallback::WillBeginDragging);
}

void UIScrollView::dragBy(const CGVector& translation) {
    if (!m_dragging) return;
    CGPoint max = maximumContentOffset();
    auto move = [&](double from, double delta, double limit) {
        bool outside = from < 0 || from > limit;
        double to = from - (outside && m_bounces ? delta / 2 : delta);
        if (to >= 0 && to <= limit) return to;
        if (!m_bounces) return std::clamp(to, 0.0, limit);
        if (outside) return to;
        // Past an edge the content follows at half speed.
        double edge = to < 0 ? 0.0 : limit;
        return edge + (to - edge) / 2;
    };
    CGPoint offset = contentOffset();
    offset.x =
        m_contentSize.width > bounds().size.width || offset.x != 0 ? move(offset.x, translation.dx, max.x) : offset.x;
    offset.y =
        m_contentSize.height > bounds().size.height || offset.y != 0 ? move(offset.y, translation.dy, max.y) : offset.y;
    setContentOffset(offset);
}

CGPoint UIScrollView::settleTargetForVelocity(const CGVector& velocity) const {
    const CGPoint now = contentOffset();
    const CGPoint max = maximumContentOffset();
    const CGSize page = bounds().size;
    // The finger moving right (positive velocity) moves the offset left.
    if (!m_pagingEnabled) {
        double rate = kNormalDecelerationRate;
        return {std::clamp(now.x - coastDistance(velocity.dx, rate), 0.0, max.x),
                std::clamp(now.y - coastDistance(velocity.dy, rate), 0.0, max.y)};
    }
    auto settle = [&](double offset, double start, double v, double pageLength, double limit) {
        if (pageLength <= 0) return std::clamp(offset, 0.0, limit);
        double rest = offset - coastDistance(v, kFastDecelerationRate);
        double startPage = std::round(start / pageLength);
        double lastPage = std::max(0.0, std::ceil(limit / pageLength));
        double target = std::round(rest / pageLength);
        target = std::clamp(target, startPage - 1, startPage + 1);
        target = std::clamp(target, 0.0, lastPage);
        return std::clamp(target * pageLength, 0.0, limit);
    };
    return {settle(now.x, m_dragStartOffset.x, velocity.dx, page.width, max.x),
            settle(now.y, m_dragStartOffset.y, velocity.dy, page.height, max.y)};
}

void UIScrollView::endDragging(const CGVector& velocity) {
    if (!m_dragging) return;
    CGPoint target = settleTargetForVelocity(velocity);
    m_dragging = false;
    bool moves = target != contentOffset();
    send(UIScrollViewCallback::DidEndDragging, moves);
    if (moves) settleTo(target);
}

void UIScrollView::settleTo(const CGPoint& target) {
    m_decelerating = true;
    send(UIScrollViewCallback::WillBeginDecelerating);
    objc::WeakRef<UIScrollView> weak = std::static_pointer_cast<UIScrollView>(shared_from_this());
    UIView::animateWithDuration(
        kSettleDuration, 0, UIViewAnimationOptionCurveEaseOut, [&] { setContentOffset(target); },
        [weak](bool) {
            auto s = weak.lock();
            if (!s) return;
            s->m_decelerating = false;
            s->send(UIScrollViewCallback::DidEndDecelerating);
        });
}

void UIScrollView::send(UIScrollViewCallback callback, bool flag) {
    auto target = m_delegate.lock();
    if (!target) return;
    if (auto* d = dynamic_cast<UIScrollViewDelegate*>(target.get())) {
        if (!d->respondsToScrollViewCallback(callback)) return;
        switch (callback) {
        case UIScrollViewCallback::DidScroll: d->scrollViewDidScroll(*this); break;
        case UIScrollViewCallback::WillBeginDragging: d->scrollViewWillBeginDragging(*this); break;
        case UIScrollViewCallback::DidEndDragging: d->scrollViewDidEndDragging(*this, flag); break;
        case UIScrollViewCallback::WillBeginDecelerating: d->scrollViewWillBeginDecelerating(*this); break;
        case UIScrollViewCallback::DidEndDecelerating: d->scrollViewDidEndDecelerating(*this); break;
        case UIScrollViewCallback::DidEndScrollingAnimation: d->scrollViewDidEndScrollingAnimation(*this); break;
        }
        return;
    }
    const char* name = nullptr;
    switch (callback) {
    case UIScrollViewCallback::DidScroll: name = "scrollViewDidScroll:"; break;
    case UIScrollViewCallback::WillBeginDragging: name = "scrollViewWillBeginDragging:"; break;
    case UIScrollViewCallback::DidEndDragging: name = "scrollViewDidEndDragging:"; break;
    case UIScrollViewCallback::WillBeginDecelerating: name = "scrollViewWillBeginDecelerating:"; break;
    case UIScrollViewCallback::DidEndDecelerating: name = "scrollViewDidEndDecelerating:"; break;
    case UIScrollViewCallback::DidEndScrollingAnimation: name = "scrollViewDidEndScrollingAnimation:"; break;
    }
    objc::SEL sel = objc::sel(name);
    if (objc::respondsToSelector(target.get(), sel)) objc::msgSend(target, sel, shared_from_this());
}

}  // namespace ios
