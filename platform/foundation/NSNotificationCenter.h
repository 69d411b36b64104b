#pragma once
// The in-process notification centre. Observers are held weakly; delivery is synchronous, in
// registration order; observers may be removed (or added) while a notification is delivered.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/objc/Runtime.h"

namespace ios {

class NSNotification : public objc::Object {
    OBJC_CLASS_DECLARE(NSNotification)
public:
    void init(std::string name, objc::id object, Value userInfo);
    const std::string& name() const { return m_name; }
    const objc::id& object() const { return m_object; }
    const Value& userInfo() const { return m_userInfo; }

protected:
    NSNotification() = default;

private:
    std::string m_name;
    objc::id m_object;
    Value m_userInfo;
};

class NSNotificationCenter : public objc::Object {
    OBJC_CLASS_DECLARE(NSNotificationCenter)
public:
    static NSNotificationCenter& defaultCenter();
    static objc::Ref<NSNotificationCenter> makeForProcess();

    // name none = every name; object none = every sender.
    void addObserver(const objc::id& observer, objc::SEL selector, std::optional<std::string> name,
                     const objc::id& object);
    // Block observers; the returned token removes them.
    objc::id addObserverForName(std::optional<std::string> name, const objc::id& object,
                                std::function<void(const NSNotification&)> block);
    void removeObserver(const objc::Object* observer);
    void removeObserver(const objc::Object* observer, const std::string& name, const objc::Object* object = nullptr);

    void postNotification(const objc::Ref<NSNotification>& notification);
    void postNotificationName(const std::string& name, const objc::id& object = nullptr, Value userInfo = {});

    // Live observers registered for exactly this name (or for every name when none).
    std::size_t observerCountForTesting(const objc::Object* observer,
                                        const std::optional<std::string>& name = std::nullopt) const;

protected:
    NSNotificationCenter() = default;

private:
    struct Entry {
        std::uint64_t id;
        objc::WeakRef<objc::Object> observer;
        const objc::Object* observerIdentity;
        objc::SEL selector;
        std::optional<std::string> name;
        objc::WeakRef<objc::Object> object;
        const objc::Object* objectIdentity;
        std::function<void(const NSNotification&)> block;
        objc::id blockToken;
        bool removed = false;
    };
    std::vector<std::shared_ptr<Entry>> m_entries;
    std::uint64_t m_nextId = 1;
    int m_delivering = 0;
    void compact();
};

}  // namespace ios
