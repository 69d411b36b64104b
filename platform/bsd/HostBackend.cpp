#include "platform/bsd/HostBackend.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/foundation/DBusConnection.h"

namespace bsd {

namespace {

std::string readFirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    if (in) std::getline(in, line);
    return line;
}

unsigned translateFlags(unsigned host) {
    unsigned out = 0;
    if (host & IFF_UP) out |= fact::kLinkUp;
    if (host & IFF_BROADCAST) out |= fact::kLinkBroadcast;
    if (host & IFF_LOOPBACK) out |= fact::kLinkLoopback;
    if (host & IFF_POINTOPOINT) out |= fact::kLinkPointToPoint;
    if (host & IFF_RUNNING) out |= fact::kLinkRunning;
    if (host & IFF_NOARP) out |= fact::kLinkNoArp;
    if (host & IFF_MULTICAST) out |= fact::kLinkMulticast;
    return out;
}

Bytes16 bytesOf(const ::sockaddr* sa) {
    Bytes16 out{};
    if (!sa) return out;
    if (sa->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const ::sockaddr_in*>(sa);
        std::memcpy(out.data(), &in->sin_addr, 4);
    } else if (sa->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const ::sockaddr_in6*>(sa);
        std::memcpy(out.data(), &in6->sin6_addr, 16);
    }
    return out;
}

// Darwin flags for a host route: connected routes clone per-destination entries, the default
// route marks its clones as protocol-cloned.
int darwinRouteFlags(const Route& route, bool kernelMade) {
    int flags = fact::kRouteUp;
    if (route.gateway) flags |= fact::kRouteGateway;
    if (route.prefixLength == (route.family == fact::kInet ? 32 : 128)) flags |= fact::kRouteHost;
    if (kernelMade && !route.gateway) {
        flags |= fact::kRouteCloning;
    } else {
        flags |= fact::kRouteStatic;
    }
    if (route.prefixLength == 0) flags |= fact::kRouteProtocolCloning;
    return flags;
}

bool routeOrder(const Route& a, const Route& b) {
    if (a.family != b.family) return a.family < b.family;
    if (a.destination != b.destination) return a.destination < b.destination;
    return a.prefixLength < b.prefixLength;
}

std::optional<std::vector<Route>> netlinkDump(int family) {
    int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return std::nullopt;
    struct {
        ::nlmsghdr header;
        ::rtmsg message;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(::rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.message.rtm_family = static_cast<unsigned char>(family);
    ::sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<::sockaddr*>(&kernel), sizeof kernel) <
        0) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<Route> routes;
    std::vector<std::uint8_t> buffer(1 << 16);
    bool done = false;
    while (!done) {
        ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || !parseNetlinkRoutes(buffer.data(), static_cast<std::size_t>(got), routes, done)) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return routes;
}

}  // namespace

