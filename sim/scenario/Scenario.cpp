#include "sim/scenario/Scenario.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>

namespace flint::sim {

std::optional<double> scenarioNumber(const std::string& word) {
    if (word.empty()) return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::vector<std::string>> splitScenarioLine(const std::string& line, std::string& error) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                    word += line[i++];
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    word += c;
                }
            }
            if (!closed) {
                error = "unterminated quote";
                return std::nullopt;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

Scenario::Scenario(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {
    // `expect CHECK …` dispatches through the table of checks.
    addCommand("expect", {"expect CHECK ARGUMENTS…", [](Scenario& s, const std::vector<std::string>& args) {
                              if (args.empty()) return s.fail("expect needs a check");
                              auto it = s.m_expectations.find(args[0]);
                              if (it == s.m_expectations.end()) {
                                  std::string known;
                                  for (const auto& [name, check] : s.m_expectations)
                                      known += (known.empty() ? "" : ", ") + name;
                                  return s.fail("unknown check \"" + args[0] + "\" (known: " + known + ")");
                              }
                              if (it->second.needsDevice && !s.device())
                                  return s.fail("expect " + args[0] + " needs a booted device (add `boot` first)");
                              return it->second.handler(s, {args.begin() + 1, args.end()});
                          }});
}

Scenario::~Scenario() = default;

void Scenario::addCommand(const std::string& name, ScenarioCommand command) { m_commands[name] = std::move(command); }
void Scenario::addExpectation(const std::string& name, ScenarioCommand check) {
    m_expectations[name] = std::move(check);
}

bool Scenario::fail(const std::string& message) {
    if (m_failure.empty()) m_failure = message;
    return false;
}

std::filesystem::path Scenario::resolve(const std::string& path) const {
    std::filesystem::path p(path);
    return p.is_absolute() || m_folder.empty() ? p : m_folder / p;
}

int Scenario::runFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) {
        m_err << "flint-sim: cannot read the scenario " << path.string() << "\n";
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    m_folder = path.parent_path();
    return runText(text.str(), path.string());
}

int Scenario::runText(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        m_step = {name, number, {}};
        std::string error;
        auto words = splitScenarioLine(line, error);
        if (!words) {
            m_err << name << ":" << number << ": " << error << "\n";
            return 1;
        }
        if (words->empty() || (*words)[0].front() == '#') continue;
        m_step.words = std::move(*words);
        m_failure.clear();
        if (!runStep()) {
            m_err << name << ":" << number << ": " << (m_failure.empty() ? "failed" : m_failure) << "\n";
            return 1;
        }
    }
    return 0;
}

int Scenario::checkText(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto refuse = [&](const std::string& message) {
        m_err << name << ":" << number << ": " << message << "\n";
        return 1;
    };
    while (std::getline(lines, line)) {
        ++number;
        std::string error;
        auto words = splitScenarioLine(line, error);
        if (!words) return refuse(error);
        if (words->empty() || (*words)[0].front() == '#') continue;
        const std::string& command = (*words)[0];
        if (!m_commands.count(command)) return refuse("unknown command \"" + command + "\"");
        if (command == "expect") {
            if (words->size() < 2) return refuse("expect needs a check");
            if (!m_expectations.count((*words)[1])) return refuse("unknown check \"" + (*words)[1] + "\"");
        }
    }
    return 0;
}

bool Scenario::runStep() {
    const std::string& name = m_step.words[0];
    auto it = m_commands.find(name);
    if (it == m_commands.end()) {
        std::string known;
        for (const auto& [command, entry] : m_commands) known += (known.empty() ? "" : ", ") + command;
        return fail("unknown command \"" + name + "\" (known: " + known + ")");
    }
    if (it->second.needsDevice && !m_device) return fail(name + " needs a booted device (add `boot` first)");
    return it->second.handler(*this, m_step.arguments());
}

}  // namespace flint::sim
