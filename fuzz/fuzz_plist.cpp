// Property-list bytes of any kind: parsing must never crash, and a parsed list must survive a
// write and re-read unchanged: exactly in the binary form (dates to the microsecond, within the
// years it holds), and in the XML form once written (a second XML rewrite changes nothing).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/PropertyList.h"

namespace {

bool sameDate(double read, double written) {
    if (std::isnan(read)) return written == 0;
    if (std::fabs(read) > 1e15) return std::fabs(written) == 1e15;
    return std::fabs(read - written) <= 1e-6 + std::fabs(read) * 1e-15;
}

// Equal, with binary dates compared to the microsecond the library keeps.
bool same(const ios::Value& read, const ios::Value& written) {
    if (read.kind() != written.kind()) return false;
    if (read.isDate())
        return sameDate(read.date()->secondsSinceReferenceDate, written.date()->secondsSinceReferenceDate);
    if (read.isReal()) {
        double a = read.doubleValue(), b = written.doubleValue();
        return a == b || (std::isnan(a) && std::isnan(b));
    }
    if (read.isArray()) {
        const auto &a = *read.array(), &b = *written.array();
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!same(a[i], b[i])) return false;
        return true;
    }
    if (read.isDictionary()) {
        const auto &a = *read.dictionary(), &b = *written.dictionary();
        if (a.size() != b.size()) return false;
        for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib)
            if (ia->first != ib->first || !same(ia->second, ib->second)) return false;
        return true;
    }
    return read == written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ios::Data bytes(data, data + size);
    auto value = ios::propertyListFromData(bytes);
    if (!value) return 0;
    auto binary = ios::propertyListFromData(ios::propertyListData(*value, ios::PlistFormat::Binary));
    if (!binary || !same(*value, *binary)) std::abort();
    auto again = ios::propertyListFromData(ios::propertyListData(*binary, ios::PlistFormat::Binary));
    if (!again || !same(*binary, *again)) std::abort();
    if (auto xml = ios::propertyListFromData(ios::propertyListData(*value, ios::PlistFormat::XML))) {
        auto rewritten = ios::propertyListFromData(ios::propertyListData(*xml, ios::PlistFormat::XML));
        if (!rewritten || !same(*xml, *rewritten)) std::abort();
    }
    return 0;
}
