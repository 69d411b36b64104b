#pragma once
// The scenario commands that act as a finger and a keyboard, and the checks on what they caused:
//
//   tap X Y [COUNT]                    COUNT taps (default 1) at screen point (X, Y)
//   tap-text "TEXT"                    a tap at the centre of the topmost visible label or button
//                                      showing TEXT
//   swipe X1 Y1 X2 Y2 [SECONDS]        a straight finger movement (default 0.2 s)
//   drag X1 Y1 X2 Y2 [X Y …] [--seconds S]
//                                      a finger along the points, at constant speed (default 0.5 s)
//   hold X1 Y1 [X Y …] [--seconds S]   a finger goes down at the first point, moves along the
//                                      others (0.5 s) and stays down
//   lift                               the finger that is down lifts where it is
//   cancel-touch                       the system cancels the finger that is down, as when the
//                                      pointer leaves the screen
//   type "TEXT"                        types TEXT into the first responder
//   backspace [N]                      deletes N characters (default 1) before the caret
//   return                             presses the return key
//   sandbox controls                   shows a window with a text field and a slider (see below)
//
//   expect text "TEXT"                 a visible label or button shows TEXT
//   expect no-text "TEXT"              no visible label or button shows TEXT
//   expect field "TEXT"                a visible text field holds TEXT
//   expect slider VALUE [TOLERANCE]    a visible slider's value is within TOLERANCE (0.01)
//   expect haptics N [light|medium|heavy]
//                                      N impacts were felt (of that style)
//   expect photos N                    the photo library holds N photos
//
// Visible means: in a visible window of the screen, neither it nor an ancestor hidden or at
// alpha below 0.01, and inside the screen. Windows are searched from the top.

#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "sim/scenario/Scenario.h"

namespace ios {
class UIView;
}

namespace flint::sim {

void registerInputScenarioCommands(Scenario& scenario);

// A word of a scenario line read as a whole number from 0 to a million; none for anything else.
// (scenarioNumber, in Scenario.h, reads any finite number.)
std::optional<int> scenarioCount(const std::string& word);
// For the lines' messages: TEXT in double quotes; a point as "(x, y)".
std::string quote(const std::string& text);
std::string describePoint(ios::CGPoint p);

// The text a label or a button shows (a button's current title), none for other views.
std::optional<std::string> shownText(const ios::UIView& view);
// Every visible view, topmost first, with its frame in screen points.
struct VisibleView {
    ios::UIView* view;
    ios::CGRect screenFrame;
};
std::vector<VisibleView> visibleViewsTopFirst();

// The controls sandbox: a window above the home screen (below the status bar), whose frames in
// screen points are these for any profile of width W.
inline constexpr double kSandboxWindowLevel = 10;
inline constexpr double kSandboxSide = 20;
inline constexpr double kSandboxFieldTop = 140, kSandboxFieldHeight = 40;    // text field: x 20, width W − 40
inline constexpr double kSandboxSliderTop = 220, kSandboxSliderHeight = 31;  // slider: x 20, width W − 40

}  // namespace flint::sim
