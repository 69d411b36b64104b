#pragma once
// The drawing walk behind CACompositor: one layer tree drawn into a cairo context whose target
// is an image surface, device pixels being the target's. Everything a layer paints at a device
// pixel depends only on the tree and on what lies within a bounded distance of that pixel (the
// reach of shadows and backdrop blurs), which is what lets a retained frame repaint a clipped
// region pixel for pixel. Used by CACompositor and CARetainedRenderer only.

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include <cairo.h>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/quartz/CATransform3D.h"

namespace ios {

class CALayer;
class CABackdropLayer;
class CAGradientLayer;
class CAShapeLayer;
class CATextLayer;

// A box of device pixels, x0 ≤ x < x1, y0 ≤ y < y1.
struct CADeviceRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
    CADeviceRect intersect(const CADeviceRect& o) const {
        return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    }
    CADeviceRect inflate(int m) const { return {x0 - m, y0 - m, x1 + m, y1 + m}; }
    bool operator==(const CADeviceRect&) const = default;
    static CADeviceRect around(double minX, double minY, double maxX, double maxY) {
        auto lim = [](double v) { return std::clamp(v, -1e7, 1e7); };
        return {static_cast<int>(std::floor(lim(minX))), static_cast<int>(std::floor(lim(minY))),
                static_cast<int>(std::ceil(lim(maxX))), static_cast<int>(std::ceil(lim(maxY)))};
    }
};

// Where a shown layer and its sublayers may paint (box) and what a change to it may repaint
// (damage: the box grown by the reach of enclosing shadows, or the whole 3D plane it lies in),
// with the layer's map to the device.
struct CALayerFootprint {
    CADeviceRect box;
    CADeviceRect damage;
    CATransform3D device{};
    const CALayer* plane = nullptr;  // the 3D layer whose flat picture holds this one
    int spread = 0;
    int order = 0;            // where it first draws in the walk, from 1
    bool replicated = false;  // drawn more than once (device is one of the copies')
    bool keepsBlur = false;   // a backdrop blur drawn straight on the frame, once
};
using CALayerFootprints = std::unordered_map<const CALayer*, CALayerFootprint>;

// A backdrop blur drawn on a retained frame: the blurred samples of `source` (device pixels,
// averaged over factor × factor blocks) at σ.
struct CABackdropBlur {
    std::shared_ptr<cairo_surface_t> surface;
    CADeviceRect source;
    int factor = 1;
    double sigma = 0;
};
using CABackdropBlurs = std::unordered_map<const CALayer*, CABackdropBlur>;

class CALayerRenderer {
public:
    explicit CALayerRenderer(cairo_t* cr);
    // Skips the subtrees whose footprint (by model layer) lies outside the clip. The footprints
    // must cover all that the subtrees paint, in this renderer's device space. Backdrop blurs
    // drawn straight on the target keep what they sampled in `blurs` and reuse it where they
    // would sample beyond the clip.
    CALayerRenderer(cairo_t* cr, const CALayerFootprints* footprints, CABackdropBlurs* blurs);

    // --- geometry shared with the damage pass ---
    // The part of the map from a layer to its superlayer that belongs to the layer itself.
    static CATransform3D ownTransform(const CALayer& layer);
    // A transform applied about a layer's anchor point.
    static CATransform3D aboutAnchor(const CALayer& layer, const CATransform3D& t);
    static bool isAffine(const CATransform3D& t);
    static double linearDeterminant(const CATransform3D& t);
    // Where contents of `size` points go in `bounds` under a gravity (y down).
    static CGRect gravityRect(const std::string& gravity, const CGRect& bounds, CGSize size);
    static bool visibleColor(const UIColorRef& color);
    // The block size a blur of σ (device pixels) is computed at.
    static int blurFactor(double sigma);

    // Draws `model` (and its subtree) whose superlayer's coordinates map to the device through
    // parentDevice, the superlayer's own 4×4 contribution (its sublayer transform about its
    // anchor, instance transforms) being parentPart.
    void drawLayer(CALayer& model, const CATransform3D& parentPart, const CATransform3D& parentDevice);

    // Draws a layer's body with its coordinates mapped to the device by `device` (affine).
    void drawBody(CALayer& model, const CALayer& layer, const CATransform3D& device);

    void drawContent(CALayer& model, const CALayer& layer, const CATransform3D& device);

    void drawContents(CALayer& model, const CALayer& layer);

    void paintSurface(cairo_surface_t* surface, const CGRect& r, int pw, int ph);

    void drawShape(const CAShapeLayer& shape);

    void drawGradient(const CAGradientLayer& gradient);

    void drawText(const CATextLayer& text);

    // What lies beneath, blurred and tinted, inside the layer's rounded bounds.
    void drawBackdrop(CALayer& model, const CABackdropLayer& layer, const CATransform3D& device);

    // The target's pixels in `rect` (device), averaged over factor × factor blocks.
    cairo_surface_t* downsample(const CADeviceRect& rect, int factor);

    static double shadowReach(const CALayer& layer, const CATransform3D& device);

    // Paints the shadow cast by the alpha of `content` (covering `area`).
    void drawShadowOf(cairo_surface_t* content, const CADeviceRect& area, const CALayer& layer,
                      const CATransform3D& device);

    void drawPathShadow(const CALayer& layer, const CATransform3D& device);

    void paintShadowMask(cairo_surface_t* alpha, int x, int y, const CALayer& layer, const CATransform3D& device);

    // Layers with perspective: draw flat into their own plane, then project each pixel.
    void drawProjected(CALayer& model, const CALayer& layer, const CATransform3D& device);

    void warp(cairo_surface_t* flat, const CGRect& e, double sx, double sy, const CATransform3D& device);

    // What a layer and its sublayers may paint, in its own coordinates; none when unbounded.
    static std::optional<CGRect> localExtents(CALayer& model, const CALayer& layer, int depth = 0);

    std::optional<CADeviceRect> subtreeExtents(CALayer& model, const CALayer& layer, const CATransform3D& device);

    static CGRect boxOf(const CATransform3D& t, const CGRect& r);

    static CADeviceRect deviceBox(const CATransform3D& device, const CGRect& r);

    static bool facesAway(const CATransform3D& device);

    // --- targets -------------------------------------------------------------------------------

    // An offscreen surface covering `area` of the device, drawn to with device coordinates.
    cairo_surface_t* offscreen(const CADeviceRect& area);

    template <class F>
    void withTarget(cairo_surface_t* surface, F draw) {
        cairo_t* saved = m_cr;
        cairo_surface_t* savedTarget = m_target;
        m_cr = cairo_create(surface);
        m_target = surface;
        draw();
        cairo_destroy(m_cr);
        m_cr = saved;
        m_target = savedTarget;
        cairo_surface_flush(surface);
    }

    CADeviceRect clipExtents() const;
    // The extents pictures of their own are made for: the clip's, or the whole frame's on a
    // retained frame.
    CADeviceRect paintExtents() const;

    bool targetIsImage() const;

    CADeviceRect targetExtents() const;

    static cairo_matrix_t toCairo(const CATransform3D& t);

    void setMatrix(const CATransform3D& device);

    cairo_t* m_cr;
    cairo_surface_t* m_target;
    cairo_surface_t* m_frame;  // the target the renderer was made for
    const CALayerFootprints* m_footprints = nullptr;
    CABackdropBlurs* m_blurs = nullptr;
    bool m_cull = false;  // off while drawing into a plane of its own (3D layers)
};

}  // namespace ios
