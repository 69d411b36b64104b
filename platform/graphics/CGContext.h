#pragma once
// A drawing context over a Cairo context, with the platform's graphics state: fill and stroke
// colour, line width, cap, join, miter limit, dash, alpha, blend mode, antialiasing, the
// transform (CTM) and the clip, saved and restored as a stack. The current path is not part of
// the state (as on the platform); painting it consumes it. Points are added through the CTM in
// force when they are added.
//
// CGContextRef is a plain pointer: whoever made the context owns it (an image context, a layer's
// backing store, the compositor); UIGraphicsGetCurrentContext hands out the current one.

#include <memory>
#include <vector>

#include <cairo.h>

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIColor.h"

namespace ios {

class UIImage;

enum class CGLineCap { Butt = 0, Round = 1, Square = 2 };
enum class CGLineJoin { Miter = 0, Round = 1, Bevel = 2 };
enum class CGPathDrawingMode { Fill = 0, EOFill = 1, Stroke = 2, FillStroke = 3, EOFillStroke = 4 };
// The platform's numbering. Clear makes the painted pixels transparent; Copy replaces them.
enum class CGBlendMode {
    Normal = 0,
    Multiply,
    Screen,
    Overlay,
    Darken,
    Lighten,
    ColorDodge,
    ColorBurn,
    SoftLight,
    HardLight,
    Difference,
    Exclusion,
    Hue,
    Saturation,
    Color,
    Luminosity,
    Clear = 16,
    Copy,
    SourceIn,
    SourceOut,
    SourceAtop,
    DestinationOver,
    DestinationIn,
    DestinationOut,
    DestinationAtop,
    XOR,
    PlusDarker,
    PlusLighter
};

inline constexpr CGLineCap kCGLineCapButt = CGLineCap::Butt;
inline constexpr CGLineCap kCGLineCapRound = CGLineCap::Round;
inline constexpr CGLineCap kCGLineCapSquare = CGLineCap::Square;
inline constexpr CGLineJoin kCGLineJoinMiter = CGLineJoin::Miter;
inline constexpr CGLineJoin kCGLineJoinRound = CGLineJoin::Round;
inline constexpr CGLineJoin kCGLineJoinBevel = CGLineJoin::Bevel;
inline constexpr CGPathDrawingMode kCGPathFill = CGPathDrawingMode::Fill;
inline constexpr CGPathDrawingMode kCGPathEOFill = CGPathDrawingMode::EOFill;
inline constexpr CGPathDrawingMode kCGPathStroke = CGPathDrawingMode::Stroke;
inline constexpr CGPathDrawingMode kCGPathFillStroke = CGPathDrawingMode::FillStroke;
inline constexpr CGPathDrawingMode kCGPathEOFillStroke = CGPathDrawingMode::EOFillStroke;
inline constexpr CGBlendMode kCGBlendModeNormal = CGBlendMode::Normal;
inline constexpr CGBlendMode kCGBlendModeClear = CGBlendMode::Clear;
inline constexpr CGBlendMode kCGBlendModeCopy = CGBlendMode::Copy;
inline constexpr CGBlendMode kCGBlendModeSourceIn = CGBlendMode::SourceIn;
inline constexpr CGBlendMode kCGBlendModeDestinationIn = CGBlendMode::DestinationIn;
inline constexpr CGBlendMode kCGBlendModeDestinationOut = CGBlendMode::DestinationOut;
inline constexpr CGBlendMode kCGBlendModeMultiply = CGBlendMode::Multiply;
inline constexpr CGBlendMode kCGBlendModePlusLighter = CGBlendMode::PlusLighter;

// The Cairo operator that paints with the given blend mode.
cairo_operator_t cairoOperatorForBlendMode(CGBlendMode mode);

struct CGColorRGBA {
    double r = 0, g = 0, b = 0, a = 1;
    friend bool operator==(const CGColorRGBA&, const CGColorRGBA&) = default;
};

// The parts of the graphics state that Cairo does not keep for us.
struct CGGState {
    CGColorRGBA fill;    // opaque black
    CGColorRGBA stroke;  // opaque black
    CGFloat lineWidth = 1;
    CGLineCap lineCap = CGLineCap::Butt;
    CGLineJoin lineJoin = CGLineJoin::Miter;
    CGFloat miterLimit = 10;
    CGFloat dashPhase = 0;
    std::vector<CGFloat> dashLengths;
    CGFloat alpha = 1;
    CGBlendMode blendMode = CGBlendMode::Normal;
    bool antialias = true;
    // Set when a singular transform was concatenated: nothing draws until the state is restored.
    bool singularCTM = false;
};

class CGContext {
public:
    // Draws through cr (referenced for the context's lifetime). cr's transform at this moment is
    // the base space: getCTM() reports transforms relative to it. cr's own state is saved here
    // and restored when the context is destroyed.
    explicit CGContext(cairo_t* cr);
    // A context drawing into a surface, with `scale` device pixels per point.
    CGContext(cairo_surface_t* surface, CGFloat scale);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    cairo_t* cairo() const { return m_cr; }
    // The target surface, if any.
    cairo_surface_t* surface() const;

