#include "platform/services/HBPreferences.h"

#include <filesystem>

#include "platform/foundation/Process.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"

namespace ios {

OBJC_CLASS_DEFINE(HBPreferences, objc::Object)

namespace {

// Cuts texts (in arrays and dictionaries too) to the longest whole-character prefix of at most
// kMaxPreferenceTextBytes; true when any was cut.
bool cutLongTexts(Value& value) {
    if (const std::string* text = value.string(); text && text->size() > kMaxPreferenceTextBytes) {
        std::size_t end = kMaxPreferenceTextBytes;
        while (end > 0 && (static_cast<unsigned char>((*text)[end]) & 0xC0) == 0x80) --end;
        value = Value(text->substr(0, end));
        return true;
    }
    bool cut = false;
    if (const Array* array = value.array()) {
        Array items = *array;
        for (Value& item : items) cut = cutLongTexts(item) || cut;
        if (cut) value = Value(std::move(items));
    }
    if (Dictionary* dictionary = value.dictionary())
        for (auto& [key, item] : *dictionary) cut = cutLongTexts(item) || cut;
    return cut;
}

}  // namespace

void HBPreferences::init(std::string identifier) {
    m_identifier = std::move(identifier);
    readDomain();
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, &HBPreferences::changed,
                                    changeNotificationName(), nullptr, CFNotificationSuspensionBehavior::Coalesce);
    m_observing = true;
}

HBPreferences::~HBPreferences() {
    if (m_observing && Process::current())
        CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
}

std::string HBPreferences::filePath() const { return "/var/mobile/Library/Preferences/" + m_identifier + ".plist"; }

void HBPreferences::readDomain() {
    // A missing or unreadable domain holds nothing: every key reads its default.
    auto stored = dictionaryWithContentsOfFile(filePath());
    keepStored(stored ? std::move(*stored) : Dictionary{});
}

void HBPreferences::keepStored(Dictionary domain) {
    for (auto& [key, value] : domain)
        if (cutLongTexts(value))
            NSLog("HBPreferences: %@ in %@ holds a text longer than %@ bytes; it reads cut to that length", key,
                  filePath(), std::to_string(kMaxPreferenceTextBytes));
    m_stored = std::move(domain);
}

void HBPreferences::changed(CFNotificationCenterRef, void* observer, const std::string&, const void*, const Value*) {
    static_cast<HBPreferences*>(observer)->reload();
}

void HBPreferences::reload() {
    auto keepAlive = shared_from_this();  // a change block may drop the last other reference
    readDomain();
    for (const auto& [key, binding] : m_registered) updateBinding(key, binding);
    auto blocks = m_changeBlocks;
    for (auto& block : blocks) block();
}

Value HBPreferences::objectForKey(const std::string& key) const {
    if (auto it = m_stored.find(key); it != m_stored.end()) return it->second;
    if (auto it = m_registered.find(key); it != m_registered.end()) return it->second.defaultValue;
    return {};
}

void HBPreferences::updateBinding(const std::string& key, const Binding& binding) const {
    if (!binding.variable) return;
    Value value = objectForKey(key);
    switch (binding.kind) {
    case Binding::Kind::Bool: *static_cast<bool*>(binding.variable) = value.boolValue(); break;
    case Binding::Kind::Integer: *static_cast<std::int64_t*>(binding.variable) = value.integerValue(); break;
    case Binding::Kind::Object: *static_cast<Value*>(binding.variable) = value; break;
    }
}

void HBPreferences::registerBool(bool defaultValue, const std::string& key, bool* variable) {
    auto& binding = m_registered[key] = Binding{Binding::Kind::Bool, Value(defaultValue), variable};
    updateBinding(key, binding);
}

void HBPreferences::registerInteger(std::int64_t defaultValue, const std::string& key, std::int64_t* variable) {
    auto& binding = m_registered[key] = Binding{Binding::Kind::Integer, Value(defaultValue), variable};
    updateBinding(key, binding);
}

void HBPreferences::registerObject(Value defaultValue, const std::string& key, Value* variable) {
    auto& binding = m_registered[key] = Binding{Binding::Kind::Object, std::move(defaultValue), variable};
    updateBinding(key, binding);
}

void HBPreferences::registerPreferenceChangeBlock(std::function<void()> block) {
    if (!block) return;
    m_changeBlocks.push_back(block);
    block();
}

void HBPreferences::setObject(const Value& value, const std::string& key) {
    // Re-read the file so that keys written by others since our last read are kept.
    Dictionary domain;
    std::filesystem::path hostPath = devicePath(filePath());
    std::error_code ec;
    if (std::filesystem::exists(hostPath, ec)) {
        auto current = dictionaryWithContentsOfFile(filePath());
        if (!current) {
            NSLog("HBPreferences: %@ is not a readable property list; %@ kept in memory only", filePath(), key);
            m_stored[key] = value;
            if (auto it = m_registered.find(key); it != m_registered.end()) updateBinding(key, it->second);
            return;
        }
        domain = std::move(*current);
    }
    if (value.isNone())
        domain.erase(key);
    else
        domain[key] = value;
    if (!writeDictionaryToFile(domain, filePath())) NSLog("HBPreferences: could not write %@", filePath());
    keepStored(std::move(domain));
    for (const auto& [k, binding] : m_registered) updateBinding(k, binding);
}

}  // namespace ios
