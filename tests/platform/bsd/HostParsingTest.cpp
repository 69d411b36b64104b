// The host back end's readers of kernel text and netlink buffers, on crafted input.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstring>
#include <vector>

#include "platform/bsd/HostBackend.h"

namespace {

unsigned fakeIndex(const char* name) { return std::strcmp(name, "eth0") == 0 ? 2 : 0; }

TEST(ProcNetRoute, ReadsRoutesAndSkipsLinesThatDontParse) {
    const char* text =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
        "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
        "eth0\tzz\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
        "eth0\t000300C0\t00000000\t0000\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
        "short line\n";
    auto routes = bsd::parseProcNetRoute(text, fakeIndex);
    ASSERT_EQ(routes.size(), 2u);
    EXPECT_EQ(routes[0].prefixLength, 0);
    ASSERT_TRUE(routes[0].gateway);
    EXPECT_EQ((std::vector<int>{(*routes[0].gateway)[0], (*routes[0].gateway)[1], (*routes[0].gateway)[2],
                                (*routes[0].gateway)[3]}),
              (std::vector<int>{192, 0, 2, 1}));
    EXPECT_EQ(routes[0].interfaceIndex, 2u);
    EXPECT_TRUE(routes[0].flags & bsd::fact::kRouteGateway);
    EXPECT_EQ(routes[1].prefixLength, 24);
    EXPECT_EQ(routes[1].destination[2], 2);
    EXPECT_FALSE(routes[1].gateway);
    EXPECT_TRUE(routes[1].flags & bsd::fact::kRouteCloning);
}

std::vector<std::uint8_t> routeMessage(unsigned char table, unsigned char type, std::uint32_t oif, bool withGateway) {
    std::vector<std::uint8_t> out(NLMSG_LENGTH(sizeof(rtmsg)));
    auto attribute = [&](unsigned short kind, const void* data, std::size_t size) {
        std::size_t at = out.size();
        out.resize(at + RTA_SPACE(size));
        rtattr header{static_cast<unsigned short>(RTA_LENGTH(size)), kind};
        std::memcpy(out.data() + at, &header, sizeof header);
        std::memcpy(out.data() + at + RTA_LENGTH(0), data, size);
    };
    std::uint8_t gateway[4] = {10, 0, 0, 1};
    if (withGateway) attribute(RTA_GATEWAY, gateway, 4);
    attribute(RTA_OIF, &oif, 4);
    nlmsghdr header{};
    header.nlmsg_len = static_cast<std::uint32_t>(out.size());
    header.nlmsg_type = RTM_NEWROUTE;
    std::memcpy(out.data(), &header, sizeof header);
    rtmsg message{};
    message.rtm_family = AF_INET;
    message.rtm_table = table;
    message.rtm_type = type;
    message.rtm_protocol = RTPROT_BOOT;
    std::memcpy(out.data() + NLMSG_HDRLEN, &message, sizeof message);
    return out;
}

TEST(NetlinkRoutes, KeepsUnicastRoutesOfTheMainTableUntilDone) {
    std::vector<std::uint8_t> buffer = routeMessage(RT_TABLE_MAIN, RTN_UNICAST, 3, true);
    auto local = routeMessage(RT_TABLE_LOCAL, RTN_LOCAL, 1, false);
    buffer.insert(buffer.end(), local.begin(), local.end());
    nlmsghdr done{};
    done.nlmsg_len = NLMSG_LENGTH(4);
    done.nlmsg_type = NLMSG_DONE;
    std::size_t at = buffer.size();
    buffer.resize(at + done.nlmsg_len);
    std::memcpy(buffer.data() + at, &done, sizeof done);

    std::vector<bsd::Route> routes;
    bool finished = false;
    ASSERT_TRUE(bsd::parseNetlinkRoutes(buffer.data(), buffer.size(), routes, finished));
    EXPECT_TRUE(finished);
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_EQ(routes[0].interfaceIndex, 3u);
    ASSERT_TRUE(routes[0].gateway);
    EXPECT_EQ((*routes[0].gateway)[0], 10);
    EXPECT_EQ(routes[0].family, bsd::fact::kInet);
}

TEST(NetlinkRoutes, RefusesAMessageLongerThanTheBuffer) {
    std::vector<std::uint8_t> buffer = routeMessage(RT_TABLE_MAIN, RTN_UNICAST, 3, true);
    std::vector<bsd::Route> routes;
    bool finished = false;
    EXPECT_FALSE(bsd::parseNetlinkRoutes(buffer.data(), buffer.size() - 4, routes, finished));
    EXPECT_FALSE(finished);
    // an attribute whose length runs past its message ends that message's attributes
    std::uint16_t tooLong = 200;
    std::memcpy(buffer.data() + NLMSG_LENGTH(sizeof(rtmsg)), &tooLong, 2);
    routes.clear();
    EXPECT_TRUE(bsd::parseNetlinkRoutes(buffer.data(), buffer.size(), routes, finished));
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_FALSE(routes[0].gateway);
}

}  // namespace
