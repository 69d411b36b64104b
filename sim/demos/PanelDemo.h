#pragma once
// The quick-panel demo: on each screen class in light and dark adaptive mode (and once in colour
// mode with a colour file), boot the home screen with the library loaded, open the panel with a
// tap on the status bar and write a PNG of the screen; then use a shortcut, a countdown (in
// virtual time) and the music card, report what the home screen did, and compose a Showcase
// mock-up of the countdown's screenshot (ShowcaseDemo.h).
//
// Every device runs in a process of its own (as each phone is one), forked from this one, so the
// library's load routine runs afresh for each.

#include <ostream>
#include <string>

namespace flint::sim {

// Writes panel-<profile>-<light|dark|color>.png, showcase-mockup.png and showcase-editor.png into
// outDir (made when missing) and prints one line per image and per action. 0 when every step
// worked. `backend`: "simulated" (the device's own network and library) or "host" (this machine's
// network, Wi-Fi and media players).
int runPanelDemo(const std::string& outDir, std::ostream& out, const std::string& backend = "simulated");

}  // namespace flint::sim
