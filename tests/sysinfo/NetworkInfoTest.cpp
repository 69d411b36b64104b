// The network information service on a simulated device, and its public-address fetch against
// a server on loopback.

#include <gtest/gtest.h>

#include <memory>

#include "platform/bsd/Net.h"
#include "platform/bsd/SimulatedBackend.h"
#include "tests/support/TestProcess.h"
#include "sysinfo/LoopbackServer.h"
#include "sysinfo/SSNetworkInfo.h"

namespace {

class NetworkInfoTest : public ::testing::Test {
protected:
    ios::testing::TestProcess test;
    std::shared_ptr<bsd::SimulatedBackend> sim = std::make_shared<bsd::SimulatedBackend>();
    bsd::ScopedBackend scope{sim};
    bsd::DeviceNetwork& network() { return sim->network(); }

    void addWiFi() {
        network().addInterface("en0").addIPv4("192.168.1.20", "255.255.255.0").addIPv6("2001:db8::20");
        network().addRoute("default", "192.168.1.1", "en0");
        network().addRoute("192.168.1.0/24", "", "en0");
    }
    void addCell() {
        network()
            .addInterface("pdp_ip0", bsd::IFT_CELLULAR)
            .addIPv4("10.72.14.9", "255.255.240.0")
            .addIPv6("2001:db8:c::9");
    }
    void TearDown() override {
        SSNetworkInfo::setExternalIPEndpointForTesting(std::nullopt);
        SSNetworkInfo::setExternalIPTimeoutForTesting(std::nullopt);
        EXPECT_EQ(bsd::outstandingInterfaceListsForTesting(), 0u);
        EXPECT_EQ(bsd::openSocketsForTesting(), 0u);
        EXPECT_EQ(sim->openSocketCount(), 0u);
    }
};

TEST_F(NetworkInfoTest, AddressesNetmasksAndBroadcastsOfBothLinks) {
    addWiFi();
    addCell();
    EXPECT_EQ(SSNetworkInfo::wiFiIPAddress(), "192.168.1.20");
    EXPECT_EQ(SSNetworkInfo::wiFiIPv6Address(), "2001:db8::20");
    EXPECT_EQ(SSNetworkInfo::wiFiNetmaskAddress(), "255.255.255.0");
    EXPECT_EQ(SSNetworkInfo::wiFiBroadcastAddress(), "192.168.1.255");
    EXPECT_EQ(SSNetworkInfo::cellIPAddress(), "10.72.14.9");
    EXPECT_EQ(SSNetworkInfo::cellIPv6Address(), "2001:db8:c::9");
    EXPECT_EQ(SSNetworkInfo::cellNetmaskAddress(), "255.255.240.0");
    EXPECT_EQ(SSNetworkInfo::cellBroadcastAddress(), "10.72.15.255");
    EXPECT_TRUE(SSNetworkInfo::connectedToWiFi());
    EXPECT_TRUE(SSNetworkInfo::connectedToCellNetwork());
    EXPECT_EQ(SSNetworkInfo::currentIPAddress(), "192.168.1.20");
}

TEST_F(NetworkInfoTest, CurrentAddressFallsBackToCellularThenNone) {
    EXPECT_EQ(SSNetworkInfo::currentIPAddress(), std::nullopt);
    addCell();
    EXPECT_FALSE(SSNetworkInfo::connectedToWiFi());
    EXPECT_EQ(SSNetworkInfo::currentIPAddress(), "10.72.14.9");
    EXPECT_EQ(SSNetworkInfo::wiFiNetmaskAddress(), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::wiFiBroadcastAddress(), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::wiFiIPv6Address(), std::nullopt);
}

TEST_F(NetworkInfoTest, LaterMatchingAddressWins) {
    network()
        .addInterface("pdp_ip0", bsd::IFT_CELLULAR)
        .addIPv4("10.0.0.1")
        .addIPv4("10.0.0.2")
        .addIPv6("fe80::1")
        .addIPv6("fe80::2");
    EXPECT_EQ(SSNetworkInfo::cellIPAddress(), "10.0.0.2");
    EXPECT_EQ(SSNetworkInfo::cellIPv6Address(), "fe80::2");
}

TEST_F(NetworkInfoTest, NetmaskFailuresGiveNoneAndCloseTheSocket) {
    addWiFi();
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Netmask, true);
    EXPECT_EQ(SSNetworkInfo::wiFiNetmaskAddress(), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::wiFiBroadcastAddress(), std::nullopt);
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Netmask, false);
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Socket, true);
    EXPECT_EQ(SSNetworkInfo::wiFiNetmaskAddress(), std::nullopt);
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Socket, false);
    EXPECT_EQ(SSNetworkInfo::wiFiNetmaskAddress(), "255.255.255.0");
}

