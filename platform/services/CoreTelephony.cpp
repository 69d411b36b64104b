#include "platform/services/CoreTelephony.h"

#include "platform/bsd/Backend.h"
#include "platform/foundation/NSException.h"

namespace ios {

OBJC_CLASS_DEFINE(CTCarrier, objc::Object)
OBJC_CLASS_DEFINE(CTTelephonyNetworkInfo, objc::Object)

objc::Ref<CTCarrier> CTTelephonyNetworkInfo::subscriberCellularProvider() const {
    bsd::CarrierFacts facts = bsd::backend().carrier();
    if (facts.exception) throw NSException("CTTelephonyException", facts.exception);
    if (!facts.hasProvider) return nullptr;
    return objc::make<CTCarrier>(facts.name);
}

}  // namespace ios
