#include "platform/uikit/UIGestureRecognizer.h"

#include <algorithm>

namespace ios {

OBJC_CLASS_DEFINE(UIGestureRecognizer, objc::Object)
OBJC_CLASS_DEFINE(UITapGestureRecognizer, UIGestureRecognizer)
OBJC_CLASS_DEFINE(UISwipeGestureRecognizer, UIGestureRecognizer)

void UIGestureRecognizer::init(const objc::id& target, objc::SEL action) { addTarget(target, action); }

void UIGestureRecognizer::addTarget(const objc::id& target, objc::SEL action) {
    if (!target || !action) return;
    m_targets.push_back({target, action});
}

void UIGestureRecognizer::removeTarget(const objc::Object* target, objc::SEL action) {
    std::erase_if(m_targets, [&](const TargetAction& t) {
        return (!target || t.target.lock().get() == target) && (!action || t.action == action);
    });
}

void UIGestureRecognizer::sendActionsToTargets() {
    auto self = shared_from_this();
    auto targets = m_targets;
    for (const auto& t : targets)
        if (objc::id target = t.target.lock()) objc::msgSendAction(target, t.action, self);
}

}  // namespace ios
