#pragma once
// Small drawing helpers over Cairo for the bundle generator. Every image is drawn in points into
// a context already scaled to the output's pixels per point.

#include <cairo.h>

#include <string>

namespace flint::resources {

struct RGB {
    double r, g, b;
};

RGB hex(unsigned rgb);
RGB mix(RGB a, RGB b, double t);
void setColor(cairo_t* cr, RGB c, double alpha = 1);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// Hue, saturation and brightness (0 ... 1) to RGB, with hue 0 and 1 both red.
RGB hsb(double hue, double saturation, double brightness);

}  // namespace flint::resources
