#include "sim/live/LiveMessage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/foundation/Process.h"

namespace flint::live {

namespace {

using nlohmann::json;

constexpr double kMaxCoordinate = 100000;
constexpr std::size_t kMaxKeyTextBytes = 1024;
constexpr std::size_t kMaxPreferenceKeyBytes = 64;
constexpr std::size_t kMaxPreferenceTextBytes = 4096;

DecodeResult fail(std::string error) { return {std::nullopt, std::move(error)}; }

// Valid UTF-8 without control characters.
bool isPrintableUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || (extra == 0 && (c < 0x20 || c == 0x7F))) return false;
        if (extra == 1 && c < 0xC2) return false;  // overlong
        if (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

bool isPreferenceKey(const std::string& key) {
    if (key.empty() || key.size() > kMaxPreferenceKeyBytes) return false;
    for (char c : key)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-')) return false;
    return true;
}

const json* member(const json& object, const char* name) {
    auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

DecodeResult decodeTouch(const json& m) {
    const json* phase = member(m, "phase");
    const json* x = member(m, "x");
    const json* y = member(m, "y");
    if (!phase || !phase->is_string() || !x || !x->is_number() || !y || !y->is_number())
        return fail("touch needs phase, x and y");
    TouchMessage touch{};
    const auto& p = phase->get_ref<const std::string&>();
    if (p == "began")
        touch.phase = TouchPhase::Began;
    else if (p == "moved")
        touch.phase = TouchPhase::Moved;
    else if (p == "ended")
        touch.phase = TouchPhase::Ended;
    else if (p == "cancelled")
        touch.phase = TouchPhase::Cancelled;
    else
        return fail("unknown touch phase \"" + p + "\"");
    touch.x = x->get<double>();
    touch.y = y->get<double>();
    if (!std::isfinite(touch.x) || !std::isfinite(touch.y) || std::fabs(touch.x) > kMaxCoordinate ||
        std::fabs(touch.y) > kMaxCoordinate)
        return fail("touch position out of range");
    touch.finger = 0;
    if (const json* finger = member(m, "finger")) {
        if (!finger->is_number_integer()) return fail("finger must be a whole number");
        auto f = finger->get<std::int64_t>();
        if (f < 0 || f >= kMaxFingers) return fail("finger must be 0 to 9");
        touch.finger = static_cast<int>(f);
    }
    return {touch, {}};
}

DecodeResult decodeKey(const json& m) {
    if (const json* key = member(m, "key")) {
        if (!key->is_string()) return fail("key must be a text");
        if (*key == "Backspace") return {KeyMessage{KeyMessage::Kind::Backspace, {}}, {}};
        if (*key == "Enter") return {KeyMessage{KeyMessage::Kind::Enter, {}}, {}};
        return fail("unknown key");
    }
    const json* text = member(m, "text");
    if (!text || !text->is_string()) return fail("key needs text or key");
    const auto& t = text->get_ref<const std::string&>();
    if (t.empty() || t.size() > kMaxKeyTextBytes || !isPrintableUtf8(t)) return fail("key text must be printable");
    return {KeyMessage{KeyMessage::Kind::Text, t}, {}};
}

DecodeResult decodeAppearance(const json& m) {
    const json* style = member(m, "style");
    if (!style || !style->is_string()) return fail("appearance needs style");
    if (*style == "unspecified") return {AppearanceMessage{0}, {}};
    if (*style == "light") return {AppearanceMessage{1}, {}};
    if (*style == "dark") return {AppearanceMessage{2}, {}};
    return fail("appearance is light, dark or unspecified");
}

DecodeResult decodePreference(const json& m) {
    PreferenceMessage pref;
    if (const json* file = member(m, "file")) {
        if (*file == "colors")
            pref.colors = true;
        else if (*file != "domain")
            return fail("file is domain or colors");
    }
    const json* key = member(m, "key");
    if (!key || !key->is_string() || !isPreferenceKey(key->get<std::string>())) return fail("preference key invalid");
    pref.key = key->get<std::string>();
    const json* value = member(m, "value");
    if (!value) return fail("preference needs a value (null to unset)");
    if (value->is_null())
        pref.kind = PreferenceMessage::Kind::Unset;
    else if (value->is_boolean())
        pref.kind = PreferenceMessage::Kind::Bool, pref.boolValue = value->get<bool>();
    else if (value->is_number_integer()) {
        if (value->is_number_unsigned() && value->get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX))
            return fail("preference number out of range");
        pref.kind = PreferenceMessage::Kind::Integer, pref.integerValue = value->get<std::int64_t>();
    } else if (value->is_number_float()) {
        pref.realValue = value->get<double>();
        if (!std::isfinite(pref.realValue)) return fail("preference number out of range");
        pref.kind = PreferenceMessage::Kind::Real;
    } else if (value->is_string()) {
        pref.textValue = value->get<std::string>();
        if (pref.textValue.size() > kMaxPreferenceTextBytes || !isPrintableUtf8(pref.textValue))
            return fail("preference text must be printable and at most 4096 bytes");
        pref.kind = PreferenceMessage::Kind::Text;
    } else {
        return fail("preference value is a switch, number, text or null");
    }
    if (pref.colors && pref.kind != PreferenceMessage::Kind::Text && pref.kind != PreferenceMessage::Kind::Unset)
        return fail("colours are texts");
    return {pref, {}};
}

DecodeResult decodeProfile(const json& m) {
    const json* name = member(m, "name");
    if (!name || !name->is_string() || !ios::deviceProfileNamed(name->get<std::string>()))
        return fail("profile is iphone-8, iphone-8-plus, iphone-x or iphone-11");
    return {ProfileMessage{name->get<std::string>()}, {}};
}

DecodeResult decodeButton(const json& m) {
    const json* name = member(m, "name");
    if (name && *name == "home") return {ButtonMessage{ButtonMessage::Kind::Home}, {}};
    if (name && *name == "lock") return {ButtonMessage{ButtonMessage::Kind::Lock}, {}};
    return fail("button is home or lock");
}

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

DecodeResult decodeInputMessage(std::string_view text) {
    if (text.size() > kMaxInputMessageBytes) return fail("message over 64 KiB");
    json m = json::parse(text, nullptr, false);
    if (m.is_discarded() || !m.is_object()) return fail("message is not a JSON object");
    const json* type = member(m, "type");
    if (!type || !type->is_string()) return fail("message has no type");
    const auto& t = type->get_ref<const std::string&>();
    if (t == "touch") return decodeTouch(m);
    if (t == "key") return decodeKey(m);
    if (t == "appearance") return decodeAppearance(m);
    if (t == "pref") return decodePreference(m);
    if (t == "profile") return decodeProfile(m);
    if (t == "button") return decodeButton(m);
    return fail("unknown message type \"" + (t.size() > 40 ? t.substr(0, 40) + "…" : t) + "\"");
}

UploadHeaderResult decodeUploadHeader(std::string_view contentType, std::optional<std::uint64_t> contentLength) {
    UploadHeaderResult result;
    std::string_view type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && type.back() == ' ') type.remove_suffix(1);
    UploadHeader header{};
    if (type == "image/png")
        header.format = UploadHeader::Format::PNG;
    else if (type == "image/jpeg")
        header.format = UploadHeader::Format::JPEG;
    else {
        result.error = "uploads are PNG or JPEG images (image/png, image/jpeg)";
        return result;
    }
    if (!contentLength) {
        result.error = "an upload needs a Content-Length";
        return result;
    }
    if (*contentLength == 0 || *contentLength > kMaxUploadBytes) {
        result.error = "an upload is 1 byte to 32 MiB";
        return result;
    }
    header.length = static_cast<std::size_t>(*contentLength);
    result.header = header;
    return result;
}

std::optional<ImageSize> encodedImageSize(const std::uint8_t* bytes, std::size_t size) {
    static const std::uint8_t kPNG[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 24 && std::equal(kPNG, kPNG + 8, bytes)) {
        if (bigEndian32(bytes + 8) < 13 || !std::equal(bytes + 12, bytes + 16, "IHDR")) return std::nullopt;
        std::uint32_t w = bigEndian32(bytes + 16), h = bigEndian32(bytes + 20);
        if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return std::nullopt;
        return ImageSize{static_cast<int>(w), static_cast<int>(h)};
    }
    if (size >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        std::size_t i = 2;
        while (i + 4 <= size) {
            if (bytes[i] != 0xFF) return std::nullopt;
            std::uint8_t marker = bytes[i + 1];
            if (marker == 0xFF) {  // fill byte
                ++i;
                continue;
            }
            if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
                i += 2;
                continue;
            }
            std::size_t length = (std::size_t(bytes[i + 2]) << 8) | bytes[i + 3];
            if (length < 2) return std::nullopt;
            bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) {
                if (i + 9 > size || length < 7) return std::nullopt;
                int h = (bytes[i + 5] << 8) | bytes[i + 6];
                int w = (bytes[i + 7] << 8) | bytes[i + 8];
                if (w == 0 || h == 0) return std::nullopt;
                return ImageSize{w, h};
            }
            i += 2 + length;
        }
    }
    return std::nullopt;
}

}  // namespace flint::live