    // --- graphics state ---
    void saveGState();
    // Restoring with nothing saved is ignored.
    void restoreGState();
    int gStateDepth() const { return static_cast<int>(m_stack.size()); }
    const CGGState& gstate() const { return m_state; }

    void setFillColor(const UIColor& color);
    void setFillColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
    void setStrokeColor(const UIColor& color);
    void setStrokeColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
    void setLineWidth(CGFloat width);
    void setLineCap(CGLineCap cap);
    void setLineJoin(CGLineJoin join);
    void setMiterLimit(CGFloat limit);
    // No lengths (or all zero) turns dashing off.
    void setLineDash(CGFloat phase, const std::vector<CGFloat>& lengths);
    // Multiplies everything drawn afterwards: fills, strokes and images.
    void setAlpha(CGFloat alpha);
    void setBlendMode(CGBlendMode mode);
    void setShouldAntialias(bool antialias);

    void translateCTM(CGFloat tx, CGFloat ty);
    void scaleCTM(CGFloat sx, CGFloat sy);
    void rotateCTM(CGFloat angle);
    void concatCTM(const CGAffineTransform& t);
    CGAffineTransform getCTM() const;  // relative to the base space

    // Intersects the clip with a rectangle / the current path (which is consumed).
    void clipToRect(const CGRect& r);
    void clip();
    void eoClip();
    // The clip's bounding box in user space.
    CGRect getClipBoundingBox() const;

    // --- current path ---
    void beginPath();
    void moveToPoint(CGFloat x, CGFloat y);
    void addLineToPoint(CGFloat x, CGFloat y);
    void addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
    void addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
    void addRect(const CGRect& r);
    void addEllipseInRect(const CGRect& r);
    void addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
    void addPath(const CGPath& path);
    void addPath(const CGPathRef& path);
    void closePath();
    bool isPathEmpty() const;
    CGRect getPathBoundingBox() const;  // user space; CGRectNull when empty

    // --- painting ---
    void strokePath();
    void fillPath();
    void eoFillPath();
    void drawPath(CGPathDrawingMode mode);
    void fillRect(const CGRect& r);
    void fillRects(const std::vector<CGRect>& rects);
    void strokeRect(const CGRect& r);
    void strokeRectWithWidth(const CGRect& r, CGFloat width);
    // Makes the rectangle fully transparent, whatever the blend mode and alpha.
    void clearRect(const CGRect& r);
    void fillEllipseInRect(const CGRect& r);
    void strokeEllipseInRect(const CGRect& r);
    // Pairs of points: a segment from points[0] to points[1], points[2] to points[3], ...
    void strokeLineSegments(const std::vector<CGPoint>& points);
    // The whole image scaled into r, upright (y down), with the context's alpha and blend mode.
    void drawImage(const CGRect& r, const UIImage& image);
    // Fills the whole clip with a colour (no path involved).
    void paintColor(const CGColorRGBA& color);

private:
    void setSource(const CGColorRGBA& color);
    void paint(bool stroke, bool fill, bool evenOdd);

