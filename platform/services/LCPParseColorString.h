#pragma once
// The colour-picker library's colour-text parser. Accepted: "#RGB", "#RRGGBB" and "#RRGGBBAA"
// (hexadecimal in either case), optionally followed by ":" and an alpha from 0 to 1 that
// replaces the text's own alpha; white space around the text and the alpha is ignored. None, or
// any other text, gives the fallback's colour (opaque black when the fallback is no colour text).

#include <optional>
#include <string>
#include <string_view>

#include "platform/graphics/UIColor.h"

namespace ios {

struct RGBA {
    double r = 0, g = 0, b = 0, a = 1;
};

std::optional<RGBA> parseColorText(std::string_view text);
objc::Ref<UIColor> LCPParseColorString(const std::optional<std::string>& text, const std::string& fallback);

}  // namespace ios
