#pragma once
// Core Telephony: the subscriber's cellular provider and its carrier name, from the process's
// network back end (the device configuration when simulated; the host has no cellular modem).

#include <optional>
#include <string>

#include "platform/objc/Runtime.h"

namespace ios {

class CTCarrier : public objc::Object {
    OBJC_CLASS_DECLARE(CTCarrier)
public:
    using objc::Object::init;
    void init(std::optional<std::string> carrierName) { m_carrierName = std::move(carrierName); }
    const std::optional<std::string>& carrierName() const { return m_carrierName; }

protected:
    CTCarrier() = default;

private:
    std::optional<std::string> m_carrierName;
};

class CTTelephonyNetworkInfo : public objc::Object {
    OBJC_CLASS_DECLARE(CTTelephonyNetworkInfo)
public:
    // The provider of the inserted SIM, or null without one. Raises NSException when the
    // telephony service fails (a device configured to do so).
    objc::Ref<CTCarrier> subscriberCellularProvider() const;

protected:
    CTTelephonyNetworkInfo() = default;
};

}  // namespace ios
