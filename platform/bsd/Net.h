#pragma once
// Darwin's BSD networking calls, answered from the process's back end (Backend.h) in Darwin
// layout. Each keeps the platform's contract: 0 or -1 with errno, buffers owned as the platform
// owns them.

#include <cstddef>
#include <string>

#include "platform/bsd/Darwin.h"

namespace bsd {

// The interface list: for every interface a link-level entry (sockaddr_dl with name and hardware
// address, ifa_data an if_data), then its IPv4 and IPv6 addresses in the system's order. An
// empty list is success with *list null. Release with freeifaddrs.
int getifaddrs(ifaddrs** list);
void freeifaddrs(ifaddrs* list);

// Datagram sockets for interface requests: only (AF_INET, SOCK_DGRAM, 0) is offered.
int socket(int domain, int type, int protocol);
// SIOCGIFNETMASK with an ifreq: the netmask of the named interface's first IPv4 address, as a
// sockaddr_in in ifr_addr. ENXIO for an unknown interface, EADDRNOTAVAIL for one without IPv4.
int ioctl(int fd, unsigned long request, void* argument);
int close(int fd);

// The routing sysctls {CTL_NET, PF_ROUTE, 0, af, NET_RT_DUMP2, 0} (RTM_GET2 messages for af 0,
// AF_INET or AF_INET6) and {CTL_NET, PF_ROUTE, 0, AF_LINK, NET_RT_IFLIST, index} (RTM_IFINFO
// messages, one interface or all for index 0). A null oldp asks for the size; a buffer too small
// gives ENOMEM; newp must be null.
int sysctl(int* name, unsigned nameLength, void* oldp, std::size_t* oldlenp, void* newp, std::size_t newlen);

unsigned if_nametoindex(const char* name);

// The link-level text: the name, then ":" and the address bytes in hex without leading zeros
// joined by ".". Reads no further than `available` bytes from sdl; the text lives in a buffer of
// the calling thread until its next call.
char* link_ntoa(const sockaddr_dl* sdl, std::size_t available);

// For tests: lists handed out and not yet released, sockets open through socket().
std::size_t outstandingInterfaceListsForTesting();
std::size_t openSocketsForTesting();

}  // namespace bsd
