#pragma once
// A notification whose user information carries objects: the controller-wide marquee messages put
// the view controller under the key "controller". (The plain notification's user information is a
// property-list value, which cannot hold an object.)

#include <map>
#include <string>

#include "platform/foundation/NSNotificationCenter.h"

class MarqueeControllerNotification : public ios::NSNotification {
    OBJC_CLASS_DECLARE(MarqueeControllerNotification)
public:
    using ios::NSNotification::init;
    void init(std::string name, std::map<std::string, objc::id> objects);

    // The object under the key, or none.
    objc::id objectForUserInfoKey(const std::string& key) const;
    // The same, read from any notification: none for one without objects.
    static objc::id objectForUserInfoKey(const ios::NSNotification& notification, const std::string& key);

protected:
    MarqueeControllerNotification() = default;

private:
    std::map<std::string, objc::id> m_objects;
};
