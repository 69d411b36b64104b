#pragma once
// Reduces an image surface to a given size by area averaging: each pixel of the result is the
// mean of the part of the source it covers, partly covered pixels counting by their share. Sharp
// and free of aliasing at any reduction, and much quicker than sampling through a filter kernel
// for every pixel drawn.

#include <cairo.h>

namespace ios {

// A new surface of the source's format, `width` × `height` (each at least 1 and at most the
// source's own), or null when that is not a reduction of an ARGB32 or RGB24 image surface.
// Premultiplied pixels stay premultiplied.
cairo_surface_t* areaAveraged(cairo_surface_t* source, int width, int height);

}  // namespace ios
