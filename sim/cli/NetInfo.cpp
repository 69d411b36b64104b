#include "sim/cli/NetInfo.h"

#include <dlfcn.h>

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <variant>

#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/HostBackend.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "sim/device/Device.h"
#include "sim/device/LibraryBridge.h"
#include "startup/entry/FlintBridge.h"
#include "sysinfo/SSNetworkInfo.h"

#ifndef FLINT_LIBRARY_PATH
#define FLINT_LIBRARY_PATH "libFlint.so"
#endif

namespace {

// Every query the library exports, answered through its entry table.
struct Query {
    const char* label;
    std::variant<std::optional<std::string> (*FlintBridge::*)(), std::string (*FlintBridge::*)(),
                 bool (*FlintBridge::*)()>
        entry;
};

const Query kQueries[] = {
    {"getIPAddress()", &FlintBridge::getIPAddress},
    {"cellIPAddress()", &FlintBridge::cellIPAddress},
    {"systemUptime()", &FlintBridge::systemUptime},
    {"carrierName()", &FlintBridge::carrierName},
    {"currentWifiSSID()", &FlintBridge::currentWifiSSID},
    {"macAddress()", &FlintBridge::macAddress},
    {"currentIPAddress", &FlintBridge::currentIPAddress},
    {"wiFiIPAddress", &FlintBridge::wiFiIPAddress},
    {"wiFiIPv6Address", &FlintBridge::wiFiIPv6Address},
    {"wiFiNetmaskAddress", &FlintBridge::wiFiNetmaskAddress},
    {"wiFiBroadcastAddress", &FlintBridge::wiFiBroadcastAddress},
    {"wiFiRouterAddress", &FlintBridge::wiFiRouterAddress},
    {"connectedToWiFi", &FlintBridge::connectedToWiFi},
    {"cellIPAddress", &FlintBridge::serviceCellIPAddress},
    {"cellIPv6Address", &FlintBridge::cellIPv6Address},
    {"cellNetmaskAddress", &FlintBridge::cellNetmaskAddress},
    {"cellBroadcastAddress", &FlintBridge::cellBroadcastAddress},
    {"connectedToCellNetwork", &FlintBridge::connectedToCellNetwork},
    {"externalIPAddress", &FlintBridge::externalIPAddress},
};

std::string answer(const FlintBridge& bridge, const Query& query) {
    struct Visitor {
        const FlintBridge& bridge;
        std::string operator()(std::optional<std::string> (*FlintBridge::*entry)()) const {
            return (bridge.*entry)().value_or("(null)");
        }
        std::string operator()(std::string (*FlintBridge::*entry)()) const { return (bridge.*entry)(); }
        std::string operator()(bool (*FlintBridge::*entry)()) const { return (bridge.*entry)() ? "yes" : "no"; }
    };
    return std::visit(Visitor{bridge}, query.entry);
}

// The machine's own uptime, so the host back end reports the real one.
double hostUptime() {
    std::ifstream in("/proc/uptime");
    double seconds = 0;
    if (!(in >> seconds) || seconds < 0) seconds = 0;
    return seconds;
}

std::filesystem::path temporaryRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "flint-netinfo-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace

int runNetInfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{"Prints what the device queries answer", "netinfo"};
    std::string backendName = "host";
    std::string root;
    std::vector<std::string> maps;
    std::optional<std::string> endpoint;
    double timeout = SSNetworkInfo::kDefaultExternalIPTimeout;
    app.add_option("--backend", backendName, "host: this machine; simulated: the device configuration")
        ->check(CLI::IsMember({"host", "simulated"}));
    app.add_option("--root", root, "device root (its network configuration for the simulated back end)");
    app.add_option("--map", maps, "Darwin interface name = host interface, e.g. en0=eth0 (host back end)");
    app.add_option("--endpoint", endpoint, "public-address echo endpoint");
    app.add_option("--timeout", timeout, "longest wait for the public address, in seconds")
        ->check(CLI::Range(0.1, 60.0));
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err);
    }

    std::shared_ptr<bsd::Backend> backend;
    std::string description;
    if (backendName == "host") {
        auto host = std::make_shared<bsd::HostBackend>();
        for (const std::string& map : maps) {
            auto equals = map.find('=');
            if (equals == std::string::npos || equals == 0) {
                err << "netinfo: --map wants DARWIN=HOST, like en0=eth0, not \"" << map << "\"\n";
                return 2;
            }
            host->mapInterface(map.substr(0, equals), map.substr(equals + 1));
        }
        std::ostringstream names;
        for (const auto& [darwin, hostName] : host->effectiveNameMap())
            names << (names.tellp() ? ", " : "") << darwin << " = " << (hostName.empty() ? "(hidden)" : hostName);
        description = "host back end (" +
                      (names.str().empty() ? std::string("no default route, en0 unmapped") : names.str()) + ")";
        backend = host;
    } else {
        if (!maps.empty()) err << "netinfo: --map applies to the host back end only; ignored\n";
        bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone();
        description = "simulated back end (a typical phone)";
        if (!root.empty()) {
            std::filesystem::path file = bsd::DeviceNetwork::fileIn(root);
            if (std::filesystem::exists(file)) {
                std::string error;
                auto loaded = bsd::DeviceNetwork::load(file, error);
                if (!loaded) {
                    err << "netinfo: " << error << "\n";
                    return 1;
                }
                network = *loaded;
                description = "simulated back end (" + file.string() + ")";
            }
        }
        backend = std::make_shared<bsd::SimulatedBackend>(network);
    }
    bsd::ScopedBackend scope(backend);

    bool ownsRoot = root.empty();
    ios::Process::Options options;
    options.deviceRoot = ownsRoot ? temporaryRoot() : std::filesystem::path(root);
    if (options.deviceRoot.empty()) {
        err << "netinfo: cannot make a device root\n";
        return 1;
    }
    options.uptimeAtBoot = backendName == "host" ? hostUptime() : 0;
    std::optional<int> status;
    {
        ios::Process process(options);
        void* library = dlopen(FLINT_LIBRARY_PATH, RTLD_NOW | RTLD_GLOBAL);
        if (!library) {
            err << "netinfo: cannot load the library: " << dlerror() << "\n";
            status = 1;
        } else {
            std::string error;
            const FlintBridge* bridge = flint::sim::flintBridge(library, error);
            if (!bridge) {
                err << "netinfo: " << error << "\n";
                status = 1;
            } else {
                if (endpoint) bridge->setExternalIPEndpoint(endpoint);
                bridge->setExternalIPTimeout(timeout);
                out << "Flint network information, " << description << "\n";
                for (const Query& query : kQueries)
                    out << "  " << std::left << std::setw(24) << query.label << answer(*bridge, query) << "\n";
                bridge->setExternalIPEndpoint(std::nullopt);
                bridge->setExternalIPTimeout(std::nullopt);
            }
            flint::sim::printSystemLog(out, process);
        }
    }
    if (ownsRoot) {
        std::error_code ec;
        std::filesystem::remove_all(options.deviceRoot, ec);
    }
    return status.value_or(0);
}

int runNetInfo(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return runNetInfo(arguments, std::cout, std::cerr);
}
