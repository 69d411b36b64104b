#pragma once
// The one dynamic value type of the platform: property-list values, preference values,
// notification user info and media information.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ios {

class Value;
using Data = std::vector<std::uint8_t>;
using Array = std::vector<Value>;
using Dictionary = std::map<std::string, Value>;

// A date as seconds since the platform's reference date (2001-01-01 00:00:00 UTC).
struct Date {
    double secondsSinceReferenceDate = 0;
    bool operator==(const Date&) const = default;
};

class Value {
public:
    enum class Kind { None, Bool, Integer, Real, String, Data, Date, Array, Dictionary };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : m_v(b) {}
    Value(int i) : m_v(std::int64_t{i}) {}
    Value(std::int64_t i) : m_v(i) {}
    Value(double d) : m_v(d) {}
    Value(const char* s) : m_v(std::string(s)) {}
    Value(std::string s) : m_v(std::move(s)) {}
    Value(Data d) : m_v(std::move(d)) {}
    Value(Date d) : m_v(d) {}
    Value(Array a) : m_v(std::move(a)) {}
    Value(Dictionary d) : m_v(std::move(d)) {}

    Kind kind() const { return static_cast<Kind>(m_v.index()); }
    bool isNone() const { return kind() == Kind::None; }
    explicit operator bool() const { return !isNone(); }

    bool isBool() const { return kind() == Kind::Bool; }
    bool isInteger() const { return kind() == Kind::Integer; }
    bool isReal() const { return kind() == Kind::Real; }
    bool isNumber() const { return isBool() || isInteger() || isReal(); }
    bool isString() const { return kind() == Kind::String; }
    bool isData() const { return kind() == Kind::Data; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }

    // Typed access; null when the value is of another kind.
    const std::string* string() const { return std::get_if<std::string>(&m_v); }
    const Data* data() const { return std::get_if<Data>(&m_v); }
    const Array* array() const { return std::get_if<Array>(&m_v); }
    const Dictionary* dictionary() const { return std::get_if<Dictionary>(&m_v); }
    Dictionary* dictionary() { return std::get_if<Dictionary>(&m_v); }
    std::optional<Date> date() const;

    // The platform's conversions: numbers convert between each other; a string gives the number
    // at its start (0 if none), as NSString's integerValue / doubleValue / boolValue do.
    std::int64_t integerValue() const;
    double doubleValue() const;
    bool boolValue() const;
    // A string as it stands, or none for any other kind.
    std::optional<std::string> stringValue() const;

    // Dictionary lookup; none when this is not a dictionary or the key is absent.
    const Value& operator[](const std::string& key) const;

    bool operator==(const Value& other) const { return m_v == other.m_v; }
    std::string debugDescription() const;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, Data, Date, Array, Dictionary> m_v;
};

}  // namespace ios
