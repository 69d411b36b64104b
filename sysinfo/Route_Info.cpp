#include "sysinfo/Route_Info.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/bsd/Net.h"
#include "platform/foundation/Format.h"

OBJC_CLASS_DEFINE(Route_Info, objc::Object)

namespace {

// A routing message read without reaching past its end: bytes beyond read as zero.
struct MessageView {
    std::span<const std::uint8_t> bytes;
    std::uint8_t byte(std::size_t at) const { return at < bytes.size() ? bytes[at] : 0; }
    std::int32_t int32(std::size_t at) const {
        std::uint8_t raw[4] = {byte(at), byte(at + 1), byte(at + 2), byte(at + 3)};
        std::int32_t value;
        std::memcpy(&value, raw, 4);
        return value;
    }
};

constexpr int kClonedFlag = bsd::RTF_WASCLONED;        // 0x20000
constexpr int kParentClonesFlag = bsd::RTF_PRCLONING;  // 0x10000

}  // namespace

std::vector<objc::Ref<Route_Info>> Route_Info::getRoutes() {
    int mib[6] = {bsd::CTL_NET, bsd::PF_ROUTE, 0, 0, bsd::NET_RT_DUMP2, 0};
    std::size_t needed = 0;
    if (bsd::sysctl(mib, 6, nullptr, &needed, nullptr, 0) < 0) return {};
    if (needed < 1) return {};
    auto* buffer = static_cast<std::uint8_t*>(std::malloc(needed));
    if (!buffer) return {};
    std::vector<objc::Ref<Route_Info>> routes;
    if (bsd::sysctl(mib, 6, buffer, &needed, nullptr, 0) == 0)
        routes = routesInDump(std::span<const std::uint8_t>(buffer, needed));
    std::free(buffer);
    return routes;
}

std::vector<objc::Ref<Route_Info>> Route_Info::routesInDump(std::span<const std::uint8_t> dump) {
    std::vector<objc::Ref<Route_Info>> routes;
    std::size_t position = 0;
    while (position < dump.size()) {
        std::size_t left = dump.size() - position;
        if (left < sizeof(std::uint16_t)) break;
        std::uint16_t length;
        std::memcpy(&length, dump.data() + position, sizeof length);
        if (length == 0 || length > left) break;
        if (auto route = getRoute(dump.subspan(position, length))) {
            routes.push_back(std::move(route));
            break;
        }
        position += length;
    }
    return routes;
}

objc::Ref<Route_Info> Route_Info::getRoute(std::span<const std::uint8_t> message) {
    MessageView view{message};
    int addrs = view.int32(offsetof(bsd::rt_msghdr2, rtm_addrs));
    if (!(addrs & bsd::RTA_DST)) return nullptr;
    if (view.byte(kHeaderSize + 1) != bsd::AF_INET) return nullptr;
    int flags = view.int32(offsetof(bsd::rt_msghdr2, rtm_flags));
    int parentFlags = view.int32(offsetof(bsd::rt_msghdr2, rtm_parentflags));
    if ((flags & kClonedFlag) && (parentFlags & kParentClonesFlag)) return nullptr;
    return objc::make<Route_Info>(message);
}

void Route_Info::initWithRtm(std::span<const std::uint8_t> message) {
    std::uint8_t header[kHeaderSize] = {};
    if (!message.empty()) std::memcpy(header, message.data(), std::min(message.size(), kHeaderSize));
    std::memcpy(&m_rtm, header, kHeaderSize);
    for (int index = 0; index < kSlotCount; ++index) {
        std::size_t at = kHeaderSize + kSlotSize * static_cast<std::size_t>(index);
        setAddr(at < message.size() ? message.subspan(at) : std::span<const std::uint8_t>(), index);
    }
}

void Route_Info::setAddr(std::span<const std::uint8_t> address, int index) {
    if (static_cast<unsigned>(index) > 7) return;
    Slot& slot = m_addrs[static_cast<std::size_t>(index)];
    slot.fill(0);
    if (!address.empty()) std::memcpy(slot.data(), address.data(), std::min(address.size(), kSlotSize));
}

std::optional<std::string> Route_Info::getAddrStringByIndex(int index) const {
    if (static_cast<unsigned>(index) > 7) return std::nullopt;
    if (!(m_rtm.rtm_addrs & (1 << index))) return std::nullopt;
    const Slot& slot = m_addrs[static_cast<std::size_t>(index)];
    std::uint8_t family = slot[1];
    if (family == bsd::AF_LINK) {
        std::uint8_t nlen = slot[5], alen = slot[6], slen = slot[7];
        if (nlen + alen + slen != 0) {
            return std::string(bsd::link_ntoa(reinterpret_cast<const bsd::sockaddr_dl*>(slot.data()), kSlotSize));
        }
        std::uint16_t interfaceIndex;
        std::memcpy(&interfaceIndex, &slot[2], sizeof interfaceIndex);
        return ios::format("link #%d", static_cast<int>(interfaceIndex));
    }
    if (family == bsd::AF_INET) {
        if (slot[4] == 0 && slot[5] == 0 && slot[6] == 0 && slot[7] == 0) return std::string("default");
        bsd::in_addr address;
        std::memcpy(&address.s_addr, &slot[4], 4);
        return std::string(bsd::inet_ntoa(address));
    }
    std::uint8_t length = slot[0];
    if (length == 0) return std::nullopt;
    // As many bytes from byte 2 as the length byte says, but only those inside the slot.
    std::size_t count = std::min<std::size_t>(length, kSlotSize - 2);
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(part, sizeof part, "%s%02x", i == 0 ? "" : ":", slot[2 + i]);
        text += part;
    }
    return text;
}
