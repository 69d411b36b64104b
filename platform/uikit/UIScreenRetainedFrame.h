#pragma once
// The main screen's retained frames: what UIScreen::snapshot renders, kept between frames and
// repaired where the screen changed (see CARetainedRenderer).

#include "platform/quartz/CARetainedRenderer.h"

namespace ios {

// The retained frame of the main screen at `scale` pixels per point (0 = the screen's): lays out
// the visible windows and brings the frame up to date with them, over black; its damage() lists
// the device-pixel rectangles this call repainted. Pixel for pixel what
// UIScreen::mainScreen()->snapshot(scale) renders. One frame per scale, kept with the process.
CARetainedRenderer& UIScreenRetainedFrame(double scale = 0);

}  // namespace ios
