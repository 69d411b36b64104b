#include "Extension/MarqueeControllerNotification.h"

OBJC_CLASS_DEFINE(MarqueeControllerNotification, ios::NSNotification)

void MarqueeControllerNotification::init(std::string name, std::map<std::string, objc::id> objects) {
    ios::Dictionary keys;
    for (const auto& [key, object] : objects) keys[key] = object ? object->objcClass().name() : std::string();
    ios::NSNotification::init(std::move(name), nullptr, ios::Value(std::move(keys)));
    m_objects = std::move(objects);
}

objc::id MarqueeControllerNotification::objectForUserInfoKey(const std::string& key) const {
    auto it = m_objects.find(key);
    return it == m_objects.end() ? nullptr : it->second;
}

objc::id MarqueeControllerNotification::objectForUserInfoKey(const ios::NSNotification& notification,
                                                             const std::string& key) {
    auto* rich = dynamic_cast<const MarqueeControllerNotification*>(&notification);
    return rich ? rich->objectForUserInfoKey(key) : nullptr;
}
