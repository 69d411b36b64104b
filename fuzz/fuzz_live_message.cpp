// The live view's decoders over any bytes: input messages, upload headers and image headers never
// crash, and whatever they accept is within the documented bounds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/live/LiveMessage.h"

using namespace flint::live;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto decoded = decodeInputMessage(text);
    if (decoded.message.has_value() == !decoded.error.empty()) std::abort();
    if (decoded.message) {
        if (auto* touch = std::get_if<TouchMessage>(&*decoded.message)) {
            if (!std::isfinite(touch->x) || !std::isfinite(touch->y) || touch->finger < 0 ||
                touch->finger >= kMaxFingers)
                std::abort();
        }
        if (auto* key = std::get_if<KeyMessage>(&*decoded.message))
            if (key->kind == KeyMessage::Kind::Text && key->text.empty()) std::abort();
        if (auto* pref = std::get_if<PreferenceMessage>(&*decoded.message))
            if (pref->key.empty() || pref->key.find('/') != std::string::npos) std::abort();
    }
    // Upload headers: "TYPE\nLENGTH".
    auto newline = text.find('\n');
    if (newline != std::string_view::npos) {
        std::string digits(text.substr(newline + 1, 20));
        std::optional<std::uint64_t> length;
        if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos)
            length = std::strtoull(digits.c_str(), nullptr, 10);
        auto header = decodeUploadHeader(text.substr(0, newline), length);
        if (header.header && (header.header->length == 0 || header.header->length > kMaxUploadBytes)) std::abort();
    }
    if (auto image = encodedImageSize(data, size))
        if (image->width <= 0 || image->height <= 0) std::abort();
    return 0;
}
