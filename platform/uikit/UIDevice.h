#pragma once
// The device: its name, model and operating-system name and version. The version is one fixed
// text for every simulated phone.

#include <string>

#include "platform/objc/Runtime.h"

namespace ios {

// The operating-system version every simulated device reports (our choice: an iOS 13 release).
inline constexpr const char* kUIDeviceSystemVersion = "13.3";
inline constexpr const char* kUIDeviceSystemName = "iOS";

class UIDevice : public objc::Object {
    OBJC_CLASS_DECLARE(UIDevice)
public:
    // The current process's device (one per process).
    static objc::Ref<UIDevice> currentDevice();

    std::string systemName() const { return kUIDeviceSystemName; }
    std::string systemVersion() const { return kUIDeviceSystemVersion; }
    std::string model() const { return "iPhone"; }
    // The device profile's name ("iphone-x", ...).
    std::string name() const;

protected:
    UIDevice() = default;
};

}  // namespace ios
