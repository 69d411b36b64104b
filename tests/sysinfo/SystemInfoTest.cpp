// The exported device queries on a simulated device.

#include <gtest/gtest.h>

#include <memory>

#include "platform/bsd/Net.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "sysinfo/SSNetworkInfo.h"
#include "sysinfo/SystemInfo.h"

namespace {

class SystemInfoTest : public ::testing::Test {
protected:
    std::unique_ptr<ios::testing::TestProcess> test;
    std::shared_ptr<bsd::SimulatedBackend> sim = std::make_shared<bsd::SimulatedBackend>();
    bsd::ScopedBackend scope{sim};

    void SetUp() override { boot(0); }
    void boot(double uptime) {
        test.reset();
        ios::Process::Options options;
        options.uptimeAtBoot = uptime;
        test = std::make_unique<ios::testing::TestProcess>(options);
    }
    bsd::DeviceNetwork& network() { return sim->network(); }
    const std::vector<std::string>& log() { return test->process().log().lines(); }
    void TearDown() override {
        EXPECT_EQ(bsd::outstandingInterfaceListsForTesting(), 0u);
        EXPECT_EQ(bsd::openSocketsForTesting(), 0u);
    }
};

TEST_F(SystemInfoTest, WiFiAddressIsTheLastIPv4AddressOfEn0) {
    network().addInterface("en1").addIPv4("10.1.1.1");
    network().addInterface("en0").addIPv4("192.168.1.20", "255.255.255.0").addIPv6("fe80::1").addIPv4("192.168.1.21");
    network().addInterface("en00").addIPv4("10.2.2.2");
    EXPECT_EQ(getIPAddress(), "192.168.1.21");
}

TEST_F(SystemInfoTest, WiFiAddressWithoutAnyIsTheNullText) {
    network().addInterface("en0").addIPv6("fe80::1");
    EXPECT_EQ(getIPAddress(), "(null)");
    sim->setFailingForTesting(bsd::SimulatedBackend::Failure::Links, true);
    EXPECT_EQ(getIPAddress(), "(null)");
}

TEST_F(SystemInfoTest, CellAddressIsTheServicesAnswer) {
    EXPECT_EQ(cellIPAddress(), std::nullopt);
    network().addInterface("pdp_ip0", bsd::IFT_CELLULAR).addIPv4("10.72.14.9");
    EXPECT_EQ(cellIPAddress(), "10.72.14.9");
    EXPECT_EQ(cellIPAddress(), SSNetworkInfo::cellIPAddress());
}

TEST_F(SystemInfoTest, UptimeInWholeDaysHoursAndMinutes) {
    EXPECT_EQ(systemUptime(), " 0 Days 0 Hrs 0 Mins");
    boot(59);
    EXPECT_EQ(systemUptime(), " 0 Days 0 Hrs 0 Mins");
    boot(86399);
    EXPECT_EQ(systemUptime(), " 0 Days 23 Hrs 59 Mins");
    boot(90061);
    EXPECT_EQ(systemUptime(), " 1 Days 1 Hrs 1 Mins");
    boot(90060);
    EXPECT_EQ(systemUptime(), " 1 Days 1 Hrs 1 Mins");
}

TEST_F(SystemInfoTest, UptimeFollowsTheMediaClock) {
    boot(3540);
    EXPECT_EQ(systemUptime(), " 0 Days 0 Hrs 59 Mins");
    test->runLoop().advanceBy(60);
    EXPECT_EQ(systemUptime(), " 0 Days 1 Hrs 0 Mins");
    test->runLoop().advanceBy(86400.5 * 31);
    EXPECT_EQ(systemUptime(), " 31 Days 1 Hrs 0 Mins");
}

TEST_F(SystemInfoTest, CarrierNameNeedsAProviderWithANonEmptyName) {
    EXPECT_EQ(carrierName(), std::nullopt);  // no SIM
    network().carrier.hasProvider = true;
    EXPECT_EQ(carrierName(), std::nullopt);  // provider without a name
    network().carrier.name = "";
    EXPECT_EQ(carrierName(), std::nullopt);
    network().carrier.name = "Flint Mobile";
    EXPECT_EQ(carrierName(), "Flint Mobile");
    network().carrier.exception = "the radio is off";
    EXPECT_EQ(carrierName(), std::nullopt);
}

TEST_F(SystemInfoTest, SSIDOfTheLastInterfaceWithANetworkElseNotAvailable) {
    network().wifiInterfaces.clear();
    EXPECT_EQ(currentWifiSSID(), "n/a");
    network().wifiInterfaces = {"en0", "en1", "en2"};
    EXPECT_EQ(currentWifiSSID(), "n/a");
    network().wifiNetworks["en0"] = "Home";
    EXPECT_EQ(currentWifiSSID(), "Home");
    network().wifiNetworks["en1"] = "Office";
    EXPECT_EQ(currentWifiSSID(), "Office");
    network().wifiNetworks["en9"] = "Elsewhere";  // not a Wi-Fi interface of the device
    EXPECT_EQ(currentWifiSSID(), "Office");
}

TEST_F(SystemInfoTest, MacAddressOfEn0IsSeventeenUpperCaseCharactersAndLogged) {
    network().addInterface("lo0", bsd::IFT_LOOP);
    network().addInterface("en0").setHardwareAddress("02:5e:10:4a:7c:2f");
    std::string mac = macAddress();
    EXPECT_EQ(mac, "02:5E:10:4A:7C:2F");
    EXPECT_EQ(mac.size(), 17u);
    EXPECT_EQ(log(), std::vector<std::string>{"Mac Address: 02:5E:10:4A:7C:2F"});
}

TEST_F(SystemInfoTest, MacAddressOfAMissingInterfaceIsTheIndexError) {
    network().addInterface("en1").setHardwareAddress("02:00:00:00:00:01");
    EXPECT_EQ(macAddress(), "if_nametoindex failure");
    EXPECT_EQ(log(), std::vector<std::string>{"Error: if_nametoindex failure"});
}

TEST_F(SystemInfoTest, MacAddressWhenTheSysctlFails) {
    // The interface is found, then the device's facts become unreadable.
    class Flaky : public bsd::SimulatedBackend {
    public:
        using bsd::SimulatedBackend::SimulatedBackend;
        int answered = 0;
        int answerUpTo = 1;
        std::optional<std::vector<bsd::Link>> links() override {
            if (++answered > answerUpTo) {
                errno = EIO;
                return std::nullopt;
            }
            return bsd::SimulatedBackend::links();
        }
    };
    bsd::DeviceNetwork device;
    device.addInterface("en0").setHardwareAddress("02:00:00:00:00:01");
    auto flaky = std::make_shared<Flaky>(device);
    bsd::ScopedBackend local(flaky);
    EXPECT_EQ(macAddress(), "sysctl mgmtInfoBase failure");
    flaky->answered = 0;
    flaky->answerUpTo = 2;
    EXPECT_EQ(macAddress(), "sysctl msgBuffer failure");
    EXPECT_EQ(log(),
              (std::vector<std::string>{"Error: sysctl mgmtInfoBase failure", "Error: sysctl msgBuffer failure"}));
}

TEST_F(SystemInfoTest, MacAddressOfAnInterfaceGoneBetweenTheCallsIsAShortAnswer) {
    // if_nametoindex sees en0; the interface list asked for then has nothing with its index.
    class Vanishing : public bsd::SimulatedBackend {
    public:
        using bsd::SimulatedBackend::SimulatedBackend;
        int calls = 0;
        std::optional<std::vector<bsd::Link>> links() override {
            auto links = bsd::SimulatedBackend::links();
            if (++calls > 1) links->clear();
            return links;
        }
    };
    bsd::DeviceNetwork device;
    device.addInterface("en0").setHardwareAddress("02:00:00:00:00:01");
    bsd::ScopedBackend local(std::make_shared<Vanishing>(device));
    EXPECT_EQ(macAddress(), "sysctl msgBuffer failure");
}

TEST(LinkAnswer, TooShortForTheNameLengthOrTheAddressIsNone) {
    std::vector<std::uint8_t> answer(132, 0);
    answer[117] = 3;
    for (int i = 0; i < 6; ++i) answer[123 + i] = static_cast<std::uint8_t>(0xa0 + i);
    EXPECT_EQ(macAddressFromLinkAnswer(answer), "A0:A1:A2:A3:A4:A5");
    EXPECT_EQ(macAddressFromLinkAnswer(std::span(answer.data(), 129)), "A0:A1:A2:A3:A4:A5");
    EXPECT_EQ(macAddressFromLinkAnswer(std::span(answer.data(), 128)), std::nullopt);
    EXPECT_EQ(macAddressFromLinkAnswer(std::span(answer.data(), 117)), std::nullopt);
    answer[117] = 255;  // a name longer than the answer
    EXPECT_EQ(macAddressFromLinkAnswer(answer), std::nullopt);
    EXPECT_EQ(macAddressFromLinkAnswer({}), std::nullopt);
}

}  // namespace
