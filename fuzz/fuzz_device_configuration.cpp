// Device configuration files of any shape: any property list (or any bytes) read as a
// configuration never crashes, takes a known profile and appearance, and what is read survives
// a write and re-read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/Process.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/springboard/DeviceConfiguration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ios::testing::TestProcess process;  // keeps the log lines off the error stream
    process.process().log().clear();
    auto value = ios::propertyListFromData(ios::Data(data, data + size));
    if (!value) return 0;
    auto read = ios::DeviceConfiguration::fromValue(*value);
    if (!ios::deviceProfileNamed(read.profile)) std::abort();
    if (read.appearance < 0 || read.appearance > 2) std::abort();
    for (const auto& app : read.applications)
        if (app.bundleIdentifier.empty() || app.iconColor > 0xFFFFFF) std::abort();
    auto written = ios::propertyListFromData(ios::propertyListData(read.toValue(), ios::PlistFormat::Binary));
    if (!written) std::abort();
    auto again = ios::DeviceConfiguration::fromValue(*written);
    if (!(again.toValue() == read.toValue())) std::abort();
    return 0;
}
