#pragma once
// Captive-network Wi-Fi information: the Wi-Fi interfaces the device supports and the network
// each has joined, from the process's network back end.

#include <optional>
#include <string>

#include "platform/foundation/Value.h"

namespace ios {

// The Wi-Fi interface names as an array of texts, or none when there are none.
Value CNCopySupportedInterfaces();
// A dictionary with "SSID" (text) and "SSIDDATA" (its bytes) for a joined network; none when
// the interface has joined none or isn't a Wi-Fi interface.
Value CNCopyCurrentNetworkInfo(const std::string& interfaceName);

}  // namespace ios
