#pragma once
// The simulated back end: a device's configured interfaces, routes, Wi-Fi and cellular facts.
// Descriptors of its datagram sockets are its own numbers; a test can make any of its operations
// fail to exercise the callers' fallbacks.

#include <set>

#include "platform/bsd/Backend.h"
#include "platform/bsd/DeviceNetwork.h"

namespace bsd {

class SimulatedBackend : public Backend {
public:
    explicit SimulatedBackend(DeviceNetwork network = {}) : m_network(std::move(network)) {}

    std::string name() const override { return "simulated"; }
    DeviceNetwork& network() { return m_network; }
    const DeviceNetwork& network() const { return m_network; }

    std::optional<std::vector<Link>> links() override;
    std::optional<std::vector<Route>> routes() override;

    int openDatagramSocket() override;
    int requestNetmask(int fd, const std::string& interfaceName, std::array<std::uint8_t, 4>& mask) override;
    int closeSocket(int fd) override;

    std::vector<std::string> wifiInterfaces() override { return m_network.wifiInterfaces; }
    std::optional<std::string> wifiNetworkName(const std::string& interfaceName) override;
    CarrierFacts carrier() override { return m_network.carrier; }
    std::optional<std::string> publicAddressEndpoint() override { return m_network.publicAddressEndpoint; }

    enum class Failure { Links, Routes, Socket, Netmask };
    void setFailingForTesting(Failure what, bool failing);
    std::size_t openSocketCount() const { return m_openSockets.size(); }

private:
    bool failing(Failure what) const { return m_failing.count(what) != 0; }
    unsigned indexOf(const std::string& name) const;

    DeviceNetwork m_network;
    std::set<int> m_openSockets;
    int m_nextSocket = 1000;
    std::set<Failure> m_failing;
};

}  // namespace bsd
