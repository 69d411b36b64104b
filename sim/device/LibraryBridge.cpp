#include "sim/device/LibraryBridge.h"

#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "sim/sandboxes/SimScreens.h"
#include "startup/entry/FlintBridge.h"

namespace flint::sim {

namespace {

struct Entry {
    const char* name;
    std::size_t offset;
};

#define FLINT_ENTRY(Table, name) \
    Entry { #name, offsetof(Table, name) }

const Entry kBridgeEntries[] = {
    FLINT_ENTRY(FlintBridge, loadReport),           FLINT_ENTRY(FlintBridge, applicationSlot),
    FLINT_ENTRY(FlintBridge, getIPAddress),         FLINT_ENTRY(FlintBridge, cellIPAddress),
    FLINT_ENTRY(FlintBridge, systemUptime),         FLINT_ENTRY(FlintBridge, carrierName),
    FLINT_ENTRY(FlintBridge, currentWifiSSID),      FLINT_ENTRY(FlintBridge, macAddress),
    FLINT_ENTRY(FlintBridge, currentIPAddress),     FLINT_ENTRY(FlintBridge, wiFiIPAddress),
    FLINT_ENTRY(FlintBridge, wiFiIPv6Address),      FLINT_ENTRY(FlintBridge, wiFiNetmaskAddress),
    FLINT_ENTRY(FlintBridge, wiFiBroadcastAddress), FLINT_ENTRY(FlintBridge, wiFiRouterAddress),
    FLINT_ENTRY(FlintBridge, connectedToWiFi),      FLINT_ENTRY(FlintBridge, serviceCellIPAddress),
    FLINT_ENTRY(FlintBridge, cellIPv6Address),      FLINT_ENTRY(FlintBridge, cellNetmaskAddress),
    FLINT_ENTRY(FlintBridge, cellBroadcastAddress), FLINT_ENTRY(FlintBridge, connectedToCellNetwork),
    FLINT_ENTRY(FlintBridge, externalIPAddress),    FLINT_ENTRY(FlintBridge, setExternalIPEndpoint),
    FLINT_ENTRY(FlintBridge, setExternalIPTimeout),
};

const Entry kScreenEntries[] = {
    FLINT_ENTRY(FlintSimScreens, runDrawingDemo),
    FLINT_ENTRY(FlintSimScreens, drawingCommand),
    FLINT_ENTRY(FlintSimScreens, writeMarqueeFrames),
};

#undef FLINT_ENTRY

struct Header {
    std::uint32_t version;
    std::uint32_t size;
};

// Looks the table up under `symbol` and checks that it is the version this simulator was built
// against and holds every entry of `entries`; names what is missing otherwise.
const void* findTable(void* library, const char* libraryName, const char* symbol, std::uint32_t version,
                      std::span<const Entry> entries, std::string& error) {
    using Getter = const void* (*)();
    auto getter = reinterpret_cast<Getter>(dlsym(library, symbol));
    const auto* table = getter ? static_cast<const Header*>(getter()) : nullptr;
    if (!table) {
        error = std::string(libraryName) + " exports no " + symbol + ": it was built without the simulator bridge";
        return nullptr;
    }
    if (table->version != version) {
        error = std::string(libraryName) + " offers bridge version " + std::to_string(table->version) +
                "; this flint-sim needs version " + std::to_string(version) + " (rebuild both together)";
        return nullptr;
    }
    std::string missing;
    for (const Entry& entry : entries) {
        bool present = entry.offset + sizeof(void*) <= table->size &&
                       *reinterpret_cast<void* const*>(reinterpret_cast<const char*>(table) + entry.offset);
        if (!present) missing += (missing.empty() ? "" : ", ") + std::string(entry.name);
    }
    if (!missing.empty()) {
        error = std::string(libraryName) + "'s bridge lacks " + missing + " (rebuild both together)";
        return nullptr;
    }
    return table;
}

}  // namespace

const FlintBridge* flintBridge(void* library, std::string& error) {
    if (!library) {
        error = "libFlint.so is not loaded";
        return nullptr;
    }
    return static_cast<const FlintBridge*>(
        findTable(library, "libFlint.so", kFlintBridgeSymbol, kFlintBridgeVersion, kBridgeEntries, error));
}

const FlintSimScreens* simulatorScreens(std::string& error) {
    static const FlintSimScreens* screens = nullptr;
    if (screens) return screens;
    // The screens link libFlint.so, so they are loaded only when one of them is asked for.
    void* library = dlopen(FLINT_SIMSYSTEM_PATH, RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        const char* message = dlerror();
        error = std::string("cannot load the simulator screens: ") + (message ? message : "dlopen failed");
        return nullptr;
    }
    screens =
        static_cast<const FlintSimScreens*>(findTable(library, "the simulator screens' library", kFlintSimScreensSymbol,
                                                      kFlintSimScreensVersion, kScreenEntries, error));
    return screens;
}

}  // namespace flint::sim
