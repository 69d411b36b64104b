#pragma once
// The object runtime: classes with method tables, selectors, dynamic dispatch by name, method
// hooking and associated objects. C++ classes carry ordinary behaviour as virtual functions; a
// method is reachable by name (and hookable) when its class registers it in its method table.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace objc {

template <class T>
using Ref = std::shared_ptr<T>;
template <class T>
using WeakRef = std::weak_ptr<T>;
class Object;
using id = Ref<Object>;

// A selector is an interned name: two SELs with the same name are the same pointer.
class Selector {
public:
    const std::string& name() const { return m_name; }
    explicit Selector(std::string name) : m_name(std::move(name)) {}

private:
    std::string m_name;
};
using SEL = const Selector*;
SEL sel_registerName(std::string_view name);
inline SEL sel(std::string_view name) { return sel_registerName(name); }
// Number of object arguments a selector takes: its colon count.
int sel_argumentCount(SEL sel);

// Every implementation takes the receiver, the selector and up to two object arguments and
// returns an object (none for methods that return nothing).
using IMP = std::function<id(Object& self, SEL cmd, std::span<const id> args)>;

enum class MethodOrigin { Native, Added, Hooked };

struct Method {
    IMP imp;
    std::string types;
    MethodOrigin origin = MethodOrigin::Native;
};

class Class {
public:
    Class(std::string name, Class* superclass);
    const std::string& name() const { return m_name; }
    Class* superclass() const { return m_superclass; }
    bool isSubclassOf(const Class& other) const;

    // Registers a method of the class's own; used while the class is being set up.
    void addNativeMethod(std::string_view selector, std::string types, IMP imp);
    const Method* lookup(SEL sel) const;     // own table, then superclasses
    const Method* ownMethod(SEL sel) const;  // own table only
    std::vector<SEL> ownSelectors() const;

    // Instances of exactly this class now alive (subclasses count on their own).
    std::int64_t liveInstances() const { return m_live.load(std::memory_order_relaxed); }

private:
    friend class Runtime;
    friend class Object;
    friend void countLiveObject(Object& object);
    std::string m_name;
    Class* m_superclass;
    std::unordered_map<SEL, Method> m_methods;
    std::vector<SEL> m_order;  // registration order, so listings are stable
    // Relaxed atomic: objects may be made on helper threads; the count needs no ordering.
    std::atomic<std::int64_t> m_live{0};
};

// The root object. Objects are always owned by a shared_ptr (see make<T>).
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object();
    static Class& staticClass();
    virtual Class& objcClass() const { return staticClass(); }
    bool isKindOfClass(const Class& cls) const { return objcClass().isSubclassOf(cls); }
    id self() { return shared_from_this(); }
    std::string description() const;

    // Associated objects (the platform's strong, non-atomic policy).
    id associatedObject(const void* key) const;
    void setAssociatedObject(const void* key, id value);

    // Second phase of creation; subclasses add their own init overloads.
    virtual void init() {}

protected:
    Object() = default;
    // A copy is a new object: it is counted when made (copyOf), not by inheriting the count.
    Object(const Object& other) : enable_shared_from_this(other), m_associated(other.m_associated) {}
    Object& operator=(const Object& other) {
        m_associated = other.m_associated;
        return *this;
    }

private:
    friend void countLiveObject(Object& object);
    std::unordered_map<const void*, id> m_associated;
    Class* m_counted = nullptr;  // the class whose live count holds this object
};

// Counts a fully constructed object under its class until it is destroyed; make<T> and the
// layer copies call it. Counting twice is harmless.
void countLiveObject(Object& object);

// Two-phase creation: construct inside a shared_ptr, then run init with the given arguments.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
    struct Made : T {
        Made() : T() {}
    };
    Ref<T> object = std::make_shared<Made>();
    countLiveObject(*object);
    if constexpr (sizeof...(Args) == 0) {
        static_cast<Object&>(*object).init();
    } else {
        object->init(std::forward<Args>(args)...);
    }
    return object;
}

template <class T>
Ref<T> cast(const id& object) {
    return std::dynamic_pointer_cast<T>(object);
}
template <class T, class U>
Ref<T> cast(const Ref<U>& object) {
    return std::dynamic_pointer_cast<T>(object);
}

// Runtime operations with the platform's names and contracts.
Class* objc_getClass(std::string_view name);
bool class_addMethod(Class* cls, SEL sel, IMP imp, std::string_view types);
// Replaces the implementation of sel on cls and hands back the previous one (the inherited one
// when cls had none of its own); the previous implementation stays callable.
void MSHookMessageEx(Class* cls, SEL sel, IMP replacement, IMP* previous);
bool respondsToSelector(const Object* object, SEL sel);
bool class_respondsToSelector(const Class* cls, SEL sel);

enum AssociationPolicy { OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1 };
id objc_getAssociatedObject(const Object& object, const void* key);
void objc_setAssociatedObject(Object& object, const void* key, id value, AssociationPolicy policy);

// Dynamic dispatch. An unknown selector aborts with the platform's message.
id msgSendv(Object* target, SEL sel, std::span<const id> args);
inline id msgSend(const id& target, SEL sel) { return msgSendv(target.get(), sel, {}); }
inline id msgSend(const id& target, SEL sel, id a) {
    id args[] = {std::move(a)};
    return msgSendv(target.get(), sel, args);
}
inline id msgSend(const id& target, SEL sel, id a, id b) {
    id args[] = {std::move(a), std::move(b)};
    return msgSendv(target.get(), sel, args);
}
// Sends with as many of the given arguments as the selector takes (target/action style).
id msgSendAction(const id& target, SEL sel, const id& sender, const id& second = nullptr);

// Live objects by class name (classes with none are left out), and what changed between two such
// snapshots: class name to the change in count, zero changes left out.
using LiveObjectCounts = std::map<std::string, std::int64_t>;
LiveObjectCounts liveObjectCounts();
LiveObjectCounts diffLiveObjectCounts(const LiveObjectCounts& before, const LiveObjectCounts& after);

// Inspection and reset, for tests and the simulator.
std::vector<SEL> addedMethodsForTesting(const Class& cls);  // in order of addition
bool isHookedForTesting(const Class& cls, SEL sel);
void resetRuntimeForTesting();  // drops added methods and undoes hooks on every class

// Registers a class by name; used by OBJC_CLASS_DEFINE. Registering the same name twice returns
// the first class.
Class& registerClass(std::string_view name, Class* superclass);

}  // namespace objc

// In a class body: declares the class object and its accessor.
#define OBJC_CLASS_DECLARE(Name)         \
public:                                  \
    static ::objc::Class& staticClass(); \
    ::objc::Class& objcClass() const override { return staticClass(); }

// In one .cpp file: defines the class object, registered by name when the library loads, and
// runs `setup(cls)` once to register the class's own methods.
#define OBJC_CLASS_DEFINE_WITH(Name, Super, setup)                                  \
    ::objc::Class& Name::staticClass() {                                            \
        static ::objc::Class& registered = []() -> ::objc::Class& {                 \
            ::objc::Class& c = ::objc::registerClass(#Name, &Super::staticClass()); \
            setup(c);                                                               \
            return c;                                                               \
        }();                                                                        \
        return registered;                                                          \
    }                                                                               \
    [[maybe_unused]] static const ::objc::Class& objcClassRegistration_##Name = Name::staticClass();

#define OBJC_CLASS_DEFINE(Name, Super) OBJC_CLASS_DEFINE_WITH(Name, Super, [](::objc::Class&) {})
