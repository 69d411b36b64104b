#include "platform/foundation/PropertyList.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Process.h"

namespace ios {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

constexpr int kMaxDepth = 256;  // deeper nesting is treated as corrupt

// Text in a property list is Unicode; bytes that are not UTF-8 (a damaged or hand-made binary
// list) are replaced by U+FFFD so that whatever was read can be written back. So is a NUL, which
// the writer would take for the end of the text.
std::string validUtf8(const char* bytes, std::size_t length) {
    static const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    std::string out;
    out.reserve(length);
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    for (std::size_t i = 0; i < length;) {
        unsigned char c = byte(i);
        std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
        bool ok = extra < 4 && i + extra < length;
        std::uint32_t cp = extra < 4 ? (c & (0x7F >> extra)) : 0;
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (byte(i + k) & 0x3F);
        }
        if (ok && (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0)) ok = false;
        if (ok) {
            out.append(bytes + i, extra + 1);
            i += extra + 1;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// Dates. The library's date accessors take 32-bit seconds, which cover only 1933 to 2069, while
// its nodes hold 64-bit ones; so dates cross the library boundary in the binary form, whose date
// object is a big-endian double of seconds since 2001: a one-object list "bplist00", 0x33 and the
// double, a one-entry offset table and the trailer.
constexpr std::size_t kDateObjectAt = 8;
constexpr std::size_t kDateListSize = 8 + 9 + 1 + 32;
// XML dates keep whole seconds of the years 1 to 9999 (four-digit years); binary dates keep
// microseconds of any year within some 30 million of 2001.
constexpr double kXMLEarliestDate = -63113904000.0;  // 0001-01-01T00:00:00Z
constexpr double kXMLLatestDate = 252423993599.0;    // 9999-12-31T23:59:59Z
constexpr double kBinaryDateLimit = 1e15;

double dateSeconds(plist_t node) {
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &out, &length);
    double seconds = 0;
    if (out && length >= kDateObjectAt + 9 && static_cast<unsigned char>(out[kDateObjectAt]) == 0x33) {
        std::uint64_t bits = 0;
        for (std::size_t i = 1; i <= 8; ++i) bits = (bits << 8) | static_cast<unsigned char>(out[kDateObjectAt + i]);
        std::memcpy(&seconds, &bits, sizeof seconds);
    }
    free(out);
    return seconds;
}

double storableDate(double seconds, PlistFormat format) {
    if (std::isnan(seconds)) return 0;
    if (format == PlistFormat::XML) return std::clamp(std::floor(seconds), kXMLEarliestDate, kXMLLatestDate);
    return std::clamp(seconds, -kBinaryDateLimit, kBinaryDateLimit);
}

plist_t newDate(double seconds) {
    std::uint8_t list[kDateListSize] = {'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x33};
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    for (std::size_t i = 0; i < 8; ++i) list[kDateObjectAt + 1 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    list[kDateObjectAt + 9] = kDateObjectAt;  // the offset table: object 0 at byte 8
    std::uint8_t* trailer = list + kDateListSize - 32;
    trailer[6] = 1;                   // offset width
    trailer[7] = 1;                   // object reference width
    trailer[15] = 1;                  // one object
    trailer[31] = kDateObjectAt + 9;  // the offset table's position
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(list), kDateListSize, &node);
    return node;
}

std::optional<Value> toValue(plist_t node, int depth) {
    if (!node || depth > kMaxDepth) return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return Value(static_cast<std::int64_t>(u));  // negative integers are stored two's complement
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING: {
        // By pointer and length: a binary list may hold a string with NUL bytes inside.
        uint64_t length = 0;
        const char* s = plist_get_string_ptr(node, &length);
        return Value(s ? validUtf8(s, static_cast<std::size_t>(length)) : std::string());
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return Value(bytes ? Data(bytes, bytes + length) : Data());
    }
    case PLIST_DATE: return Value(Date{dateSeconds(node)});
    case PLIST_ARRAY: {
        Array array;
        uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i) {
            auto item = toValue(plist_array_get_item(node, i), depth + 1);
            if (!item) return std::nullopt;
            array.push_back(std::move(*item));
        }
        return Value(std::move(array));
    }
    case PLIST_DICT: {
        Dictionary dict;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter) return Value(std::move(dict));
        while (true) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (!item) {
                free(key);
                break;
            }
            auto value = toValue(item, depth + 1);
            std::string k = key ? validUtf8(key, std::strlen(key)) : "";
            free(key);
            if (!value) {
                free(iter);
                return std::nullopt;
            }
            dict.insert_or_assign(std::move(k), std::move(*value));
        }
        free(iter);
        return Value(std::move(dict));
    }
    case PLIST_UID: {
        uint64_t u = 0;
        plist_get_uid_val(node, &u);
        return Value(static_cast<std::int64_t>(u));
    }
    default: return std::nullopt;
    }
}

