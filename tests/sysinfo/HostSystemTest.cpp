// The system's queries on this machine's real network through the host back end.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/bsd/HostBackend.h"
#include "platform/bsd/Net.h"
#include "tests/support/TestProcess.h"
#include "sysinfo/SSNetworkInfo.h"
#include "sysinfo/SystemInfo.h"

namespace {

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(HostSystem, LoopbackAsEn0) {
    ios::testing::TestProcess test;
    bsd::ScopedBackend scope(std::make_shared<bsd::HostBackend>(std::map<std::string, std::string>{{"en0", "lo"}}));
    EXPECT_EQ(getIPAddress(), "127.0.0.1");
    EXPECT_EQ(SSNetworkInfo::wiFiIPAddress(), "127.0.0.1");
    EXPECT_EQ(SSNetworkInfo::wiFiNetmaskAddress(), "255.0.0.0");
    EXPECT_EQ(SSNetworkInfo::wiFiBroadcastAddress(), "127.255.255.255");
    EXPECT_EQ(SSNetworkInfo::cellIPAddress(), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::currentIPAddress(), "127.0.0.1");

    std::ifstream in("/sys/class/net/lo/address");
    std::string mac;
    std::getline(in, mac);
    EXPECT_EQ(macAddress(), upper(mac));
    EXPECT_EQ(bsd::openSocketsForTesting(), 0u);
    EXPECT_EQ(bsd::outstandingInterfaceListsForTesting(), 0u);
}

TEST(HostSystem, DefaultMapShowsTheDefaultRouteInterface) {
    ios::testing::TestProcess test;
    auto host = std::make_shared<bsd::HostBackend>();
    bsd::ScopedBackend scope(host);
    auto hostName = host->hostNameFor("en0");
    if (!hostName) GTEST_SKIP() << "this machine has no default route";
    std::ifstream in("/sys/class/net/" + *hostName + "/address");
    std::string mac;
    std::getline(in, mac);
    EXPECT_EQ(macAddress(), upper(mac));
    auto address = SSNetworkInfo::wiFiIPAddress();
    auto netmask = SSNetworkInfo::wiFiNetmaskAddress();
    if (address) {
        EXPECT_EQ(getIPAddress(), *address);
        ASSERT_TRUE(netmask);
        EXPECT_TRUE(SSNetworkInfo::wiFiBroadcastAddress());
    }
    auto router = SSNetworkInfo::wiFiRouterAddress();
    ASSERT_TRUE(router);
    EXPECT_NE(*router, "default");
    EXPECT_EQ(currentWifiSSID(), "n/a");
    EXPECT_EQ(carrierName(), std::nullopt);
}

}  // namespace
