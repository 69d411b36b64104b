#include "sim/scenario/MakeScenario.h"

#include "sim/scenario/DrawingCommands.h"
#include "sim/scenario/InputCommands.h"
#include "sim/scenario/ShowcaseCommands.h"
#include "sim/scenario/StandardCommands.h"

namespace flint::sim {

std::unique_ptr<Scenario> makeScenario(std::ostream& out, std::ostream& err) {
    auto scenario = std::make_unique<Scenario>(out, err);
    registerStandardScenarioCommands(*scenario);
    registerInputScenarioCommands(*scenario);
    registerDrawingScenarioCommands(*scenario);
    registerShowcaseScenarioCommands(*scenario);
    // Further command families register here.
    return scenario;
}

int runScenarioFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err,
                    const std::string& backend) {
    auto scenario = makeScenario(out, err);
    applyBackendChoice(scenario->bootOptions(), backend);
    return scenario->runFile(script);
}

}  // namespace flint::sim
