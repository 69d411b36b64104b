#pragma once
// Darwin routing-socket messages built from the back end's facts: the routing-table dump
// (rt_msghdr2 followed by its socket addresses, each padded to four bytes) and the interface
// messages (if_msghdr followed by the interface's sockaddr_dl).

#include <cstdint>
#include <vector>

#include "platform/bsd/Backend.h"
#include "platform/bsd/Darwin.h"

namespace bsd {

// RTM_GET2 messages for the routes of one family (AF_INET, AF_INET6) or all (AF_UNSPEC).
std::vector<std::uint8_t> routeDump(const std::vector<Route>& routes, const std::vector<Link>& links, int family);
// RTM_IFINFO messages for the interface with that index, or every interface for index 0.
std::vector<std::uint8_t> interfaceMessages(const std::vector<Link>& links, unsigned index);

// The link-level socket address of an interface (name and hardware address), padded to at least
// sizeof(sockaddr_dl).
std::vector<std::uint8_t> linkSockaddr(const Link& link);

// An AF_INET or AF_INET6 socket address in Darwin layout.
std::vector<std::uint8_t> inetSockaddr(int family, const Bytes16& address, std::uint32_t scopeId = 0);

}  // namespace bsd
