#pragma once
// Scenario lines for the drawing sandbox: `sandbox drawing`, `drawing tool NAME | undo | redo |
// clear`, `expect drawing-steps N`, `expect text-boxes N` and `expect text-box centre X Y |
// size W H | font N [TOLERANCE]` (the frontmost text box on the canvas). The sandbox itself
// lives in the simulator's screens library (it calls the system), which these lines load on
// first use.

namespace flint::sim {

class Scenario;
void registerDrawingScenarioCommands(Scenario& scenario);

}  // namespace flint::sim
