#include "platform/bsd/Backend.h"

#include <arpa/inet.h>

#include <cstdio>
#include <mutex>

#include "platform/bsd/HostBackend.h"

namespace bsd {

namespace {

std::mutex g_mutex;
std::shared_ptr<Backend> g_backend;
std::function<void(const std::string&)> g_sink;

}  // namespace

std::shared_ptr<Backend> currentBackend() {
    std::lock_guard lock(g_mutex);
    if (!g_backend) g_backend = std::make_shared<HostBackend>();
    return g_backend;
}

Backend& backend() { return *currentBackend(); }

std::shared_ptr<Backend> setBackend(std::shared_ptr<Backend> backend) {
    std::lock_guard lock(g_mutex);
    std::shared_ptr<Backend> previous = std::move(g_backend);
    g_backend = std::move(backend);
    return previous;
}

void setDiagnosticSink(std::function<void(const std::string&)> sink) { g_sink = std::move(sink); }

void diagnostic(const std::string& message) {
    if (g_sink) {
        g_sink(message);
    } else {
        std::fprintf(stderr, "bsd: %s\n", message.c_str());
    }
}

std::optional<std::array<std::uint8_t, 4>> parseIPv4(const std::string& text) {
    std::array<std::uint8_t, 4> out{};
    // inet_pton accepts exactly the dotted-quad form, nothing shorter.
    if (::inet_pton(AF_INET, text.c_str(), out.data()) != 1) return std::nullopt;
    return out;
}

std::optional<Bytes16> parseIPv6(const std::string& text) {
    Bytes16 out{};
    if (::inet_pton(AF_INET6, text.c_str(), out.data()) != 1) return std::nullopt;
    return out;
}

std::optional<std::vector<std::uint8_t>> parseHardwareAddress(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    while (i < text.size()) {
        int hi = hex(text[i]);
        if (hi < 0) return std::nullopt;
        int value = hi;
        ++i;
        if (i < text.size() && hex(text[i]) >= 0) {
            value = value * 16 + hex(text[i]);
            ++i;
        }
        out.push_back(static_cast<std::uint8_t>(value));
        if (i == text.size()) break;
        if (text[i] != ':' && text[i] != '-') return std::nullopt;
        ++i;
        if (i == text.size()) return std::nullopt;
    }
    if (out.empty() || out.size() > fact::kMaxHardwareAddress) return std::nullopt;
    return out;
}

std::string formatAddress(int family, const Bytes16& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (!::inet_ntop(family == fact::kInet ? AF_INET : AF_INET6, address.data(), text, sizeof text)) return {};
    return text;
}

std::string formatHardwareAddress(const std::vector<std::uint8_t>& address) {
    std::string out;
    char part[4];
    for (std::size_t i = 0; i < address.size(); ++i) {
        std::snprintf(part, sizeof part, i ? ":%02x" : "%02x", address[i]);
        out += part;
    }
    return out;
}

Bytes16 prefixMask(int family, int prefixLength) {
    Bytes16 mask{};
    int bits = family == fact::kInet ? 32 : 128;
    if (prefixLength < 0) prefixLength = 0;
    if (prefixLength > bits) prefixLength = bits;
    for (int i = 0; i < prefixLength; ++i) mask[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    return mask;
}

int prefixLengthOf(int family, const Bytes16& mask) {
    int bytes = family == fact::kInet ? 4 : 16;
    int length = 0;
    for (int i = 0; i < bytes; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            if (!(mask[i] & (1 << bit))) return length;
            ++length;
        }
    }
    return length;
}

}  // namespace bsd
