// Colour texts of any kind: the parser never fails, and whatever it returns is a colour with
// components inside 0 to 1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/services/LCPParseColorString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto color = ios::LCPParseColorString(text, "#131314");
    if (!color) std::abort();
    for (double c : {color->red(), color->green(), color->blue(), color->alpha()})
        if (!(c >= 0 && c <= 1)) std::abort();
    if (auto parsed = ios::parseColorText(text)) {
        if (!(parsed->a >= 0 && parsed->a <= 1)) std::abort();
    }
    return 0;
}
