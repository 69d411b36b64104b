#pragma once
// A test scene for the compositor: one phone-sized screen (375 × 812 points) that uses every
// feature the compositor has — gradient, rounded and clipped cards, borders, shadows (from the
// layer's alpha and from a shadow path), contents with gravity and template tint, delegate
// drawing, a shape mask and a gradient fade mask, group opacity, z order, shape strokes with
// dashes and a partial stroke, a replicator, text, a 3D tilt about X, a perspective turn about Y,
// a layer caught half way through an animation, and dark and light backdrop blurs — written as
// one PNG.

#include <string>

namespace flint::sim {

// Renders at `scale` pixels per point (0 or less means 3). Uses the current process's media
// clock when there is one, else a process of its own. Returns 0 on success, 1 when the PNG
// cannot be written.
int writeCompositorScene(const std::string& outPng, double scale);

}  // namespace flint::sim
