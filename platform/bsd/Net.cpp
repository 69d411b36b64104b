#include "platform/bsd/Net.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <memory>
#include <mutex>

#include "platform/bsd/Backend.h"
#include "platform/bsd/RoutingMessages.h"

namespace bsd {

namespace {

// An interface list is one allocation: a header, then one node per entry holding the entry and
// everything it points at, so freeifaddrs releases it in one go and can tell a foreign pointer.
constexpr std::uint64_t kListMagic = 0x666c696e74696661ULL;

struct ListHeader {
    std::uint64_t magic;
    std::size_t count;
};

struct Node {
    ifaddrs entry;
    char name[IFNAMSIZ];
    alignas(8) std::uint8_t addr[64];
    alignas(8) std::uint8_t netmask[64];
    alignas(8) std::uint8_t dstaddr[64];
    if_data data;
};

constexpr std::size_t kHeaderSize =
    (sizeof(ListHeader) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

// Heads of the lists handed out, so a foreign or twice-released pointer is refused before it
// is touched.
std::mutex g_listMutex;
std::set<const ifaddrs*> g_lists;

struct OpenSocket {
    std::shared_ptr<Backend> backend;
    int backendFd;
};
std::mutex g_socketMutex;
std::map<int, OpenSocket> g_sockets;
int g_nextSocket = 3;

sockaddr* place(std::uint8_t* slot, const std::vector<std::uint8_t>& bytes) {
    std::memcpy(slot, bytes.data(), std::min<std::size_t>(bytes.size(), 64));
    return reinterpret_cast<sockaddr*>(slot);
}

}  // namespace

int getifaddrs(ifaddrs** list) {
    if (!list) {
        errno = EFAULT;
        return -1;
    }
    *list = nullptr;
    auto links = backend().links();
    if (!links) {
        if (errno == 0) errno = EIO;
        return -1;
    }
    std::size_t count = 0;
    for (const Link& link : *links) count += 1 + link.addresses.size();
    if (count == 0) return 0;

    void* block = std::calloc(1, kHeaderSize + count * sizeof(Node));
    if (!block) {
        errno = ENOMEM;
        return -1;
    }
    auto* header = static_cast<ListHeader*>(block);
    header->magic = kListMagic;
    header->count = count;
    Node* nodes = reinterpret_cast<Node*>(static_cast<std::uint8_t*>(block) + kHeaderSize);
    std::size_t n = 0;
    for (const Link& link : *links) {
        Node& node = nodes[n++];
        std::strncpy(node.name, link.name.c_str(), IFNAMSIZ - 1);
        node.entry.ifa_name = node.name;
        node.entry.ifa_flags = link.flags;
        node.entry.ifa_addr = place(node.addr, linkSockaddr(link));
        node.data.ifi_type = link.type;
        node.data.ifi_addrlen =
            static_cast<std::uint8_t>(std::min(link.hardwareAddress.size(), fact::kMaxHardwareAddress));
        node.data.ifi_mtu = link.mtu;
        node.entry.ifa_data = &node.data;
        for (const InterfaceAddress& address : link.addresses) {
            if (address.family != AF_INET && address.family != AF_INET6) continue;
            Node& entry = nodes[n++];
            std::strncpy(entry.name, link.name.c_str(), IFNAMSIZ - 1);
            entry.entry.ifa_name = entry.name;
            entry.entry.ifa_flags = link.flags;
            entry.entry.ifa_addr = place(entry.addr, inetSockaddr(address.family, address.address, address.scopeId));
            entry.entry.ifa_netmask = place(entry.netmask, inetSockaddr(address.family, address.netmask, 0));
            if (address.broadcast)
                entry.entry.ifa_dstaddr = place(entry.dstaddr, inetSockaddr(address.family, *address.broadcast, 0));
        }
    }
    for (std::size_t i = 0; i + 1 < n; ++i) nodes[i].entry.ifa_next = &nodes[i + 1].entry;
    *list = &nodes[0].entry;
    std::lock_guard lock(g_listMutex);
    g_lists.insert(*list);
    return 0;
}

void freeifaddrs(ifaddrs* list) {
    if (!list) return;
    {
        std::lock_guard lock(g_listMutex);
        if (!g_lists.erase(list)) {
            diagnostic("freeifaddrs: not the head of a list from getifaddrs, or released twice; ignored");
            return;
        }
    }
    auto* block = reinterpret_cast<std::uint8_t*>(list) - kHeaderSize;
    reinterpret_cast<ListHeader*>(block)->magic = 0;
    std::free(block);
}

int socket(int domain, int type, int protocol) {
    if (domain != AF_INET || type != SOCK_DGRAM || protocol != 0) {
        errno = EPROTONOSUPPORT;
        return -1;
    }
    std::shared_ptr<Backend> owner = currentBackend();
    int backendFd = owner->openDatagramSocket();
    if (backendFd < 0) return -1;
    std::lock_guard lock(g_socketMutex);
    int fd = g_nextSocket++;
    g_sockets[fd] = {std::move(owner), backendFd};
    return fd;
}

int ioctl(int fd, unsigned long request, void* argument) {
    std::shared_ptr<Backend> owner;
    int backendFd;
    {
        std::lock_guard lock(g_socketMutex);
        auto it = g_sockets.find(fd);
        if (it == g_sockets.end()) {
            errno = EBADF;
            return -1;
        }
        owner = it->second.backend;
        backendFd = it->second.backendFd;
    }
    if (request != SIOCGIFNETMASK) {
        errno = ENOTTY;
        return -1;
    }
    if (!argument) {
        errno = EFAULT;
        return -1;
    }
    auto* ifr = static_cast<ifreq*>(argument);
    std::string name(ifr->ifr_name, strnlen(ifr->ifr_name, IFNAMSIZ));
    std::array<std::uint8_t, 4> mask{};
    if (int error = owner->requestNetmask(backendFd, name, mask); error != 0) {
        errno = error;
        return -1;
    }
    sockaddr_in sin{};
    sin.sin_len = sizeof sin;
    sin.sin_family = AF_INET;
    std::memcpy(&sin.sin_addr, mask.data(), 4);
    std::memcpy(&ifr->ifr_ifru.ifru_addr, &sin, sizeof sin);
    return 0;
}

int close(int fd) {
    OpenSocket socket;
    {
        std::lock_guard lock(g_socketMutex);
        auto it = g_sockets.find(fd);
        if (it == g_sockets.end()) {
            errno = EBADF;
            return -1;
        }
        socket = std::move(it->second);
        g_sockets.erase(it);
    }
    return socket.backend->closeSocket(socket.backendFd);
}

int sysctl(int* name, unsigned nameLength, void* oldp, std::size_t* oldlenp, void* newp, std::size_t newlen) {
    if (!name || !oldlenp) {
        errno = EFAULT;
        return -1;
    }
    if (newp || newlen) {
        errno = EPERM;
        return -1;
    }
    if (nameLength != 6 || name[0] != CTL_NET || name[1] != PF_ROUTE || name[2] != 0) {
        errno = ENOENT;
        return -1;
    }
    int family = name[3];
    int request = name[4];
    std::vector<std::uint8_t> answer;
    if (request == NET_RT_DUMP2) {
        if (family != AF_UNSPEC && family != AF_INET && family != AF_INET6) {
            errno = EAFNOSUPPORT;
            return -1;
        }
        auto routes = backend().routes();
        auto links = backend().links();
        if (!routes || !links) {
            if (errno == 0) errno = EIO;
            return -1;
        }
        answer = routeDump(*routes, *links, family);
    } else if (request == NET_RT_IFLIST) {
        if (family != AF_LINK || name[5] < 0) {
            errno = EINVAL;
            return -1;
        }
        auto links = backend().links();
        if (!links) {
            if (errno == 0) errno = EIO;
            return -1;
        }
        answer = interfaceMessages(*links, static_cast<unsigned>(name[5]));
    } else {
        errno = ENOTSUP;
        return -1;
    }
    if (!oldp) {
        *oldlenp = answer.size();
        return 0;
    }
    if (*oldlenp < answer.size()) {
        errno = ENOMEM;
        return -1;
    }
    if (!answer.empty()) std::memcpy(oldp, answer.data(), answer.size());
    *oldlenp = answer.size();
    return 0;
}

unsigned if_nametoindex(const char* name) {
    if (!name) return 0;
    std::string wanted(name, strnlen(name, IFNAMSIZ));
    auto links = backend().links();
    if (!links) return 0;
    for (const Link& link : *links)
        if (link.name == wanted) return link.index;
    return 0;
}

char* link_ntoa(const sockaddr_dl* sdl, std::size_t available) {
    static thread_local char text[64];
    static const char hex[] = "0123456789abcdef";
    std::size_t out = 0;
    auto put = [&](char c) {
        if (out + 1 < sizeof text) text[out++] = c;
    };
    text[0] = '\0';
    if (!sdl || available < SDL_DATA_OFFSET) return text;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(sdl);
    std::size_t dataEnd = available;
    std::size_t nameEnd = std::min<std::size_t>(SDL_DATA_OFFSET + sdl->sdl_nlen, dataEnd);
    for (std::size_t i = SDL_DATA_OFFSET; i < nameEnd; ++i) put(static_cast<char>(bytes[i]));
    std::size_t addressStart = SDL_DATA_OFFSET + sdl->sdl_nlen;
    std::size_t addressEnd = std::min<std::size_t>(addressStart + sdl->sdl_alen, dataEnd);
    if (sdl->sdl_nlen && sdl->sdl_alen) put(':');
    for (std::size_t i = addressStart; i < addressEnd; ++i) {
        if (i != addressStart) put('.');
        std::uint8_t b = bytes[i];
        if (b > 0xf) put(hex[b >> 4]);
        put(hex[b & 0xf]);
    }
    text[out] = '\0';
    return text;
}

std::size_t outstandingInterfaceListsForTesting() {
    std::lock_guard lock(g_listMutex);
    return g_lists.size();
}

std::size_t openSocketsForTesting() {
    std::lock_guard lock(g_socketMutex);
    return g_sockets.size();
}

}  // namespace bsd
