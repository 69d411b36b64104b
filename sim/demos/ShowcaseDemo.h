#pragma once
// The Showcase part of the demo, run in the device process of the panel's exercise once its
// countdown has saved a screenshot. Only touches drive it, at the screen points of the views the
// status bar's host properties hold: the panel's Showcase card, seven swipes through the gallery,
// the "Customize" pill of the rose-gold home-button template, then in the editor the tool card's
// handle, "Add Image" and the screenshot's thumbnail, the background colour, a tilt of the bezel,
// an arrow and a caption drawn on the canvas, and the save button and its alert.

#include <filesystem>
#include <ostream>

namespace flint::sim {

// Writes showcase-mockup.png (the saved mock-up, the newest photo) and showcase-editor.png (the
// screen) into dir and prints one line per step. 0 when every step did what it should; otherwise
// the line says which did not.
int runShowcaseDemo(const std::filesystem::path& dir, std::ostream& out);

}  // namespace flint::sim
