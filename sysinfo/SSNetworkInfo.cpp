#include "sysinfo/SSNetworkInfo.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/bsd/Backend.h"
#include "platform/bsd/Net.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/URLFetch.h"
#include "sysinfo/Route_Info.h"

namespace {

const char* const kWiFiInterface = "en0";
const char* const kCellInterface = "pdp_ip0";

std::optional<std::string> g_endpointOverride;
std::optional<double> g_timeoutOverride;

std::optional<std::string> noneIfEmpty(std::optional<std::string> text) {
    if (text && text->empty()) return std::nullopt;
    return text;
}

// Runs a query; a platform exception raised inside it gives none.
template <class Query>
std::optional<std::string> guarded(Query query) {
    try {
        return query();
    } catch (const ios::NSException&) {
        return std::nullopt;
    }
}

enum class Rendering { InetNtoa, InetNtop };

std::optional<std::string> interfaceAddress(const char* interfaceName, int family, Rendering rendering) {
    bsd::ifaddrs* list = nullptr;
    if (bsd::getifaddrs(&list) != 0) return std::nullopt;
    std::optional<std::string> answer;
    for (bsd::ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_name) continue;
        if (entry->ifa_addr->sa_family != family || std::strcmp(entry->ifa_name, interfaceName) != 0) continue;
        if (family == bsd::AF_INET) {
            const auto* sin = reinterpret_cast<const bsd::sockaddr_in*>(entry->ifa_addr);
            if (rendering == Rendering::InetNtoa) {
                answer = std::string(bsd::inet_ntoa(sin->sin_addr));
            } else {
                char text[64];
                const char* rendered = bsd::inet_ntop(bsd::AF_INET, &sin->sin_addr, text, sizeof text);
                answer = rendered ? std::optional<std::string>(rendered) : std::nullopt;
            }
        } else {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry->ifa_addr);
            char text[46];
            const char* rendered = bsd::inet_ntop(bsd::AF_INET6, bytes + 8, text, sizeof text);
            answer = rendered ? std::optional<std::string>(rendered) : std::nullopt;
        }
    }
    bsd::freeifaddrs(list);
    return noneIfEmpty(answer);
}

std::optional<std::string> interfaceNetmask(const char* interfaceName) {
    bsd::ifreq request{};
    std::strncpy(request.ifr_name, interfaceName, bsd::IFNAMSIZ - 1);
    int fd = bsd::socket(bsd::AF_INET, bsd::SOCK_DGRAM, 0);
    if (fd < 0) return std::nullopt;
    int result = bsd::ioctl(fd, bsd::SIOCGIFNETMASK, &request);
    bsd::close(fd);
    if (result != 0) return std::nullopt;
    const auto* sin = reinterpret_cast<const bsd::sockaddr_in*>(&request.ifr_ifru.ifru_addr);
    return noneIfEmpty(std::string(bsd::inet_ntoa(sin->sin_addr)));
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

// The integer value of a part: its leading decimal digits, 0 without any, held to the 32-bit
// integer range as the platform's integer reading does.
std::uint32_t partValue(const std::string& part) {
    std::int64_t value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            value = std::numeric_limits<std::int32_t>::max();
            break;
        }
    }
    return static_cast<std::uint32_t>(value);
}

// Newline characters: U+000A to U+000D, U+0085, U+2028 and U+2029.
std::size_t newlineAt(const std::string& text, std::size_t at) {
    auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    unsigned c = byte(at);
    if (at >= text.size()) return 0;
    if (c >= 0x0a && c <= 0x0d) return 1;
    if (c == 0xc2 && byte(at + 1) == 0x85) return 2;
    if (c == 0xe2 && byte(at + 1) == 0x80 && (byte(at + 2) == 0xa8 || byte(at + 2) == 0xa9)) return 3;
    return 0;
}

std::string trimNewlines(const std::string& text) {
    std::size_t begin = 0;
    while (std::size_t n = newlineAt(text, begin)) begin += n;
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t n = 0;
        for (std::size_t width : {1, 2, 3}) {
            if (end >= begin + width && newlineAt(text, end - width) == width) {
                n = width;
                break;
            }
        }
        if (!n) break;
        end -= n;
    }
    return text.substr(begin, end - begin);
}

}  // namespace

std::optional<std::string> SSNetworkInfo::currentIPAddress() {
    return guarded([] {
        std::optional<std::string> answer;
        if (connectedToWiFi()) {
            answer = wiFiIPAddress();
        } else if (connectedToCellNetwork()) {
            answer = cellIPAddress();
        }
        return noneIfEmpty(answer);
    });
}

