#include "platform/graphics/UIGraphics.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"

namespace ios {

namespace {

struct Entry {
    CGContextRef context = nullptr;      // null for an image context that could not be made
    std::unique_ptr<CGContext> owned;    // image contexts own theirs
    cairo_surface_t* surface = nullptr;  // image contexts only
    CGFloat scale = 1;
    bool isImage = false;
};

std::vector<Entry>& stack() {
    static std::vector<Entry> entries;
    return entries;
}

}  // namespace

CGFloat mainScreenScale() {
    if (Process* process = Process::current()) return process->profile().scale;
    return 1;
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
    Entry entry;
    entry.isImage = true;
    if (!(scale > 0) || !std::isfinite(scale)) scale = mainScreenScale();
    entry.scale = scale;
    // A degenerate size gives no context, but still an entry, so that the matching end balances.
    if (size.width > 0 && size.height > 0 && std::isfinite(size.width) && std::isfinite(size.height)) {
        double pw = std::ceil(size.width * scale - 1e-9), ph = std::ceil(size.height * scale - 1e-9);
        if (pw >= 1 && ph >= 1 && pw <= 32767 && ph <= 32767) {
            cairo_surface_t* surface = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
                                                                  static_cast<int>(pw), static_cast<int>(ph));
            if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
                entry.surface = surface;
                entry.owned = std::make_unique<CGContext>(surface, scale);
                entry.context = entry.owned.get();
            } else {
                cairo_surface_destroy(surface);
            }
        }
    }
    if (!entry.context)
        NSLog("UIGraphicsBeginImageContext: no bitmap for size %@ at scale %@", NSStringFromCGSize(size),
              std::to_string(scale));
    stack().push_back(std::move(entry));
}

objc::Ref<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
    if (stack().empty()) return nullptr;
    Entry& top = stack().back();
    if (!top.isImage || !top.surface) return nullptr;
    cairo_surface_flush(top.surface);
    int w = cairo_image_surface_get_width(top.surface), h = cairo_image_surface_get_height(top.surface);
    cairo_format_t format = cairo_image_surface_get_format(top.surface);
    cairo_surface_t* copy = cairo_image_surface_create(format, w, h);
    if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(copy);
        return nullptr;
    }
    cairo_surface_flush(copy);
    const unsigned char* src = cairo_image_surface_get_data(top.surface);
    unsigned char* dst = cairo_image_surface_get_data(copy);
    int srcStride = cairo_image_surface_get_stride(top.surface), dstStride = cairo_image_surface_get_stride(copy);
    for (int y = 0; y < h; ++y)
        std::memcpy(dst + static_cast<std::size_t>(y) * dstStride, src + static_cast<std::size_t>(y) * srcStride,
                    static_cast<std::size_t>(w) * 4);
    cairo_surface_mark_dirty(copy);
    return objc::make<UIImage>(adoptSurface(copy), top.scale, UIImageRenderingMode::Automatic);
}

void UIGraphicsEndImageContext() {
    if (stack().empty() || !stack().back().isImage) return;
    Entry entry = std::move(stack().back());
    stack().pop_back();
    entry.owned.reset();
    if (entry.surface) cairo_surface_destroy(entry.surface);
}

CGContextRef UIGraphicsGetCurrentContext() { return stack().empty() ? nullptr : stack().back().context; }

void UIGraphicsPushContext(CGContextRef context) {
    Entry entry;
    entry.context = context;
    stack().push_back(std::move(entry));
}

void UIGraphicsPopContext() {
    if (stack().empty() || stack().back().isImage) return;
    stack().pop_back();
}

int UIGraphicsContextDepthForTesting() { return static_cast<int>(stack().size()); }

void UIRectFill(const CGRect& rect) {
    if (CGContextRef c = UIGraphicsGetCurrentContext()) c->fillRect(rect);
}

void UIRectFillUsingBlendMode(const CGRect& rect, CGBlendMode mode) {
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    c->saveGState();
    c->setBlendMode(mode);
    c->fillRect(rect);
    c->restoreGState();
}

void UIRectClip(const CGRect& rect) {
    if (CGContextRef c = UIGraphicsGetCurrentContext()) c->clipToRect(rect);
}

}  // namespace ios
