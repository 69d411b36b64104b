#include "platform/bsd/RoutingMessages.h"

#include <algorithm>
#include <cstring>

namespace bsd {

static_assert(fact::kInet == AF_INET && fact::kInet6 == AF_INET6);
static_assert(fact::kLinkUp == IFF_UP && fact::kLinkMulticast == IFF_MULTICAST);
static_assert(fact::kRouteProtocolCloning == RTF_PRCLONING && fact::kRouteWasCloned == RTF_WASCLONED);
static_assert(fact::kTypeLoopback == IFT_LOOP && fact::kTypeCellular == IFT_CELLULAR);

namespace {

// A gateway that is the link itself: index and type, no name or address.
std::vector<std::uint8_t> bareLinkSockaddr(unsigned index, std::uint8_t type) {
    sockaddr_dl sdl{};
    sdl.sdl_len = sizeof sdl;
    sdl.sdl_family = AF_LINK;
    sdl.sdl_index = static_cast<std::uint16_t>(index);
    sdl.sdl_type = type;
    auto* p = reinterpret_cast<const std::uint8_t*>(&sdl);
    return {p, p + sizeof sdl};
}

void appendPadded(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& sa) {
    std::size_t padded = roundUpSockaddr(sa.size());
    out.insert(out.end(), sa.begin(), sa.end());
    out.resize(out.size() + (padded - sa.size()), 0);
}

const Link* linkWithIndex(const std::vector<Link>& links, unsigned index) {
    for (const Link& link : links)
        if (link.index == index) return &link;
    return nullptr;
}

}  // namespace

std::vector<std::uint8_t> inetSockaddr(int family, const Bytes16& address, std::uint32_t scopeId) {
    if (family == AF_INET) {
        sockaddr_in sin{};
        sin.sin_len = sizeof sin;
        sin.sin_family = AF_INET;
        std::memcpy(&sin.sin_addr, address.data(), 4);
        auto* p = reinterpret_cast<const std::uint8_t*>(&sin);
        return {p, p + sizeof sin};
    }
    sockaddr_in6 sin6{};
    sin6.sin6_len = sizeof sin6;
    sin6.sin6_family = AF_INET6;
    std::memcpy(sin6.sin6_addr.s6_addr, address.data(), 16);
    sin6.sin6_scope_id = scopeId;
    auto* p = reinterpret_cast<const std::uint8_t*>(&sin6);
    return {p, p + sizeof sin6};
}

std::vector<std::uint8_t> linkSockaddr(const Link& link) {
    std::size_t nlen = std::min(link.name.size(), fact::kMaxNameLength);
    std::size_t alen = std::min(link.hardwareAddress.size(), fact::kMaxHardwareAddress);
    std::size_t length = std::max<std::size_t>(SDL_DATA_OFFSET + nlen + alen, sizeof(sockaddr_dl));
    std::vector<std::uint8_t> out(length, 0);
    out[0] = static_cast<std::uint8_t>(length);
    out[1] = AF_LINK;
    std::uint16_t index = static_cast<std::uint16_t>(link.index);
    std::memcpy(&out[2], &index, 2);
    out[4] = link.type;
    out[5] = static_cast<std::uint8_t>(nlen);
    out[6] = static_cast<std::uint8_t>(alen);
    out[7] = 0;
    std::memcpy(&out[SDL_DATA_OFFSET], link.name.data(), nlen);
    if (alen) std::memcpy(&out[SDL_DATA_OFFSET + nlen], link.hardwareAddress.data(), alen);
    return out;
}

std::vector<std::uint8_t> routeDump(const std::vector<Route>& routes, const std::vector<Link>& links, int family) {
    std::vector<std::uint8_t> out;
    for (const Route& route : routes) {
        if (family != AF_UNSPEC && route.family != family) continue;
        if (route.family != AF_INET && route.family != AF_INET6) continue;
        const Link* link = linkWithIndex(links, route.interfaceIndex);
        std::vector<std::uint8_t> addresses;
        int present = RTA_DST | RTA_GATEWAY;
        appendPadded(addresses, inetSockaddr(route.family, route.destination));
        if (route.gateway) {
            appendPadded(addresses, inetSockaddr(route.family, *route.gateway));
        } else {
            appendPadded(addresses, bareLinkSockaddr(route.interfaceIndex, link ? link->type : IFT_OTHER));
        }
        if (!(route.flags & RTF_HOST)) {
            present |= RTA_NETMASK;
            appendPadded(addresses, inetSockaddr(route.family, prefixMask(route.family, route.prefixLength)));
        }
        rt_msghdr2 header{};
        std::size_t length = sizeof header + addresses.size();
        if (length > 0xffff) continue;
        header.rtm_msglen = static_cast<std::uint16_t>(length);
        header.rtm_version = RTM_VERSION;
        header.rtm_type = RTM_GET2;
        header.rtm_index = static_cast<std::uint16_t>(route.interfaceIndex);
        header.rtm_flags = route.flags;
        header.rtm_addrs = present;
        header.rtm_refcnt = 1;
        header.rtm_parentflags = route.parentFlags;
        header.rtm_rmx.rmx_mtu = route.mtu ? route.mtu : (link ? link->mtu : 0);
        auto* p = reinterpret_cast<const std::uint8_t*>(&header);
        out.insert(out.end(), p, p + sizeof header);
        out.insert(out.end(), addresses.begin(), addresses.end());
    }
    return out;
}

std::vector<std::uint8_t> interfaceMessages(const std::vector<Link>& links, unsigned index) {
    std::vector<std::uint8_t> out;
    for (const Link& link : links) {
        if (index != 0 && link.index != index) continue;
        std::vector<std::uint8_t> sdl;
        appendPadded(sdl, linkSockaddr(link));
        if_msghdr header{};
        header.ifm_msglen = static_cast<std::uint16_t>(sizeof header + sdl.size());
        header.ifm_version = RTM_VERSION;
        header.ifm_type = RTM_IFINFO;
        header.ifm_addrs = RTA_IFP;
        header.ifm_flags = static_cast<std::int32_t>(link.flags);
        header.ifm_index = static_cast<std::uint16_t>(link.index);
        header.ifm_data.ifi_type = link.type;
        header.ifm_data.ifi_addrlen =
            static_cast<std::uint8_t>(std::min(link.hardwareAddress.size(), fact::kMaxHardwareAddress));
        header.ifm_data.ifi_hdrlen = link.type == IFT_ETHER ? 14 : 0;
        header.ifm_data.ifi_mtu = link.mtu;
        auto* p = reinterpret_cast<const std::uint8_t*>(&header);
        out.insert(out.end(), p, p + sizeof header);
        out.insert(out.end(), sdl.begin(), sdl.end());
        if (index != 0) break;
    }
    return out;
}

}  // namespace bsd
