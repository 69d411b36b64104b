#include "platform/services/LCPParseColorString.h"

#include <cctype>
#include <cstdlib>

namespace ios {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A plain decimal from 0 to 1: digits with at most one point, no sign, no exponent.
std::optional<double> parseAlpha(std::string_view s) {
    s = trim(s);
    if (s.empty() || s.size() > 32) return std::nullopt;
    bool point = false, digit = false;
    for (char c : s) {
        if (c == '.') {
            if (point) return std::nullopt;
            point = true;
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    double value = std::strtod(std::string(s).c_str(), nullptr);
    if (value < 0 || value > 1) return std::nullopt;
    return value;
}

}  // namespace

std::optional<RGBA> parseColorText(std::string_view text) {
    text = trim(text);
    std::optional<double> alphaOverride;
    if (auto colon = text.find(':'); colon != std::string_view::npos) {
        alphaOverride = parseAlpha(text.substr(colon + 1));
        if (!alphaOverride) return std::nullopt;
        text = trim(text.substr(0, colon));
    }
    if (text.empty() || text.front() != '#') return std::nullopt;
    text.remove_prefix(1);
    int digits[8];
    if (text.size() != 3 && text.size() != 6 && text.size() != 8) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((digits[i] = hexDigit(text[i])) < 0) return std::nullopt;

    RGBA color;
    if (text.size() == 3) {
        color.r = digits[0] * 17 / 255.0;
        color.g = digits[1] * 17 / 255.0;
        color.b = digits[2] * 17 / 255.0;
    } else {
        color.r = (digits[0] * 16 + digits[1]) / 255.0;
        color.g = (digits[2] * 16 + digits[3]) / 255.0;
        color.b = (digits[4] * 16 + digits[5]) / 255.0;
        if (text.size() == 8) color.a = (digits[6] * 16 + digits[7]) / 255.0;
    }
    if (alphaOverride) color.a = *alphaOverride;
    return color;
}

objc::Ref<UIColor> LCPParseColorString(const std::optional<std::string>& text, const std::string& fallback) {
    std::optional<RGBA> color;
    if (text) color = parseColorText(*text);
    if (!color) color = parseColorText(fallback);
    if (!color) color = RGBA{0, 0, 0, 1};
    return UIColor::colorWithRed(color->r, color->g, color->b, color->a);
}

}  // namespace ios
