#include "sysinfo/SystemInfo.h"

#include <cstdlib>
#include <cstring>

#include "platform/bsd/Net.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/services/CaptiveNetwork.h"
#include "platform/services/CoreTelephony.h"
#include "sysinfo/SSNetworkInfo.h"

namespace {

// Where the link-level answer keeps the interface name's length and the name itself: the
// 112-byte interface message header, then the sockaddr_dl.
constexpr std::size_t kNameLengthAt = sizeof(bsd::if_msghdr) + offsetof(bsd::sockaddr_dl, sdl_nlen);  // 117
constexpr std::size_t kNameAt = sizeof(bsd::if_msghdr) + bsd::SDL_DATA_OFFSET;                        // 120
constexpr std::size_t kHardwareAddressLength = 6;

}  // namespace

std::string getIPAddress() {
    std::string address = "(null)";
    bsd::ifaddrs* interfaces = nullptr;
    if (bsd::getifaddrs(&interfaces) != 0 || !interfaces) {
        bsd::freeifaddrs(interfaces);
        return address;
    }
    for (bsd::ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_name) continue;
        if (entry->ifa_addr->sa_family == bsd::AF_INET && std::strcmp(entry->ifa_name, "en0") == 0)
            address = bsd::inet_ntoa(reinterpret_cast<const bsd::sockaddr_in*>(entry->ifa_addr)->sin_addr);
    }
    bsd::freeifaddrs(interfaces);
    return address;
}

std::optional<std::string> cellIPAddress() { return SSNetworkInfo::cellIPAddress(); }

std::string systemUptime() {
    double uptime = ios::NSProcessInfo::processInfo().systemUptime();
    ios::Date start = ios::NSDate::dateWithTimeIntervalSinceNow(-uptime);
    ios::Date end = ios::NSDate::date();
    unsigned units = ios::NSCalendarUnitDay | ios::NSCalendarUnitHour | ios::NSCalendarUnitMinute;  // 112
    ios::NSDateComponents parts = ios::NSCalendar::currentCalendar().components(units, start, end, 0);
    return ios::format(" %@ Days %@ Hrs %@ Mins", std::to_string(parts.day.value_or(0)),
                       std::to_string(parts.hour.value_or(0)), std::to_string(parts.minute.value_or(0)));
}

std::optional<std::string> carrierName() {
    try {
        auto info = objc::make<ios::CTTelephonyNetworkInfo>();
        objc::Ref<ios::CTCarrier> provider = info->subscriberCellularProvider();
        if (!provider) return std::nullopt;
        const std::optional<std::string>& name = provider->carrierName();
        if (name && !name->empty()) return name;
        return std::nullopt;
    } catch (const ios::NSException&) {
        return std::nullopt;
    }
}

std::string currentWifiSSID() {
    std::string ssid = "n/a";
    ios::Value interfaces = ios::CNCopySupportedInterfaces();
    const ios::Array* names = interfaces.array();
    if (!names || names->empty()) return ssid;
    for (const ios::Value& name : *names) {
        const std::string* text = name.string();
        if (!text) continue;
        ios::Value info = ios::CNCopyCurrentNetworkInfo(*text);
        if (auto value = info["SSID"].stringValue()) ssid = *value;
    }
    return ssid;
}

std::optional<std::string> macAddressFromLinkAnswer(std::span<const std::uint8_t> answer) {
    if (answer.size() <= kNameLengthAt) return std::nullopt;
    std::size_t start = kNameAt + answer[kNameLengthAt];
    if (answer.size() < start + kHardwareAddressLength) return std::nullopt;
    const std::uint8_t* mac = answer.data() + start;
    return ios::format("%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

std::string macAddress() {
    std::optional<std::string> error;
    std::string result;
    int mib[6] = {bsd::CTL_NET, bsd::AF_ROUTE, 0, bsd::AF_LINK, bsd::NET_RT_IFLIST, 0};
    std::uint8_t* buffer = nullptr;
    std::size_t length = 0;

    mib[5] = static_cast<int>(bsd::if_nametoindex("en0"));
    if (mib[5] == 0) {
        error = "if_nametoindex failure";
    } else if (bsd::sysctl(mib, 6, nullptr, &length, nullptr, 0) < 0) {
        error = "sysctl mgmtInfoBase failure";
    } else if (!(buffer = static_cast<std::uint8_t*>(std::malloc(length ? length : 1)))) {
        error = "buffer allocation failure";
    } else if (bsd::sysctl(mib, 6, buffer, &length, nullptr, 0) < 0) {
        error = "sysctl msgBuffer failure";
    } else if (auto text = macAddressFromLinkAnswer(std::span<const std::uint8_t>(buffer, length))) {
        result = *text;
    } else {
        // An answer too short to hold the address counts as a failed fill.
        error = "sysctl msgBuffer failure";
    }
    std::free(buffer);

    if (error) {
        ios::NSLog("Error: %@", *error);
        return *error;
    }
    ios::NSLog("Mac Address: %@", result);
    return result;
}
