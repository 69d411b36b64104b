#pragma once
// Questions about the device's two network interfaces, Wi-Fi ("en0") and cellular
// ("pdp_ip0"): addresses, netmasks, broadcast addresses, link state, the public address and
// the Wi-Fi router. Class operations only; every answer is a text or none and nothing is kept
// between calls.

#include <optional>
#include <string>

class SSNetworkInfo {
public:
    SSNetworkInfo() = delete;

    static std::optional<std::string> currentIPAddress();
    // Blocks on the network for at most the endpoint timeout.
    static std::optional<std::string> externalIPAddress();
    static std::optional<std::string> cellIPAddress();
    static std::optional<std::string> cellIPv6Address();
    static std::optional<std::string> cellNetmaskAddress();
    static std::optional<std::string> cellBroadcastAddress();
    static std::optional<std::string> wiFiIPAddress();
    static std::optional<std::string> wiFiIPv6Address();
    static std::optional<std::string> wiFiNetmaskAddress();
    static std::optional<std::string> wiFiBroadcastAddress();
    static bool connectedToWiFi();
    static bool connectedToCellNetwork();
    static std::optional<std::string> wiFiRouterAddress();

    // The broadcast address of an IPv4 address and netmask in dotted form; none when either is
    // absent or empty or doesn't have four parts.
    static std::optional<std::string> broadcastAddress(const std::optional<std::string>& address,
                                                       const std::optional<std::string>& netmask);

    // The public-address echo endpoint: the device's configured one, else this default.
    static constexpr const char* kDefaultExternalIPEndpoint = "https://icanhazip.com/";
    static constexpr double kDefaultExternalIPTimeout = 10.0;
    static std::string externalIPEndpoint();
    static double externalIPTimeout();
    // none restores the default.
    static void setExternalIPEndpointForTesting(std::optional<std::string> endpoint);
    static void setExternalIPTimeoutForTesting(std::optional<double> seconds);
};
