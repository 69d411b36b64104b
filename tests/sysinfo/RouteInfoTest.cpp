// The routing-table record, its filter, the dump walk and the slot rendering, on crafted Darwin
// messages.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sysinfo/Route_Info.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes inet(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    Bytes sa(16, 0);
    sa[0] = 16;
    sa[1] = bsd::AF_INET;
    sa[4] = a, sa[5] = b, sa[6] = c, sa[7] = d;
    return sa;
}

Bytes inet6() {
    Bytes sa(28, 0);
    sa[0] = 28;
    sa[1] = bsd::AF_INET6;
    sa[8] = 0xfe, sa[9] = 0x80, sa[23] = 1;
    return sa;
}

Bytes link(std::uint16_t index, Bytes nameAndAddress = {}, std::uint8_t nlen = 0, std::uint8_t alen = 0) {
    Bytes sa(20, 0);
    sa[0] = 20;
    sa[1] = bsd::AF_LINK;
    std::memcpy(&sa[2], &index, 2);
    sa[4] = bsd::IFT_ETHER;
    sa[5] = nlen, sa[6] = alen;
    std::copy(nameAndAddress.begin(), nameAndAddress.end(), sa.begin() + 8);
    return sa;
}

// One RTM_GET2 message with the given addresses, each padded to four bytes.
Bytes message(std::vector<Bytes> addresses, int flags = bsd::RTF_UP, int parentFlags = 0, int addrs = -1) {
    Bytes body;
    for (const Bytes& sa : addresses) {
        body.insert(body.end(), sa.begin(), sa.end());
        body.resize(body.size() + (bsd::roundUpSockaddr(sa.size()) - sa.size()), 0);
    }
    bsd::rt_msghdr2 header{};
    header.rtm_msglen = static_cast<std::uint16_t>(sizeof header + body.size());
    header.rtm_version = bsd::RTM_VERSION;
    header.rtm_type = bsd::RTM_GET2;
    header.rtm_flags = flags;
    header.rtm_parentflags = parentFlags;
    header.rtm_addrs = addrs >= 0 ? addrs : (1 << addresses.size()) - 1;
    Bytes out(sizeof header + body.size());
    std::memcpy(out.data(), &header, sizeof header);
    std::copy(body.begin(), body.end(), out.begin() + sizeof header);
    return out;
}

Bytes join(std::vector<Bytes> messages) {
    Bytes out;
    for (const Bytes& m : messages) out.insert(out.end(), m.begin(), m.end());
    return out;
}

std::optional<std::string> gatewayOfWalk(const Bytes& dump) {
    auto routes = Route_Info::routesInDump(dump);
    if (routes.empty()) return "no route";
    return routes.front()->getGateway();
}

TEST(RouteFilter, SkipsIPv6AndClonedFromCloningParentsAndStopsAtTheFirstAccepted) {
    Bytes ipv6 = message({inet6(), inet6()});
    Bytes cloned =
        message({inet(17, 0, 0, 5), inet(10, 0, 0, 1)}, bsd::RTF_UP | bsd::RTF_WASCLONED, bsd::RTF_PRCLONING);
    Bytes defaultRoute =
        message({inet(0, 0, 0, 0), inet(192, 168, 1, 1), inet(0, 0, 0, 0)}, bsd::RTF_UP | bsd::RTF_GATEWAY);
    Bytes later = message({inet(10, 0, 0, 0), inet(10, 9, 9, 9)});

    EXPECT_EQ(Route_Info::getRoute(ipv6), nullptr);
    EXPECT_EQ(Route_Info::getRoute(cloned), nullptr);
    auto routes = Route_Info::routesInDump(join({ipv6, cloned, defaultRoute, later}));
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_EQ(routes[0]->getDestination(), "default");
    EXPECT_EQ(routes[0]->getGateway(), "192.168.1.1");
}

TEST(RouteFilter, ClonedRoutesPassWhenTheParentDoesNotRequireCloningAndViceVersa) {
    EXPECT_NE(
        Route_Info::getRoute(message({inet(10, 0, 0, 5), inet(10, 0, 0, 1)}, bsd::RTF_WASCLONED, bsd::RTF_CLONING)),
        nullptr);
    EXPECT_NE(Route_Info::getRoute(message({inet(10, 0, 0, 5), inet(10, 0, 0, 1)}, bsd::RTF_UP, bsd::RTF_PRCLONING)),
              nullptr);
    // no destination bit: refused even with an IPv4 address in the first slot
    EXPECT_EQ(Route_Info::getRoute(message({inet(10, 0, 0, 5), inet(10, 0, 0, 1)}, bsd::RTF_UP, 0, bsd::RTA_GATEWAY)),
              nullptr);
}

