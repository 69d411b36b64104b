// `flint-sim netinfo` on a simulated device and on this machine.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/bsd/DeviceNetwork.h"
#include "sim/cli/NetInfo.h"
#include "tests/support/TempFolder.h"

namespace {

std::string lineOf(const std::string& output, const std::string& label) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        auto at = line.find(label + " ");
        if (at == 2) {
            std::string value = line.substr(2 + label.size());
            return value.substr(value.find_first_not_of(' '));
        }
    }
    return "(missing)";
}

TEST(NetInfoCommand, PrintsEveryAnswerOfASimulatedDevice) {
    ios::testing::TempFolder folder("flint-netinfo-test");
    ASSERT_TRUE(folder);
    const std::filesystem::path& root = folder.path();
    bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone();
    network.publicAddressEndpoint = "http://127.0.0.1:1/";
    std::filesystem::create_directories(bsd::DeviceNetwork::fileIn(root).parent_path());
    std::ofstream(bsd::DeviceNetwork::fileIn(root)) << network.toJson();

    std::ostringstream out, err;
    EXPECT_EQ(runNetInfo({"--backend", "simulated", "--root", root.string(), "--timeout", "1"}, out, err), 0)
        << err.str();
    std::string text = out.str();
    EXPECT_EQ(lineOf(text, "getIPAddress()"), "192.168.1.20");
    EXPECT_EQ(lineOf(text, "cellIPAddress()"), "10.72.14.9");
    EXPECT_EQ(lineOf(text, "systemUptime()"), "0 Days 0 Hrs 0 Mins");
    EXPECT_EQ(lineOf(text, "carrierName()"), "Flint Mobile");
    EXPECT_EQ(lineOf(text, "currentWifiSSID()"), "Flint Home");
    EXPECT_EQ(lineOf(text, "macAddress()"), "02:5E:10:4A:7C:21");
    EXPECT_EQ(lineOf(text, "wiFiNetmaskAddress"), "255.255.255.0");
    EXPECT_EQ(lineOf(text, "wiFiBroadcastAddress"), "192.168.1.255");
    EXPECT_EQ(lineOf(text, "wiFiRouterAddress"), "192.168.1.1");
    EXPECT_EQ(lineOf(text, "wiFiIPv6Address"), "2001:db8:1::20");
    EXPECT_EQ(lineOf(text, "connectedToCellNetwork"), "yes");
    EXPECT_EQ(lineOf(text, "externalIPAddress"), "(null)");
    EXPECT_NE(text.find("Mac Address: 02:5E:10:4A:7C:21"), std::string::npos);

    std::ofstream(bsd::DeviceNetwork::fileIn(root)) << "{\"interfaces\": 3}";
    std::ostringstream out2, err2;
    EXPECT_EQ(runNetInfo({"--backend", "simulated", "--root", root.string()}, out2, err2), 1);
    EXPECT_NE(err2.str().find("interfaces must be an array"), std::string::npos);
}

TEST(NetInfoCommand, HostWithLoopbackAsEn0AndBadOptions) {
    std::ostringstream out, err;
    EXPECT_EQ(runNetInfo({"--map", "en0=lo", "--endpoint", "http://127.0.0.1:1/", "--timeout", "1"}, out, err), 0)
        << err.str();
    EXPECT_EQ(lineOf(out.str(), "getIPAddress()"), "127.0.0.1");
    EXPECT_EQ(lineOf(out.str(), "wiFiNetmaskAddress"), "255.0.0.0");
    EXPECT_NE(out.str().find("en0 = lo"), std::string::npos);

    std::ostringstream out2, err2;
    EXPECT_NE(runNetInfo({"--map", "en0"}, out2, err2), 0);
    EXPECT_NE(err2.str().find("DARWIN=HOST"), std::string::npos);
    std::ostringstream out3, err3;
    EXPECT_NE(runNetInfo({"--backend", "phone"}, out3, err3), 0);
}

}  // namespace
