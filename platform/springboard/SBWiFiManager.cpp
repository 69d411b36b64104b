#include "platform/springboard/SBWiFiManager.h"

#include "platform/foundation/Process.h"
#include "platform/springboard/DeviceConfiguration.h"

namespace ios {

OBJC_CLASS_DEFINE(SBWiFiManager, objc::Object)

namespace {
struct SharedWiFiManager {
    objc::Ref<SBWiFiManager> instance;
};
}  // namespace

objc::Ref<SBWiFiManager> SBWiFiManager::sharedInstance() {
    auto& shared = Process::shared().attached<SharedWiFiManager>();
    if (!shared.instance) shared.instance = objc::make<SBWiFiManager>();
    return shared.instance;
}

std::optional<std::string> SBWiFiManager::currentNetworkName() const { return DeviceConfiguration::wifiNetworkName(); }

}  // namespace ios
