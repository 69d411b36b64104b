#include "sim/batch/MockupTemplates.h"

#include <cctype>
#include <string>

namespace flint::sim {

using showcase::BezelFamily;

const std::array<MockupTemplate, 10>& mockupTemplates() {
    static const std::array<MockupTemplate, 10> templates = {{
        {1, "x-silver", "IphoneXSilver", BezelFamily::EdgeToEdge},
        {2, "x-black", "IphoneXBlack", BezelFamily::EdgeToEdge},
        {3, "blue", "IphoneXBlue", BezelFamily::EdgeToEdge},
        {4, "yellow", "IphoneXYellow", BezelFamily::EdgeToEdge},
        {5, "coral", "IphoneXCoral", BezelFamily::EdgeToEdge},
        {6, "red", "IphoneXRed", BezelFamily::EdgeToEdge},
        {7, "silver", "IphoneSilver", BezelFamily::HomeButton},
        {8, "rosegold", "IphoneRoseGold", BezelFamily::HomeButton},
        {9, "gold", "IphoneGold", BezelFamily::HomeButton},
        {10, "black", "IphoneBlack", BezelFamily::HomeButton},
    }};
    return templates;
}

const MockupTemplate* mockupTemplateNamed(std::string_view text) {
    std::string lower;
    for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& t : mockupTemplates())
        if (lower == t.name || lower == std::to_string(t.page)) return &t;
    return nullptr;
}

const char* familyName(BezelFamily family) {
    return family == BezelFamily::HomeButton ? "home button" : "edge to edge";
}

}  // namespace flint::sim
