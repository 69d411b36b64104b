#pragma once
// Scenario lines for the drawing sandbox: `sandbox drawing`, `drawing tool NAME | undo | redo |
// clear`, and `expect drawing-steps N`. The sandbox itself lives in the simulator's screens
// library (it calls the system), which these lines load on first use.

namespace flint::sim {

class Scenario;
void registerDrawingScenarioCommands(Scenario& scenario);

}  // namespace flint::sim
