#include "sim/NetInfo.h"

#include <dlfcn.h>

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/HostBackend.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "sysinfo/SSNetworkInfo.h"
#include "sysinfo/SystemInfo.h"

#ifndef FLINT_LIBRARY_PATH
#define FLINT_LIBRARY_PATH "libFlint.so"
#endif

namespace {

using Text = std::optional<std::string> (*)();
using FixedText = std::string (*)();
using Test = bool (*)();

// The library is loaded as the injection loader loads it, and its exported queries are found by
// their symbol names.
struct Query {
    const char* label;
    const char* symbol;
    enum Kind { Optional, Fixed, Boolean } kind;
};

const Query kQueries[] = {
    {"getIPAddress()", "_Z12getIPAddressB5cxx11v", Query::Fixed},
    {"cellIPAddress()", "_Z13cellIPAddressB5cxx11v", Query::Optional},
    {"systemUptime()", "_Z12systemUptimeB5cxx11v", Query::Fixed},
    {"carrierName()", "_Z11carrierNameB5cxx11v", Query::Optional},
    {"currentWifiSSID()", "_Z15currentWifiSSIDB5cxx11v", Query::Fixed},
    {"macAddress()", "_Z10macAddressB5cxx11v", Query::Fixed},
    {"currentIPAddress", "_ZN13SSNetworkInfo16currentIPAddressB5cxx11Ev", Query::Optional},
    {"wiFiIPAddress", "_ZN13SSNetworkInfo13wiFiIPAddressB5cxx11Ev", Query::Optional},
    {"wiFiIPv6Address", "_ZN13SSNetworkInfo15wiFiIPv6AddressB5cxx11Ev", Query::Optional},
    {"wiFiNetmaskAddress", "_ZN13SSNetworkInfo18wiFiNetmaskAddressB5cxx11Ev", Query::Optional},
    {"wiFiBroadcastAddress", "_ZN13SSNetworkInfo20wiFiBroadcastAddressB5cxx11Ev", Query::Optional},
    {"wiFiRouterAddress", "_ZN13SSNetworkInfo17wiFiRouterAddressB5cxx11Ev", Query::Optional},
    {"connectedToWiFi", "_ZN13SSNetworkInfo15connectedToWiFiEv", Query::Boolean},
    {"cellIPAddress", "_ZN13SSNetworkInfo13cellIPAddressB5cxx11Ev", Query::Optional},
    {"cellIPv6Address", "_ZN13SSNetworkInfo15cellIPv6AddressB5cxx11Ev", Query::Optional},
    {"cellNetmaskAddress", "_ZN13SSNetworkInfo18cellNetmaskAddressB5cxx11Ev", Query::Optional},
    {"cellBroadcastAddress", "_ZN13SSNetworkInfo20cellBroadcastAddressB5cxx11Ev", Query::Optional},
    {"connectedToCellNetwork", "_ZN13SSNetworkInfo22connectedToCellNetworkEv", Query::Boolean},
    {"externalIPAddress", "_ZN13SSNetworkInfo17externalIPAddressB5cxx11Ev", Query::Optional},
};

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
    app.add_option("--timeout", timeout, "longest wait for the public address, in seconds")->check(CLI::Range(0.1, 60.0));
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
        description = "host back end (" + (names.str().empty() ? std::string("no default route, en0 unmapped") : names.str()) + ")";
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
            using SetEndpoint = void (*)(std::optional<std::string>);
            using SetTimeout = void (*)(std::optional<double>);
            auto setEndpoint = reinterpret_cast<SetEndpoint>(dlsym(
                library, "_ZN13SSNetworkInfo31setExternalIPEndpointForTestingESt8optionalINSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEEE"));
            auto setTimeout = reinterpret_cast<SetTimeout>(dlsym(library, "_ZN13SSNetworkInfo30setExternalIPTimeoutForTestingESt8optionalIdE"));
            if (setEndpoint && endpoint) setEndpoint(endpoint);
            if (setTimeout) setTimeout(timeout);

            out << "Flint network information, " << description << "\n";
            for (const Query& query : kQueries) {
                void* symbol = dlsym(library, query.symbol);
                std::string answer;
                if (!symbol) {
                    answer = "(not exported by the library)";
                    status = 1;
                } else if (query.kind == Query::Optional) {
                    answer = reinterpret_cast<Text>(symbol)().value_or("(null)");
                } else if (query.kind == Query::Fixed) {
                    answer = reinterpret_cast<FixedText>(symbol)();
                } else {
                    answer = reinterpret_cast<Test>(symbol)() ? "yes" : "no";
                }
                out << "  " << std::left << std::setw(24) << query.label << answer << "\n";
            }
            if (setEndpoint) setEndpoint(std::nullopt);
            if (setTimeout) setTimeout(std::nullopt);
            const auto& lines = process.log().lines();
            if (!lines.empty()) {
                out << "System log:\n";
                for (const std::string& line : lines) out << "  " << line << "\n";
            }
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
