#pragma once
// Typed access to the host object's properties: a thin wrapper around one status bar. The
// storage is the status bar's associated objects, shared with the accessors that the load
// routine adds to the status-bar class, so both views of a property always agree.

#include <optional>
#include <string>
#include <string_view>

#include "platform/objc/Runtime.h"
#include "startup/HostProperties.h"
#include "startup/HostTypes.h"

namespace flint {

enum class HostProperty : int {
#define FLINT_ENUM_ROW(Type, name) name,
    FLINT_HOST_PROPERTIES(FLINT_ENUM_ROW)
#undef FLINT_ENUM_ROW
};

const char* hostPropertyName(int index);
std::string hostPropertySetterName(int index);  // "setFlintWindow:"
std::optional<int> hostPropertyIndex(std::string_view name);
const void* hostPropertyKey(int index);  // the associated-object key

class FlintHost {
public:
    explicit FlintHost(objc::Object& bar) : m_bar(&bar) {}
    objc::Object& object() const { return *m_bar; }
    objc::id self() const { return m_bar->self(); }

    objc::id get(HostProperty property) const;
    void set(HostProperty property, objc::id value) const;

#define FLINT_ACCESSOR_ROW(Type, name)                 \
    template <class T = Type>                          \
    objc::Ref<T> name() const {                        \
        return objc::cast<T>(get(HostProperty::name)); \
    }                                                  \
    template <class T = Type>                          \
    void set_##name(const objc::Ref<T>& value) const { \
        set(HostProperty::name, value);                \
    }
    FLINT_HOST_PROPERTIES(FLINT_ACCESSOR_ROW)
#undef FLINT_ACCESSOR_ROW

private:
    objc::Object* m_bar;
};

}  // namespace flint
