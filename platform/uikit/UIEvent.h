#pragma once
// A touch event: the touches of one multi-touch sequence at one moment.

#include <vector>

#include "platform/objc/Runtime.h"
#include "platform/uikit/UITouch.h"

namespace ios {

enum class UIEventType { Touches, Motion, RemoteControl, Presses };

class UIEvent : public objc::Object {
    OBJC_CLASS_DECLARE(UIEvent)
public:
    UIEventType type() const { return UIEventType::Touches; }
    double timestamp() const { return m_timestamp; }
    const std::vector<objc::Ref<UITouch>>& allTouches() const { return m_touches; }
    // The touches whose hit view is the given view.
    std::vector<objc::Ref<UITouch>> touchesForView(const UIView* view) const;
    std::vector<objc::Ref<UITouch>> touchesForGestureRecognizer(const UIGestureRecognizer* recognizer) const;

    void setTouches(std::vector<objc::Ref<UITouch>> touches, double timestamp) {
        m_touches = std::move(touches);
        m_timestamp = timestamp;
    }

protected:
    UIEvent() = default;

private:
    double m_timestamp = 0;
    std::vector<objc::Ref<UITouch>> m_touches;
};

}  // namespace ios
