#include "platform/objc/Runtime.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <unordered_set>

namespace objc {

namespace {

struct SelectorTable {
    std::mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<Selector>> byName;
};
SelectorTable& selectors() {
    static SelectorTable* table = new SelectorTable;  // lives for the process
    return *table;
}

std::map<std::string, Class*, std::less<>>& classTable() {
    static auto* table = new std::map<std::string, Class*, std::less<>>;
    return *table;
}

// What a class's table held for a selector before the first addition or hook, so tests can
// put every class back as it was.
struct JournalEntry {
    Class* cls;
    SEL sel;
    std::optional<Method> original;
};

}  // namespace

class Runtime {
public:
    static std::vector<JournalEntry>& journal() {
        static auto* entries = new std::vector<JournalEntry>;
        return *entries;
    }
    static void remember(Class& cls, SEL sel) {
        for (const auto& entry : journal())
            if (entry.cls == &cls && entry.sel == sel) return;
        auto it = cls.m_methods.find(sel);
        journal().push_back({&cls, sel, it == cls.m_methods.end() ? std::nullopt : std::optional<Method>(it->second)});
    }
    static void put(Class& cls, SEL sel, Method method) {
        if (!cls.m_methods.count(sel)) cls.m_order.push_back(sel);
        cls.m_methods[sel] = std::move(method);
    }
    static void reset() {
        auto& entries = journal();
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            Class& cls = *it->cls;
            if (it->original) {
                cls.m_methods[it->sel] = *it->original;
            } else {
                cls.m_methods.erase(it->sel);
                std::erase(cls.m_order, it->sel);
            }
        }
        entries.clear();
    }
};

SEL sel_registerName(std::string_view name) {
    auto& table = selectors();
    std::lock_guard lock(table.mutex);
    auto it = table.byName.find(std::string(name));
    if (it != table.byName.end()) return it->second.get();
    auto selector = std::make_unique<Selector>(std::string(name));
    SEL result = selector.get();
    table.byName.emplace(std::string(name), std::move(selector));
    return result;
}

int sel_argumentCount(SEL sel) {
    int count = 0;
    for (char c : sel->name()) count += c == ':';
    return count;
}

Class::Class(std::string name, Class* superclass) : m_name(std::move(name)), m_superclass(superclass) {}

bool Class::isSubclassOf(const Class& other) const {
    for (const Class* c = this; c; c = c->m_superclass)
        if (c == &other) return true;
    return false;
}

void Class::addNativeMethod(std::string_view selector, std::string types, IMP imp) {
    Runtime::put(*this, sel_registerName(selector), Method{std::move(imp), std::move(types), MethodOrigin::Native});
}

const Method* Class::ownMethod(SEL sel) const {
    auto it = m_methods.find(sel);
    return it == m_methods.end() ? nullptr : &it->second;
}

const Method* Class::lookup(SEL sel) const {
    for (const Class* c = this; c; c = c->m_superclass)
        if (const Method* m = c->ownMethod(sel)) return m;
    return nullptr;
}

std::vector<SEL> Class::ownSelectors() const { return m_order; }

Class& registerClass(std::string_view name, Class* superclass) {
    auto& table = classTable();
    auto it = table.find(name);
    if (it != table.end()) return *it->second;
    auto* cls = new Class(std::string(name), superclass);  // classes live for the process
    table.emplace(std::string(name), cls);
    return *cls;
}

Class& Object::staticClass() {
    static Class& cls = registerClass("NSObject", nullptr);
    return cls;
}

Object::~Object() {
    if (m_counted) m_counted->m_live.fetch_sub(1, std::memory_order_relaxed);
}

void countLiveObject(Object& object) {
    if (object.m_counted) return;
    object.m_counted = &object.objcClass();
    object.m_counted->m_live.fetch_add(1, std::memory_order_relaxed);
}

LiveObjectCounts liveObjectCounts() {
    LiveObjectCounts counts;
    for (const auto& [name, cls] : classTable())
        if (std::int64_t n = cls->liveInstances()) counts[name] = n;
    return counts;
}

