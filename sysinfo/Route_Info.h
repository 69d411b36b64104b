#pragma once
// One entry of the kernel routing table, read from an extended routing message (rt_msghdr2
// followed by its socket addresses), and the walk over the routing dump that finds the first
// IPv4 route.
//
// Address slots are taken at a fixed stride of 16 bytes after the 92-byte header, as the
// routing message's address order says. Nothing is read past the message: bytes a slot would
// take from beyond it read as zero.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/bsd/Darwin.h"
#include "platform/objc/Runtime.h"

class Route_Info : public objc::Object {
    OBJC_CLASS_DECLARE(Route_Info)
public:
    static constexpr std::size_t kHeaderSize = sizeof(bsd::rt_msghdr2);  // 92
    static constexpr std::size_t kSlotSize = 16;
    static constexpr int kSlotCount = 8;
    using Slot = std::array<std::uint8_t, kSlotSize>;

    // The routing dump's first route that passes the filter: an empty array or one record.
    static std::vector<objc::Ref<Route_Info>> getRoutes();
    // The walk over a dump already in memory. A message whose length is 0 or runs past the
    // end of the dump ends the walk.
    static std::vector<objc::Ref<Route_Info>> routesInDump(std::span<const std::uint8_t> dump);
    // The route filter: a record for a message with an IPv4 destination that was not cloned
    // from a parent that requires cloning; none otherwise. `message` is one message, its length
    // as the dump gives it.
    static objc::Ref<Route_Info> getRoute(std::span<const std::uint8_t> message);

    using objc::Object::init;
    void init(std::span<const std::uint8_t> message) { initWithRtm(message); }
    void initWithRtm(std::span<const std::uint8_t> message);
    // Copies a socket address into slot `index` (0 to 7); other indices do nothing. Bytes past
    // the given span read as zero.
    void setAddr(std::span<const std::uint8_t> address, int index);

    std::optional<std::string> getDestination() const { return getAddrStringByIndex(0); }
    std::optional<std::string> getGateway() const { return getAddrStringByIndex(1); }
    std::optional<std::string> getNetmask() const { return getAddrStringByIndex(2); }
    std::optional<std::string> getAddrStringByIndex(int index) const;

    bsd::rt_msghdr2 m_rtm{};
    std::array<Slot, kSlotCount> m_addrs{};

protected:
    Route_Info() = default;
};
