#pragma once
// Bitmap images: pixels (a Cairo image surface, premultiplied ARGB32, or RGB24 when opaque), a
// scale (pixels per point) and a rendering mode. Images are immutable; copies with another
// rendering mode share the pixels.
//
// Loading: imageWithContentsOfFile takes a device path and prefers the "name@Nx.ext" variant
// for the screen's scale N (N > 1), then @3x, @2x and the plain name; a 1x screen takes the plain
// name first. PNG or JPEG is told by content.
// Undecodable or truncated bytes give none (with a log line), never a crash. Decoding converts
// colours into sRGB and turns a camera JPEG upright (ImageDecoder): the pixels are always
// upright, and imageOrientation reports how the file had stored them.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <cairo.h>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/UIColor.h"
#include "platform/objc/Runtime.h"

namespace ios {

class CGContext;
enum class CGBlendMode;

enum class UIImageRenderingMode { Automatic = 0, AlwaysOriginal = 1, AlwaysTemplate = 2 };

class UIImage : public objc::Object {
    OBJC_CLASS_DECLARE(UIImage)
public:
    using Data = std::vector<std::uint8_t>;

    // Device path (mapped under the current process's device root; used as a host path when no
    // process exists). The screen scale is the current process's, else 1.
    static objc::Ref<UIImage> imageWithContentsOfFile(const std::string& path);
    // Host path with an explicit screen scale for the @Nx lookup.
    static objc::Ref<UIImage> imageWithContentsOfHostFile(const std::filesystem::path& path, CGFloat screenScale);
    // Starts reading and decoding the files imageWithContentsOfFile would load for these device
    // paths, one after the other on a thread of the current process, so that the process can go
    // on meanwhile; a later load of such a file waits for its decode and takes it (once; a file
    // changed since it was read is read again). Without a current process, or where side threads are
    // not allowed, nothing.
    static void decodeContentsOfFilesAhead(const std::vector<std::string>& paths);
    // PNG or JPEG bytes; none when they are not a decodable image.
    static objc::Ref<UIImage> imageWithData(const Data& bytes, CGFloat scale = 1);
    static objc::Ref<UIImage> imageWithData(const std::uint8_t* bytes, std::size_t size, CGFloat scale = 1);
    // Reduced at decoding so the shorter side is about `minimumSide` pixels (scale 1).
    static objc::Ref<UIImage> thumbnailWithData(const std::uint8_t* bytes, std::size_t size, int minimumSide);
    static objc::Ref<UIImage> thumbnailWithContentsOfHostFile(const std::filesystem::path& path, int minimumSide);
    // The image of a decode done elsewhere (on another thread, say), adopting its surface; a
    // refusal or a note (an ignored colour profile) is logged as imageWithData logs it. None when
    // the decode was refused.
    static objc::Ref<UIImage> imageWithDecoding(ImageDecoder::Result result, CGFloat scale = 1);
    // Makes now the reduced copy that paint takes for an upright drawing of `surface` covering
    // `width` × `height` device pixels, so that the drawing finds it made (for a decode done on
    // another thread, say, while no one else holds the surface). Nothing when such a drawing
    // would not use one.
    static void prepareReduction(cairo_surface_t* surface, int width, int height);
    // Adopts a new reference to an image surface (ARGB32 or RGB24); none for anything else.
    // The caller must not draw into the surface afterwards.
    static objc::Ref<UIImage> imageWithSurface(cairo_surface_t* surface, CGFloat scale,
                                               UIImageRenderingMode mode = UIImageRenderingMode::Automatic);
    // A transparent bitmap of ceil(size × scale) pixels, drawn by `draw` in points.
    static objc::Ref<UIImage> imageWithSize(CGSize size, CGFloat scale, const std::function<void(CGContext&)>& draw,
                                            bool opaque = false);

    CGSize size() const;  // in points: pixels / scale
    CGFloat scale() const { return m_scale; }
    int pixelWidth() const;
    int pixelHeight() const;
    bool isOpaque() const;
    UIImageRenderingMode renderingMode() const { return m_mode; }
    UIImageOrientation imageOrientation() const { return m_orientation; }
    objc::Ref<UIImage> imageWithRenderingMode(UIImageRenderingMode mode) const;
    cairo_surface_t* surface() const { return m_surface.get(); }

    // Draws into the current UIGraphics context (nothing when there is none), upright, the whole
    // image scaled into the rectangle, in its own colours.
    void drawInRect(const CGRect& rect) const;
    void drawInRect(const CGRect& rect, CGBlendMode mode, CGFloat alpha) const;
    void drawAtPoint(const CGPoint& point) const;

    // Paints into cr, in cr's user space: the whole image scaled into rect. With a tint the image
    // is drawn as a template: its alpha as a mask filled with the tint colour. Callers pass a tint
    // only when they want template rendering (an image view whose image is AlwaysTemplate, a
    // layer with a template tint). A strong reduction draws from a reduced copy kept with the
    // pixels: area-averaged to the size drawn when upright, halved when at an angle.
    void paint(cairo_t* cr, const CGRect& rect, CGFloat alpha = 1, const UIColor* templateTint = nullptr) const;

    // Encoded bytes; empty when encoding fails. quality is 0 ... 1. PNGs say they are sRGB.
    Data pngRepresentation() const;
    Data jpegRepresentation(CGFloat quality) const;
    bool writePNG(const std::filesystem::path& hostPath) const;

    // Unpremultiplied pixel at device pixel (x, y); transparent black outside the image.
    struct RGBA {
        std::uint8_t r = 0, g = 0, b = 0, a = 0;
        friend bool operator==(const RGBA&, const RGBA&) = default;
    };
    RGBA pixelAt(int x, int y) const;
    // The pixel under a point (in points), scaled by the image's scale.
    RGBA pixelAtPoint(CGPoint p) const;

    void init(std::shared_ptr<cairo_surface_t> surface, CGFloat scale, UIImageRenderingMode mode,
              UIImageOrientation orientation = UIImageOrientation::Up);

protected:
    UIImage() = default;

private:
    std::shared_ptr<cairo_surface_t> m_surface;
    CGFloat m_scale = 1;
    UIImageRenderingMode m_mode = UIImageRenderingMode::Automatic;
    UIImageOrientation m_orientation = UIImageOrientation::Up;
};

using UIImageRef = objc::Ref<UIImage>;

// The platform's encoders; empty data for no image.
UIImage::Data UIImagePNGRepresentation(const objc::Ref<UIImage>& image);
UIImage::Data UIImageJPEGRepresentation(const objc::Ref<UIImage>& image, CGFloat quality);

// Shared ownership of a Cairo surface reference (adopts the given reference).
std::shared_ptr<cairo_surface_t> adoptSurface(cairo_surface_t* surface);

}  // namespace ios
