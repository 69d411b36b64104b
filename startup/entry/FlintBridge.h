#pragma once
// The one table of entry points that libFlint.so offers the programs that load it (the simulator):
// exported under the single unmangled name `FlintBridgeTable`, so a loader needs one lookup and
// never spells a C++-mangled name. The table is versioned: a loader checks `version` and that
// `size` covers every entry it uses, and names what is missing otherwise.
//
// Entries are only ever appended; a change to an existing entry's signature bumps the version.

#include <cstdint>
#include <optional>
#include <string>

namespace flint {
struct LoadReport;
}

struct FlintBridge {
    std::uint32_t version;
    std::uint32_t size;  // sizeof(FlintBridge) as the library was built

    // What the load routine did when the library was loaded.
    const flint::LoadReport* (*loadReport)();
    // Application slot 1 to 6, as exported in bundleID1 … bundleID6; none for another number.
    std::optional<std::string> (*applicationSlot)(int slot);

    // The exported device queries.
    std::string (*getIPAddress)();
    std::optional<std::string> (*cellIPAddress)();
    std::string (*systemUptime)();
    std::optional<std::string> (*carrierName)();
    std::string (*currentWifiSSID)();
    std::string (*macAddress)();

    // The network information service's class operations.
    std::optional<std::string> (*currentIPAddress)();
    std::optional<std::string> (*wiFiIPAddress)();
    std::optional<std::string> (*wiFiIPv6Address)();
    std::optional<std::string> (*wiFiNetmaskAddress)();
    std::optional<std::string> (*wiFiBroadcastAddress)();
    std::optional<std::string> (*wiFiRouterAddress)();
    bool (*connectedToWiFi)();
    std::optional<std::string> (*serviceCellIPAddress)();
    std::optional<std::string> (*cellIPv6Address)();
    std::optional<std::string> (*cellNetmaskAddress)();
    std::optional<std::string> (*cellBroadcastAddress)();
    bool (*connectedToCellNetwork)();
    std::optional<std::string> (*externalIPAddress)();
    // The public-address fetch's endpoint and timeout; none restores the defaults.
    void (*setExternalIPEndpoint)(std::optional<std::string> endpoint);
    void (*setExternalIPTimeout)(std::optional<double> seconds);
};

inline constexpr std::uint32_t kFlintBridgeVersion = 1;
inline constexpr const char* kFlintBridgeSymbol = "FlintBridgeTable";

extern "C" const FlintBridge* FlintBridgeTable();
