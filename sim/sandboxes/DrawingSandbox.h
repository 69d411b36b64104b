#pragma once
// The drawing sandbox: a window holding a drawing canvas over a plain background, a
// drawing-colour slider under it and a drag view at the bottom. The demo draws on it through
// touches, as a finger would, and writes screenshots.
//
// This file belongs to the simulator's system library, which links libFlint.so.

#include <ostream>
#include <string>

#include "controls/FlintColorSlider.h"
#include "controls/FlintDragView.h"
#include "drawing/FlintDrawingView.h"
#include "platform/uikit/UIWindow.h"

namespace flint::sim {

// Sandbox geometry, in screen points.
inline constexpr double kSandboxCanvasTop = 60;
inline constexpr double kSandboxBottomArea = 170;  // slider and drag view below the canvas

struct DrawingSandbox {
    objc::Ref<ios::UIWindow> window;
    objc::Ref<ios::UIView> background;
    objc::Ref<FlintDrawingView> canvas;
    objc::Ref<FlintColorSlider> slider;
    objc::Ref<FlintDragView> dragView;
};

// Builds the sandbox in the current process and shows it above the status bar.
DrawingSandbox makeDrawingSandbox();

// Shows the sandbox (in the current process, or in one of its own when there is none), draws pen
// strokes, shapes, an arrow and a text box through touches, undoes and redoes, and writes
// outDir/drawing-1.png (everything drawn), drawing-2.png (after two undos: no text box, no arrow),
// drawing-3.png (after two redos: as the first) and drawing-4.png (the text box selected by a tap,
// with its handles). Reports each file on `out`. Returns 0 on success, 1 when the directory or a
// file cannot be written. Without a current process it boots a device of its own, whose root
// holds the bundle images.
int runDrawingDemo(const std::string& outDir, std::ostream& out);

// The sandbox for scenarios, one command at a time: "open", "tool NAME" (pen, line, arrow,
// rectangle, filled-rectangle, ellipse, filled-ellipse, eraser, text), "undo", "redo", "clear",
// "steps" (the number of undoable steps, written to `reply`), "boxes" (the number of text boxes on
// the canvas) and "box" (the frontmost text box: "X Y W H FONT", its centre in screen points, its
// size and font size; "none" without one). Returns true on success; on failure writes the reason
// to `reply`.
bool drawingSandboxCommand(const std::string& command, std::string& reply);

}  // namespace flint::sim
