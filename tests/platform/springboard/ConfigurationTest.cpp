// The device configuration: defaults for a missing or corrupt file, entry-level fallbacks, the
// round trip through the file, and the network facts read through the network back end.

#include <gtest/gtest.h>

#include <fstream>

#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/services/CaptiveNetwork.h"
#include "platform/springboard/DeviceConfiguration.h"
#include "platform/springboard/SBWiFiManager.h"

namespace ios {
namespace {

bool logMentions(const std::string& text) {
    for (const auto& line : Process::shared().log().lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

TEST(DeviceConfiguration, MissingAndCorruptFilesGiveTheDefaultsWithALogLine) {
    testing::TestProcess process;
    DeviceConfiguration missing = DeviceConfiguration::load();
    EXPECT_TRUE(logMentions("no file at /var/mobile/Library/Flint/DeviceConfiguration.plist"));
    DeviceConfiguration defaults = DeviceConfiguration::defaults();
    ASSERT_EQ(missing.applications.size(), defaults.applications.size());
    EXPECT_FALSE(missing.applications.empty());
    EXPECT_EQ(missing.profile, "iphone-x");
    EXPECT_EQ(missing.appearance, 2);
    EXPECT_FALSE(missing.nowPlaying.empty());
    // The applications the panel's shortcuts open are installed on a default device.
    for (const char* id : {"com.apple.Preferences", "com.apple.Music", "com.spotify.client", "com.apple.camera"})
        EXPECT_NE(missing.applicationWithIdentifier(id), nullptr) << id;

    auto file = devicePath(kDeviceConfigurationPath);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "<?xml version=\"1.0\"?><plist><dict><key>Profile</key><str";
    Process::shared().log().clear();
    DeviceConfiguration corrupt = DeviceConfiguration::load();
    EXPECT_TRUE(logMentions("is not a readable property list"));
    EXPECT_EQ(corrupt.applications.size(), defaults.applications.size());

    writePropertyListFile(Value(Array{Value("not a dictionary")}), file);
    Process::shared().log().clear();
    DeviceConfiguration notDictionary = DeviceConfiguration::load();
    EXPECT_TRUE(logMentions("not a dictionary"));
    EXPECT_EQ(notDictionary.profile, "iphone-x");
}

TEST(DeviceConfiguration, BadEntriesAreSkippedOrDefaultedOneByOne) {
    testing::TestProcess process;
    Dictionary root{
        {"Profile", "iphone-12"},
        {"Appearance", "light"},
        {"Applications",
         Array{
             Value(Dictionary{{"BundleIdentifier", "com.example.one"}, {"Name", "One"}, {"IconColor", "#102030"}}),
             Value(Dictionary{{"Name", "No identifier"}}),
             Value(Dictionary{{"BundleIdentifier", "com.example.two"}, {"IconColor", "teal"}}),
         }},
        {"NowPlaying", "a text"},
    };
    DeviceConfiguration c = DeviceConfiguration::fromValue(Value(root));
    EXPECT_EQ(c.profile, "iphone-x");
    EXPECT_TRUE(logMentions("unknown Profile \"iphone-12\""));
    EXPECT_EQ(c.appearance, 1);
    ASSERT_EQ(c.applications.size(), 2u);
    EXPECT_EQ(c.applications[0].name, "One");
    EXPECT_EQ(c.applications[0].iconColor, 0x102030u);
    EXPECT_TRUE(logMentions("Applications[1] has no BundleIdentifier"));
    // A missing name shows the identifier; a bad colour keeps the default grey.
    EXPECT_EQ(c.applications[1].name, "com.example.two");
    EXPECT_EQ(c.applications[1].iconColor, InstalledApplication{}.iconColor);
    EXPECT_TRUE(logMentions("IconColor \"teal\" is not #RRGGBB"));
    EXPECT_EQ(c.nowPlaying.size(), DeviceConfiguration::defaults().nowPlaying.size());
    EXPECT_TRUE(logMentions("NowPlaying is not an array"));
}

TEST(DeviceConfiguration, SavesAndReadsBackEveryField) {
    testing::TestProcess process;
    DeviceConfiguration c;
    c.profile = "iphone-8-plus";
    c.appearance = 0;
    c.applications = {{"com.example.app", "Example", 0xABCDEF}};
    c.nowPlaying = {{"Title", "Artist", "/var/mobile/Media/a.png"}};
    ASSERT_TRUE(c.save());
    EXPECT_TRUE(std::filesystem::exists(process.root() / "private/var/mobile/Library/Flint/DeviceConfiguration.plist"));
    DeviceConfiguration back = DeviceConfiguration::load();
    EXPECT_EQ(back.profile, "iphone-8-plus");
    EXPECT_EQ(back.appearance, 0);
    ASSERT_EQ(back.applications.size(), 1u);
    EXPECT_EQ(back.applications[0].bundleIdentifier, "com.example.app");
    EXPECT_EQ(back.applications[0].iconColor, 0xABCDEFu);
    ASSERT_EQ(back.nowPlaying.size(), 1u);
    EXPECT_EQ(back.nowPlaying[0].artist, "Artist");
    EXPECT_EQ(back.nowPlaying[0].artworkPath, "/var/mobile/Media/a.png");
}

TEST(DeviceConfiguration, TextHelpers) {
    EXPECT_EQ(parseHexColor("#FA2D48"), 0xFA2D48u);
    EXPECT_EQ(parseHexColor("fa2d48"), 0xFA2D48u);
    EXPECT_FALSE(parseHexColor("#FA2D4"));
    EXPECT_FALSE(parseHexColor("#GG0000"));
    EXPECT_FALSE(parseHexColor(""));
    EXPECT_EQ(hexColorText(0x0A84FF), "#0A84FF");
    EXPECT_EQ(appearanceNamed("dark"), 2);
    EXPECT_EQ(appearanceNamed("light"), 1);
    EXPECT_EQ(appearanceNamed("unspecified"), 0);
    EXPECT_FALSE(appearanceNamed("Dark"));
    EXPECT_EQ(appearanceName(appearanceNamed("light").value()), "light");
}

TEST(DeviceConfiguration, WiFiAndCarrierComeFromTheNetworkFacts) {
    testing::TestProcess process;
    bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone();
    network.wifiNetworks["en0"] = "Harbour";
    network.carrier.name = "Northwind";
    bsd::ScopedBackend scope(std::make_shared<bsd::SimulatedBackend>(network));
    EXPECT_EQ(DeviceConfiguration::wifiNetworkName(), "Harbour");
    EXPECT_EQ(SBWiFiManager::sharedInstance()->currentNetworkName(), "Harbour");
    EXPECT_EQ(SBWiFiManager::sharedInstance(), SBWiFiManager::sharedInstance());
    // The captive-network answer agrees with the home screen's.
    EXPECT_EQ(*CNCopyCurrentNetworkInfo("en0")["SSID"].string(), "Harbour");
    EXPECT_EQ(DeviceConfiguration::carrierName(), "Northwind");

    network.wifiNetworks.clear();
    network.carrier.hasProvider = false;
    bsd::ScopedBackend notJoined(std::make_shared<bsd::SimulatedBackend>(network));
    EXPECT_FALSE(SBWiFiManager::sharedInstance()->currentNetworkName());
    EXPECT_FALSE(DeviceConfiguration::carrierName());
}

}  // namespace
}  // namespace ios
