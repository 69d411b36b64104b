// The host back end's Wi-Fi network name, read from a NetworkManager stand-in on a bus of the
// test's own: the device behind the Darwin name, its type, its access point and that point's SSID.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/bsd/HostBackend.h"
#include "platform/services/CaptiveNetwork.h"
#include "tests/support/FakeBusService.h"

namespace {

using flint::testing::FakeBusService;
using flint::testing::PrivateBus;

constexpr const char* kService = "org.freedesktop.NetworkManager";
constexpr const char* kWifiDevice = "/org/freedesktop/NetworkManager/Devices/3";
constexpr const char* kIdleWifiDevice = "/org/freedesktop/NetworkManager/Devices/4";
constexpr const char* kWiredDevice = "/org/freedesktop/NetworkManager/Devices/2";
constexpr const char* kPoint = "/org/freedesktop/NetworkManager/AccessPoint/17";

GVariant* bytes(const std::string& text) {
    return g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, text.data(), text.size(), 1);
}

FakeBusService::Object device(const char* path, guint32 type) {
    return {path, "org.freedesktop.NetworkManager.Device", {{"DeviceType", g_variant_new_uint32(type)}}, {}};
}
FakeBusService::Object wireless(const char* path, const char* point) {
    return {path,
            "org.freedesktop.NetworkManager.Device.Wireless",
            {{"ActiveAccessPoint", g_variant_new_object_path(point)}},
            {}};
}

// wlan0 associated with `ssid`, wlan1 a Wi-Fi device not associated, eth0 wired; any other
// interface is unknown to it.
std::unique_ptr<FakeBusService> networkManager(const std::string& address, GVariant* ssid) {
    std::vector<FakeBusService::Object> objects{
        {"/org/freedesktop/NetworkManager", kService, {}, {{"GetDeviceByIpIface", {"s", "o"}}}},
        device(kWifiDevice, 2),
        wireless(kWifiDevice, kPoint),
        device(kIdleWifiDevice, 2),
        wireless(kIdleWifiDevice, "/"),
        device(kWiredDevice, 1),
        {kPoint,
         "org.freedesktop.NetworkManager.AccessPoint",
         {{"Ssid", ssid}, {"Strength", g_variant_new_byte(80)}},
         {}},
    };
    return std::make_unique<FakeBusService>(
        address, kService, std::move(objects),
        [](const std::string&, const std::string& method, GVariant* arguments) -> GVariant* {
            if (method != "GetDeviceByIpIface") return nullptr;
            const gchar* name = nullptr;
            g_variant_get(arguments, "(&s)", &name);
            std::string iface = name;
            if (iface == "wlan0") return g_variant_new("(o)", kWifiDevice);
            if (iface == "wlan1") return g_variant_new("(o)", kIdleWifiDevice);
            if (iface == "eth0") return g_variant_new("(o)", kWiredDevice);
            return nullptr;
        });
}

class NetworkManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start (./dev setup installs it)";
    }

    // A host back end asking on the test's bus, en0 standing for `hostName`.
    std::shared_ptr<bsd::HostBackend> backendFor(const std::string& hostName) {
        auto host = std::make_shared<bsd::HostBackend>(std::map<std::string, std::string>{{"en0", hostName}}, false);
        host->setSystemBusAddress(bus.address());
        return host;
    }

    PrivateBus bus;
};

TEST_F(NetworkManagerTest, TheAssociatedWifiInterfaceBehindEn0ShowsItsSsidAndOthersShowNone) {
    auto service = networkManager(bus.address(), bytes("Flat 4 \xE2\x98\x95"));
    ASSERT_TRUE(service->running());
    EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en0"), "Flat 4 \xE2\x98\x95");
    EXPECT_EQ(backendFor("wlan1")->wifiNetworkName("en0"), std::nullopt) << "a Wi-Fi device not associated";
    EXPECT_EQ(backendFor("eth0")->wifiNetworkName("en0"), std::nullopt) << "not wireless";
    EXPECT_EQ(backendFor("usb7")->wifiNetworkName("en0"), std::nullopt) << "not managed";
    EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en1"), std::nullopt) << "a Darwin name mapped to nothing";
    auto hidden = backendFor("wlan0");
    hidden->mapInterface("en0", "");
    EXPECT_EQ(hidden->wifiNetworkName("en0"), std::nullopt) << "a hidden name";

    // The captive-network call: en0 is a Wi-Fi interface when the host's interface is wireless.
    ios::testing::TempFolder folder("flint-sysfs");
    ASSERT_TRUE(folder);
    const std::filesystem::path& sysfs = folder.path();
    std::filesystem::create_directories(sysfs / "wlan0" / "wireless");
    std::filesystem::create_directories(sysfs / "eth0");
    auto host = backendFor("wlan0");
    host->setSysfsRootForTesting(sysfs);
    {
        bsd::ScopedBackend scope(host);
        ios::Value info = ios::CNCopyCurrentNetworkInfo("en0");
        ASSERT_TRUE(info.isDictionary());
        ASSERT_TRUE(info["SSID"].string());
        EXPECT_EQ(*info["SSID"].string(), "Flat 4 \xE2\x98\x95");
        ASSERT_TRUE(info["SSIDDATA"].data());
        EXPECT_EQ(info["SSIDDATA"].data()->size(), 10u);
    }
}

TEST_F(NetworkManagerTest, NoManagerNoBusOrAMalformedSsidShowNone) {
    EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en0"), std::nullopt) << "nobody owns the name";

    auto unreachable = backendFor("wlan0");
    unreachable->setSystemBusAddress("unix:path=/nonexistent/flint-bus");
    EXPECT_EQ(unreachable->wifiNetworkName("en0"), std::nullopt) << "no bus";

    {
        auto service = networkManager(bus.address(), g_variant_new_string("Text, not bytes"));
        ASSERT_TRUE(service->running());
        EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en0"), std::nullopt) << "an SSID of the wrong type";
    }
    {
        auto service = networkManager(bus.address(), bytes(std::string(33, 'x')));
        ASSERT_TRUE(service->running());
        EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en0"), std::nullopt) << "longer than an SSID can be";
    }
    {
        auto service = networkManager(bus.address(), bytes(""));
        ASSERT_TRUE(service->running());
        EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en0"), std::nullopt) << "a hidden network";
    }
    // The bus survives all of it: a well-formed manager still answers.
    auto service = networkManager(bus.address(), bytes("Back"));
    ASSERT_TRUE(service->running());
    EXPECT_EQ(backendFor("wlan0")->wifiNetworkName("en0"), "Back");
}

}  // namespace
