#pragma once
// The exported device queries: one line of text each, stateless, safe to call at any time on
// the main thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// IPv4 address of "en0" in dotted decimal (the last one listed), or "(null)".
std::string getIPAddress();
// The network information service's cellIPAddress, unchanged.
std::optional<std::string> cellIPAddress();
// " %@ Days %@ Hrs %@ Mins" with the uptime's whole days, hours and minutes.
std::string systemUptime();
// The subscriber's carrier name; none without a provider, with an empty name, or when the
// telephony service raises.
std::optional<std::string> carrierName();
// The joined Wi-Fi network's name, or "n/a".
std::string currentWifiSSID();
// The hardware address of "en0" as "%02X:%02X:%02X:%02X:%02X:%02X", or one of the error texts
// "if_nametoindex failure", "sysctl mgmtInfoBase failure", "buffer allocation failure",
// "sysctl msgBuffer failure". Logs "Mac Address: %@" or "Error: %@".
std::string macAddress();

// The hardware address in an interface-list answer (if_msghdr then sockaddr_dl): six bytes from
// byte 120 plus the name length found at byte 117. None when the answer is too short for them.
std::optional<std::string> macAddressFromLinkAnswer(std::span<const std::uint8_t> answer);
