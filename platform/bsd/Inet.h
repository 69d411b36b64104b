#pragma once
// The C library's address-to-text conversions, taking Darwin family values. The results are
// libc's own: inet_ntoa returns its static buffer, inet_ntop writes into the caller's.

#include <cstdint>

namespace bsd {

struct in_addr {
    std::uint32_t s_addr;  // network byte order
};

char* inet_ntoa(in_addr address);
// af is a Darwin family (2 or 30); null with the buffer untouched for any other family or a
// buffer that is too small.
const char* inet_ntop(int af, const void* source, char* destination, std::uint32_t size);

}  // namespace bsd
