// Device network files of any text: reading never crashes, a refused file says why, and a file
// that is read survives a write and re-read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/bsd/DeviceNetwork.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto network = bsd::DeviceNetwork::fromJson(text, error);
    if (!network) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::string written = network->toJson();
    auto again = bsd::DeviceNetwork::fromJson(written, error);
    if (!again || again->toJson() != written) std::abort();
    return 0;
}
