// The Darwin calls over the simulated back end: layouts, ordering, ownership and error returns.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/bsd/Net.h"
#include "platform/bsd/RoutingMessages.h"
#include "platform/bsd/SimulatedBackend.h"

namespace {

bsd::DeviceNetwork phone() {
    bsd::DeviceNetwork network;
    network.addInterface("lo0", bsd::IFT_LOOP).addIPv4("127.0.0.1", "255.0.0.0");
    network.addInterface("en0")
        .setHardwareAddress("02:5e:10:4a:7c:21")
        .addIPv4("192.168.1.20", "255.255.255.0")
        .addIPv6("fe80::1", 64);
    network.addInterface("pdp_ip0", bsd::IFT_CELLULAR).addIPv4("10.72.14.9", "255.255.255.255");
    network.addRoute("default", "192.168.1.1", "en0");
    network.addRoute("192.168.1.0/24", "", "en0");
    network.addRoute("::/0", "fe80::1", "en0");
    network.addRoute("10.0.0.9", "", "pdp_ip0");
    return network;
}

class NetTest : public ::testing::Test {
protected:
    std::shared_ptr<bsd::SimulatedBackend> sim = std::make_shared<bsd::SimulatedBackend>(phone());
    bsd::ScopedBackend scope{sim};
    std::vector<std::string> diagnostics;
    void SetUp() override {
        bsd::setDiagnosticSink([this](const std::string& m) { diagnostics.push_back(m); });
    }
    void TearDown() override {
        bsd::setDiagnosticSink(nullptr);
        EXPECT_EQ(bsd::outstandingInterfaceListsForTesting(), 0u);
        EXPECT_EQ(bsd::openSocketsForTesting(), 0u);
    }
};

std::vector<std::uint8_t> query(std::vector<int> mib) {
    std::size_t size = 0;
    EXPECT_EQ(bsd::sysctl(mib.data(), static_cast<unsigned>(mib.size()), nullptr, &size, nullptr, 0), 0);
    std::vector<std::uint8_t> buffer(size);
    EXPECT_EQ(bsd::sysctl(mib.data(), static_cast<unsigned>(mib.size()), buffer.data(), &size, nullptr, 0), 0);
    buffer.resize(size);
    return buffer;
}

TEST_F(NetTest, InterfaceListGivesEachInterfaceItsLinkEntryThenItsAddressesInDarwinLayout) {
    bsd::ifaddrs* list = nullptr;
    ASSERT_EQ(bsd::getifaddrs(&list), 0);
    std::vector<std::pair<std::string, int>> seen;
    for (auto* e = list; e; e = e->ifa_next) seen.emplace_back(e->ifa_name, e->ifa_addr->sa_family);
    std::vector<std::pair<std::string, int>> expected = {{"lo0", 18}, {"lo0", 2},      {"en0", 18},   {"en0", 2},
                                                         {"en0", 30}, {"pdp_ip0", 18}, {"pdp_ip0", 2}};
    EXPECT_EQ(seen, expected);

    bsd::ifaddrs* en0v4 = list->ifa_next->ifa_next->ifa_next;
    auto* sin = reinterpret_cast<bsd::sockaddr_in*>(en0v4->ifa_addr);
    EXPECT_EQ(sin->sin_len, 16);
    EXPECT_STREQ(bsd::inet_ntoa(sin->sin_addr), "192.168.1.20");
    EXPECT_STREQ(bsd::inet_ntoa(reinterpret_cast<bsd::sockaddr_in*>(en0v4->ifa_netmask)->sin_addr), "255.255.255.0");
    ASSERT_NE(en0v4->ifa_dstaddr, nullptr);
    EXPECT_STREQ(bsd::inet_ntoa(reinterpret_cast<bsd::sockaddr_in*>(en0v4->ifa_dstaddr)->sin_addr), "192.168.1.255");
    EXPECT_TRUE(en0v4->ifa_flags & bsd::IFF_UP);

    bsd::ifaddrs* en0v6 = en0v4->ifa_next;
    EXPECT_EQ(en0v6->ifa_addr->sa_len, 28);
    char text[46];
    ASSERT_NE(bsd::inet_ntop(bsd::AF_INET6, reinterpret_cast<std::uint8_t*>(en0v6->ifa_addr) + 8, text, sizeof text),
              nullptr);
    EXPECT_STREQ(text, "fe80::1");

    auto* link = reinterpret_cast<bsd::sockaddr_dl*>(list->ifa_next->ifa_next->ifa_addr);
    EXPECT_EQ(link->sdl_index, 2);
    EXPECT_EQ(link->sdl_nlen, 3);
    EXPECT_EQ(link->sdl_alen, 6);
    EXPECT_STREQ(bsd::link_ntoa(link, link->sdl_len), "en0:2.5e.10.4a.7c.21");
    bsd::freeifaddrs(list);
}

TEST_F(NetTest, InterfaceListFailureAndEmptyDevice) {
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Links, true);
    bsd::ifaddrs* list = reinterpret_cast<bsd::ifaddrs*>(this);
    EXPECT_EQ(bsd::getifaddrs(&list), -1);
    EXPECT_EQ(list, nullptr);

