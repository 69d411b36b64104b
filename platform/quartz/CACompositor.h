#pragma once
// The compositor: draws layer trees from their presentation values at the current media time.
// Per layer, bottom to top: shadow, background (with the corner radius), backdrop blur, contents
// or backing store (with gravity and template tint), shape / gradient / text content, sublayers
// in z order (clipped to the rounded bounds with masksToBounds), border. Opacity below 1, masks
// and shadows composite the layer and its sublayers as one group. Each layer's transform is
// flattened onto its superlayer's plane: orthographically, or through the perspective divide when
// m34 (or m14, m24) is set.
//
// The model tree is never changed; layers that draw their own content are brought up to date
// (displayIfNeeded) first, as the platform does before it renders.

#include <filesystem>
#include <vector>

#include <cairo.h>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CABlur.h"

namespace ios {

class CALayer;

class CACompositor {
public:
    // Renders the trees, first at the bottom, each root placed by its own geometry in a canvas
    // of `size` points, into an image of ceil(size × scale) pixels at that scale. The canvas
    // starts as `background` (transparent when none).
    static UIImageRef render(const std::vector<CALayer*>& roots, CGSize size, double scale,
                             const UIColorRef& background = nullptr);
    static UIImageRef render(CALayer& root, CGSize size, double scale, const UIColorRef& background = nullptr);
    // Renders and writes a PNG; false when the file cannot be written.
    static bool writePNG(const std::vector<CALayer*>& roots, CGSize size, double scale,
                         const std::filesystem::path& path, const UIColorRef& background = nullptr);

    // Draws a tree into cr, whose current user space is the space the root is placed in.
    static void drawLayerTree(CALayer& root, cairo_t* cr);
    // Draws a layer and its sublayers with cr's user space as the layer's own coordinates
    // (its position, transform and anchor ignored), as renderInContext does.
    static void renderLayerContents(CALayer& layer, cairo_t* cr);
};

}  // namespace ios
