#include "sim/DrawingCommands.h"

#include <dlfcn.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "sim/Scenario.h"

namespace flint::sim {

namespace {

using Args = std::vector<std::string>;
using DrawingCommand = int (*)(const char*, char*, unsigned long);

DrawingCommand drawingEntry(std::string& error) {
    static DrawingCommand entry = nullptr;
    if (entry) return entry;
    void* library = dlopen(FLINT_SIMSYSTEM_PATH, RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        const char* message = dlerror();
        error = message ? message : "cannot load the sandbox screens";
        return nullptr;
    }
    entry = reinterpret_cast<DrawingCommand>(dlsym(library, "flintSimDrawingCommand"));
    if (!entry) error = "the sandbox screens have no drawing sandbox";
    return entry;
}

// Runs one sandbox command; the reply (a count, or the reason for a failure) goes to `reply`.
bool run(Scenario& s, const std::string& command, std::string* reply = nullptr) {
    std::string error;
    DrawingCommand entry = drawingEntry(error);
    if (!entry) return s.fail(error);
    char buffer[256] = {};
    int status = entry(command.c_str(), buffer, sizeof buffer);
    if (status != 0) return s.fail(buffer);
    if (reply) *reply = buffer;
    ios::Process::shared().runLoop().runUntilIdle();
    return true;
}

}  // namespace

void registerDrawingScenarioCommands(Scenario& scenario) {
    // `sandbox` may already offer other kinds: those go on to it.
    std::optional<ScenarioCommand> previous;
    if (auto it = scenario.commands().find("sandbox"); it != scenario.commands().end()) previous = it->second;
    std::string usage = previous ? previous->usage + " | drawing" : "sandbox drawing";
    scenario.addCommand("sandbox", {usage, [previous, usage](Scenario& s, const Args& args) {
        if (args.size() == 1 && args[0] == "drawing") {
            if (!s.device()) return s.fail("sandbox drawing needs a booted device (add `boot` first)");
            return run(s, "open");
        }
        if (previous) return previous->handler(s, args);
        return s.fail("expected: " + usage);
    }, previous ? previous->needsDevice : false});

    scenario.addCommand("drawing", {"drawing tool NAME | undo | redo | clear", [](Scenario& s, const Args& args) {
        if (args.empty() || (args[0] == "tool") != (args.size() == 2) || args.size() > 2)
            return s.fail("expected: drawing tool NAME | undo | redo | clear");
        return run(s, args.size() == 2 ? args[0] + " " + args[1] : args[0]);
    }, true});

    scenario.addExpectation("drawing-steps", {"expect drawing-steps N", [](Scenario& s, const Args& args) {
        if (args.size() != 1) return s.fail("expected: expect drawing-steps N");
        std::string steps;
        if (!run(s, "steps", &steps)) return false;
        if (steps == args[0]) return true;
        return s.fail("expect drawing-steps: the canvas has " + steps + " undoable step(s), not " + args[0]);
    }, true});
}

}  // namespace flint::sim
