#include "sim/batch/MockupJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/foundation/Process.h"

namespace flint::sim {

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::optional<double> number(std::string_view text) {
    const std::string t = trimmed(text);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(t.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Exactly N numbers separated by commas.
template <std::size_t N>
std::optional<std::array<double, N>> numbers(const std::string& text) {
    std::array<double, N> values{};
    std::size_t from = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t comma = text.find(',', from);
        if ((comma == std::string::npos) != (i == N - 1)) return std::nullopt;
        auto value =
            number(std::string_view(text).substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!value) return std::nullopt;
        values[i] = *value;
        from = comma + 1;
    }
    return values;
}

std::filesystem::path resolved(const std::string& text, const std::filesystem::path& base) {
    const std::filesystem::path path(text);
    return path.is_absolute() || base.empty() ? path : base / path;
}

}  // namespace

std::string MockupJob::label() const {
    if (number == 0) return output.string();
    std::string text = "job " + std::to_string(number);
    if (!screenshot.empty()) text += " (" + screenshot.filename().string() + ")";
    return text;
}

const std::vector<std::string>& jobOptionNames() {
    static const std::vector<std::string> names = {
        "screenshot", "template",  "backgroundColor", "background", "rotate",     "translate", "scale",
        "caption",    "captionAt", "captionColor",    "profile",    "resolution", "output"};
    return names;
}

bool setJobOption(MockupJob& job, std::string_view name, const std::string& text, const std::filesystem::path& base,
                  std::string& error) {
    auto bad = [&](const std::string& expected) {
        error = std::string(name) + " \"" + text + "\": expected " + expected;
        return false;
    };
    auto colour = [&](std::optional<ios::RGBA>& target, std::string& given) {
        auto parsed = ios::parseColorText(text);
        if (!parsed) return bad("a colour such as #FF2D55");
        target = parsed;
        given = trimmed(text);
        return true;
    };
    if (name == "screenshot" || name == "background" || name == "output") {
        if (trimmed(text).empty()) return bad("a file path");
        (name == "screenshot"   ? job.screenshot
         : name == "background" ? job.background
                                : job.output) = resolved(text, base);
        return true;
    }
    if (name == "template") {
        job.mockupTemplate = mockupTemplateNamed(trimmed(text));
        return job.mockupTemplate ? true : bad("a template number from 1 to 10 or a name (flint-sim showcase --list)");
    }
    if (name == "backgroundColor") return colour(job.backgroundColor, job.backgroundColorText);
    if (name == "captionColor") return colour(job.captionColor, job.captionColorText);
    if (name == "rotate") {
        job.rotate = numbers<3>(text);
        return job.rotate ? true : bad("three angles in degrees, X,Y,Z");
    }
    if (name == "translate" || name == "scale" || name == "captionAt") {
        auto values = numbers<2>(text);
        if (!values)
            return bad(name == "translate" ? "two distances in points, X,Y"
                       : name == "scale"   ? "two factors, X,Y"
                                           : "a canvas point, X,Y");
        (name == "translate" ? job.translate : name == "scale" ? job.scale : job.captionAt) = values;
        return true;
    }
    if (name == "caption") {
        job.caption = text;
        return true;
    }
    if (name == "profile") {
        if (!ios::deviceProfileNamed(trimmed(text))) return bad("iphone-8, iphone-8-plus, iphone-x or iphone-11");
        job.profile = trimmed(text);
        return true;
    }
    if (name == "resolution") {
        auto value = number(text);
        if (!value || *value < kMinimumResolution || *value > kMaximumResolution)
            return bad("pixels per point from 1 to 4");
        job.resolution = value;
        return true;
    }
    std::string names;
    for (const auto& n : jobOptionNames()) names += (names.empty() ? "" : ", ") + n;
    error = "unknown option \"" + std::string(name) + "\" (the options are " + names + ")";
    return false;
}

std::string missingJobOptions(const MockupJob& job) {
    std::string missing;
    auto need = [&](bool present, const char* what) {
        if (!present) missing += (missing.empty() ? "" : ", ") + std::string(what);
    };
    need(!job.screenshot.empty(), "screenshot");
    need(job.mockupTemplate != nullptr, "template");
    need(!job.output.empty(), "output");
    return missing.empty() ? missing : "missing " + missing;
}

std::string hexColour(const ios::RGBA& c) {
    auto channel = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", channel(c.r), channel(c.g), channel(c.b));
    return text;
}

}  // namespace flint::sim
