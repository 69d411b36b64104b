#pragma once
// The host back end: this Linux machine's real interfaces (getifaddrs), netmasks (the
// SIOCGIFNETMASK request), routes (netlink, or /proc/net/route when netlink is unavailable) and
// hardware addresses (/sys/class/net/*/address), under Darwin interface names; the Wi-Fi network
// name from NetworkManager over the system bus.
//
// The name map says which host interface stands behind a Darwin name ("en0" -> "eth0"). By
// default "en0" is the interface of the default route and every other host interface keeps its
// own name; a host interface that stands behind a Darwin name is seen only under that name.
// Mapping a name to "" hides it.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/bsd/Backend.h"

namespace bsd {

class HostBackend : public Backend {
public:
    HostBackend();
    explicit HostBackend(std::map<std::string, std::string> nameMap, bool mapEn0ToDefaultRoute = true);

    std::string name() const override { return "host"; }

    // Darwin name -> host name; replaces an earlier entry for the same Darwin name.
    void mapInterface(const std::string& darwinName, const std::string& hostName);
    // The map in force now, with "en0" resolved to the default route's interface when it isn't
    // set explicitly.
    std::map<std::string, std::string> effectiveNameMap();
    // The host interface behind a Darwin name, or none when the name is hidden or unmapped.
    std::optional<std::string> hostNameFor(const std::string& darwinName);

    std::optional<std::vector<Link>> links() override;
    std::optional<std::vector<Route>> routes() override;

    int openDatagramSocket() override;
    int requestNetmask(int fd, const std::string& interfaceName, std::array<std::uint8_t, 4>& mask) override;
    int closeSocket(int fd) override;

    std::vector<std::string> wifiInterfaces() override;
    // The SSID of the access point the host interface behind the name is associated with, as
    // NetworkManager on the system bus knows it; none without NetworkManager, for an interface it
    // does not manage or that is not Wi-Fi, and while not associated.
    std::optional<std::string> wifiNetworkName(const std::string& interfaceName) override;
    // The bus NetworkManager is asked on; empty (the default): the system bus.
    void setSystemBusAddress(std::string address) { m_systemBusAddress = std::move(address); }
    // No cellular modem on the host: no subscriber provider.
    CarrierFacts carrier() override;

    // For tests: read the sysfs facts from another folder, and the route file instead of netlink.
    void setSysfsRootForTesting(std::filesystem::path root) { m_sysfs = std::move(root); }
    void setRouteFileForTesting(std::filesystem::path file) { m_routeFile = std::move(file); }

private:
    std::vector<std::string> darwinNamesFor(const std::string& hostName,
                                            const std::map<std::string, std::string>& map) const;
    std::optional<std::vector<Route>> readRoutes();

    std::map<std::string, std::string> m_map;
    bool m_mapEn0ToDefaultRoute;
    std::filesystem::path m_sysfs = "/sys/class/net";
    std::optional<std::filesystem::path> m_routeFile;
    std::string m_systemBusAddress;
};

// Parses the text of /proc/net/route into IPv4 routes (interface indices from the host).
// Lines that don't parse are skipped.
std::vector<Route> parseProcNetRoute(const std::string& text, unsigned (*indexOf)(const char*));

// Parses a netlink route dump (a sequence of netlink messages). Appends the unicast routes of the
// main table; returns false on an error message or a malformed buffer, true at the end of the dump.
bool parseNetlinkRoutes(const std::uint8_t* data, std::size_t size, std::vector<Route>& out, bool& done);

}  // namespace bsd
