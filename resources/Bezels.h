#pragma once
// The two phone bezel families, their screen masks and a sample home screen to put inside them.

#include <cairo.h>

#include "resources/Painter.h"

namespace flint::resources {

enum class BezelFamily { EdgeToEdge, HomeButton };

struct BezelGeometry {
    double width, height;                       // the whole bezel, points
    double screenX, screenY, screenW, screenH;  // the screen opening within it
};
BezelGeometry bezelGeometry(BezelFamily family);

// A bezel at (0, 0) in its own size, in the body colour; the screen opening is drawn as dark glass.
void drawBezel(cairo_t* cr, BezelFamily family, RGB body);
// Opaque white where a screenshot shows, in the screen opening's size.
void drawScreenMask(cairo_t* cr, BezelFamily family);
// A sample home screen (wallpaper and icon grid) filling w × h.
void drawSampleScreen(cairo_t* cr, double w, double h, RGB accent);

}  // namespace flint::resources
