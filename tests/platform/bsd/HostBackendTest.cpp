// The host back end on this machine: real interfaces, netmask request and routes under Darwin
// names. Expectations come from the machine itself (the loopback interface every Linux host has,
// /proc/net/route and /sys/class/net), never from fixed values of one machine.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/bsd/HostBackend.h"
#include "platform/bsd/Net.h"

namespace {

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The interface of the default route as the kernel's text table shows it.
std::string defaultRouteInterface() {
    std::ifstream in("/proc/net/route");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refcnt, use, metric, mask;
        if (fields >> name >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask &&
            destination == "00000000" && mask == "00000000")
            return name;
    }
    return {};
}

std::string netmaskOf(const char* name) {
    int fd = bsd::socket(bsd::AF_INET, bsd::SOCK_DGRAM, 0);
    EXPECT_GE(fd, 0);
    bsd::ifreq request{};
    std::strncpy(request.ifr_name, name, bsd::IFNAMSIZ - 1);
    int result = bsd::ioctl(fd, bsd::SIOCGIFNETMASK, &request);
    bsd::close(fd);
    if (result != 0) return "error";
    return bsd::inet_ntoa(reinterpret_cast<bsd::sockaddr_in*>(&request.ifr_ifru.ifru_addr)->sin_addr);
}

TEST(HostBackend, LoopbackMappedToEn0ShowsItsRealAddressNetmaskAndIndex) {
    auto host = std::make_shared<bsd::HostBackend>(std::map<std::string, std::string>{{"en0", "lo"}});
    bsd::ScopedBackend scope(host);

    bsd::ifaddrs* list = nullptr;
    ASSERT_EQ(bsd::getifaddrs(&list), 0);
    bool sawEn0 = false, sawLo = false;
    std::string en0Address;
    for (auto* e = list; e; e = e->ifa_next) {
        if (std::strcmp(e->ifa_name, "lo") == 0) sawLo = true;
        if (std::strcmp(e->ifa_name, "en0") != 0) continue;
        sawEn0 = true;
        if (e->ifa_addr->sa_family == bsd::AF_INET)
            en0Address = bsd::inet_ntoa(reinterpret_cast<bsd::sockaddr_in*>(e->ifa_addr)->sin_addr);
        if (e->ifa_addr->sa_family == bsd::AF_LINK) {
            auto* sdl = reinterpret_cast<bsd::sockaddr_dl*>(e->ifa_addr);
            EXPECT_EQ(sdl->sdl_type, bsd::IFT_LOOP);
            EXPECT_EQ(std::string(sdl->sdl_data, sdl->sdl_nlen), "en0");
        }
        EXPECT_TRUE(e->ifa_flags & bsd::IFF_LOOPBACK);
    }
    bsd::freeifaddrs(list);
    EXPECT_TRUE(sawEn0);
    EXPECT_FALSE(sawLo) << "a mapped interface is seen only under its Darwin name";
    EXPECT_EQ(en0Address, "127.0.0.1");
    EXPECT_EQ(netmaskOf("en0"), "255.0.0.0");
    EXPECT_EQ(netmaskOf("lo"), "error");
    EXPECT_EQ(bsd::if_nametoindex("en0"), std::stoul(firstLine("/sys/class/net/lo/ifindex")));
    EXPECT_EQ(bsd::if_nametoindex("pdp_ip0"), 0u);
    EXPECT_EQ(bsd::openSocketsForTesting(), 0u);
}

