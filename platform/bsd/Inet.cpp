#include "platform/bsd/Inet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace bsd {

static_assert(sizeof(bsd::in_addr) == sizeof(::in_addr));

char* inet_ntoa(bsd::in_addr address) {
    ::in_addr host{};
    host.s_addr = address.s_addr;
    return ::inet_ntoa(host);
}

const char* inet_ntop(int af, const void* source, char* destination, std::uint32_t size) {
    int hostFamily;
    switch (af) {
    case 2: hostFamily = AF_INET; break;
    case 30: hostFamily = AF_INET6; break;
    default: return nullptr;
    }
    if (!source || !destination) return nullptr;
    return ::inet_ntop(hostFamily, source, destination, static_cast<socklen_t>(size));
}

}  // namespace bsd