LiveObjectCounts diffLiveObjectCounts(const LiveObjectCounts& before, const LiveObjectCounts& after) {
    LiveObjectCounts diff;
    for (const auto& [name, n] : after) {
        auto it = before.find(name);
        std::int64_t change = n - (it == before.end() ? 0 : it->second);
        if (change) diff[name] = change;
    }
    for (const auto& [name, n] : before)
        if (!after.count(name) && n) diff[name] = -n;
    return diff;
}

std::string Object::description() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, ": %p>", static_cast<const void*>(this));
    return "<" + objcClass().name() + buffer;
}

id Object::associatedObject(const void* key) const {
    auto it = m_associated.find(key);
    return it == m_associated.end() ? nullptr : it->second;
}

void Object::setAssociatedObject(const void* key, id value) {
    if (value) {
        m_associated[key] = std::move(value);
    } else {
        // Drop the old value only after the map no longer holds it: its destructor may call back.
        auto it = m_associated.find(key);
        if (it == m_associated.end()) return;
        id old = std::move(it->second);
        m_associated.erase(it);
    }
}

Class* objc_getClass(std::string_view name) {
    auto& table = classTable();
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second;
}

bool class_addMethod(Class* cls, SEL sel, IMP imp, std::string_view types) {
    if (!cls || cls->ownMethod(sel)) return false;
    Runtime::remember(*cls, sel);
    Runtime::put(*cls, sel, Method{std::move(imp), std::string(types), MethodOrigin::Added});
    return true;
}

void MSHookMessageEx(Class* cls, SEL sel, IMP replacement, IMP* previous) {
    if (!cls) return;
    const Method* existing = cls->lookup(sel);
    if (previous) *previous = existing ? existing->imp : IMP{};
    std::string types = existing ? existing->types : std::string("v@:");
    Runtime::remember(*cls, sel);
    Runtime::put(*cls, sel, Method{std::move(replacement), std::move(types), MethodOrigin::Hooked});
}

bool class_respondsToSelector(const Class* cls, SEL sel) { return cls && cls->lookup(sel); }

bool respondsToSelector(const Object* object, SEL sel) {
    return object && class_respondsToSelector(&object->objcClass(), sel);
}

id objc_getAssociatedObject(const Object& object, const void* key) { return object.associatedObject(key); }

void objc_setAssociatedObject(Object& object, const void* key, id value, AssociationPolicy) {
    object.setAssociatedObject(key, std::move(value));
}

id msgSendv(Object* target, SEL sel, std::span<const id> args) {
    if (!target) return nullptr;  // messages to nil do nothing
    const Method* method = target->objcClass().lookup(sel);
    if (!method) {
        std::fprintf(stderr,
                     "*** Terminating app due to uncaught exception 'NSInvalidArgumentException', reason: "
                     "'-[%s %s]: unrecognized selector sent to instance %p'\n",
                     target->objcClass().name().c_str(), sel->name().c_str(), static_cast<void*>(target));
        std::fflush(stderr);
        std::abort();
    }
    // Keep the receiver alive for the duration of the call, as the platform's caller would.
    id keepAlive = target->weak_from_this().lock();
    IMP imp = method->imp;  // a copy: the method may replace itself while running
    return imp(*target, sel, args);
}

id msgSendAction(const id& target, SEL sel, const id& sender, const id& second) {
    switch (sel_argumentCount(sel)) {
    case 0: return msgSend(target, sel);
    case 1: return msgSend(target, sel, sender);
    default: return msgSend(target, sel, sender, second);
    }
}

std::vector<SEL> addedMethodsForTesting(const Class& cls) {
    std::vector<SEL> result;
    for (SEL sel : cls.ownSelectors()) {
        const Method* m = cls.ownMethod(sel);
        if (m && m->origin == MethodOrigin::Added) result.push_back(sel);
    }
    return result;
}

bool isHookedForTesting(const Class& cls, SEL sel) {
    const Method* m = cls.ownMethod(sel);
    return m && m->origin == MethodOrigin::Hooked;
}

void resetRuntimeForTesting() { Runtime::reset(); }

}  // namespace objc
