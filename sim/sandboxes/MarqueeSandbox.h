#pragma once
// The marquee sandbox: a screen with six marquee labels, one per scroll type, over a view
// controller, with fades and buffers large enough to see, written as PNG frames at several
// virtual times so the motion can be followed from frame to frame.

#include <ostream>
#include <string>

#include "platform/uikit/UIViewController.h"

namespace flint::sim {

// The sandbox's controller: its view holds a title and, per scroll type, a caption and a label
// (the labels carry tags 1 to 6: type + 1).
objc::Ref<ios::UIViewController> makeMarqueeSandboxController();

// Shows the sandbox in a window of the current process (or of a process of its own when there is
// none), then writes `frames` screenshots, `interval` seconds of virtual time apart starting at
// the moment the labels begin, as outDir/marquee-000.png, marquee-001.png, … Reports each file on
// `out`. Returns 0 on success, 1 when a frame cannot be written or the arguments make no sense.
int writeMarqueeFrames(const std::string& outDir, int frames, double interval, std::ostream& out);

}  // namespace flint::sim
