#pragma once
// The facts behind the Darwin networking calls, in neutral form, and the back end that supplies
// them. Net.h turns these facts into Darwin layouts; a back end only gathers them: the host back
// end from this Linux machine, the simulated one from a device's configuration.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bsd {

// Darwin's values for the facts, under names that don't collide with the host's macros.
namespace fact {
inline constexpr int kInet = 2;
inline constexpr int kInet6 = 30;

inline constexpr unsigned kLinkUp = 0x1;
inline constexpr unsigned kLinkBroadcast = 0x2;
inline constexpr unsigned kLinkLoopback = 0x8;
inline constexpr unsigned kLinkPointToPoint = 0x10;
inline constexpr unsigned kLinkRunning = 0x40;
inline constexpr unsigned kLinkNoArp = 0x80;
inline constexpr unsigned kLinkMulticast = 0x8000;

inline constexpr std::uint8_t kTypeOther = 0x1;
inline constexpr std::uint8_t kTypeEthernet = 0x6;
inline constexpr std::uint8_t kTypeLoopback = 0x18;
inline constexpr std::uint8_t kTypeCellular = 0xff;

inline constexpr int kRouteUp = 0x1;
inline constexpr int kRouteGateway = 0x2;
inline constexpr int kRouteHost = 0x4;
inline constexpr int kRouteCloning = 0x100;
inline constexpr int kRouteStatic = 0x800;
inline constexpr int kRouteProtocolCloning = 0x10000;
inline constexpr int kRouteWasCloned = 0x20000;

inline constexpr std::size_t kMaxNameLength = 15;
inline constexpr std::size_t kMaxHardwareAddress = 32;
}  // namespace fact

using Bytes16 = std::array<std::uint8_t, 16>;  // an IPv4 address uses the first four bytes

struct InterfaceAddress {
    int family = 0;  // fact::kInet or fact::kInet6
    Bytes16 address{};
    Bytes16 netmask{};
    std::optional<Bytes16> broadcast;  // IPv4 broadcast, or the peer of a point-to-point link
    std::uint32_t scopeId = 0;
};

// One network interface under its Darwin name.
struct Link {
    std::string name;
    unsigned index = 0;
    unsigned flags = 0;     // fact::kLink*
    std::uint8_t type = 0;  // fact::kType*
    std::vector<std::uint8_t> hardwareAddress;
    std::uint32_t mtu = 0;
    std::vector<InterfaceAddress> addresses;  // in the order the system lists them
};

struct Route {
    int family = 0;  // fact::kInet or fact::kInet6
    Bytes16 destination{};
    int prefixLength = 0;
    std::optional<Bytes16> gateway;  // none: the destination is on the link itself
    unsigned interfaceIndex = 0;
    int flags = 0;        // fact::kRoute*
    int parentFlags = 0;  // flags of the route this one was cloned from
    std::uint32_t mtu = 0;
};

struct CarrierFacts {
    bool hasProvider = false;              // no SIM: no subscriber provider at all
    std::optional<std::string> name;       // the provider's carrier name, possibly empty
    std::optional<std::string> exception;  // a platform exception raised while asking
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual std::string name() const = 0;

    // Every interface with its addresses, ordered by index; none when the facts can't be read
    // (errno tells why).
    virtual std::optional<std::vector<Link>> links() = 0;
    // The routing table; none when it can't be read.
    virtual std::optional<std::vector<Route>> routes() = 0;

    // The datagram socket of the netmask request: open returns a descriptor or -1 with errno,
    // the request returns 0 or an errno value.
    virtual int openDatagramSocket() = 0;
    virtual int requestNetmask(int fd, const std::string& interfaceName, std::array<std::uint8_t, 4>& mask) = 0;
    virtual int closeSocket(int fd) = 0;

    // Wi-Fi and cellular facts for the captive-network and telephony stand-ins.
    virtual std::vector<std::string> wifiInterfaces() = 0;
    virtual std::optional<std::string> wifiNetworkName(const std::string& interfaceName) = 0;
    virtual CarrierFacts carrier() = 0;
    // The public-address echo endpoint the device is configured with, if any.
    virtual std::optional<std::string> publicAddressEndpoint() { return std::nullopt; }
};

// The back end of this process. The host back end (default map) until someone sets another.
Backend& backend();
std::shared_ptr<Backend> currentBackend();
// Installs a back end and hands back the previous one; null restores the default host back end.
std::shared_ptr<Backend> setBackend(std::shared_ptr<Backend> backend);

// Installs a back end for a scope (a test, a command) and restores the previous one after.
class ScopedBackend {
public:
    explicit ScopedBackend(std::shared_ptr<Backend> backend) : m_previous(setBackend(std::move(backend))) {}
    ~ScopedBackend() { setBackend(std::move(m_previous)); }
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

private:
    std::shared_ptr<Backend> m_previous;
};

// Where the layer reports misuse and unreadable facts (a bad free, a broken configuration).
// Writes to stderr until a sink is set.
void setDiagnosticSink(std::function<void(const std::string&)> sink);
void diagnostic(const std::string& message);

// Address text helpers shared by the back ends and the configuration reader.
std::optional<std::array<std::uint8_t, 4>> parseIPv4(const std::string& text);
std::optional<Bytes16> parseIPv6(const std::string& text);
std::optional<std::vector<std::uint8_t>> parseHardwareAddress(const std::string& text);
std::string formatAddress(int family, const Bytes16& address);
std::string formatHardwareAddress(const std::vector<std::uint8_t>& address);
Bytes16 prefixMask(int family, int prefixLength);
int prefixLengthOf(int family, const Bytes16& mask);

}  // namespace bsd