    bsd::ScopedBackend empty(std::make_shared<bsd::SimulatedBackend>());
    EXPECT_EQ(bsd::getifaddrs(&list), 0);
    EXPECT_EQ(list, nullptr);
    bsd::freeifaddrs(list);
}

TEST_F(NetTest, ReleasingAForeignOrReleasedListIsReportedNotFollowed) {
    bsd::ifaddrs* list = nullptr;
    ASSERT_EQ(bsd::getifaddrs(&list), 0);
    bsd::freeifaddrs(list->ifa_next);  // not the head
    EXPECT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(bsd::outstandingInterfaceListsForTesting(), 1u);
    bsd::freeifaddrs(list);
    bsd::freeifaddrs(list);
    EXPECT_EQ(diagnostics.size(), 2u);
}

TEST_F(NetTest, NetmaskRequestAnswersInTheRequestAddressField) {
    int fd = bsd::socket(bsd::AF_INET, bsd::SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    bsd::ifreq request{};
    std::strcpy(request.ifr_name, "en0");
    ASSERT_EQ(bsd::ioctl(fd, bsd::SIOCGIFNETMASK, &request), 0);
    auto* sin = reinterpret_cast<bsd::sockaddr_in*>(&request.ifr_ifru.ifru_addr);
    EXPECT_EQ(sin->sin_family, bsd::AF_INET);
    EXPECT_STREQ(bsd::inet_ntoa(sin->sin_addr), "255.255.255.0");

    std::strcpy(request.ifr_name, "en7");
    EXPECT_EQ(bsd::ioctl(fd, bsd::SIOCGIFNETMASK, &request), -1);
    EXPECT_EQ(errno, ENXIO);
    EXPECT_EQ(bsd::ioctl(fd, 0x1234, &request), -1);
    EXPECT_EQ(errno, ENOTTY);
    EXPECT_EQ(bsd::close(fd), 0);
    EXPECT_EQ(bsd::ioctl(fd, bsd::SIOCGIFNETMASK, &request), -1);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(bsd::close(fd), -1);
    EXPECT_EQ(sim->openSocketCount(), 0u);
}

TEST_F(NetTest, NetmaskOfAnInterfaceWithoutIPv4AndUnofferedSockets) {
    sim->network().addInterface("utun0");
    int fd = bsd::socket(bsd::AF_INET, bsd::SOCK_DGRAM, 0);
    bsd::ifreq request{};
    std::memcpy(request.ifr_name, "utun0", 5);
    EXPECT_EQ(bsd::ioctl(fd, bsd::SIOCGIFNETMASK, &request), -1);
    EXPECT_EQ(errno, EADDRNOTAVAIL);
    bsd::close(fd);
    EXPECT_EQ(bsd::socket(bsd::AF_INET6, bsd::SOCK_DGRAM, 0), -1);
    EXPECT_EQ(bsd::socket(10, bsd::SOCK_DGRAM, 0), -1);  // the host's number for IPv6 means nothing here
}

TEST_F(NetTest, InterfaceIndicesFollowTheConfiguration) {
    EXPECT_EQ(bsd::if_nametoindex("lo0"), 1u);
    EXPECT_EQ(bsd::if_nametoindex("pdp_ip0"), 3u);
    EXPECT_EQ(bsd::if_nametoindex("en"), 0u);
    EXPECT_EQ(bsd::if_nametoindex(nullptr), 0u);
}

TEST_F(NetTest, InterfaceMessagePutsTheNameLengthAt117AndTheAddressAfterTheName) {
    auto answer = query({bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_LINK, bsd::NET_RT_IFLIST, 2});
    ASSERT_EQ(answer.size(), 112u + 20u);
    bsd::if_msghdr header;
    std::memcpy(&header, answer.data(), sizeof header);
    EXPECT_EQ(header.ifm_msglen, answer.size());
    EXPECT_EQ(header.ifm_type, bsd::RTM_IFINFO);
    EXPECT_EQ(header.ifm_index, 2);
    EXPECT_EQ(answer[113], bsd::AF_LINK);
    EXPECT_EQ(answer[117], 3);
    EXPECT_EQ(std::string(answer.begin() + 120, answer.begin() + 123), "en0");
    EXPECT_EQ(std::vector<std::uint8_t>(answer.begin() + 123, answer.begin() + 129),
              (std::vector<std::uint8_t>{0x02, 0x5e, 0x10, 0x4a, 0x7c, 0x21}));

    EXPECT_TRUE(query({bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_LINK, bsd::NET_RT_IFLIST, 99}).empty());
    EXPECT_EQ(query({bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_LINK, bsd::NET_RT_IFLIST, 0}).size(), 3u * 132u);
}

TEST_F(NetTest, RouteDumpHoldsOneMessagePerRouteWithPaddedAddresses) {
    auto dump = query({bsd::CTL_NET, bsd::PF_ROUTE, 0, 0, bsd::NET_RT_DUMP2, 0});
    std::vector<bsd::rt_msghdr2> headers;
    for (std::size_t at = 0; at < dump.size();) {
        bsd::rt_msghdr2 header;
        ASSERT_LE(at + sizeof header, dump.size());
        std::memcpy(&header, dump.data() + at, sizeof header);
        ASSERT_GT(header.rtm_msglen, 0);
        headers.push_back(header);
        at += header.rtm_msglen;
    }
    ASSERT_EQ(headers.size(), 4u);
    // default: destination, IPv4 gateway, netmask, 16 bytes each
    EXPECT_EQ(headers[0].rtm_msglen, 92 + 3 * 16);
    EXPECT_EQ(headers[0].rtm_addrs, bsd::RTA_DST | bsd::RTA_GATEWAY | bsd::RTA_NETMASK);
    EXPECT_TRUE(headers[0].rtm_flags & bsd::RTF_GATEWAY);
    EXPECT_EQ(headers[0].rtm_type, bsd::RTM_GET2);
    EXPECT_EQ(headers[0].rtm_index, 2);
    EXPECT_EQ(dump[92 + 16 + 1], bsd::AF_INET);
    EXPECT_EQ(std::vector<std::uint8_t>(dump.begin() + 92 + 16 + 4, dump.begin() + 92 + 16 + 8),
              (std::vector<std::uint8_t>{192, 168, 1, 1}));
    // on-link subnet: the gateway is a 20-byte link address carrying the interface index
    std::size_t second = headers[0].rtm_msglen;
    EXPECT_EQ(headers[1].rtm_msglen, 92 + 16 + 20 + 16);
    EXPECT_EQ(dump[second + 92 + 16 + 1], bsd::AF_LINK);
    EXPECT_EQ(dump[second + 92 + 16 + 2], 2);
    // IPv6 addresses take 28 bytes each
    EXPECT_EQ(headers[2].rtm_msglen, 92 + 3 * 28);
    // a host route has no netmask
    EXPECT_EQ(headers[3].rtm_addrs, bsd::RTA_DST | bsd::RTA_GATEWAY);
    EXPECT_TRUE(headers[3].rtm_flags & bsd::RTF_HOST);

    EXPECT_EQ(query({bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_INET6, bsd::NET_RT_DUMP2, 0}).size(), 92u + 3 * 28);
}

TEST_F(NetTest, SysctlKeepsThePlatformContract) {
    int dump[6] = {bsd::CTL_NET, bsd::PF_ROUTE, 0, 0, bsd::NET_RT_DUMP2, 0};
    std::size_t size = 0;
    ASSERT_EQ(bsd::sysctl(dump, 6, nullptr, &size, nullptr, 0), 0);
    std::vector<std::uint8_t> small(size - 1);
    std::size_t smallSize = small.size();
    EXPECT_EQ(bsd::sysctl(dump, 6, small.data(), &smallSize, nullptr, 0), -1);
    EXPECT_EQ(errno, ENOMEM);
    std::vector<std::uint8_t> big(size + 50);
    std::size_t bigSize = big.size();
    EXPECT_EQ(bsd::sysctl(dump, 6, big.data(), &bigSize, nullptr, 0), 0);
    EXPECT_EQ(bigSize, size);

    int value = 1;
    EXPECT_EQ(bsd::sysctl(dump, 6, nullptr, &size, &value, sizeof value), -1);
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(bsd::sysctl(dump, 5, nullptr, &size, nullptr, 0), -1);
    int other[6] = {1, 2, 0, 0, 0, 0};
    EXPECT_EQ(bsd::sysctl(other, 6, nullptr, &size, nullptr, 0), -1);
    EXPECT_EQ(errno, ENOENT);
    int ifinet[6] = {bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_INET, bsd::NET_RT_IFLIST, 0};
    EXPECT_EQ(bsd::sysctl(ifinet, 6, nullptr, &size, nullptr, 0), -1);
    EXPECT_EQ(bsd::sysctl(dump, 6, nullptr, nullptr, nullptr, 0), -1);

    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Routes, true);
    EXPECT_EQ(bsd::sysctl(dump, 6, nullptr, &size, nullptr, 0), -1);
}

