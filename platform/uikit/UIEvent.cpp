#include "platform/uikit/UIEvent.h"

#include <algorithm>

#include "platform/uikit/UIGestureRecognizer.h"

namespace ios {

OBJC_CLASS_DEFINE(UIEvent, objc::Object)

std::vector<objc::Ref<UITouch>> UIEvent::touchesForView(const UIView* view) const {
    std::vector<objc::Ref<UITouch>> result;
    for (const auto& t : m_touches)
        if (t->view() == view) result.push_back(t);
    return result;
}

std::vector<objc::Ref<UITouch>> UIEvent::touchesForGestureRecognizer(const UIGestureRecognizer* recognizer) const {
    std::vector<objc::Ref<UITouch>> result;
    for (const auto& t : m_touches) {
        const auto& rs = t->gestureRecognizers();
        if (std::any_of(rs.begin(), rs.end(), [&](const auto& r) { return r.get() == recognizer; }))
            result.push_back(t);
    }
    return result;
}

}  // namespace ios