bool parseNetlinkRoutes(const std::uint8_t* data, std::size_t size, std::vector<Route>& out, bool& done) {
    std::size_t offset = 0;
    while (offset + sizeof(::nlmsghdr) <= size) {
        ::nlmsghdr header;
        std::memcpy(&header, data + offset, sizeof header);
        if (header.nlmsg_len < sizeof(::nlmsghdr) || header.nlmsg_len > size - offset) return false;
        if (header.nlmsg_type == NLMSG_DONE) {
            done = true;
            return true;
        }
        if (header.nlmsg_type == NLMSG_ERROR) return false;
        if (header.nlmsg_type == RTM_NEWROUTE && header.nlmsg_len >= NLMSG_LENGTH(sizeof(::rtmsg))) {
            ::rtmsg message;
            std::memcpy(&message, data + offset + NLMSG_HDRLEN, sizeof message);
            Route route;
            route.family = message.rtm_family == AF_INET6 ? fact::kInet6 : fact::kInet;
            route.prefixLength = message.rtm_dst_len;
            unsigned table = message.rtm_table;
            bool usable =
                (message.rtm_family == AF_INET || message.rtm_family == AF_INET6) && message.rtm_type == RTN_UNICAST;
            std::size_t addressSize = message.rtm_family == AF_INET6 ? 16 : 4;
            std::size_t at = offset + NLMSG_LENGTH(sizeof(::rtmsg));
            std::size_t end = offset + header.nlmsg_len;
            while (at + sizeof(::rtattr) <= end) {
                ::rtattr attribute;
                std::memcpy(&attribute, data + at, sizeof attribute);
                if (attribute.rta_len < sizeof(::rtattr) || attribute.rta_len > end - at) break;
                const std::uint8_t* payload = data + at + RTA_LENGTH(0);
                std::size_t payloadSize = attribute.rta_len - RTA_LENGTH(0);
                switch (attribute.rta_type) {
                case RTA_DST:
                    if (payloadSize >= addressSize) std::memcpy(route.destination.data(), payload, addressSize);
                    break;
                case RTA_GATEWAY:
                    if (payloadSize >= addressSize) {
                        Bytes16 gateway{};
                        std::memcpy(gateway.data(), payload, addressSize);
                        route.gateway = gateway;
                    }
                    break;
                case RTA_OIF:
                    if (payloadSize >= 4) {
                        std::uint32_t index;
                        std::memcpy(&index, payload, 4);
                        route.interfaceIndex = index;
                    }
                    break;
                case RTA_TABLE:
                    if (payloadSize >= 4) std::memcpy(&table, payload, 4);
                    break;
                default: break;
                }
                at += RTA_ALIGN(attribute.rta_len);
            }
            if (usable && table == RT_TABLE_MAIN) {
                route.flags = darwinRouteFlags(route, message.rtm_protocol == RTPROT_KERNEL);
                out.push_back(route);
            }
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
    return true;
}

std::vector<Route> parseProcNetRoute(const std::string& text, unsigned (*indexOf)(const char*)) {
    std::vector<Route> routes;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);  // the column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refcnt, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask)) continue;
        if (name.size() > fact::kMaxNameLength) continue;
        auto hex32 = [](const std::string& s, std::uint32_t& v) {
            if (s.empty() || s.size() > 8) return false;
            char* end = nullptr;
            errno = 0;
            unsigned long parsed = std::strtoul(s.c_str(), &end, 16);
            if (errno || *end) return false;
            v = static_cast<std::uint32_t>(parsed);
            return true;
        };
        std::uint32_t dst, gw, fl, mk;
        if (!hex32(destination, dst) || !hex32(gateway, gw) || !hex32(flags, fl) || !hex32(mask, mk)) continue;
        if (!(fl & 0x1)) continue;  // RTF_UP
        Route route;
        route.family = fact::kInet;
        // The file shows addresses as the host-order value of network-order bytes.
        std::memcpy(route.destination.data(), &dst, 4);
        Bytes16 maskBytes{};
        std::memcpy(maskBytes.data(), &mk, 4);
        route.prefixLength = prefixLengthOf(fact::kInet, maskBytes);
        if (gw != 0) {
            Bytes16 gatewayBytes{};
            std::memcpy(gatewayBytes.data(), &gw, 4);
            route.gateway = gatewayBytes;
        }
        route.interfaceIndex = indexOf ? indexOf(name.c_str()) : 0;
        route.flags = darwinRouteFlags(route, gw == 0);
        routes.push_back(route);
    }
    return routes;
}

HostBackend::HostBackend() : m_mapEn0ToDefaultRoute(true) {}

HostBackend::HostBackend(std::map<std::string, std::string> nameMap, bool mapEn0ToDefaultRoute)
    : m_map(std::move(nameMap)), m_mapEn0ToDefaultRoute(mapEn0ToDefaultRoute) {}

void HostBackend::mapInterface(const std::string& darwinName, const std::string& hostName) {
    m_map[darwinName] = hostName;
}

std::map<std::string, std::string> HostBackend::effectiveNameMap() {
    std::map<std::string, std::string> map = m_map;
    if (m_mapEn0ToDefaultRoute && !map.count("en0")) {
        if (auto routes = readRoutes()) {
            for (const Route& route : *routes) {
                if (route.family != fact::kInet || route.prefixLength != 0 || route.interfaceIndex == 0) continue;
                char name[IF_NAMESIZE] = {};
                if (::if_indextoname(route.interfaceIndex, name)) {
                    map["en0"] = name;
                    break;
                }
            }
        }
    }
    return map;
}