plist_t fromValue(const Value& value, PlistFormat format) {
    switch (value.kind()) {
    case Value::Kind::None: return nullptr;
    case Value::Kind::Bool: return plist_new_bool(value.boolValue());
    case Value::Kind::Integer: return plist_new_uint(static_cast<uint64_t>(value.integerValue()));
    case Value::Kind::Real: return plist_new_real(value.doubleValue());
    case Value::Kind::String: return plist_new_string(value.string()->c_str());
    case Value::Kind::Data: {
        const Data& d = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
    }
    case Value::Kind::Date: return newDate(storableDate(value.date()->secondsSinceReferenceDate, format));
    case Value::Kind::Array: {
        plist_t array = plist_new_array();
        for (const auto& item : *value.array())
            if (plist_t node = fromValue(item, format)) plist_array_append_item(array, node);
        return array;
    }
    case Value::Kind::Dictionary: {
        plist_t dict = plist_new_dict();
        for (const auto& [key, item] : *value.dictionary())
            if (plist_t node = fromValue(item, format)) plist_dict_set_item(dict, key.c_str(), node);
        return dict;
    }
    }
    return nullptr;
}

std::uint64_t readBigEndian(const Data& bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | bytes[at + i];
    return value;
}

// libplist aborts on text objects with a NUL inside them (dictionary keys among them), so a
// binary list holding one is refused here, before it reaches the library. Also refuses a list
// whose trailer or offset table does not fit the bytes.
bool binaryTextIsSafe(const Data& bytes) {
    const std::size_t n = bytes.size();
    if (n < 8 + 32) return false;
    const std::size_t trailer = n - 32;
    const std::size_t offsetSize = bytes[trailer + 6];
    const std::uint64_t objects = readBigEndian(bytes, trailer + 8, 8);
    const std::uint64_t table = readBigEndian(bytes, trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || table > trailer || objects > (trailer - table) / offsetSize) return false;
    for (std::uint64_t i = 0; i < objects; ++i) {
        std::uint64_t at = readBigEndian(bytes, static_cast<std::size_t>(table + i * offsetSize), offsetSize);
        if (at >= n) continue;  // the library rejects these itself
        std::uint8_t marker = bytes[at];
        std::uint8_t type = marker >> 4;
        if (type != 0x5 && type != 0x6 && type != 0x7) continue;
        std::uint64_t length = marker & 0x0F;
        std::size_t start = static_cast<std::size_t>(at) + 1;
        if (length == 0x0F) {  // the length follows as an integer object
            if (start >= n || (bytes[start] >> 4) != 0x1) return false;
            std::size_t width = std::size_t{1} << (bytes[start] & 0x0F);
            if (width > 8 || start + 1 + width > n) return false;
            length = readBigEndian(bytes, start + 1, width);
            start += 1 + width;
        }
        std::uint64_t unit = type == 0x6 ? 2 : 1;
        if (start > n || length > (n - start) / unit) return false;
        for (std::uint64_t k = 0; k < length; ++k) {
            std::size_t p = start + static_cast<std::size_t>(k * unit);
            if (bytes[p] == 0 && (unit == 1 || bytes[p + 1] == 0)) return false;
        }
    }
    return true;
}

bool looksLikePlist(const Data& bytes) {
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), "bplist00", 8) == 0) return binaryTextIsSafe(bytes);
    // XML: the first non-blank character opens a tag.
    for (std::uint8_t b : bytes) {
        if (b == ' ' || b == '\t' || b == '\r' || b == '\n') continue;
        if (b == 0xEF) continue;  // byte-order mark
        return b == '<' || b == 0xBB || b == 0xBF;
    }
    return false;
}

}  // namespace

std::optional<Value> propertyListFromData(const Data& bytes) {
    if (bytes.empty() || bytes.size() > UINT32_MAX || !looksLikePlist(bytes)) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    return toValue(root, 0);
}

Data propertyListData(const Value& value, PlistFormat format) {
    PlistPtr root(fromValue(value, format));
    if (!root) return {};
    char* out = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::Binary) {
        plist_to_bin(root.get(), &out, &length);
    } else {
        plist_to_xml(root.get(), &out, &length);
    }
    Data data(out, out + (out ? length : 0));
    free(out);
    return data;
}

std::optional<Value> readPropertyListFile(const std::filesystem::path& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return std::nullopt;
    Data bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return propertyListFromData(bytes);
}

bool writePropertyListFile(const Value& value, const std::filesystem::path& hostPath, PlistFormat format) {
    Data bytes = propertyListData(value, format);
    if (bytes.empty()) return false;
    return writeFileAtomically(hostPath, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<Dictionary> dictionaryWithContentsOfFile(const std::string& path) {
    auto value = readPropertyListFile(devicePath(path));
    if (!value || !value->isDictionary()) return std::nullopt;
    return std::move(*value->dictionary());
}

bool writeDictionaryToFile(const Dictionary& dictionary, const std::string& path, PlistFormat format) {
    return writePropertyListFile(Value(dictionary), devicePath(path), format);
}

}  // namespace ios
