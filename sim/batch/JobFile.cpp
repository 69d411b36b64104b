#include "sim/batch/JobFile.h"

#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

namespace flint::sim {

namespace {

using nlohmann::json;

// The line and column (from 1) of the byte before `offset`, where the parser stopped.
std::string position(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    int line = 1, column = 1;
    for (std::size_t i = 0; i + 1 < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

// The parser's own message without its "[json.exception.parse_error.101] parse error at …: ".
std::string reason(const std::string& what) {
    const auto colon = what.rfind(": ");
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

// A value as the command line would spell it: numbers as JSON writes them (exactly), arrays of
// numbers joined by commas.
std::optional<std::string> optionText(const json& value, std::string& expected) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number()) return value.dump();
    if (value.is_array()) {
        std::string text;
        for (const auto& element : value) {
            if (!element.is_number()) {
                expected = "an array of numbers only";
                return std::nullopt;
            }
            text += (text.empty() ? "" : ",") + element.dump();
        }
        return text;
    }
    expected = "a string, a number or an array of numbers";
    return std::nullopt;
}

MockupJob readJob(const json& object, int number, const std::filesystem::path& base,
                  const std::filesystem::path& outDir) {
    MockupJob job;
    job.number = number;
    if (!object.is_object()) {
        job.problem = "expected an object of options, found " + std::string(object.type_name());
        return job;
    }
    std::string outputText;
    for (const auto& [key, value] : object.items()) {
        std::string expected, error;
        auto text = optionText(value, expected);
        if (!text) {
            job.problem = key + ": expected " + expected;
            return job;
        }
        if (key == "output") outputText = *text;
        if (!setJobOption(job, key, *text, key == "output" && !outDir.empty() ? outDir : base, error)) {
            job.problem = error;
            return job;
        }
    }
    if (job.output.empty() && !job.screenshot.empty())
        job.output = (outDir.empty() ? base : outDir) / (job.screenshot.stem().string() + "-mockup.png");
    job.problem = missingJobOptions(job);
    return job;
}

}  // namespace

JobFile readJobText(const std::string& text, const std::string& name, const std::filesystem::path& base,
                    const std::filesystem::path& outDir) {
    JobFile file;
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& e) {
        file.error = name + ":" + position(text, e.byte) + ": not valid JSON: " + reason(e.what());
        return file;
    } catch (const std::exception& e) {
        file.error = name + ": not valid JSON: " + reason(e.what());
        return file;
    }
    if (!document.is_array()) {
        file.error = name + ": expected an array of job objects, found " + std::string(document.type_name());
        return file;
    }
    int number = 0;
    for (const auto& element : document) file.jobs.push_back(readJob(element, ++number, base, outDir));
    // Two jobs writing one file would leave only the later one's mock-up: the later one fails.
    std::map<std::filesystem::path, int> writers;
    for (auto& job : file.jobs) {
        if (!job.problem.empty()) continue;
        auto [writer, added] = writers.emplace(job.output.lexically_normal(), job.number);
        if (!added)
            job.problem =
                "output " + job.output.string() + " is also job " + std::to_string(writer->second) + "'s output";
    }
    return file;
}

JobFile readJobFile(const std::filesystem::path& path, const std::filesystem::path& outDir) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        JobFile file;
        file.error = path.string() + ": cannot read the job file";
        return file;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return readJobText(text.str(), path.string(), path.parent_path(), outDir);
}

}  // namespace flint::sim