std::vector<std::string> HostBackend::darwinNamesFor(const std::string& hostName,
                                                     const std::map<std::string, std::string>& map) const {
    std::vector<std::string> names;
    for (const auto& [darwin, host] : map)
        if (host == hostName) names.push_back(darwin);
    if (names.empty() && !map.count(hostName)) names.push_back(hostName);
    return names;
}

std::optional<std::string> HostBackend::hostNameFor(const std::string& darwinName) {
    auto map = effectiveNameMap();
    auto it = map.find(darwinName);
    if (it != map.end()) {
        if (it->second.empty()) return std::nullopt;
        return it->second;
    }
    for (const auto& entry : map)
        if (entry.second == darwinName) return std::nullopt;  // seen only under its Darwin name
    return darwinName;
}

std::optional<std::vector<Link>> HostBackend::links() {
    ::ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return std::nullopt;

    struct HostInterface {
        std::string name;
        unsigned flags = 0;
        std::vector<InterfaceAddress> addresses;
    };
    std::vector<HostInterface> interfaces;
    auto entryFor = [&](const char* name) -> HostInterface& {
        for (auto& i : interfaces)
            if (i.name == name) return i;
        interfaces.push_back({name, 0, {}});
        return interfaces.back();
    };
    for (::ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_name || std::strlen(entry->ifa_name) > fact::kMaxNameLength) continue;
        HostInterface& host = entryFor(entry->ifa_name);
        host.flags = entry->ifa_flags;
        if (!entry->ifa_addr) continue;
        int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        InterfaceAddress address;
        address.family = family == AF_INET ? fact::kInet : fact::kInet6;
        address.address = bytesOf(entry->ifa_addr);
        address.netmask = bytesOf(entry->ifa_netmask);
        if (family == AF_INET && (entry->ifa_flags & (IFF_BROADCAST | IFF_POINTOPOINT)) && entry->ifa_ifu.ifu_broadaddr)
            address.broadcast = bytesOf(entry->ifa_ifu.ifu_broadaddr);
        if (family == AF_INET6)
            address.scopeId = reinterpret_cast<const ::sockaddr_in6*>(entry->ifa_addr)->sin6_scope_id;
        host.addresses.push_back(address);
    }
    ::freeifaddrs(list);

    auto map = effectiveNameMap();
    std::vector<Link> links;
    for (const HostInterface& host : interfaces) {
        unsigned index = ::if_nametoindex(host.name.c_str());
        if (index == 0) continue;  // gone since the list was read
        Link link;
        link.index = index;
        link.flags = translateFlags(host.flags);
        link.addresses = host.addresses;
        std::filesystem::path sys = m_sysfs / host.name;
        if (auto mac = parseHardwareAddress(readFirstLine(sys / "address"))) link.hardwareAddress = *mac;
        std::string type = readFirstLine(sys / "type");
        if (type == "1") {
            link.type = fact::kTypeEthernet;
        } else if (type == "772") {
            link.type = fact::kTypeLoopback;
        } else {
            link.type = fact::kTypeOther;
        }
        link.mtu = static_cast<std::uint32_t>(std::strtoul(readFirstLine(sys / "mtu").c_str(), nullptr, 10));
        for (const std::string& darwin : darwinNamesFor(host.name, map)) {
            if (darwin.empty() || darwin.size() > fact::kMaxNameLength) continue;
            link.name = darwin;
            links.push_back(link);
        }
    }
    std::stable_sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.index < b.index; });
    return links;
}

std::optional<std::vector<Route>> HostBackend::readRoutes() {
    if (!m_routeFile) {
        auto v4 = netlinkDump(AF_INET);
        auto v6 = netlinkDump(AF_INET6);
        if (v4) {
            std::vector<Route> routes = *v4;
            if (v6) routes.insert(routes.end(), v6->begin(), v6->end());
            std::stable_sort(routes.begin(), routes.end(), routeOrder);
            return routes;
        }
    }
    std::ifstream in(m_routeFile.value_or("/proc/net/route"));
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Route> routes = parseProcNetRoute(text.str(), [](const char* name) { return ::if_nametoindex(name); });
    std::stable_sort(routes.begin(), routes.end(), routeOrder);
    return routes;
}