TEST(HostBackend, En0IsTheDefaultRouteInterfaceByDefault) {
    std::string expected = defaultRouteInterface();
    if (expected.empty()) GTEST_SKIP() << "this machine has no default route";
    bsd::HostBackend host;
    EXPECT_EQ(host.effectiveNameMap()["en0"], expected);
    EXPECT_EQ(host.hostNameFor("en0"), expected);
    EXPECT_EQ(host.hostNameFor(expected), std::nullopt);
    EXPECT_EQ(host.hostNameFor("pdp_ip0"), "pdp_ip0");

    bsd::ScopedBackend scope(std::make_shared<bsd::HostBackend>());
    auto answer = [] {
        std::size_t size = 0;
        int mib[6] = {bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_LINK, bsd::NET_RT_IFLIST, 0};
        mib[5] = static_cast<int>(bsd::if_nametoindex("en0"));
        EXPECT_GT(mib[5], 0);
        EXPECT_EQ(bsd::sysctl(mib, 6, nullptr, &size, nullptr, 0), 0);
        std::vector<std::uint8_t> buffer(size);
        EXPECT_EQ(bsd::sysctl(mib, 6, buffer.data(), &size, nullptr, 0), 0);
        return buffer;
    }();
    ASSERT_GT(answer.size(), 120u + 6);
    std::size_t nlen = answer[117];
    EXPECT_EQ(std::string(answer.begin() + 120, answer.begin() + 120 + static_cast<long>(nlen)), "en0");
    std::string mac = firstLine("/sys/class/net/" + expected + "/address");
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", answer[120 + nlen], answer[121 + nlen],
                  answer[122 + nlen], answer[123 + nlen], answer[124 + nlen], answer[125 + nlen]);
    EXPECT_EQ(text, mac);
}

TEST(HostBackend, RouteDumpStartsWithTheDefaultRouteAndItsGateway) {
    if (defaultRouteInterface().empty()) GTEST_SKIP() << "this machine has no default route";
    bsd::ScopedBackend scope(std::make_shared<bsd::HostBackend>());
    int mib[6] = {bsd::CTL_NET, bsd::PF_ROUTE, 0, bsd::AF_INET, bsd::NET_RT_DUMP2, 0};
    std::size_t size = 0;
    ASSERT_EQ(bsd::sysctl(mib, 6, nullptr, &size, nullptr, 0), 0);
    std::vector<std::uint8_t> dump(size);
    ASSERT_EQ(bsd::sysctl(mib, 6, dump.data(), &size, nullptr, 0), 0);
    ASSERT_GE(dump.size(), 92u + 32u);
    bsd::rt_msghdr2 first;
    std::memcpy(&first, dump.data(), sizeof first);
    EXPECT_TRUE(first.rtm_flags & bsd::RTF_GATEWAY);
    EXPECT_EQ(first.rtm_index, bsd::if_nametoindex("en0"));
    // destination 0.0.0.0, then the gateway that /proc/net/route names
    EXPECT_EQ(dump[93], bsd::AF_INET);
    EXPECT_EQ(dump[96] | dump[97] | dump[98] | dump[99], 0);
    std::ifstream in("/proc/net/route");
    std::string line, gatewayHex;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string name, destination, gateway;
        f >> name >> destination >> gateway;
        if (destination == "00000000") {
            gatewayHex = gateway;
            break;
        }
    }
    std::uint32_t gateway = static_cast<std::uint32_t>(std::stoul(gatewayHex, nullptr, 16));
    std::uint32_t inDump;
    std::memcpy(&inDump, dump.data() + 92 + 16 + 4, 4);
    EXPECT_EQ(inDump, gateway);
}

TEST(HostBackend, HiddenAndMissingNames) {
    bsd::HostBackend host(std::map<std::string, std::string>{{"en0", ""}, {"pdp_ip0", "lo"}});
    EXPECT_EQ(host.hostNameFor("en0"), std::nullopt);
    EXPECT_EQ(host.hostNameFor("pdp_ip0"), "lo");
    EXPECT_EQ(host.hostNameFor("lo"), std::nullopt);
    bsd::ScopedBackend scope(
        std::make_shared<bsd::HostBackend>(std::map<std::string, std::string>{{"en0", ""}}, false));
    EXPECT_EQ(bsd::if_nametoindex("en0"), 0u);
    EXPECT_EQ(netmaskOf("en0"), "error");
}

}  // namespace
