#include "sim/scenario/DrawingCommands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "sim/device/LibraryBridge.h"
#include "sim/scenario/Scenario.h"
#include "sim/sandboxes/SimScreens.h"

namespace flint::sim {

namespace {

using Args = std::vector<std::string>;

// Runs one sandbox command; the reply (a count, or the reason for a failure) goes to `reply`.
bool run(Scenario& s, const std::string& command, std::string* reply = nullptr) {
    std::string answer;
    const FlintSimScreens* screens = simulatorScreens(answer);
    if (!screens) return s.fail(answer);
    if (!screens->drawingCommand(command, answer)) return s.fail(answer);
    if (reply) *reply = answer;
    ios::Process::shared().runLoop().runUntilIdle();
    return true;
}

// The frontmost text box as the sandbox describes it: centre x and y (screen points), width,
// height, font size.
bool frontBox(Scenario& s, const std::string& check, std::vector<double>& values) {
    std::string reply;
    if (!run(s, "box", &reply)) return false;
    if (reply == "none") return s.fail("expect " + check + ": the canvas has no text box");
    std::istringstream in(reply);
    values.assign(5, 0);
    for (double& v : values) in >> v;
    return true;
}

std::string text(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// Compares `count` values of the front box, from `first` on, with the arguments, within the
// optional tolerance after them (0.5 points when none).
bool compareBox(Scenario& s, const Args& args, const std::string& usage, std::size_t first, std::size_t count) {
    if (args.size() != count + 1 && args.size() != count + 2) return s.fail("expected: " + usage);
    std::vector<double> want;
    for (std::size_t i = 1; i < args.size(); ++i) {
        auto v = scenarioNumber(args[i]);
        if (!v) return s.fail("expected: " + usage + " (numbers)");
        want.push_back(*v);
    }
    double tolerance = args.size() == count + 2 ? want.back() : 0.5;
    std::vector<double> box;
    if (!frontBox(s, "text-box " + args[0], box)) return false;
    std::string found, expected;
    bool ok = true;
    for (std::size_t i = 0; i < count; ++i) {
        ok = ok && std::abs(box[first + i] - want[i]) <= tolerance;
        found += (i ? " " : "") + text(box[first + i]);
        expected += (i ? " " : "") + text(want[i]);
    }
    if (ok) return true;
    return s.fail("expect text-box " + args[0] + ": found " + found + ", expected " + expected + " (± " +
                  text(tolerance) + ")");
}

}  // namespace

void registerDrawingScenarioCommands(Scenario& scenario) {
    // `sandbox` may already offer other kinds: those go on to it.
    std::optional<ScenarioCommand> previous;
    if (auto it = scenario.commands().find("sandbox"); it != scenario.commands().end()) previous = it->second;
    std::string usage = previous ? previous->usage + " | drawing" : "sandbox drawing";
    scenario.addCommand("sandbox",
                        {usage,
                         [previous, usage](Scenario& s, const Args& args) {
                             if (args.size() == 1 && args[0] == "drawing") {
                                 if (!s.device())
                                     return s.fail("sandbox drawing needs a booted device (add `boot` first)");
                                 return run(s, "open");
                             }
                             if (previous) return previous->handler(s, args);
                             return s.fail("expected: " + usage);
                         },
                         previous ? previous->needsDevice : false});

    scenario.addCommand("drawing",
                        {"drawing tool NAME | undo | redo | clear",
                         [](Scenario& s, const Args& args) {
                             if (args.empty() || (args[0] == "tool") != (args.size() == 2) || args.size() > 2)
                                 return s.fail("expected: drawing tool NAME | undo | redo | clear");
                             return run(s, args.size() == 2 ? args[0] + " " + args[1] : args[0]);
                         },
                         true});

    scenario.addExpectation("drawing-steps", {"expect drawing-steps N",
                                              [](Scenario& s, const Args& args) {
                                                  if (args.size() != 1)
                                                      return s.fail("expected: expect drawing-steps N");
                                                  std::string steps;
                                                  if (!run(s, "steps", &steps)) return false;
                                                  if (steps == args[0]) return true;
                                                  return s.fail("expect drawing-steps: the canvas has " + steps +
                                                                " undoable step(s), not " + args[0]);
                                              },
                                              true});

    scenario.addExpectation("text-boxes", {"expect text-boxes N",
                                           [](Scenario& s, const Args& args) {
                                               if (args.size() != 1) return s.fail("expected: expect text-boxes N");
                                               std::string count;
                                               if (!run(s, "boxes", &count)) return false;
                                               if (count == args[0]) return true;
                                               return s.fail("expect text-boxes: the canvas shows " + count +
                                                             " text box(es), not " + args[0]);
                                           },
                                           true});

    // Of the frontmost text box: its centre in screen points, its size, its font size.
    const std::string boxUsage = "expect text-box centre X Y | size W H | font N [TOLERANCE]";
    scenario.addExpectation("text-box", {boxUsage,
                                         [boxUsage](Scenario& s, const Args& args) {
                                             if (args.empty()) return s.fail("expected: " + boxUsage);
                                             if (args[0] == "centre") return compareBox(s, args, boxUsage, 0, 2);
                                             if (args[0] == "size") return compareBox(s, args, boxUsage, 2, 2);
                                             if (args[0] == "font") return compareBox(s, args, boxUsage, 4, 1);
                                             return s.fail("expected: " + boxUsage);
                                         },
                                         true});
}

}  // namespace flint::sim
