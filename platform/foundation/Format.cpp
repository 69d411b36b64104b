#include "platform/foundation/Format.h"

#include <cstdio>
#include <vector>

#include "platform/foundation/NumberDescription.h"
#include "platform/objc/Runtime.h"

namespace ios {

FormatArg::FormatArg(const std::shared_ptr<objc::Object>& object)
    : m_v(object ? std::optional<std::string>(object->description()) : std::nullopt) {}

std::optional<std::string> FormatArg::text() const {
    if (auto* s = std::get_if<std::optional<std::string>>(&m_v)) return *s;
    if (auto* i = std::get_if<std::int64_t>(&m_v)) return std::to_string(*i);
    if (auto* u = std::get_if<std::uint64_t>(&m_v)) return std::to_string(*u);
    return numberDescription(std::get<double>(m_v));  // a real given to "%@"
}

std::int64_t FormatArg::integer() const {
    if (auto* i = std::get_if<std::int64_t>(&m_v)) return *i;
    if (auto* u = std::get_if<std::uint64_t>(&m_v)) return static_cast<std::int64_t>(*u);
    if (auto* d = std::get_if<double>(&m_v)) return static_cast<std::int64_t>(*d);
    return 0;
}

std::uint64_t FormatArg::unsignedInteger() const { return static_cast<std::uint64_t>(integer()); }

double FormatArg::real() const {
    if (auto* d = std::get_if<double>(&m_v)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&m_v)) return static_cast<double>(*i);
    if (auto* u = std::get_if<std::uint64_t>(&m_v)) return static_cast<double>(*u);
    return 0;
}

namespace {

template <class T>
std::string printfOne(const std::string& spec, T value) {
    int n = std::snprintf(nullptr, 0, spec.c_str(), value);
    if (n <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), spec.c_str(), value);
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

// Pads a text to a printf-style width (right-aligned unless '-' is among the flags).
std::string pad(std::string text, const std::string& flags, int width) {
    if (width <= 0 || static_cast<int>(text.size()) >= width) return text;
    std::string fill(static_cast<std::size_t>(width) - text.size(), ' ');
    return flags.find('-') != std::string::npos ? text + fill : fill + text;
}

}  // namespace

std::string formatv(std::string_view fmt, std::initializer_list<FormatArg> args) {
    static const FormatArg none(nullptr);
    std::string out;
    auto next = args.begin();
    auto take = [&]() -> const FormatArg& { return next == args.end() ? none : *next++; };

    for (std::size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            continue;
        }
        std::size_t start = i++;
        std::string flags;
        while (i < fmt.size() && std::string_view("-+ #0").find(fmt[i]) != std::string_view::npos) flags += fmt[i++];
        int width = 0;
        bool hasWidth = false;
        if (i < fmt.size() && fmt[i] == '*') {
            width = static_cast<int>(take().integer());
            hasWidth = true;
            ++i;
        }
        while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') width = width * 10 + (fmt[i++] - '0'), hasWidth = true;
        int precision = -1;
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            precision = 0;
            if (i < fmt.size() && fmt[i] == '*') {
                precision = static_cast<int>(take().integer());
                ++i;
            }
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') precision = precision * 10 + (fmt[i++] - '0');
        }
        // Length modifiers only say how wide the argument is; every integer is 64-bit here.
        while (i < fmt.size() && std::string_view("hlqLzjt").find(fmt[i]) != std::string_view::npos) ++i;
        if (i >= fmt.size()) {
            out += fmt.substr(start);  // an unfinished conversion is written as it stands
            break;
        }
        char conv = fmt[i];
        std::string spec = "%" + flags + (hasWidth ? std::to_string(width) : "") +
                           (precision >= 0 ? "." + std::to_string(precision) : "");
        switch (conv) {
        case '%': out += '%'; break;
        case '@': out += pad(take().text().value_or("(null)"), flags, width); break;
        case 's': {
            auto text = take().text().value_or("(null)");
            if (precision >= 0 && static_cast<int>(text.size()) > precision)
                text.resize(static_cast<std::size_t>(precision));
            out += pad(text, flags, width);
            break;
        }
        case 'd':
        case 'i': out += printfOne(spec + "lld", static_cast<long long>(take().integer())); break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            out += printfOne(spec + "ll" + conv, static_cast<unsigned long long>(take().unsignedInteger()));
            break;
        case 'c': out += printfOne(spec + "c", static_cast<int>(take().integer())); break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': out += printfOne(spec + conv, take().real()); break;
        default:
            out += fmt.substr(start, i - start + 1);  // unknown conversion: kept literally
            break;
        }
    }
    return out;
}

}  // namespace ios
