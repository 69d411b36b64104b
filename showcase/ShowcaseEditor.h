#pragma once
// The Showcase editor: its own window above the status bar with a navigation bar, the canvas
// (background image, device bezel holding the screenshot, drawing layer on top) and the tool card
// at the bottom with six paged tool pages. Pages 1 to 3 (images and export, background, drawing)
// are built here; pages 4 to 6 by TransformControls.

#include "platform/graphics/CGGeometry.h"
#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

inline constexpr int kShowcaseToolPageCount = 6;
inline constexpr double kShowcaseWindowLevelAboveStatusBar = 5;
inline constexpr double kShowcaseDismissDuration = 0.3;
inline constexpr double kToolCardScrollTop = 40;

// The tool card's resting centres for a screen of W × H points.
ios::CGPoint toolCardOpenedCenter(double W, double H);
ios::CGPoint toolCardClosedCenter(double W, double H);

void launchShowcaseEditor(FlintHost& host);
void dismissShowcaseEditor(FlintHost& host);

extern const ActionTable showcaseEditorActions;

}  // namespace flint
