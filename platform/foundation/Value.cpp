#include "platform/foundation/Value.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace ios {

namespace {

// The number at the start of a text: leading white space, an optional sign, digits.
std::int64_t leadingInteger(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::int64_t value = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        int digit = s[i] - '0';
        if (value > (INT64_MAX - digit) / 10) return negative ? INT64_MIN : INT64_MAX;  // saturates
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

double leadingReal(const std::string& s) {
    const char* begin = s.c_str();
    char* end = nullptr;
    double d = std::strtod(begin, &end);
    return end == begin ? 0.0 : d;
}

}  // namespace

std::optional<Date> Value::date() const {
    if (auto* d = std::get_if<Date>(&m_v)) return *d;
    return std::nullopt;
}

std::int64_t Value::integerValue() const {
    switch (kind()) {
    case Kind::Bool: return std::get<bool>(m_v) ? 1 : 0;
    case Kind::Integer: return std::get<std::int64_t>(m_v);
    case Kind::Real: {
        double d = std::get<double>(m_v);
        if (std::isnan(d)) return 0;
        if (d >= 9.2e18) return INT64_MAX;
        if (d <= -9.2e18) return INT64_MIN;
        return static_cast<std::int64_t>(d);
    }
    case Kind::String: return leadingInteger(std::get<std::string>(m_v));
    default: return 0;
    }
}

double Value::doubleValue() const {
    switch (kind()) {
    case Kind::Bool: return std::get<bool>(m_v) ? 1 : 0;
    case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(m_v));
    case Kind::Real: return std::get<double>(m_v);
    case Kind::String: return leadingReal(std::get<std::string>(m_v));
    default: return 0;
    }
}

bool Value::boolValue() const {
    if (auto* s = std::get_if<std::string>(&m_v)) {
        // NSString boolValue: "Y", "y", "T", "t" or a non-zero digit at the start.
        std::size_t i = 0;
        while (i < s->size() && std::isspace(static_cast<unsigned char>((*s)[i]))) ++i;
        if (i < s->size() && (*s)[i] == '+') ++i;
        if (i < s->size() && (*s)[i] == '-') ++i;
        while (i < s->size() && (*s)[i] == '0') ++i;
        if (i >= s->size()) return false;
        char c = (*s)[i];
        return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
    }
    if (isReal()) return std::get<double>(m_v) != 0.0;
    return integerValue() != 0;
}

std::optional<std::string> Value::stringValue() const {
    if (auto* s = std::get_if<std::string>(&m_v)) return *s;
    return std::nullopt;
}

const Value& Value::operator[](const std::string& key) const {
    static const Value none;
    auto* dict = std::get_if<Dictionary>(&m_v);
    if (!dict) return none;
    auto it = dict->find(key);
    return it == dict->end() ? none : it->second;
}

std::string Value::debugDescription() const {
    std::ostringstream out;
    switch (kind()) {
    case Kind::None: out << "(null)"; break;
    case Kind::Bool: out << (std::get<bool>(m_v) ? "true" : "false"); break;
    case Kind::Integer: out << std::get<std::int64_t>(m_v); break;
    case Kind::Real: out << std::get<double>(m_v); break;
    case Kind::String: out << '"' << std::get<std::string>(m_v) << '"'; break;
    case Kind::Data: out << "<" << std::get<Data>(m_v).size() << " bytes>"; break;
    case Kind::Date: out << "date(" << std::get<Date>(m_v).secondsSinceReferenceDate << ")"; break;
    case Kind::Array: {
        out << "(";
        const char* sep = "";
        for (const auto& v : std::get<Array>(m_v)) out << sep << v.debugDescription(), sep = ", ";
        out << ")";
        break;
    }
    case Kind::Dictionary: {
        out << "{";
        const char* sep = "";
        for (const auto& [k, v] : std::get<Dictionary>(m_v))
            out << sep << k << " = " << v.debugDescription(), sep = "; ";
        out << "}";
        break;
    }
    }
    return out.str();
}

}  // namespace ios