std::optional<std::vector<Route>> HostBackend::routes() { return readRoutes(); }

int HostBackend::openDatagramSocket() { return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }

int HostBackend::requestNetmask(int fd, const std::string& interfaceName, std::array<std::uint8_t, 4>& mask) {
    std::optional<std::string> host = hostNameFor(interfaceName);
    if (!host || host->size() >= IFNAMSIZ) return ENXIO;
    ::ifreq request{};
    std::memcpy(request.ifr_name, host->data(), host->size());
    if (::ioctl(fd, SIOCGIFNETMASK, &request) != 0) return errno ? errno : EIO;
    const auto* in = reinterpret_cast<const ::sockaddr_in*>(&request.ifr_netmask);
    std::memcpy(mask.data(), &in->sin_addr, 4);
    return 0;
}

int HostBackend::closeSocket(int fd) { return ::close(fd); }

std::vector<std::string> HostBackend::wifiInterfaces() {
    std::vector<std::string> names;
    auto map = effectiveNameMap();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_sysfs, ec)) {
        std::error_code wec;
        if (!std::filesystem::exists(entry.path() / "wireless", wec)) continue;
        for (const std::string& darwin : darwinNamesFor(entry.path().filename().string(), map))
            if (!darwin.empty()) names.push_back(darwin);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> HostBackend::wifiNetworkName(const std::string& interfaceName) {
    std::optional<std::string> host = hostNameFor(interfaceName);
    if (!host || host->empty()) return std::nullopt;
    std::string error;
    auto bus = ios::DBusConnection::open(ios::DBusConnection::Bus::System, m_systemBusAddress, error);
    if (!bus) return std::nullopt;
    constexpr const char* kService = "org.freedesktop.NetworkManager";
    constexpr int kTimeoutMs = 1000;
    ios::VariantPtr device = bus->call(kService, "/org/freedesktop/NetworkManager", kService, "GetDeviceByIpIface",
                                       g_variant_new("(s)", host->c_str()), "(o)", kTimeoutMs, error);
    if (!device) return std::nullopt;  // no network manager, or it does not manage the interface
    const gchar* devicePath = nullptr;
    g_variant_get(device.get(), "(&o)", &devicePath);
    constexpr guint32 kDeviceTypeWifi = 2;
    ios::VariantPtr type =
        bus->property(kService, devicePath, "org.freedesktop.NetworkManager.Device", "DeviceType", kTimeoutMs, error);
    if (!type || !g_variant_is_of_type(type.get(), G_VARIANT_TYPE_UINT32) ||
        g_variant_get_uint32(type.get()) != kDeviceTypeWifi)
        return std::nullopt;
    ios::VariantPtr point = bus->property(kService, devicePath, "org.freedesktop.NetworkManager.Device.Wireless",
                                          "ActiveAccessPoint", kTimeoutMs, error);
    if (!point || !g_variant_is_of_type(point.get(), G_VARIANT_TYPE_OBJECT_PATH)) return std::nullopt;
    const gchar* pointPath = g_variant_get_string(point.get(), nullptr);
    if (std::string_view(pointPath) == "/") return std::nullopt;  // not associated
    ios::VariantPtr ssid =
        bus->property(kService, pointPath, "org.freedesktop.NetworkManager.AccessPoint", "Ssid", kTimeoutMs, error);
    if (!ssid || !g_variant_is_of_type(ssid.get(), G_VARIANT_TYPE_BYTESTRING)) return std::nullopt;
    gsize size = 0;
    const void* bytes = g_variant_get_fixed_array(ssid.get(), &size, 1);
    // An SSID is 1 to 32 bytes; a hidden network's may be empty.
    if (size == 0 || size > 32) return std::nullopt;
    return std::string(static_cast<const char*>(bytes), size);
}

CarrierFacts HostBackend::carrier() { return {}; }

}  // namespace bsd
