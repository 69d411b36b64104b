#pragma once
// Numbers as text, as the platform's number description writes them: the shortest decimal text
// that reads back as the same number, without trailing zeros (3.0 → "3", 2.5 → "2.5",
// 1e21 → "1e+21").

#include <optional>
#include <string>

#include "platform/foundation/Value.h"

namespace ios {

std::string numberDescription(double value);

// A value used as text: a string as it stands, a number as its description (true → "1"), none
// for any other kind.
std::optional<std::string> textOfValue(const Value& value);

}  // namespace ios
