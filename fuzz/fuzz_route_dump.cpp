// The routing-dump walk and the slot rendering on arbitrary bytes: every message the walk would
// offer is made into a record and every slot index, in range or not, is rendered.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "sysinfo/Route_Info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> dump(data, size);
    for (const auto& route : Route_Info::routesInDump(dump)) {
        for (int index = -1; index <= 8; ++index) (void)route->getAddrStringByIndex(index);
    }
    std::size_t position = 0;
    while (position + 2 <= size) {
        std::uint16_t length;
        std::memcpy(&length, data + position, 2);
        if (length == 0 || length > size - position) break;
        auto record = objc::make<Route_Info>(dump.subspan(position, length));
        record->m_rtm.rtm_addrs = -1;  // render every slot, present or not
        for (int index = -1; index <= 8; ++index) (void)record->getAddrStringByIndex(index);
        (void)Route_Info::getRoute(dump.subspan(position, length));
        position += length;
    }
    return 0;
}
