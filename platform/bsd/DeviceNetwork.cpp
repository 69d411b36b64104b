#include "platform/bsd/DeviceNetwork.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/foundation/AtomicFile.h"

namespace bsd {

using nlohmann::json;

namespace {

Bytes16 widen(const std::array<std::uint8_t, 4>& a) {
    Bytes16 out{};
    std::copy(a.begin(), a.end(), out.begin());
    return out;
}

struct ParsedDestination {
    int family;
    Bytes16 address;
    int prefixLength;
};

std::optional<ParsedDestination> parseDestination(const std::string& text) {
    if (text == "default") return ParsedDestination{fact::kInet, {}, 0};
    std::string address = text;
    std::optional<int> prefix;
    if (auto slash = text.find('/'); slash != std::string::npos) {
        address = text.substr(0, slash);
        std::string digits = text.substr(slash + 1);
        if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        prefix = std::stoi(digits);
    }
    if (auto v4 = parseIPv4(address)) {
        if (prefix && *prefix > 32) return std::nullopt;
        return ParsedDestination{fact::kInet, widen(*v4), prefix.value_or(32)};
    }
    if (auto v6 = parseIPv6(address)) {
        if (prefix && *prefix > 128) return std::nullopt;
        return ParsedDestination{fact::kInet6, *v6, prefix.value_or(128)};
    }
    return std::nullopt;
}

std::optional<std::uint8_t> typeNamed(const std::string& name) {
    if (name == "ethernet" || name == "wifi") return fact::kTypeEthernet;
    if (name == "loopback") return fact::kTypeLoopback;
    if (name == "cellular") return fact::kTypeCellular;
    if (name == "other") return fact::kTypeOther;
    return std::nullopt;
}

std::string typeName(std::uint8_t type) {
    switch (type) {
    case fact::kTypeEthernet: return "ethernet";
    case fact::kTypeLoopback: return "loopback";
    case fact::kTypeCellular: return "cellular";
    default: return "other";
    }
}

// Reads an optional member of the expected kind; a member of another kind is a fault.
template <class Check>
bool member(const json& object, const char* key, Check check, const json*& out, std::string& error,
            const std::string& where) {
    out = nullptr;
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return true;
    if (!check(*it)) {
        error = where + "." + key + " has the wrong kind of value";
        return false;
    }
    out = &*it;
    return true;
}

bool readInterface(const json& item, DeviceNetwork& network, std::size_t position, std::string& error) {
    std::string where = "interfaces[" + std::to_string(position) + "]";
    if (!item.is_object()) {
        error = where + " is not an object";
        return false;
    }
    const json* value = nullptr;
    auto isString = [](const json& j) { return j.is_string(); };
    auto isArray = [](const json& j) { return j.is_array(); };
    if (!member(item, "name", isString, value, error, where)) return false;
    if (!value || value->get<std::string>().empty() || value->get<std::string>().size() > fact::kMaxNameLength) {
        error = where + ".name must be a text of 1 to 15 characters";
        return false;
    }
    DeviceNetwork::Interface iface;
    iface.name = value->get<std::string>();
    if (!member(item, "type", isString, value, error, where)) return false;
    if (value) {
        auto type = typeNamed(value->get<std::string>());
        if (!type) {
            error = where + ".type \"" + value->get<std::string>() +
                    "\" is not ethernet, wifi, loopback, cellular or other";
            return false;
        }
        iface.type = *type;
    }
    if (!member(
            item, "index", [](const json& j) { return j.is_number_unsigned() && j.get<unsigned long>() < 65536; },
            value, error, where))
        return false;
    if (value) iface.index = value->get<unsigned>();
    if (!member(
            item, "up", [](const json& j) { return j.is_boolean(); }, value, error, where))
        return false;
    if (value) iface.up = value->get<bool>();
    if (!member(
            item, "mtu", [](const json& j) { return j.is_number_unsigned(); }, value, error, where))
        return false;
    if (value) iface.mtu = static_cast<std::uint32_t>(value->get<unsigned long>());
    if (!member(item, "mac", isString, value, error, where)) return false;
    if (value) {
        auto mac = parseHardwareAddress(value->get<std::string>());
        if (!mac) {
            error = where + ".mac \"" + value->get<std::string>() + "\" is not a hardware address";
            return false;
        }
        iface.hardwareAddress = *mac;
    }
    if (!member(item, "ipv4", isArray, value, error, where)) return false;
    if (value) {
        for (const json& entry : *value) {
            if (!entry.is_object() || !entry.contains("address") || !entry["address"].is_string()) {
                error = where + ".ipv4 entries need an \"address\" text";
                return false;
            }
            auto address = parseIPv4(entry["address"].get<std::string>());
            std::string maskText = entry.contains("netmask") && entry["netmask"].is_string()
                                       ? entry["netmask"].get<std::string>()
                                       : "255.255.255.255";
            auto mask = parseIPv4(maskText);
            if (!address || !mask) {
                error = where + ".ipv4 has an address or netmask that is not dotted decimal";
                return false;
            }
            iface.ipv4.push_back({*address, *mask});
        }
    }
    if (!member(item, "ipv6", isArray, value, error, where)) return false;
    if (value) {
        for (const json& entry : *value) {
            if (!entry.is_object() || !entry.contains("address") || !entry["address"].is_string()) {
                error = where + ".ipv6 entries need an \"address\" text";
                return false;
            }
            auto address = parseIPv6(entry["address"].get<std::string>());
            int prefix = 64;
            if (entry.contains("prefix")) {
                if (!entry["prefix"].is_number_unsigned() || entry["prefix"].get<unsigned long>() > 128) {
                    error = where + ".ipv6 prefix must be 0 to 128";
                    return false;
                }
                prefix = entry["prefix"].get<int>();
            }
            if (!address) {
                error = where + ".ipv6 has an address that is not an IPv6 address";
                return false;
            }
            iface.ipv6.push_back({*address, prefix});
        }
    }
    network.interfaces.push_back(std::move(iface));
    return true;
}

bool readRoute(const json& item, DeviceNetwork& network, std::size_t position, std::string& error) {
    std::string where = "routes[" + std::to_string(position) + "]";
    if (!item.is_object() || !item.contains("destination") || !item["destination"].is_string()) {
        error = where + " needs a \"destination\" text";
        return false;
    }
    auto destination = parseDestination(item["destination"].get<std::string>());
    if (!destination) {
        error = where + ".destination is not \"default\", an address or an address/prefix";
        return false;
    }
    DeviceNetwork::RouteEntry route;
    route.family = destination->family;
    route.destination = destination->address;
    route.prefixLength = destination->prefixLength;
    if (item.contains("gateway")) {
        if (!item["gateway"].is_string()) {
            error = where + ".gateway must be a text";
            return false;
        }
        std::string text = item["gateway"].get<std::string>();
        if (!text.empty()) {
            std::optional<Bytes16> gateway;
            if (route.family == fact::kInet) {
                if (auto v4 = parseIPv4(text)) gateway = widen(*v4);
            } else {
                gateway = parseIPv6(text);
            }
            if (!gateway) {
                error = where + ".gateway is not an address of the destination's family";
                return false;
            }
            route.gateway = gateway;
        }
    }
    if (item.contains("interface")) {
        if (!item["interface"].is_string()) {
            error = where + ".interface must be a text";
            return false;
        }
        route.interfaceName = item["interface"].get<std::string>();
    }
    if (item.contains("flags")) {
        if (!item["flags"].is_number_integer()) {
            error = where + ".flags must be an integer";
            return false;
        }
        route.flags = item["flags"].get<int>();
    }
    if (item.contains("parentFlags")) {
        if (!item["parentFlags"].is_number_integer()) {
            error = where + ".parentFlags must be an integer";
            return false;
        }
        route.parentFlags = item["parentFlags"].get<int>();
    }
    network.routes.push_back(route);
    return true;
}

}  // namespace

DeviceNetwork::Interface& DeviceNetwork::Interface::addIPv4(const std::string& address, const std::string& netmask) {
    auto a = parseIPv4(address);
    auto m = parseIPv4(netmask);
    if (a && m) {
        ipv4.push_back({*a, *m});
    } else {
        diagnostic("device network: \"" + address + "\" / \"" + netmask + "\" is not an IPv4 address and netmask");
    }
    return *this;
}

DeviceNetwork::Interface& DeviceNetwork::Interface::addIPv6(const std::string& address, int prefixLength) {
    auto a = parseIPv6(address);
    if (a && prefixLength >= 0 && prefixLength <= 128) {
        ipv6.push_back({*a, prefixLength});
    } else {
        diagnostic("device network: \"" + address + "\" is not an IPv6 address");
    }
    return *this;
}

DeviceNetwork::Interface& DeviceNetwork::Interface::setHardwareAddress(const std::string& text) {
    if (auto mac = parseHardwareAddress(text)) {
        hardwareAddress = *mac;
    } else {
        diagnostic("device network: \"" + text + "\" is not a hardware address");
    }
    return *this;
}

DeviceNetwork::Interface& DeviceNetwork::addInterface(const std::string& name, std::uint8_t type) {
    Interface iface;
    iface.name = name.substr(0, fact::kMaxNameLength);
    iface.type = type;
    interfaces.push_back(std::move(iface));
    return interfaces.back();
}

bool DeviceNetwork::addRoute(const std::string& destination, const std::string& gateway,
                             const std::string& interfaceName) {
    json item = {{"destination", destination}, {"gateway", gateway}, {"interface", interfaceName}};
    std::string error;
    if (!readRoute(item, *this, routes.size(), error)) {
        diagnostic("device network: " + error);
        return false;
    }
    return true;
}

DeviceNetwork DeviceNetwork::typicalPhone() {
    DeviceNetwork network;
    network.addInterface("lo0", fact::kTypeLoopback).addIPv4("127.0.0.1", "255.0.0.0").addIPv6("::1", 128);
    network.addInterface("pdp_ip0", fact::kTypeCellular).addIPv4("10.72.14.9", "255.255.255.255");
    network.addInterface("en0")
        .setHardwareAddress("02:5e:10:4a:7c:21")
        .addIPv4("192.168.1.20", "255.255.255.0")
        .addIPv6("fe80::5e:10ff:fe4a:7c21", 64)
        .addIPv6("2001:db8:1::20", 64);
    network.addRoute("default", "192.168.1.1", "en0");
    network.addRoute("127.0.0.0/8", "127.0.0.1", "lo0");
    network.addRoute("192.168.1.0/24", "", "en0");
    network.addRoute("::/0", "fe80::1", "en0");
    network.wifiInterfaces = {"en0"};
    network.wifiNetworks["en0"] = "Flint Home";
    network.carrier.hasProvider = true;
    network.carrier.name = "Flint Mobile";
    return network;
}

std::optional<DeviceNetwork> DeviceNetwork::fromJson(const std::string& text, std::string& error) {
    json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "not a JSON object";
        return std::nullopt;
    }
    DeviceNetwork network;
    if (root.contains("interfaces")) {
        if (!root["interfaces"].is_array()) {
            error = "interfaces must be an array";
            return std::nullopt;
        }
        std::size_t i = 0;
        for (const json& item : root["interfaces"])
            if (!readInterface(item, network, i++, error)) return std::nullopt;
    }
    if (root.contains("routes")) {
        if (!root["routes"].is_array()) {
            error = "routes must be an array";
            return std::nullopt;
        }
        std::size_t i = 0;
        for (const json& item : root["routes"])
            if (!readRoute(item, network, i++, error)) return std::nullopt;
    }
    if (root.contains("wifi")) {
        const json& wifi = root["wifi"];
        if (!wifi.is_object()) {
            error = "wifi must be an object";
            return std::nullopt;
        }
        if (wifi.contains("interfaces")) {
            if (!wifi["interfaces"].is_array()) {
                error = "wifi.interfaces must be an array of texts";
                return std::nullopt;
            }
            network.wifiInterfaces.clear();
            for (const json& name : wifi["interfaces"]) {
                if (!name.is_string()) {
                    error = "wifi.interfaces must be an array of texts";
                    return std::nullopt;
                }
                network.wifiInterfaces.push_back(name.get<std::string>());
            }
        }
        if (wifi.contains("networks")) {
            if (!wifi["networks"].is_object()) {
                error = "wifi.networks must map interface names to network names";
                return std::nullopt;
            }
            for (const auto& [name, ssid] : wifi["networks"].items()) {
                if (!ssid.is_string()) {
                    error = "wifi.networks." + name + " must be a text";
                    return std::nullopt;
                }
                network.wifiNetworks[name] = ssid.get<std::string>();
            }
        }
    }
    if (root.contains("cellular")) {
        const json& cellular = root["cellular"];
        if (!cellular.is_object()) {
            error = "cellular must be an object";
            return std::nullopt;
        }
        network.carrier.hasProvider = true;  // a cellular entry without "provider" has one
        if (cellular.contains("provider")) {
            if (!cellular["provider"].is_boolean()) {
                error = "cellular.provider must be true or false";
                return std::nullopt;
            }
            network.carrier.hasProvider = cellular["provider"].get<bool>();
        }
        if (cellular.contains("carrier")) {
            if (!cellular["carrier"].is_string()) {
                error = "cellular.carrier must be a text";
                return std::nullopt;
            }
            network.carrier.name = cellular["carrier"].get<std::string>();
        }
        if (cellular.contains("exception")) {
            if (!cellular["exception"].is_string()) {
                error = "cellular.exception must be a text";
                return std::nullopt;
            }
            network.carrier.exception = cellular["exception"].get<std::string>();
        }
    }
    if (root.contains("publicAddressEndpoint")) {
        if (!root["publicAddressEndpoint"].is_string()) {
            error = "publicAddressEndpoint must be a text";
            return std::nullopt;
        }
        network.publicAddressEndpoint = root["publicAddressEndpoint"].get<std::string>();
    }
    return network;
}

