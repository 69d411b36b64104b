#pragma once
// A simulated device's network configuration: its interfaces with their addresses, its routing
// table, the joined Wi-Fi network, the cellular provider and the public-address endpoint. Kept as
// JSON in the device root; the simulated back end serves it.
//
//   {
//     "interfaces": [
//       {"name": "en0", "mac": "02:11:22:33:44:55",
//        "ipv4": [{"address": "192.168.1.20", "netmask": "255.255.255.0"}],
//        "ipv6": [{"address": "fe80::11:22ff:fe33:4455", "prefix": 64}]},
//       {"name": "pdp_ip0", "type": "cellular", "ipv4": [{"address": "10.72.14.9"}]}
//     ],
//     "routes": [
//       {"destination": "default", "gateway": "192.168.1.1", "interface": "en0"},
//       {"destination": "192.168.1.0/24", "interface": "en0"}
//     ],
//     "wifi": {"interfaces": ["en0"], "networks": {"en0": "Home"}},
//     "cellular": {"provider": true, "carrier": "Carrier"},
//     "publicAddressEndpoint": "http://127.0.0.1:8080/"
//   }

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/bsd/Backend.h"

namespace bsd {

struct DeviceNetwork {
    struct IPv4 {
        std::array<std::uint8_t, 4> address{};
        std::array<std::uint8_t, 4> netmask{};
    };
    struct IPv6 {
        Bytes16 address{};
        int prefixLength = 64;
    };
    struct Interface {
        std::string name;
        unsigned index = 0;  // 0: its position in the list, counting from 1
        std::uint8_t type = fact::kTypeEthernet;
        bool up = true;
        std::vector<std::uint8_t> hardwareAddress;
        std::uint32_t mtu = 1500;
        std::vector<IPv4> ipv4;
        std::vector<IPv6> ipv6;

        // Builders for code and tests; a text that doesn't parse is reported and skipped.
        Interface& addIPv4(const std::string& address, const std::string& netmask = "255.255.255.255");
        Interface& addIPv6(const std::string& address, int prefixLength = 64);
        Interface& setHardwareAddress(const std::string& text);
    };
    struct RouteEntry {
        int family = fact::kInet;
        Bytes16 destination{};
        int prefixLength = 0;
        std::optional<Bytes16> gateway;
        std::string interfaceName;
        std::optional<int> flags;  // none: derived from the route's shape
        int parentFlags = 0;
    };

    std::vector<Interface> interfaces;
    std::vector<RouteEntry> routes;
    std::vector<std::string> wifiInterfaces{"en0"};
    std::map<std::string, std::string> wifiNetworks;  // interface -> joined network name
    CarrierFacts carrier;
    std::optional<std::string> publicAddressEndpoint;

    Interface& addInterface(const std::string& name, std::uint8_t type = fact::kTypeEthernet);
    // destination "default", "a.b.c.d", "a.b.c.d/n" or an IPv6 form; gateway "" for on-link.
    // Returns false (and adds nothing) when a text doesn't parse.
    bool addRoute(const std::string& destination, const std::string& gateway, const std::string& interfaceName);

    // A phone on Wi-Fi and cellular with documentation addresses, for a device made on demand.
    static DeviceNetwork typicalPhone();

    // Reads the JSON form; on a fault, none and a message naming it.
    static std::optional<DeviceNetwork> fromJson(const std::string& text, std::string& error);
    static std::optional<DeviceNetwork> load(const std::filesystem::path& file, std::string& error);
    std::string toJson() const;
    // Writes the JSON form whole (a temporary file renamed over the target); false on failure.
    bool save(const std::filesystem::path& file) const;

    // Where a device root keeps the file.
    static std::filesystem::path fileIn(const std::filesystem::path& deviceRoot);
};

}  // namespace bsd
