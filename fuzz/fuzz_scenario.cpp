// Scenario scripts of any text, parsed and checked but never run: splitting a line never
// crashes, words written back quoted split into the same words, and the check of a whole script
// names the first line it refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "sim/scenario/Scenario.h"
#include "sim/scenario/MakeScenario.h"

namespace {

std::string quoted(const std::string& word) {
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::string error;
        auto words = flint::sim::splitScenarioLine(line, error);
        if (!words) {
            if (error.empty()) std::abort();
            continue;
        }
        std::string rejoined;
        for (const auto& word : *words) rejoined += (rejoined.empty() ? "" : " ") + quoted(word);
        auto again = flint::sim::splitScenarioLine(rejoined, error);
        if (!again || *again != *words) std::abort();
    }
    static std::ostringstream out, err;
    static auto scenario = flint::sim::makeScenario(out, err);
    out.str({});
    err.str({});
    int status = scenario->checkText(text, "fuzz");
    if (status != 0 && status != 1) std::abort();
    if (status == 1 && err.str().rfind("fuzz:", 0) != 0) std::abort();
    if (status == 0 && !err.str().empty()) std::abort();
    return 0;
}
