#include "platform/services/CaptiveNetwork.h"

#include <algorithm>

#include "platform/bsd/Backend.h"

namespace ios {

Value CNCopySupportedInterfaces() {
    std::vector<std::string> names = bsd::backend().wifiInterfaces();
    if (names.empty()) return {};
    Array array;
    for (auto& name : names) array.emplace_back(std::move(name));
    return Value(std::move(array));
}

Value CNCopyCurrentNetworkInfo(const std::string& interfaceName) {
    bsd::Backend& backend = bsd::backend();
    std::vector<std::string> names = backend.wifiInterfaces();
    if (std::find(names.begin(), names.end(), interfaceName) == names.end()) return {};
    std::optional<std::string> ssid = backend.wifiNetworkName(interfaceName);
    if (!ssid) return {};
    Dictionary info;
    info["SSID"] = Value(*ssid);
    info["SSIDDATA"] = Value(Data(ssid->begin(), ssid->end()));
    return Value(std::move(info));
}

}  // namespace ios
