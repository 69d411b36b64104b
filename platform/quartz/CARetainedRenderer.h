#pragma once
// A retained frame: the last composed image of a screen at one scale, repaired each update in
// the device-pixel rectangles that changed, pixel for pixel what CACompositor::render would draw
// for the same trees at the same media time.
//
// Damage is recorded where change happens, not found by comparing images: layers report
// property sets, tree changes, added animations and setNeedsDisplayInRect: as they happen (to
// every live renderer), and an update adds the on-screen boxes those layers had in the last
// frame and have now, the boxes of layers animating at the previous and the current frame, the
// boxes of roots that came, went or moved in the root list, and grows the result where a backdrop
// blur samples it beneath it. Recomposition clips to each damaged rectangle and draws every
// layer reaching into it, in the same order and with the same operators as a full render (a
// backdrop blur drawn straight on the frame reuses its last blur where nothing beneath it
// changed). An update with no damage does no work.
//
// Not reported, as they are set while a layer is made: doubleSided, allowsGroupOpacity, the
// delegate, a shape's line cap, join, miter limit and fill rule, a gradient's type, a backdrop's
// style. Changing them on a shown layer needs invalidate().
//
// Memory: one image of the screen (width × height × 4 bytes) and a table of the shown layers'
// boxes; nothing grows with the number of frames.

#include <cstdint>
#include <memory>
#include <vector>

#include <cairo.h>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIImage.h"

namespace ios {

class CALayer;

// A rectangle of device pixels: columns x … x + width − 1, rows y … y + height − 1.
struct CADamageRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const CADamageRect&) const = default;
};

class CARetainedRenderer {
public:
    // A frame of `size` points at `scale` pixels per point (ceil(size × scale) pixels), whose
    // canvas starts as `background` (transparent when none) as in CACompositor::render.
    CARetainedRenderer(CGSize size, double scale, UIColorRef background = nullptr);
    ~CARetainedRenderer();
    CARetainedRenderer(const CARetainedRenderer&) = delete;
    CARetainedRenderer& operator=(const CARetainedRenderer&) = delete;

    // Brings the frame up to date with the trees (first at the bottom) at the current media
    // time and returns the rectangles repainted since the last update: disjoint, inside the
    // image, empty when nothing changed. The first update (and any after invalidate) repaints
    // the whole image. Layers that draw their own content are brought up to date where drawn.
    const std::vector<CADamageRect>& update(const std::vector<CALayer*>& roots);
    // The rectangles of the last update.
    const std::vector<CADamageRect>& damage() const { return m_damage; }

    // The retained image (premultiplied ARGB32), owned by the renderer and valid until it is
    // destroyed; its pixels change only in update.
    cairo_surface_t* surface() const { return m_surface; }
    // A copy of the retained image at the renderer's scale.
    UIImageRef image() const;
    int pixelWidth() const { return m_pixelWidth; }
    int pixelHeight() const { return m_pixelHeight; }
    CGSize size() const { return m_size; }
    double scale() const { return m_scale; }

    // The next update repaints everything.
    void invalidate() { m_full = true; }

    // Change reports from the layers (model layers only). A layer about to change; a region of
    // a layer's backing store marked for redrawing (in the layer's bounds coordinates).
    static void layerWillChange(const CALayer& layer);
    static void layerNeedsDisplayInRect(const CALayer& layer, const CGRect& rect);

private:
    struct State;
    void recordChange(const CALayer& layer);
    void recordDisplay(const CALayer& layer, const CGRect& rect);

    CGSize m_size{};
    double m_scale = 1;
    UIColorRef m_background;
    int m_pixelWidth = 0, m_pixelHeight = 0;
    cairo_surface_t* m_surface = nullptr;
    bool m_full = true;
    std::vector<CADamageRect> m_damage;
    std::unique_ptr<State> m_state;
};

}  // namespace ios