TEST(LinkText, ReadsNoFurtherThanTheBytesThatExist) {
    // A name of 10 and an address of 6 announced, but only 16 bytes exist.
    std::uint8_t slot[16] = {20, bsd::AF_LINK, 4, 0, bsd::IFT_ETHER, 10, 6, 0, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    EXPECT_STREQ(bsd::link_ntoa(reinterpret_cast<bsd::sockaddr_dl*>(slot), sizeof slot), "abcdefgh:");
    std::uint8_t addressOnly[16] = {14, bsd::AF_LINK, 4,    0,    bsd::IFT_ETHER, 0,    6,
                                    0,  0x00,         0x1c, 0x42, 0xab,           0x0f, 0x10};
    EXPECT_STREQ(bsd::link_ntoa(reinterpret_cast<bsd::sockaddr_dl*>(addressOnly), sizeof addressOnly),
                 "0.1c.42.ab.f.10");
    EXPECT_STREQ(bsd::link_ntoa(reinterpret_cast<bsd::sockaddr_dl*>(addressOnly), 4), "");
    EXPECT_STREQ(bsd::link_ntoa(nullptr, 16), "");
}

TEST(InetText, TakesDarwinFamilies) {
    std::uint8_t loopback6[16] = {};
    loopback6[15] = 1;
    char text[46];
    EXPECT_STREQ(bsd::inet_ntop(30, loopback6, text, sizeof text), "::1");
    EXPECT_EQ(bsd::inet_ntop(10, loopback6, text, sizeof text), nullptr);
    std::uint8_t four[4] = {10, 0, 0, 1};
    EXPECT_EQ(bsd::inet_ntop(2, four, text, 8), nullptr);  // "10.0.0.1" needs 9 bytes
    EXPECT_STREQ(bsd::inet_ntop(2, four, text, 9), "10.0.0.1");
}

}  // namespace