TEST(SlotRendering, GatewaysOfEveryFamily) {
    // a link-level gateway without name, address or selector
    auto onLink = Route_Info::getRoute(message({inet(192, 168, 1, 0), link(4), inet(255, 255, 255, 0)}));
    ASSERT_NE(onLink, nullptr);
    EXPECT_EQ(onLink->getGateway(), "link #4");
    EXPECT_EQ(onLink->getDestination(), "192.168.1.0");
    // a link-level gateway with a hardware address
    auto arp =
        Route_Info::getRoute(message({inet(192, 168, 1, 7), link(4, {0x00, 0x1c, 0x42, 0xab, 0x0f, 0x10}, 0, 6)}));
    ASSERT_NE(arp, nullptr);
    EXPECT_EQ(arp->getGateway(), "0.1c.42.ab.f.10");
    // another family: the bytes from slot byte 2, as many as the length says, within the slot
    Bytes other(16, 0);
    other[0] = 4;
    other[1] = 99;
    other[2] = 0xab, other[3] = 0x01, other[4] = 0xff, other[5] = 0x10;
    auto odd = Route_Info::getRoute(message({inet(10, 0, 0, 0), other}));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->getGateway(), "ab:01:ff:10");
    other[0] = 0;
    EXPECT_EQ(Route_Info::getRoute(message({inet(10, 0, 0, 0), other}))->getGateway(), std::nullopt);
}

TEST(SlotRendering, ALengthPastTheSlotRendersOnlyTheSlotsBytes) {
    Bytes wide(16, 0x11);
    wide[0] = 200;
    wide[1] = 77;
    auto route = Route_Info::getRoute(message({inet(10, 0, 0, 0), wide}));
    ASSERT_NE(route, nullptr);
    std::string text = *route->getGateway();
    EXPECT_EQ(text.size(), 14u * 2 + 13);
    EXPECT_EQ(text.substr(0, 6), "11:11:");
    // an IPv6 destination slot only holds its first 16 bytes
    Bytes withV6Gateway = message({inet(10, 0, 0, 0), inet6()});
    auto v6 = Route_Info::getRoute(withV6Gateway);
    ASSERT_NE(v6, nullptr);
    EXPECT_EQ(v6->getGateway(), "00:00:00:00:00:00:fe:80:00:00:00:00:00:00");
}

TEST(SlotRendering, AbsentSlotsAndIndicesOutOfRange) {
    auto route = Route_Info::getRoute(message({inet(10, 0, 0, 0), inet(10, 0, 0, 1)}));
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(route->getNetmask(), std::nullopt);  // bit 2 clear
    EXPECT_EQ(route->getAddrStringByIndex(-1), std::nullopt);
    EXPECT_EQ(route->getAddrStringByIndex(8), std::nullopt);
    route->m_rtm.rtm_addrs = -1;  // every bit set, slots past the message are zero
    EXPECT_EQ(route->getAddrStringByIndex(7), std::nullopt);
    EXPECT_EQ(route->getAddrStringByIndex(31), std::nullopt);
}

TEST(RouteRecord, SetAddrIgnoresIndicesPastSevenAndZeroFillsShortAddresses) {
    auto route = Route_Info::getRoute(message({inet(10, 0, 0, 0), inet(10, 0, 0, 1)}));
    ASSERT_NE(route, nullptr);
    auto before = route->m_addrs;
    Bytes sa = inet(1, 2, 3, 4);
    route->setAddr(sa, 8);
    route->setAddr(sa, -1);
    EXPECT_EQ(route->m_addrs, before);
    route->setAddr(std::span<const std::uint8_t>(sa.data(), 6), 1);
    EXPECT_EQ(route->m_addrs[1][5], 2);
    EXPECT_EQ(route->m_addrs[1][6], 0);
    EXPECT_EQ(route->m_addrs[1][7], 0);
}

TEST(RouteWalk, EndsAtAZeroLengthOrAMessageRunningPastTheDump) {
    Bytes ipv6 = message({inet6()});
    Bytes good = message({inet(0, 0, 0, 0), inet(192, 168, 1, 1)});
    EXPECT_EQ(gatewayOfWalk(join({ipv6, good})), "192.168.1.1");

    Bytes zero = ipv6;
    zero[0] = zero[1] = 0;
    EXPECT_EQ(gatewayOfWalk(join({zero, good})), "no route");

    Bytes overlong = ipv6;
    std::uint16_t length = 0xffff;
    std::memcpy(overlong.data(), &length, 2);
    EXPECT_EQ(gatewayOfWalk(join({overlong, good})), "no route");

    Bytes truncated(good.begin(), good.end() - 1);
    EXPECT_EQ(gatewayOfWalk(truncated), "no route");
    EXPECT_EQ(gatewayOfWalk(Bytes{0x05}), "no route");
    EXPECT_EQ(gatewayOfWalk(Bytes{}), "no route");
}

TEST(RouteWalk, ShortMessagesReadZeroPastTheirEnd) {
    // a message that says it is 96 bytes: the destination's family byte exists, its address does not
    Bytes shortOne = message({inet(10, 1, 2, 3)});
    shortOne.resize(96);
    std::uint16_t length = 96;
    std::memcpy(shortOne.data(), &length, 2);
    auto routes = Route_Info::routesInDump(shortOne);
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_EQ(routes[0]->getDestination(), "default");
}

}  // namespace
