#include "startup/entry/FlintBridge.h"

#include "startup/FlintPreferences.h"
#include "startup/entry/LoadRoutine.h"
#include "sysinfo/SSNetworkInfo.h"
#include "sysinfo/SystemInfo.h"

namespace {

std::optional<std::string> applicationSlot(int slot) {
    const std::string* slots[] = {&bundleID1, &bundleID2, &bundleID3, &bundleID4, &bundleID5, &bundleID6};
    if (slot < 1 || slot > 6) return std::nullopt;
    return *slots[slot - 1];
}

const flint::LoadReport* loadReport() { return &flint::lastLoadReport(); }

const FlintBridge kBridge{
    .version = kFlintBridgeVersion,
    .size = sizeof(FlintBridge),
    .loadReport = loadReport,
    .applicationSlot = applicationSlot,
    .getIPAddress = getIPAddress,
    .cellIPAddress = cellIPAddress,
    .systemUptime = systemUptime,
    .carrierName = carrierName,
    .currentWifiSSID = currentWifiSSID,
    .macAddress = macAddress,
    .currentIPAddress = SSNetworkInfo::currentIPAddress,
    .wiFiIPAddress = SSNetworkInfo::wiFiIPAddress,
    .wiFiIPv6Address = SSNetworkInfo::wiFiIPv6Address,
    .wiFiNetmaskAddress = SSNetworkInfo::wiFiNetmaskAddress,
    .wiFiBroadcastAddress = SSNetworkInfo::wiFiBroadcastAddress,
    .wiFiRouterAddress = SSNetworkInfo::wiFiRouterAddress,
    .connectedToWiFi = SSNetworkInfo::connectedToWiFi,
    .serviceCellIPAddress = SSNetworkInfo::cellIPAddress,
    .cellIPv6Address = SSNetworkInfo::cellIPv6Address,
    .cellNetmaskAddress = SSNetworkInfo::cellNetmaskAddress,
    .cellBroadcastAddress = SSNetworkInfo::cellBroadcastAddress,
    .connectedToCellNetwork = SSNetworkInfo::connectedToCellNetwork,
    .externalIPAddress = SSNetworkInfo::externalIPAddress,
    .setExternalIPEndpoint = SSNetworkInfo::setExternalIPEndpointForTesting,
    .setExternalIPTimeout = SSNetworkInfo::setExternalIPTimeoutForTesting,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const FlintBridge* FlintBridgeTable() { return &kBridge; }
