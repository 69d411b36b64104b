#include "platform/foundation/URLFetch.h"

#include <curl/curl.h>

#include <dlfcn.h>

#include <cmath>
#include <string>

namespace ios {

namespace {

struct Sink {
    std::string* body;
    std::size_t maxBytes;
    bool overflowed = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    std::size_t bytes = size * count;
    if (sink->body->size() + bytes > sink->maxBytes) {
        sink->overflowed = true;
        return 0;  // makes curl stop with a write error
    }
    sink->body->append(data, bytes);
    return bytes;
}

bool validUTF8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        std::uint32_t point;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            extra = 1;
            point = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2;
            point = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3;
            point = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;  // a sequence cut short
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            point = (point << 6) | (next & 0x3f);
        }
        static const std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (point < smallest[extra] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff)) return false;
        i += extra + 1;
    }
    return true;
}

// libcurl, loaded on the first fetch rather than with every process: it and the TLS, Kerberos
// and LDAP libraries it needs would add a third to the start of each process that never fetches.
struct Curl {
    CURLcode (*globalInit)(long);
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyPerform)(CURL*);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyCleanup)(CURL*);
    const char* (*easyStrerror)(CURLcode);
    std::string error;  // why it could not be loaded
};

template <class F>
bool bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

const Curl& curlLibrary() {
    static const Curl curl = [] {
        Curl c{};
        void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* why = dlerror();
            c.error = std::string("libcurl cannot be loaded: ") + (why ? why : "not found");
            return c;
        }
        if (!bind(library, "curl_global_init", c.globalInit) || !bind(library, "curl_easy_init", c.easyInit) ||
            !bind(library, "curl_easy_setopt", c.easySetopt) || !bind(library, "curl_easy_perform", c.easyPerform) ||
            !bind(library, "curl_easy_getinfo", c.easyGetinfo) || !bind(library, "curl_easy_cleanup", c.easyCleanup) ||
            !bind(library, "curl_easy_strerror", c.easyStrerror)) {
            c.error = "libcurl lacks a function it should have";
            return c;
        }
        c.globalInit(CURL_GLOBAL_DEFAULT);
        return c;
    }();
    return curl;
}

}  // namespace

URLFetchResult fetchURL(const std::string& url, double timeoutSeconds, std::size_t maxBytes) {
    URLFetchResult result;
    const Curl& lib = curlLibrary();
    if (!lib.error.empty()) {
        result.error = lib.error;
        return result;
    }
    CURL* curl = lib.easyInit();
    if (!curl) {
        result.error = "cannot start a transfer";
        return result;
    }
    long timeoutMs = std::isfinite(timeoutSeconds) && timeoutSeconds > 0
                         ? static_cast<long>(std::fmin(timeoutSeconds, 3600.0) * 1000.0)
                         : 1;
    Sink sink{&result.body, maxBytes};
    char message[CURL_ERROR_SIZE] = {};
    lib.easySetopt(curl, CURLOPT_URL, url.c_str());
    lib.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib.easySetopt(curl, CURLOPT_MAXREDIRS, 5L);
    lib.easySetopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
    lib.easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    lib.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.easySetopt(curl, CURLOPT_WRITEFUNCTION, collect);
    lib.easySetopt(curl, CURLOPT_WRITEDATA, &sink);
    lib.easySetopt(curl, CURLOPT_ERRORBUFFER, message);
    lib.easySetopt(curl, CURLOPT_USERAGENT, "Flint/1.0");
    CURLcode code = lib.easyPerform(curl);
    lib.easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    lib.easyCleanup(curl);

    if (sink.overflowed) {
        result.error = "the response is larger than " + std::to_string(maxBytes) + " bytes";
    } else if (code != CURLE_OK) {
        result.error = message[0] ? message : lib.easyStrerror(code);
    } else if (result.status >= 400) {
        result.error = "HTTP status " + std::to_string(result.status);
    } else {
        result.ok = true;
    }
    if (!result.ok) result.body.clear();
    return result;
}

std::optional<std::string> stringWithContentsOfURL(const std::string& url, unsigned long encoding,
                                                   std::optional<std::string>* error, double timeoutSeconds) {
    auto fail = [&](std::string why) -> std::optional<std::string> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    if (encoding != NSUTF8StringEncoding && encoding != NSASCIIStringEncoding)
        return fail("encoding " + std::to_string(encoding) + " is not offered");
    URLFetchResult result = fetchURL(url, timeoutSeconds);
    if (!result.ok) return fail(result.error);
    if (encoding == NSASCIIStringEncoding) {
        for (char c : result.body)
            if (static_cast<unsigned char>(c) >= 0x80) return fail("the body is not ASCII");
    } else if (!validUTF8(result.body)) {
        return fail("the body is not UTF-8");
    }
    if (error) error->reset();
    return result.body;
}

}  // namespace ios
