#pragma once
// String formatting with the platform's rules: "%@" writes an object's description (a text,
// or "(null)" for none), the C conversions (%d, %zd, %ld, %u, %x, %X, %02X, %.1f, %c, %s, ...)
// behave as printf's, "%%" writes "%". A missing argument formats as none / 0.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace objc {
class Object;
}

namespace ios {

class FormatArg {
public:
    FormatArg(std::nullptr_t) : m_v(std::optional<std::string>{}) {}
    FormatArg(const char* s) : m_v(s ? std::optional<std::string>(s) : std::nullopt) {}
    FormatArg(const std::string& s) : m_v(std::optional<std::string>(s)) {}
    FormatArg(std::string_view s) : m_v(std::optional<std::string>(std::string(s))) {}
    FormatArg(const std::optional<std::string>& s) : m_v(s) {}
    FormatArg(int i) : m_v(std::int64_t{i}) {}
    FormatArg(long i) : m_v(std::int64_t{i}) {}
    FormatArg(long long i) : m_v(std::int64_t{i}) {}
    FormatArg(unsigned i) : m_v(std::uint64_t{i}) {}
    FormatArg(unsigned long i) : m_v(std::uint64_t{i}) {}
    FormatArg(unsigned long long i) : m_v(std::uint64_t{i}) {}
    FormatArg(unsigned char i) : m_v(std::uint64_t{i}) {}
    FormatArg(double d) : m_v(d) {}
    FormatArg(float d) : m_v(double{d}) {}
    FormatArg(bool b) : m_v(std::int64_t{b}) {}
    // Objects format as their description.
    FormatArg(const std::shared_ptr<objc::Object>& object);

    std::optional<std::string> text() const;  // for %@ and %s
    std::int64_t integer() const;
    std::uint64_t unsignedInteger() const;
    double real() const;
    bool isReal() const { return std::holds_alternative<double>(m_v); }

private:
    std::variant<std::optional<std::string>, std::int64_t, std::uint64_t, double> m_v;
};

std::string formatv(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args>
std::string format(std::string_view fmt, const Args&... args) {
    return formatv(fmt, {FormatArg(args)...});
}

}  // namespace ios
