#include "controls/FlintDragView.h"

#include <cmath>

#include "platform/uikit/NSValueBox.h"

using namespace ios;

// Exported globals are constructed ahead of every default-priority initialiser of the library
// (the load routine's included), like the application slots.
objc::Ref<UIImpactFeedbackGenerator> gen1 __attribute__((init_priority(101)));

OBJC_CLASS_DEFINE_WITH(FlintDragView, UIView, [](objc::Class& cls) {
    using Args = std::span<const objc::id>;
    cls.addNativeMethod("handleDrag:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        if (auto* pan = args.empty() ? nullptr : dynamic_cast<UIPanGestureRecognizer*>(args[0].get()))
            static_cast<FlintDragView&>(self).handleDrag(*pan);
        return nullptr;
    });
    cls.addNativeMethod("handleTap:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        if (auto* tap = args.empty() ? nullptr : dynamic_cast<UITapGestureRecognizer*>(args[0].get()))
            static_cast<FlintDragView&>(self).handleTap(*tap);
        return nullptr;
    });
    cls.addNativeMethod("animationDidStop:finished:context:", "v@:@@^v",
                        [](objc::Object& self, objc::SEL, Args args) -> objc::id {
                            // Only a notice that carries its finished flag counts, completed or not.
                            if (args.size() >= 2 && args[1]) static_cast<FlintDragView&>(self).animationDidStop();
                            return nullptr;
                        });
})

void FlintDragView::init(const CGRect& frame) {
    UIView::init(frame);
    CGSize size = frame.size;
    auto self = shared_from_this();

    m_handleView =
        objc::make<UIView>(CGRectMake(0, size.height - kFlintDragHandleHeight, size.width, kFlintDragHandleHeight));
    m_handleView->setBackgroundColor(UIColor::clearColor());
    m_handleView->layer()->setZPosition(10);
    addSubview(m_handleView);

    m_pillView = objc::make<UIView>(CGRectMake(0, 0, kFlintDragPillSize.width, kFlintDragPillSize.height));
    m_pillView->setCenter({m_handleView->bounds().size.width / 2, kFlintDragPillCenterY});
    m_pillView->layer()->setZPosition(10);
    m_handleView->addSubview(m_pillView);

    m_dragRecognizer = objc::make<UIPanGestureRecognizer>(self, objc::sel("handleDrag:"));
    m_dragRecognizer->setMinimumNumberOfTouches(1);
    m_dragRecognizer->setMaximumNumberOfTouches(1);
    m_handleView->addGestureRecognizer(m_dragRecognizer);

    m_tapRecognizer = objc::make<UITapGestureRecognizer>(self, objc::sel("handleTap:"));
    m_tapRecognizer->setNumberOfTapsRequired(1);
    m_tapRecognizer->setNumberOfTouchesRequired(1);
    m_handleView->addGestureRecognizer(m_tapRecognizer);

    m_toggleOnTap = true;
    m_animate = true;
    m_animationDuration = 0.2f;
    m_opened = false;
}

void FlintDragView::setToggleOnTap(bool toggle) {
    m_toggleOnTap = toggle;
    m_tapRecognizer->setEnabled(toggle);
}

namespace {

double along(CGPoint p, bool vertical) { return vertical ? p.y : p.x; }

}  // namespace

void FlintDragView::handleDrag(UIPanGestureRecognizer& recognizer) {
    auto keep = shared_from_this();
    UIView* parent = superview();
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began: {
        m_startPos = center();
        m_verticalAxis = m_closedCenter.x == m_openedCenter.x;
        double closed = along(m_closedCenter, m_verticalAxis), opened = along(m_openedCenter, m_verticalAxis);
        if (closed < opened) {
            m_minPos = m_closedCenter;
            m_maxPos = m_openedCenter;
        } else if (closed > opened) {
            m_minPos = m_openedCenter;
            m_maxPos = m_closedCenter;
        } else {
            m_minPos = m_maxPos = m_openedCenter;
        }
        break;
    }
    case UIGestureRecognizerState::Changed: {
        CGPoint t = recognizer.translationInView(parent);
        double start = along(m_startPos, m_verticalAxis);
        double lo = along(m_minPos, m_verticalAxis), hi = along(m_maxPos, m_verticalAxis);
        double candidate = start + along(t, m_verticalAxis);
        double position = candidate;
        CGPoint translation = t;
        // Pinned at an end, the translation is reset so that overshoot does not build up.
        if (candidate < lo) {
            position = lo;
            translation = m_verticalAxis ? CGPoint{0, lo - start} : CGPoint{lo - start, 0};
        } else if (candidate > hi) {
            position = hi;
            translation = m_verticalAxis ? CGPoint{0, hi - start} : CGPoint{hi - start, 0};
        }
        CGPoint moved = m_startPos;
        (m_verticalAxis ? moved.y : moved.x) = position;
        recognizer.setTranslation(translation, parent);
        setCenter(moved);
        break;
    }
    case UIGestureRecognizerState::Ended: {
        double v = along(recognizer.velocityInView(parent), m_verticalAxis);
        CGPoint target = v < 0 ? m_minPos : m_maxPos;
        setOpened(target == m_openedCenter, m_animate);
        break;
    }
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed: {
        // A drag taken away settles at the nearer end (on a tie, the state it had), never midway.
        const bool vertical = m_closedCenter.x == m_openedCenter.x;
        const double here = along(center(), vertical);
        const double toOpened = std::abs(along(m_openedCenter, vertical) - here);
        const double toClosed = std::abs(along(m_closedCenter, vertical) - here);
        setOpened(toOpened == toClosed ? m_opened : toOpened < toClosed, m_animate);
        break;
    }
    default: break;
    }
}

void FlintDragView::handleTap(UITapGestureRecognizer& recognizer) {
    if (recognizer.state() == UIGestureRecognizerState::Ended) setOpened(!m_opened, m_animate);
}

void FlintDragView::setOpened(bool opened, bool animated) {
    auto keep = shared_from_this();
    m_opened = opened;
    if (animated) {
        UIView::beginAnimations();
        UIView::setAnimationDuration(static_cast<double>(m_animationDuration));
        UIView::setAnimationCurve(UIViewAnimationCurve::EaseOut);
        UIView::setAnimationDelegate(keep);
        UIView::setAnimationDidStopSelector(objc::sel("animationDidStop:finished:context:"));
    }
    setCenter(opened ? m_openedCenter : m_closedCenter);
    if (animated) {
        m_dragRecognizer->setEnabled(false);
        m_tapRecognizer->setEnabled(false);
        UIView::commitAnimations();
    } else {
        tellDelegate();
    }
}

void FlintDragView::animationDidStop() {
    auto keep = shared_from_this();
    m_dragRecognizer->setEnabled(true);
    m_tapRecognizer->setEnabled(m_toggleOnTap);
    gen1 = objc::make<UIImpactFeedbackGenerator>(UIImpactFeedbackStyle::Light);
    gen1->impactOccurred();
    tellDelegate();
}

void FlintDragView::tellDelegate() {
    auto d = m_delegate.lock();
    if (d && d->respondsToDidChangeState()) d->flintDragViewDidChangeState(*this, m_opened);
}
