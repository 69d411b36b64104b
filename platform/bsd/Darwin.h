#pragma once
// Darwin's networking layouts and constants, byte for byte as the phone's kernel hands them out:
// socket addresses carry a length byte and an 8-bit family, and the family numbers are Darwin's,
// not the host's. Nothing here depends on the host's own <sys/socket.h> values.

//
// The host's socket headers define several of these names (AF_INET, ifr_name, ifa_dstaddr,
// s6_addr) as macros, so a file that includes this header must not include them; code that reads
// the host works on the neutral facts of Backend.h instead.

#include <cstddef>
#include <cstdint>

#include "platform/bsd/Inet.h"

#if defined(AF_INET) || defined(ifr_name) || defined(ifa_dstaddr) || defined(s6_addr) || defined(IFNAMSIZ)
#error \
    "platform/bsd/Darwin.h cannot share a file with the host's socket headers (a file that includes it compiles outside the batches: see SKIP_UNITY_BUILD_INCLUSION in CMakeLists.txt)"
#endif

namespace bsd {

using sa_family_t = std::uint8_t;

struct in6_addr {
    std::uint8_t s6_addr[16];
};

// Address families.
inline constexpr int AF_UNSPEC = 0;
inline constexpr int AF_INET = 2;
inline constexpr int AF_ROUTE = 17;
inline constexpr int AF_LINK = 18;
inline constexpr int AF_INET6 = 30;
inline constexpr int PF_ROUTE = AF_ROUTE;

inline constexpr int SOCK_DGRAM = 2;

// sysctl names.
inline constexpr int CTL_NET = 4;
inline constexpr int NET_RT_DUMP = 1;
inline constexpr int NET_RT_FLAGS = 2;
inline constexpr int NET_RT_IFLIST = 3;
inline constexpr int NET_RT_DUMP2 = 7;

// Routing message types and version.
inline constexpr std::uint8_t RTM_VERSION = 5;
inline constexpr std::uint8_t RTM_IFINFO = 0xe;
inline constexpr std::uint8_t RTM_GET2 = 0x14;

// Route flags.
inline constexpr int RTF_UP = 0x1;
inline constexpr int RTF_GATEWAY = 0x2;
inline constexpr int RTF_HOST = 0x4;
inline constexpr int RTF_DYNAMIC = 0x10;
inline constexpr int RTF_CLONING = 0x100;
inline constexpr int RTF_LLINFO = 0x400;
inline constexpr int RTF_STATIC = 0x800;
inline constexpr int RTF_PRCLONING = 0x10000;
inline constexpr int RTF_WASCLONED = 0x20000;

// Address-mask bits of a routing message: bit i means address slot i is present.
inline constexpr int RTA_DST = 0x1;
inline constexpr int RTA_GATEWAY = 0x2;
inline constexpr int RTA_NETMASK = 0x4;
inline constexpr int RTA_GENMASK = 0x8;
inline constexpr int RTA_IFP = 0x10;
inline constexpr int RTA_IFA = 0x20;
inline constexpr int RTA_AUTHOR = 0x40;
inline constexpr int RTA_BRD = 0x80;
inline constexpr int RTAX_MAX = 8;

// Interface flags.
inline constexpr unsigned IFF_UP = 0x1;
inline constexpr unsigned IFF_BROADCAST = 0x2;
inline constexpr unsigned IFF_LOOPBACK = 0x8;
inline constexpr unsigned IFF_POINTOPOINT = 0x10;
inline constexpr unsigned IFF_RUNNING = 0x40;
inline constexpr unsigned IFF_NOARP = 0x80;
inline constexpr unsigned IFF_MULTICAST = 0x8000;

// Interface types (sockaddr_dl.sdl_type, if_data.ifi_type).
inline constexpr std::uint8_t IFT_OTHER = 0x1;
inline constexpr std::uint8_t IFT_ETHER = 0x6;
inline constexpr std::uint8_t IFT_LOOP = 0x18;
inline constexpr std::uint8_t IFT_CELLULAR = 0xff;

inline constexpr std::size_t IFNAMSIZ = 16;

// The get-netmask request: _IOWR('i', 37, struct ifreq) with the 32-byte Darwin ifreq.
inline constexpr unsigned long SIOCGIFNETMASK = 0xc0206925UL;

struct sockaddr {
    std::uint8_t sa_len;
    sa_family_t sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    std::uint8_t sin_len;
    sa_family_t sin_family;
    std::uint16_t sin_port;
    in_addr sin_addr;
    char sin_zero[8];
};

struct sockaddr_in6 {
    std::uint8_t sin6_len;
    sa_family_t sin6_family;
    std::uint16_t sin6_port;
    std::uint32_t sin6_flowinfo;
    in6_addr sin6_addr;
    std::uint32_t sin6_scope_id;
};

// Link-level address: the name (sdl_nlen bytes) then the address (sdl_alen bytes) then the
// selector (sdl_slen bytes) follow one another in sdl_data, which may run past the 12 bytes shown.
struct sockaddr_dl {
    std::uint8_t sdl_len;
    sa_family_t sdl_family;
    std::uint16_t sdl_index;
    std::uint8_t sdl_type;
    std::uint8_t sdl_nlen;
    std::uint8_t sdl_alen;
    std::uint8_t sdl_slen;
    char sdl_data[12];
};
inline constexpr std::size_t SDL_DATA_OFFSET = 8;

struct ifaddrs {
    ifaddrs* ifa_next;
    char* ifa_name;
    unsigned int ifa_flags;
    sockaddr* ifa_addr;
    sockaddr* ifa_netmask;
    sockaddr* ifa_dstaddr;
    void* ifa_data;
};

struct ifreq {
    char ifr_name[IFNAMSIZ];
    union {
        sockaddr ifru_addr;
        sockaddr ifru_dstaddr;
        sockaddr ifru_broadaddr;
        short ifru_flags;
        int ifru_metric;
        int ifru_mtu;
    } ifr_ifru;
};

struct timeval32 {
    std::int32_t tv_sec;
    std::int32_t tv_usec;
};

struct if_data {
    std::uint8_t ifi_type;
    std::uint8_t ifi_typelen;
    std::uint8_t ifi_physical;
    std::uint8_t ifi_addrlen;
    std::uint8_t ifi_hdrlen;
    std::uint8_t ifi_recvquota;
    std::uint8_t ifi_xmitquota;
    std::uint8_t ifi_unused1;
    std::uint32_t ifi_mtu;
    std::uint32_t ifi_metric;
    std::uint32_t ifi_baudrate;
    std::uint32_t ifi_ipackets;
    std::uint32_t ifi_ierrors;
    std::uint32_t ifi_opackets;
    std::uint32_t ifi_oerrors;
    std::uint32_t ifi_collisions;
    std::uint32_t ifi_ibytes;
    std::uint32_t ifi_obytes;
    std::uint32_t ifi_imcasts;
    std::uint32_t ifi_omcasts;
    std::uint32_t ifi_iqdrops;
    std::uint32_t ifi_noproto;
    std::uint32_t ifi_recvtiming;
    std::uint32_t ifi_xmittiming;
    timeval32 ifi_lastchange;
    std::uint32_t ifi_unused2;
    std::uint32_t ifi_hwassist;
    std::uint32_t ifi_reserved1;
    std::uint32_t ifi_reserved2;
};

struct if_msghdr {
    std::uint16_t ifm_msglen;
    std::uint8_t ifm_version;
    std::uint8_t ifm_type;
    std::int32_t ifm_addrs;
    std::int32_t ifm_flags;
    std::uint16_t ifm_index;
    if_data ifm_data;
};

struct rt_metrics {
    std::uint32_t rmx_locks;
    std::uint32_t rmx_mtu;
    std::uint32_t rmx_hopcount;
    std::int32_t rmx_expire;
    std::uint32_t rmx_recvpipe;
    std::uint32_t rmx_sendpipe;
    std::uint32_t rmx_ssthresh;
    std::uint32_t rmx_rtt;
    std::uint32_t rmx_rttvar;
    std::uint32_t rmx_pksent;
    std::uint32_t rmx_filler[4];
};

struct rt_msghdr2 {
    std::uint16_t rtm_msglen;
    std::uint8_t rtm_version;
    std::uint8_t rtm_type;
    std::uint16_t rtm_index;
    std::int32_t rtm_flags;
    std::int32_t rtm_addrs;
    std::int32_t rtm_refcnt;
    std::int32_t rtm_parentflags;
    std::int32_t rtm_reserved;
    std::int32_t rtm_use;
    std::uint32_t rtm_inits;
    rt_metrics rtm_rmx;
};

static_assert(sizeof(sockaddr) == 16);
static_assert(sizeof(sockaddr_in) == 16);
static_assert(sizeof(sockaddr_in6) == 28);
static_assert(sizeof(sockaddr_dl) == 20);
static_assert(offsetof(sockaddr_dl, sdl_data) == SDL_DATA_OFFSET);
static_assert(sizeof(ifreq) == 32);
static_assert(sizeof(if_data) == 96);
static_assert(sizeof(if_msghdr) == 112);
static_assert(offsetof(if_msghdr, ifm_data) == 16);
static_assert(sizeof(rt_metrics) == 56);
static_assert(sizeof(rt_msghdr2) == 92);
static_assert(offsetof(rt_msghdr2, rtm_flags) == 8);
static_assert(offsetof(rt_msghdr2, rtm_addrs) == 12);
static_assert(offsetof(rt_msghdr2, rtm_parentflags) == 20);
static_assert(offsetof(rt_msghdr2, rtm_rmx) == 36);

// Socket addresses in routing messages are padded to a multiple of four bytes; an absent
// length still takes four.
constexpr std::size_t roundUpSockaddr(std::size_t length) { return length > 0 ? 1 + ((length - 1) | 3) : 4; }

}  // namespace bsd
