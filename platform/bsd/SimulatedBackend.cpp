#include "platform/bsd/SimulatedBackend.h"

#include <algorithm>
#include <cerrno>

namespace bsd {

unsigned SimulatedBackend::indexOf(const std::string& name) const {
    for (std::size_t i = 0; i < m_network.interfaces.size(); ++i) {
        const auto& iface = m_network.interfaces[i];
        if (iface.name == name) return iface.index ? iface.index : static_cast<unsigned>(i + 1);
    }
    return 0;
}

std::optional<std::vector<Link>> SimulatedBackend::links() {
    if (failing(Failure::Links)) {
        errno = ENOMEM;
        return std::nullopt;
    }
    std::vector<Link> links;
    for (std::size_t i = 0; i < m_network.interfaces.size(); ++i) {
        const auto& iface = m_network.interfaces[i];
        Link link;
        link.name = iface.name;
        link.index = iface.index ? iface.index : static_cast<unsigned>(i + 1);
        link.type = iface.type;
        link.hardwareAddress = iface.hardwareAddress;
        link.mtu = iface.mtu;
        bool broadcast = false;
        if (iface.type == fact::kTypeLoopback) {
            link.flags = fact::kLinkLoopback | fact::kLinkMulticast;
        } else if (iface.type == fact::kTypeCellular) {
            link.flags = fact::kLinkPointToPoint | fact::kLinkMulticast | fact::kLinkNoArp;
        } else {
            link.flags = fact::kLinkBroadcast | fact::kLinkMulticast;
            broadcast = true;
        }
        if (iface.up) link.flags |= fact::kLinkUp | fact::kLinkRunning;
        for (const auto& v4 : iface.ipv4) {
            InterfaceAddress address;
            address.family = fact::kInet;
            std::copy(v4.address.begin(), v4.address.end(), address.address.begin());
            std::copy(v4.netmask.begin(), v4.netmask.end(), address.netmask.begin());
            if (broadcast) {
                Bytes16 b{};
                for (int k = 0; k < 4; ++k) b[k] = static_cast<std::uint8_t>(v4.address[k] | ~v4.netmask[k]);
                address.broadcast = b;
            }
            link.addresses.push_back(address);
        }
        for (const auto& v6 : iface.ipv6) {
            InterfaceAddress address;
            address.family = fact::kInet6;
            address.address = v6.address;
            address.netmask = prefixMask(fact::kInet6, v6.prefixLength);
            if (v6.address[0] == 0xfe && (v6.address[1] & 0xc0) == 0x80) address.scopeId = link.index;
            link.addresses.push_back(address);
        }
        links.push_back(std::move(link));
    }
    std::stable_sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.index < b.index; });
    return links;
}

std::optional<std::vector<Route>> SimulatedBackend::routes() {
    if (failing(Failure::Routes)) {
        errno = ENOMEM;
        return std::nullopt;
    }
    std::vector<Route> routes;
    for (const auto& entry : m_network.routes) {
        Route route;
        route.family = entry.family;
        route.destination = entry.destination;
        route.prefixLength = entry.prefixLength;
        route.gateway = entry.gateway;
        route.interfaceIndex = indexOf(entry.interfaceName);
        route.parentFlags = entry.parentFlags;
        if (entry.flags) {
            route.flags = *entry.flags;
        } else {
            route.flags = fact::kRouteUp;
            if (route.gateway) route.flags |= fact::kRouteGateway | fact::kRouteStatic;
            if (route.prefixLength == (route.family == fact::kInet ? 32 : 128)) route.flags |= fact::kRouteHost;
            if (!route.gateway) route.flags |= fact::kRouteCloning;
            if (route.prefixLength == 0) route.flags |= fact::kRouteProtocolCloning;
        }
        routes.push_back(route);
    }
    return routes;
}

int SimulatedBackend::openDatagramSocket() {
    if (failing(Failure::Socket)) {
        errno = EMFILE;
        return -1;
    }
    int fd = m_nextSocket++;
    m_openSockets.insert(fd);
    return fd;
}

int SimulatedBackend::requestNetmask(int fd, const std::string& interfaceName, std::array<std::uint8_t, 4>& mask) {
    if (!m_openSockets.count(fd)) return EBADF;
    if (failing(Failure::Netmask)) return EIO;
    for (const auto& iface : m_network.interfaces) {
        if (iface.name != interfaceName) continue;
        if (iface.ipv4.empty()) return EADDRNOTAVAIL;
        mask = iface.ipv4.front().netmask;
        return 0;
    }
    return ENXIO;
}

int SimulatedBackend::closeSocket(int fd) {
    if (!m_openSockets.erase(fd)) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

std::optional<std::string> SimulatedBackend::wifiNetworkName(const std::string& interfaceName) {
    auto it = m_network.wifiNetworks.find(interfaceName);
    if (it == m_network.wifiNetworks.end()) return std::nullopt;
    return it->second;
}

void SimulatedBackend::setFailingForTesting(Failure what, bool isFailing) {
    if (isFailing) {
        m_failing.insert(what);
    } else {
        m_failing.erase(what);
    }
}

}  // namespace bsd
