// The device network configuration: its JSON form and the faults it names.

#include <gtest/gtest.h>

#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/SimulatedBackend.h"

namespace {

TEST(DeviceNetwork, SurvivesARoundTripThroughJson) {
    bsd::DeviceNetwork original = bsd::DeviceNetwork::typicalPhone();
    original.publicAddressEndpoint = "http://127.0.0.1:9/";
    original.carrier.exception = "radio off";
    std::string error;
    auto copy = bsd::DeviceNetwork::fromJson(original.toJson(), error);
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(copy->toJson(), original.toJson());
    ASSERT_EQ(copy->interfaces.size(), 3u);
    EXPECT_EQ(copy->interfaces[2].name, "en0");
    EXPECT_EQ(copy->interfaces[2].hardwareAddress.size(), 6u);
    EXPECT_EQ(copy->routes[0].prefixLength, 0);
    EXPECT_EQ(copy->carrier.name, "Flint Mobile");
    EXPECT_EQ(copy->wifiNetworks.at("en0"), "Flint Home");
}

TEST(DeviceNetwork, NamesTheFaultOfABrokenFile) {
    struct Case {
        const char* json;
        const char* fault;
    } cases[] = {
        {"[1, 2]", "not a JSON object"},
        {"{\"interfaces\": {}}", "interfaces must be an array"},
        {"{\"interfaces\": [{\"name\": \"a_name_longer_than_15\"}]}", "interfaces[0].name"},
        {"{\"interfaces\": [{\"name\": \"en0\", \"ipv4\": [{\"address\": \"192.168.1\"}]}]}", "interfaces[0].ipv4"},
        {"{\"interfaces\": [{\"name\": \"en0\", \"mac\": \"zz:00\"}]}", "interfaces[0].mac"},
        {"{\"interfaces\": [{\"name\": \"en0\", \"type\": \"modem\"}]}", "interfaces[0].type"},
        {"{\"routes\": [{\"destination\": \"10.0.0.0/33\"}]}", "routes[0].destination"},
        {"{\"routes\": [{\"destination\": \"default\", \"gateway\": \"fe80::1\"}]}", "routes[0].gateway"},
        {"{\"cellular\": {\"carrier\": 5}}", "cellular.carrier"},
        {"{\"cellular\": {\"provider\": \"yes\"}}", "cellular.provider"},
        {"{\"wifi\": {\"networks\": {\"en0\": 1}}}", "wifi.networks.en0"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(bsd::DeviceNetwork::fromJson(c.json, error)) << c.json;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.json << " gave: " << error;
    }
}

TEST(DeviceNetwork, BuildersReportAndSkipTextsThatDontParse) {
    std::vector<std::string> messages;
    bsd::setDiagnosticSink([&](const std::string& m) { messages.push_back(m); });
    bsd::DeviceNetwork network;
    network.addInterface("en0").addIPv4("300.1.1.1", "255.0.0.0").addIPv4("10.0.0.2", "255.0.0.0");
    EXPECT_FALSE(network.addRoute("default", "not-an-address", "en0"));
    bsd::setDiagnosticSink(nullptr);
    EXPECT_EQ(network.interfaces[0].ipv4.size(), 1u);
    EXPECT_TRUE(network.routes.empty());
    EXPECT_EQ(messages.size(), 2u);
}

TEST(DeviceNetwork, MissingFileIsAFaultNotACrash) {
    std::string error;
    EXPECT_FALSE(bsd::DeviceNetwork::load("/nonexistent/flint/network.json", error));
    EXPECT_NE(error.find("/nonexistent/flint/network.json"), std::string::npos);
}

TEST(SimulatedBackend, DerivesBroadcastAndRouteFlagsFromTheConfiguration) {
    bsd::SimulatedBackend sim(bsd::DeviceNetwork::typicalPhone());
    auto links = sim.links();
    ASSERT_TRUE(links);
    const bsd::Link& en0 = (*links)[2];
    EXPECT_EQ(en0.name, "en0");
    ASSERT_TRUE(en0.addresses[0].broadcast);
    EXPECT_EQ((*en0.addresses[0].broadcast)[3], 255);
    EXPECT_FALSE((*links)[1].addresses[0].broadcast) << "a cellular link has no broadcast address";
    auto routes = sim.routes();
    ASSERT_TRUE(routes);
    EXPECT_EQ((*routes)[0].flags & (bsd::fact::kRouteGateway | bsd::fact::kRouteProtocolCloning),
              bsd::fact::kRouteGateway | bsd::fact::kRouteProtocolCloning);
    EXPECT_EQ((*routes)[0].interfaceIndex, 3u);
    EXPECT_TRUE((*routes)[2].flags & bsd::fact::kRouteCloning);
}

}  // namespace
