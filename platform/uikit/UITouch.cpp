#include "platform/uikit/UITouch.h"

#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIView.h"

namespace ios {

OBJC_CLASS_DEFINE(UITouch, objc::Object)

CGPoint UITouch::locationInView(const UIView* view) const {
    return view ? convertPointFromScreen(*view, m_location) : m_location;
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
    return view ? convertPointFromScreen(*view, m_previous) : m_previous;
}

void UITouch::beginAt(CGPoint screenPoint, double time, int tapCount) {
    m_phase = UITouchPhase::Began;
    m_location = m_previous = screenPoint;
    m_timestamp = time;
    m_tapCount = tapCount < 1 ? 1 : tapCount;
}

void UITouch::moveTo(CGPoint screenPoint, double time, UITouchPhase phase) {
    m_previous = m_location;
    m_location = screenPoint;
    m_timestamp = time;
    m_phase = phase;
}

void UITouch::setView(UIView* view) {
    if (!view) {
        m_view.reset();
        m_window.reset();
        return;
    }
    m_view = std::static_pointer_cast<UIView>(view->shared_from_this());
    auto& root = const_cast<UIView&>(rootViewOf(*view));
    m_window = std::static_pointer_cast<UIView>(root.shared_from_this());
}

}  // namespace ios
