#pragma once
// Gaussian blur of an image surface (ARGB32, RGB24 or A8) in place, σ in pixels, computed as
// three box blurs per axis. Pixels beyond the edges count as transparent, or as copies of the
// edge pixels with clampEdges. A pixel's result depends only on the pixels within the sum of
// the three box radii of it (at most about 3σ + 2).

#include <cairo.h>

namespace ios {

void CABlurImageSurface(cairo_surface_t* surface, double sigma, bool clampEdges = false);

}  // namespace ios
