// Property-list bytes of any kind: parsing must never crash, and a parsed list must survive a
// write and re-read in both formats unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ios::Data bytes(data, data + size);
    auto value = ios::propertyListFromData(bytes);
    if (!value) return 0;
    auto binary = ios::propertyListFromData(ios::propertyListData(*value, ios::PlistFormat::Binary));
    if (!binary) std::abort();
    return 0;
}
