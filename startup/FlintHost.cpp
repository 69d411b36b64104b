#include "startup/FlintHost.h"

#include <array>
#include <cctype>

namespace flint {

namespace {

constexpr std::array<const char*, kFlintHostPropertyCount> kNames = {
#define FLINT_NAME_ROW(Type, name) #name,
    FLINT_HOST_PROPERTIES(FLINT_NAME_ROW)
#undef FLINT_NAME_ROW
};

// One byte per property: its address is the property's associated-object key.
char g_keys[kFlintHostPropertyCount];

}  // namespace

const char* hostPropertyName(int index) {
    return index >= 0 && index < kFlintHostPropertyCount ? kNames[static_cast<std::size_t>(index)] : nullptr;
}

std::string hostPropertySetterName(int index) {
    std::string name = hostPropertyName(index);
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return "set" + name + ":";
}

std::optional<int> hostPropertyIndex(std::string_view name) {
    for (int i = 0; i < kFlintHostPropertyCount; ++i)
        if (name == kNames[static_cast<std::size_t>(i)]) return i;
    return std::nullopt;
}

const void* hostPropertyKey(int index) { return &g_keys[index]; }

objc::id FlintHost::get(HostProperty property) const {
    return objc::objc_getAssociatedObject(*m_bar, hostPropertyKey(static_cast<int>(property)));
}

void FlintHost::set(HostProperty property, objc::id value) const {
    objc::objc_setAssociatedObject(*m_bar, hostPropertyKey(static_cast<int>(property)), std::move(value),
                                   objc::OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

}  // namespace flint
