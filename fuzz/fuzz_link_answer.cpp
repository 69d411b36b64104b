// The link-level answer read by macAddress(): arbitrary bytes as the interface-list answer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "sysinfo/SystemInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so reading one byte too far is caught.
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    auto text = macAddressFromLinkAnswer(std::span<const std::uint8_t>(copy, size));
    if (text && text->size() != 17) std::abort();
    std::free(copy);
    return 0;
}
