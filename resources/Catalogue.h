#pragma once
// Every image of the bundle: its name (without ".png"), its size in points and how to draw it.

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

namespace flint::resources {

struct BundleImage {
    std::string name;
    double width, height;
    bool isTemplate;  // a single-colour glyph on transparency, drawn tinted by the system
    std::function<void(cairo_t*)> draw;
};

const std::vector<BundleImage>& catalogue();

// Writes name.png, name@2x.png and name@3x.png for every image; returns the number of failures.
int writeBundle(const std::string& folder);

}  // namespace flint::resources