    cairo_t* m_cr;
    CGGState m_state;
    std::vector<CGGState> m_stack;
    cairo_matrix_t m_base{};
};

using CGContextRef = CGContext*;

// The platform's C-style calls, for code written in that style.
inline void CGContextSaveGState(CGContextRef c) { c->saveGState(); }
inline void CGContextRestoreGState(CGContextRef c) { c->restoreGState(); }
inline void CGContextSetFillColorWithColor(CGContextRef c, const UIColor& color) { c->setFillColor(color); }
inline void CGContextSetStrokeColorWithColor(CGContextRef c, const UIColor& color) { c->setStrokeColor(color); }
inline void CGContextSetFillColorWithColor(CGContextRef c, const objc::Ref<UIColor>& color) {
    if (color) c->setFillColor(*color);
}
inline void CGContextSetStrokeColorWithColor(CGContextRef c, const objc::Ref<UIColor>& color) {
    if (color) c->setStrokeColor(*color);
}
inline void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    c->setFillColor(r, g, b, a);
}
inline void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    c->setStrokeColor(r, g, b, a);
}
inline void CGContextSetLineWidth(CGContextRef c, CGFloat w) { c->setLineWidth(w); }
inline void CGContextSetLineCap(CGContextRef c, CGLineCap cap) { c->setLineCap(cap); }
inline void CGContextSetLineJoin(CGContextRef c, CGLineJoin join) { c->setLineJoin(join); }
inline void CGContextSetMiterLimit(CGContextRef c, CGFloat limit) { c->setMiterLimit(limit); }
inline void CGContextSetLineDash(CGContextRef c, CGFloat phase, const std::vector<CGFloat>& lengths) {
    c->setLineDash(phase, lengths);
}
inline void CGContextSetAlpha(CGContextRef c, CGFloat alpha) { c->setAlpha(alpha); }
inline void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode) { c->setBlendMode(mode); }
inline void CGContextSetShouldAntialias(CGContextRef c, bool on) { c->setShouldAntialias(on); }
inline void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) { c->translateCTM(tx, ty); }
inline void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) { c->scaleCTM(sx, sy); }
inline void CGContextRotateCTM(CGContextRef c, CGFloat angle) { c->rotateCTM(angle); }
inline void CGContextConcatCTM(CGContextRef c, const CGAffineTransform& t) { c->concatCTM(t); }
inline CGAffineTransform CGContextGetCTM(CGContextRef c) { return c->getCTM(); }
inline void CGContextClipToRect(CGContextRef c, const CGRect& r) { c->clipToRect(r); }
inline void CGContextClip(CGContextRef c) { c->clip(); }
inline void CGContextEOClip(CGContextRef c) { c->eoClip(); }
inline CGRect CGContextGetClipBoundingBox(CGContextRef c) { return c->getClipBoundingBox(); }
inline void CGContextBeginPath(CGContextRef c) { c->beginPath(); }
inline void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) { c->moveToPoint(x, y); }
inline void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y) { c->addLineToPoint(x, y); }
inline void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y) {
    c->addQuadCurveToPoint(cpx, cpy, x, y);
}
inline void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                                     CGFloat y) {
    c->addCurveToPoint(cp1x, cp1y, cp2x, cp2y, x, y);
}
inline void CGContextAddRect(CGContextRef c, const CGRect& r) { c->addRect(r); }
inline void CGContextAddEllipseInRect(CGContextRef c, const CGRect& r) { c->addEllipseInRect(r); }
inline void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat start, CGFloat end,
                            int clockwise) {
    c->addArc(x, y, radius, start, end, clockwise != 0);
}
inline void CGContextAddPath(CGContextRef c, const CGPathRef& path) { c->addPath(path); }
inline void CGContextClosePath(CGContextRef c) { c->closePath(); }
inline bool CGContextIsPathEmpty(CGContextRef c) { return c->isPathEmpty(); }
inline CGRect CGContextGetPathBoundingBox(CGContextRef c) { return c->getPathBoundingBox(); }
inline void CGContextStrokePath(CGContextRef c) { c->strokePath(); }
inline void CGContextFillPath(CGContextRef c) { c->fillPath(); }
inline void CGContextEOFillPath(CGContextRef c) { c->eoFillPath(); }
inline void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode) { c->drawPath(mode); }
inline void CGContextFillRect(CGContextRef c, const CGRect& r) { c->fillRect(r); }
inline void CGContextStrokeRect(CGContextRef c, const CGRect& r) { c->strokeRect(r); }
inline void CGContextStrokeRectWithWidth(CGContextRef c, const CGRect& r, CGFloat w) { c->strokeRectWithWidth(r, w); }
inline void CGContextClearRect(CGContextRef c, const CGRect& r) { c->clearRect(r); }
inline void CGContextFillEllipseInRect(CGContextRef c, const CGRect& r) { c->fillEllipseInRect(r); }
inline void CGContextStrokeEllipseInRect(CGContextRef c, const CGRect& r) { c->strokeEllipseInRect(r); }
inline void CGContextStrokeLineSegments(CGContextRef c, const std::vector<CGPoint>& points) {
    c->strokeLineSegments(points);
}
inline void CGContextDrawImage(CGContextRef c, const CGRect& r, const UIImage& image) { c->drawImage(r, image); }

}  // namespace ios