std::optional<std::string> SSNetworkInfo::externalIPAddress() {
    return guarded([]() -> std::optional<std::string> {
        if (!connectedToCellNetwork() && !connectedToWiFi()) return std::nullopt;
        std::optional<std::string> error;
        std::optional<std::string> body =
            ios::stringWithContentsOfURL(externalIPEndpoint(), ios::NSUTF8StringEncoding, &error, externalIPTimeout());
        if (error || !body) return std::nullopt;
        return noneIfEmpty(trimNewlines(*body));
    });
}

std::optional<std::string> SSNetworkInfo::cellIPAddress() {
    return guarded([] { return interfaceAddress(kCellInterface, bsd::AF_INET, Rendering::InetNtop); });
}

std::optional<std::string> SSNetworkInfo::cellIPv6Address() {
    return guarded([] { return interfaceAddress(kCellInterface, bsd::AF_INET6, Rendering::InetNtop); });
}

std::optional<std::string> SSNetworkInfo::cellNetmaskAddress() {
    return guarded([] { return interfaceNetmask(kCellInterface); });
}

std::optional<std::string> SSNetworkInfo::cellBroadcastAddress() {
    return guarded([] { return broadcastAddress(cellIPAddress(), cellNetmaskAddress()); });
}

std::optional<std::string> SSNetworkInfo::wiFiIPAddress() {
    return guarded([] { return interfaceAddress(kWiFiInterface, bsd::AF_INET, Rendering::InetNtoa); });
}

std::optional<std::string> SSNetworkInfo::wiFiIPv6Address() {
    return guarded([] { return interfaceAddress(kWiFiInterface, bsd::AF_INET6, Rendering::InetNtop); });
}

std::optional<std::string> SSNetworkInfo::wiFiNetmaskAddress() {
    return guarded([] { return interfaceNetmask(kWiFiInterface); });
}

std::optional<std::string> SSNetworkInfo::wiFiBroadcastAddress() {
    return guarded([] { return broadcastAddress(wiFiIPAddress(), wiFiNetmaskAddress()); });
}

bool SSNetworkInfo::connectedToWiFi() {
    auto address = wiFiIPAddress();
    return address && !address->empty();
}

bool SSNetworkInfo::connectedToCellNetwork() {
    auto address = cellIPAddress();
    return address && !address->empty();
}

std::optional<std::string> SSNetworkInfo::wiFiRouterAddress() {
    return guarded([] {
        std::optional<std::string> answer;
        for (const auto& route : Route_Info::getRoutes()) answer = route->getGateway();
        return answer;
    });
}

std::optional<std::string> SSNetworkInfo::broadcastAddress(const std::optional<std::string>& address,
                                                           const std::optional<std::string>& netmask) {
    if (!address || address->empty() || !netmask || netmask->empty()) return std::nullopt;
    std::vector<std::string> addressParts = split(*address, '.');
    std::vector<std::string> maskParts = split(*netmask, '.');
    if (addressParts.size() != 4 || maskParts.size() != 4) return std::nullopt;
    std::uint32_t ip = 0, mask = 0;
    for (int k = 0; k < 4; ++k) {
        unsigned shift = static_cast<unsigned>(24 - 8 * k);
        ip |= partValue(addressParts[static_cast<std::size_t>(k)]) << shift;
        mask |= partValue(maskParts[static_cast<std::size_t>(k)]) << shift;
    }
    std::uint32_t broadcast = ip | ~mask;
    std::string text = std::to_string((broadcast >> 24) & 0xff) + "." + std::to_string((broadcast >> 16) & 0xff) + "." +
                       std::to_string((broadcast >> 8) & 0xff) + "." + std::to_string(broadcast & 0xff);
    return noneIfEmpty(text);
}

std::string SSNetworkInfo::externalIPEndpoint() {
    if (g_endpointOverride) return *g_endpointOverride;
    if (auto configured = bsd::backend().publicAddressEndpoint(); configured && !configured->empty())
        return *configured;
    return kDefaultExternalIPEndpoint;
}

double SSNetworkInfo::externalIPTimeout() { return g_timeoutOverride.value_or(kDefaultExternalIPTimeout); }

void SSNetworkInfo::setExternalIPEndpointForTesting(std::optional<std::string> endpoint) {
    g_endpointOverride = std::move(endpoint);
}

void SSNetworkInfo::setExternalIPTimeoutForTesting(std::optional<double> seconds) { g_timeoutOverride = seconds; }
