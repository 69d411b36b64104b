#pragma once
// The scenario runner of `flint-sim run`: a line-based script, one command per line, run in
// order against one simulated device. Words are separated by blanks; "double quotes" make one
// word (with \" and \\ inside); a line whose first word starts with '#' is a comment.
//
// Commands live in a table (name → handler); `expect` has its own table of checks, so a new
// command or check is one registration. The first failing line stops the run with
// "SCRIPT:LINE: message" on the error stream and a non-zero status.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <typeinfo>
#include <string>
#include <vector>

#include "sim/device/Device.h"

namespace flint::sim {

// Splits a line into words; none (with a message) for an unterminated quote.
std::optional<std::vector<std::string>> splitScenarioLine(const std::string& line, std::string& error);

// A whole word as a finite number; none for anything else ("", "12px", "nan").
std::optional<double> scenarioNumber(const std::string& word);

class Scenario;

struct ScenarioStep {
    std::string file;
    int line = 0;
    std::vector<std::string> words;  // words[0] is the command
    std::vector<std::string> arguments() const { return {words.begin() + 1, words.end()}; }
};

// A handler returns true when the step succeeded; on failure it calls scenario.fail(message).
using ScenarioHandler = std::function<bool(Scenario& scenario, const std::vector<std::string>& arguments)>;

struct ScenarioCommand {
    std::string usage;  // "wait SECONDS", shown in failures and `flint-sim run --commands`
    ScenarioHandler handler;
    bool needsDevice = false;  // fails with "boot first" before `boot`
};

class Scenario {
public:
    Scenario(std::ostream& out, std::ostream& err);
    ~Scenario();

    // The tables.
    void addCommand(const std::string& name, ScenarioCommand command);
    void addExpectation(const std::string& name, ScenarioCommand check);
    const std::map<std::string, ScenarioCommand>& commands() const { return m_commands; }
    const std::map<std::string, ScenarioCommand>& expectations() const { return m_expectations; }

    // Runs a script file or text; 0 when every line succeeded, 1 at the first failure, 2 when the
    // file cannot be read.
    int runFile(const std::filesystem::path& path);
    int runText(const std::string& text, const std::string& name = "<script>");
    // Parses and checks a script without running it: every line splits into words and names a
    // known command (and `expect` a known check). 0 when all do, else 1 with "NAME:LINE: message"
    // on the error stream for the first that does not.
    int checkText(const std::string& text, const std::string& name = "<script>");

    // --- for handlers ---
    bool fail(const std::string& message);
    std::ostream& out() { return m_out; }
    std::ostream& err() { return m_err; }
    // A path of the script resolved against the script's folder.
    std::filesystem::path resolve(const std::string& path) const;
    const ScenarioStep& currentStep() const { return m_step; }

    // The device being prepared and, after boot, the booted one.
    BootOptions& bootOptions() { return m_options; }
    std::optional<double>& renderScale() { return m_scale; }
    Device* device() { return m_device.get(); }
    void setDevice(std::unique_ptr<Device> device) { m_device = std::move(device); }
    // Any state a command family keeps across lines, made on first use.
    template <class T>
    T& state() {
        auto& slot = m_state[typeid(T).name()];
        if (!slot) slot = std::make_shared<T>();
        return *std::static_pointer_cast<T>(slot);
    }

private:
    bool runStep();

    std::ostream& m_out;
    std::ostream& m_err;
    std::map<std::string, ScenarioCommand> m_commands;
    std::map<std::string, ScenarioCommand> m_expectations;
    std::filesystem::path m_folder;
    ScenarioStep m_step;
    std::string m_failure;
    BootOptions m_options;
    std::optional<double> m_scale;
    std::unique_ptr<Device> m_device;
    std::map<std::string, std::shared_ptr<void>> m_state;
};

}  // namespace flint::sim