TEST(BroadcastArithmetic, FromTheDottedParts) {
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("192.168.1.20", "255.255.255.0"), "192.168.1.255");
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("10.72.14.9", "255.255.255.255"), "10.72.14.9");
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("192.168.1.20", "255.255.255"), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("192.168.1.20.5", "255.255.255.0"), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::broadcastAddress(std::nullopt, "255.255.255.0"), std::nullopt);
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("", "255.255.255.0"), std::nullopt);
    // parts are read by their leading digits and OR-ed without limiting them to a byte
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("192.168.1x.20", "255.255.255.0"), "192.168.1.255");
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("192.168..20", "255.255.255.0"), "192.168.0.255");
    EXPECT_EQ(SSNetworkInfo::broadcastAddress("1.2.3.260", "255.255.255.255"), "1.2.3.4");  // 3 << 8 | 260
}

TEST_F(NetworkInfoTest, RouterIsTheGatewayOfTheFirstIPv4Route) {
    EXPECT_EQ(SSNetworkInfo::wiFiRouterAddress(), std::nullopt);
    network().addInterface("en0").addIPv4("192.168.1.20", "255.255.255.0");
    network().addRoute("::/0", "fe80::1", "en0");
    network().addRoute("192.168.1.0/24", "", "en0");
    network().addRoute("default", "192.168.1.1", "en0");
    EXPECT_EQ(SSNetworkInfo::wiFiRouterAddress(), "link #1");
    network().routes.erase(network().routes.begin() + 1);
    EXPECT_EQ(SSNetworkInfo::wiFiRouterAddress(), "192.168.1.1");
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Routes, true);
    EXPECT_EQ(SSNetworkInfo::wiFiRouterAddress(), std::nullopt);
}

TEST_F(NetworkInfoTest, RouterSkipsRoutesClonedFromTheDefaultRoute) {
    network().addInterface("en0").addIPv4("192.168.1.20", "255.255.255.0");
    network().addRoute("17.253.144.10", "192.168.1.1", "en0");
    network().routes.back().flags = bsd::RTF_UP | bsd::RTF_GATEWAY | bsd::RTF_HOST | bsd::RTF_WASCLONED;
    network().routes.back().parentFlags = bsd::RTF_PRCLONING;
    network().addRoute("default", "192.168.1.254", "en0");
    EXPECT_EQ(SSNetworkInfo::wiFiRouterAddress(), "192.168.1.254");
}

TEST_F(NetworkInfoTest, PublicAddressHasItsNewlinesStripped) {
    addWiFi();
    LoopbackServer server("\n203.0.113.7\r\n");
    SSNetworkInfo::setExternalIPEndpointForTesting(server.url());
    EXPECT_EQ(SSNetworkInfo::externalIPAddress(), "203.0.113.7");
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(NetworkInfoTest, PublicAddressEndpointComesFromTheDeviceConfiguration) {
    addCell();
    LoopbackServer server("198.51.100.4\n");
    network().publicAddressEndpoint = server.url();
    EXPECT_EQ(SSNetworkInfo::externalIPEndpoint(), server.url());
    EXPECT_EQ(SSNetworkInfo::externalIPAddress(), "198.51.100.4");
    network().publicAddressEndpoint.reset();
    EXPECT_EQ(SSNetworkInfo::externalIPEndpoint(), SSNetworkInfo::kDefaultExternalIPEndpoint);
}

TEST_F(NetworkInfoTest, PublicAddressNoneForAnEmptyBodyAnErrorOrADownServer) {
    addWiFi();
    {
        LoopbackServer empty("\n\n");
        SSNetworkInfo::setExternalIPEndpointForTesting(empty.url());
        EXPECT_EQ(SSNetworkInfo::externalIPAddress(), std::nullopt);
        EXPECT_EQ(empty.connections(), 1);
    }
    {
        LoopbackServer failing("203.0.113.7\n", 503);
        SSNetworkInfo::setExternalIPEndpointForTesting(failing.url());
        EXPECT_EQ(SSNetworkInfo::externalIPAddress(), std::nullopt);
    }
    {
        LoopbackServer notText(std::string("\xff\xfe\x01", 3));
        SSNetworkInfo::setExternalIPEndpointForTesting(notText.url());
        EXPECT_EQ(SSNetworkInfo::externalIPAddress(), std::nullopt);
    }
    SSNetworkInfo::setExternalIPEndpointForTesting(LoopbackServer::refusingURL());
    EXPECT_EQ(SSNetworkInfo::externalIPAddress(), std::nullopt);
}

TEST_F(NetworkInfoTest, PublicAddressGivesUpAtItsTimeout) {
    addWiFi();
    LoopbackServer silent("", 200, LoopbackServer::Mode::Silent);
    SSNetworkInfo::setExternalIPEndpointForTesting(silent.url());
    SSNetworkInfo::setExternalIPTimeoutForTesting(0.2);
    EXPECT_EQ(SSNetworkInfo::externalIPAddress(), std::nullopt);
    EXPECT_EQ(silent.connections(), 1);
}

TEST_F(NetworkInfoTest, PublicAddressWithoutLinksMakesNoRequest) {
    LoopbackServer server("203.0.113.7\n");
    SSNetworkInfo::setExternalIPEndpointForTesting(server.url());
    network().addInterface("en0").addIPv6("fe80::1");
    EXPECT_EQ(SSNetworkInfo::externalIPAddress(), std::nullopt);
    EXPECT_EQ(server.connections(), 0);
}

}  // namespace
