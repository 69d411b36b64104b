#include "platform/foundation/NumberDescription.h"

#include <charconv>
#include <cmath>

namespace ios {

std::string numberDescription(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return "nan";
    return std::string(buffer, end);
}

std::optional<std::string> textOfValue(const Value& value) {
    if (auto text = value.stringValue()) return text;
    if (value.isReal()) return numberDescription(value.doubleValue());
    if (value.isNumber()) return std::to_string(value.integerValue());
    return std::nullopt;
}

}  // namespace ios
