#pragma once
// A preferences store bound to one domain: the property-list file
// "/var/mobile/Library/Preferences/<domain>.plist" under the device root. Registered keys keep
// their current value (the stored one, or the default while the domain holds none); the store
// re-reads the domain whenever "<domain>/preferences.changed" is posted at the system-wide
// centre, then runs its change blocks. A change block also runs once when it is registered.
// A stored text longer than kMaxPreferenceTextBytes reads cut to that length (at a character
// boundary, with a log line); the file keeps it whole.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/Value.h"
#include "platform/objc/Runtime.h"

namespace ios {

inline constexpr std::size_t kMaxPreferenceTextBytes = 64 * 1024;

class HBPreferences : public objc::Object {
    OBJC_CLASS_DECLARE(HBPreferences)
public:
    ~HBPreferences() override;
    void init(std::string identifier);

    const std::string& identifier() const { return m_identifier; }
    std::string filePath() const;  // the domain's device path
    std::string changeNotificationName() const { return m_identifier + "/preferences.changed"; }

    // Registration, optionally bound to a variable that the store keeps current.
    void registerBool(bool defaultValue, const std::string& key, bool* variable = nullptr);
    void registerInteger(std::int64_t defaultValue, const std::string& key, std::int64_t* variable = nullptr);
    void registerObject(Value defaultValue, const std::string& key, Value* variable = nullptr);
    void registerPreferenceChangeBlock(std::function<void()> block);

    // The stored value, else the registered default, else none.
    Value objectForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const { return objectForKey(key).boolValue(); }
    std::int64_t integerForKey(const std::string& key) const { return objectForKey(key).integerValue(); }
    // Stores the value in the domain's file (keeping its other keys) and in memory.
    void setObject(const Value& value, const std::string& key);

    // Re-reads the domain and runs the change blocks, as on a change notification.
    void reload();

protected:
    HBPreferences() = default;

private:
    struct Binding {
        enum class Kind { Bool, Integer, Object } kind;
        Value defaultValue;
        void* variable;
    };
    void readDomain();
    void keepStored(Dictionary domain);
    void updateBinding(const std::string& key, const Binding& binding) const;
    static void changed(CFNotificationCenterRef center, void* observer, const std::string& name, const void*,
                        const Value*);

    std::string m_identifier;
    Dictionary m_stored;
    std::map<std::string, Binding> m_registered;
    std::vector<std::function<void()>> m_changeBlocks;
    bool m_observing = false;
};

}  // namespace ios
