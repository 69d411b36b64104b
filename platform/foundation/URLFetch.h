#pragma once
// Synchronous fetch of a web address's whole body (libcurl; http and https, TLS verified,
// redirects followed), as NSString's stringWithContentsOfURL:encoding:error: does. The call blocks
// the calling thread, never longer than its timeout.

#include <optional>
#include <string>

namespace ios {

inline constexpr unsigned long NSASCIIStringEncoding = 1;
inline constexpr unsigned long NSUTF8StringEncoding = 4;

struct URLFetchResult {
    bool ok = false;
    long status = 0;  // the HTTP status, 0 when none arrived
    std::string body;
    std::string error;  // why it failed, when it did
};

// Fails on a transport error, an HTTP status of 400 or more, a timeout, or a body over maxBytes.
URLFetchResult fetchURL(const std::string& url, double timeoutSeconds, std::size_t maxBytes = 1 << 20);

// The body as text in the given encoding (UTF-8 or ASCII); none with *error set when the fetch
// fails or the body isn't valid in that encoding.
std::optional<std::string> stringWithContentsOfURL(const std::string& url, unsigned long encoding,
                                                   std::optional<std::string>* error, double timeoutSeconds);

}  // namespace ios
