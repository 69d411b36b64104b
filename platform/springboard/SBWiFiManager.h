#pragma once
// The home screen's Wi-Fi manager: the name of the network the device has joined, from the
// device's network facts (DeviceConfiguration::wifiNetworkName).

#include <optional>
#include <string>

#include "platform/objc/Runtime.h"

namespace ios {

class SBWiFiManager : public objc::Object {
    OBJC_CLASS_DECLARE(SBWiFiManager)
public:
    // One per process, made on first use.
    static objc::Ref<SBWiFiManager> sharedInstance();
    // The joined network's name; none when not joined to any.
    std::optional<std::string> currentNetworkName() const;

protected:
    SBWiFiManager() = default;
};

}  // namespace ios
