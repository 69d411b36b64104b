#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>

#include "platform/foundation/Process.h"

namespace ios {

OBJC_CLASS_DEFINE(NSNotification, objc::Object)
OBJC_CLASS_DEFINE(NSNotificationCenter, objc::Object)

namespace {
// The object a block observer's token is; removing it removes the block.
class NotificationToken : public objc::Object {
    OBJC_CLASS_DECLARE(NotificationToken)
public:
    NotificationToken() = default;
};
OBJC_CLASS_DEFINE(NotificationToken, objc::Object)
}  // namespace

void NSNotification::init(std::string name, objc::id object, Value userInfo) {
    m_name = std::move(name);
    m_object = std::move(object);
    m_userInfo = std::move(userInfo);
}

NSNotificationCenter& NSNotificationCenter::defaultCenter() { return Process::shared().notificationCenter(); }

objc::Ref<NSNotificationCenter> NSNotificationCenter::makeForProcess() { return objc::make<NSNotificationCenter>(); }

void NSNotificationCenter::addObserver(const objc::id& observer, objc::SEL selector, std::optional<std::string> name,
                                       const objc::id& object) {
    if (!observer || !selector) return;
    auto entry = std::make_shared<Entry>();
    entry->id = m_nextId++;
    entry->observer = observer;
    entry->observerIdentity = observer.get();
    entry->selector = selector;
    entry->name = std::move(name);
    entry->object = object;
    entry->objectIdentity = object.get();
    m_entries.push_back(std::move(entry));
}

objc::id NSNotificationCenter::addObserverForName(std::optional<std::string> name, const objc::id& object,
                                                  std::function<void(const NSNotification&)> block) {
    objc::id token = std::make_shared<NotificationToken>();
    objc::countLiveObject(*token);
    auto entry = std::make_shared<Entry>();
    entry->id = m_nextId++;
    entry->observer = token;
    entry->observerIdentity = token.get();
    entry->name = std::move(name);
    entry->object = object;
    entry->objectIdentity = object.get();
    entry->block = std::move(block);
    entry->blockToken = token;  // the centre keeps block observers until they are removed
    m_entries.push_back(std::move(entry));
    return token;
}

void NSNotificationCenter::removeObserver(const objc::Object* observer) {
    for (auto& e : m_entries)
        if (e->observerIdentity == observer) e->removed = true;
    compact();
}

void NSNotificationCenter::removeObserver(const objc::Object* observer, const std::string& name,
                                          const objc::Object* object) {
    for (auto& e : m_entries) {
        if (e->observerIdentity != observer) continue;
        if (e->name && *e->name != name) continue;
        if (!e->name) continue;  // an every-name registration is not removed by a name
        if (object && e->objectIdentity != object) continue;
        e->removed = true;
    }
    compact();
}

void NSNotificationCenter::compact() {
    if (m_delivering) return;  // entries are dropped once delivery is over
    std::vector<std::shared_ptr<Entry>> dropped;
    for (auto& e : m_entries)
        if (e->removed || e->observer.expired()) dropped.push_back(e);
    std::erase_if(m_entries, [](const auto& e) { return e->removed || e->observer.expired(); });
}

void NSNotificationCenter::postNotificationName(const std::string& name, const objc::id& object, Value userInfo) {
    postNotification(objc::make<NSNotification>(name, object, std::move(userInfo)));
}

void NSNotificationCenter::postNotification(const objc::Ref<NSNotification>& notification) {
    auto keepAlive = shared_from_this();
    // Observers added during delivery do not receive this notification.
    auto snapshot = m_entries;
    ++m_delivering;
    for (const auto& entry : snapshot) {
        if (entry->removed) continue;
        if (entry->name && *entry->name != notification->name()) continue;
        if (entry->objectIdentity) {
            if (entry->object.expired() || entry->objectIdentity != notification->object().get()) continue;
        }
        objc::id observer = entry->observer.lock();
        if (!observer) continue;
        if (entry->block) {
            auto block = entry->block;
            block(*notification);
        } else {
            objc::msgSend(observer, entry->selector, notification);
        }
    }
    --m_delivering;
    compact();
}

std::size_t NSNotificationCenter::observerCountForTesting(const objc::Object* observer,
                                                          const std::optional<std::string>& name) const {
    return static_cast<std::size_t>(std::count_if(m_entries.begin(), m_entries.end(), [&](const auto& e) {
        return !e->removed && !e->observer.expired() && e->observerIdentity == observer && e->name == name;
    }));
}

}  // namespace ios