std::optional<DeviceNetwork> DeviceNetwork::load(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file);
    if (!in) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto network = fromJson(text.str(), error);
    if (!network) error = file.string() + ": " + error;
    return network;
}

std::string DeviceNetwork::toJson() const {
    json root = json::object();
    json list = json::array();
    for (const Interface& iface : interfaces) {
        json item = {{"name", iface.name}, {"type", typeName(iface.type)}, {"up", iface.up}, {"mtu", iface.mtu}};
        if (iface.index) item["index"] = iface.index;
        if (!iface.hardwareAddress.empty()) item["mac"] = formatHardwareAddress(iface.hardwareAddress);
        json v4 = json::array();
        for (const IPv4& a : iface.ipv4)
            v4.push_back({{"address", formatAddress(fact::kInet, widen(a.address))},
                          {"netmask", formatAddress(fact::kInet, widen(a.netmask))}});
        item["ipv4"] = v4;
        json v6 = json::array();
        for (const IPv6& a : iface.ipv6)
            v6.push_back({{"address", formatAddress(fact::kInet6, a.address)}, {"prefix", a.prefixLength}});
        item["ipv6"] = v6;
        list.push_back(item);
    }
    root["interfaces"] = list;
    json routeList = json::array();
    for (const RouteEntry& route : routes) {
        std::string destination =
            route.family == fact::kInet && route.prefixLength == 0
                ? "default"
                : formatAddress(route.family, route.destination) + "/" + std::to_string(route.prefixLength);
        json item = {{"destination", destination},
                     {"gateway", route.gateway ? formatAddress(route.family, *route.gateway) : ""},
                     {"interface", route.interfaceName}};
        if (route.flags) item["flags"] = *route.flags;
        if (route.parentFlags) item["parentFlags"] = route.parentFlags;
        routeList.push_back(item);
    }
    root["routes"] = routeList;
    root["wifi"] = {{"interfaces", wifiInterfaces}, {"networks", wifiNetworks}};
    json cellular = {{"provider", carrier.hasProvider}};
    if (carrier.name) cellular["carrier"] = *carrier.name;
    if (carrier.exception) cellular["exception"] = *carrier.exception;
    root["cellular"] = cellular;
    if (publicAddressEndpoint) root["publicAddressEndpoint"] = *publicAddressEndpoint;
    return root.dump(2) + "\n";
}

bool DeviceNetwork::save(const std::filesystem::path& file) const { return ios::writeFileAtomically(file, toJson()); }

std::filesystem::path DeviceNetwork::fileIn(const std::filesystem::path& deviceRoot) {
    return deviceRoot / "Library/Preferences/SystemConfiguration/FlintDeviceNetwork.json";
}

}  // namespace bsd
