#include "platform/graphics/UIImage.h"

#include <algorithm>
#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "platform/foundation/Process.h"
#include "platform/foundation/SideThreads.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/ImageResample.h"
#include "platform/graphics/JpegError.h"
#include "platform/graphics/PNGEncoder.h"
#include "platform/graphics/UIGraphics.h"

namespace ios {

OBJC_CLASS_DEFINE(UIImage, objc::Object)

namespace {

// Larger images are refused: the platform would run out of memory long before.
constexpr long long kMaxPixels = 50'000'000;
constexpr int kMaxDimension = 32767;

bool acceptableSize(long long w, long long h) {
    return w > 0 && h > 0 && w <= kMaxDimension && h <= kMaxDimension && w * h <= kMaxPixels;
}

void logImage(const std::string& line) {
    if (Process* process = Process::current()) process->log().write("Image: " + line);
}

bool readFile(const std::filesystem::path& path, UIImage::Data& out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// "name@3x" → 3; 0 when the stem has no scale suffix.
int scaleSuffix(const std::string& stem) {
    if (stem.size() < 3 || stem.back() != 'x') return 0;
    std::size_t at = stem.rfind('@');
    if (at == std::string::npos || at + 2 >= stem.size()) return 0;
    int n = 0;
    for (std::size_t i = at + 1; i + 1 < stem.size(); ++i) {
        if (stem[i] < '0' || stem[i] > '9') return 0;
        n = n * 10 + (stem[i] - '0');
        if (n > 10) return 0;
    }
    return n;
}

}  // namespace

std::shared_ptr<cairo_surface_t> adoptSurface(cairo_surface_t* surface) {
    return std::shared_ptr<cairo_surface_t>(surface, [](cairo_surface_t* s) {
        if (s) cairo_surface_destroy(s);
    });
}

void UIImage::init(std::shared_ptr<cairo_surface_t> surface, CGFloat scale, UIImageRenderingMode mode,
                   UIImageOrientation orientation) {
    m_surface = std::move(surface);
    m_scale = scale > 0 && std::isfinite(scale) ? scale : 1;
    m_mode = mode;
    m_orientation = orientation;
}

objc::Ref<UIImage> UIImage::imageWithDecoding(ImageDecoder::Result result, CGFloat scale) {
    if (!result.error.empty()) logImage(result.surface ? result.error : "cannot decode: " + result.error);
    if (!result.surface) return nullptr;
    return objc::make<UIImage>(adoptSurface(result.surface), scale, UIImageRenderingMode::Automatic,
                               result.orientation);
}

objc::Ref<UIImage> UIImage::imageWithData(const std::uint8_t* bytes, std::size_t size, CGFloat scale) {
    if (!bytes || size == 0) return nullptr;
    return imageWithDecoding(ImageDecoder::decode(bytes, size), scale);
}

objc::Ref<UIImage> UIImage::thumbnailWithData(const std::uint8_t* bytes, std::size_t size, int minimumSide) {
    if (!bytes || size == 0) return nullptr;
    return imageWithDecoding(ImageDecoder::decodeThumbnail(bytes, size, minimumSide), 1);
}

objc::Ref<UIImage> UIImage::thumbnailWithContentsOfHostFile(const std::filesystem::path& path, int minimumSide) {
    Data bytes;
    if (!readFile(path, bytes)) return nullptr;
    return thumbnailWithData(bytes.data(), bytes.size(), minimumSide);
}

objc::Ref<UIImage> UIImage::imageWithData(const Data& bytes, CGFloat scale) {
    return imageWithData(bytes.data(), bytes.size(), scale);
}

objc::Ref<UIImage> UIImage::imageWithSurface(cairo_surface_t* surface, CGFloat scale, UIImageRenderingMode mode) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return nullptr;
    cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return nullptr;
    cairo_surface_flush(surface);
    return objc::make<UIImage>(adoptSurface(cairo_surface_reference(surface)), scale, mode);
}

objc::Ref<UIImage> UIImage::imageWithSize(CGSize size, CGFloat scale, const std::function<void(CGContext&)>& draw,
                                          bool opaque) {
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    if (!(size.width > 0) || !(size.height > 0)) return nullptr;
    double pw = std::ceil(size.width * scale - 1e-9), ph = std::ceil(size.height * scale - 1e-9);
    if (!acceptableSize(static_cast<long long>(pw), static_cast<long long>(ph))) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
                                                          static_cast<int>(pw), static_cast<int>(ph));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    {
        CGContext context(surface, scale);
        if (draw) draw(context);
    }
    cairo_surface_flush(surface);
    return objc::make<UIImage>(adoptSurface(surface), scale, UIImageRenderingMode::Automatic);
}

namespace {

// The files a load of `path` tries, in order, with the scale each gives.
std::vector<std::pair<std::filesystem::path, int>> variantsOf(const std::filesystem::path& path, CGFloat screenScale) {
    const std::string stem = path.stem().string(), ext = path.extension().string();
    if (int n = scaleSuffix(stem)) return {{path, n}};
    std::vector<std::pair<std::filesystem::path, int>> variants;
    // A 1x screen takes the plain file first; others their own variant first.
    const int screen = static_cast<int>(std::lround(screenScale));
    if (screen <= 1) variants.emplace_back(path, 1);
    std::vector<int> scales;
    if (screen > 1) scales.push_back(screen);
    for (int s : {3, 2})
        if (s != screen) scales.push_back(s);
    for (int s : scales) variants.emplace_back(path.parent_path() / (stem + "@" + std::to_string(s) + "x" + ext), s);
    if (screen > 1) variants.emplace_back(path, 1);
    return variants;
}

// What identifies a file's contents cheaply: a file written again since differs in one of them.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const std::filesystem::path& file) {
    std::error_code ec;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(file, ec);
    if (ec) return std::nullopt;
    stamp.modified = std::filesystem::last_write_time(file, ec);
    if (ec) return std::nullopt;
    return stamp;
}

// Files of the process being decoded ahead, by host path. One thread per request decodes its
// files in the order given; each file's decode is handed over through its own future.
struct DecodesAhead {
    struct Decode {
        std::optional<FileStamp> stamp;  // none: the file could not be read
        ImageDecoder::Result result;
    };
    std::mutex mutex;
    std::map<std::filesystem::path, std::future<Decode>> pending;
    std::vector<std::thread> threads;

    // The decode of `file`, waited for, when one was started; it is handed over once.
    std::optional<Decode> take(const std::filesystem::path& file) {
        std::future<Decode> future;
        {
            std::lock_guard lock(mutex);
            auto it = pending.find(file);
            if (it == pending.end()) return std::nullopt;
            future = std::move(it->second);
            pending.erase(it);
        }
        return future.get();
    }
    ~DecodesAhead() {
        for (auto& thread : threads) thread.join();
        for (auto& [file, future] : pending)
            if (cairo_surface_t* surface = future.get().result.surface) cairo_surface_destroy(surface);
    }
};

}  // namespace

void UIImage::decodeContentsOfFilesAhead(const std::vector<std::string>& paths) {
    Process* process = Process::current();
    if (!process || paths.empty() || !sideThreadsAllowed()) return;  // the loads read the files themselves
    auto& ahead = process->attached<DecodesAhead>();
    std::vector<std::pair<std::filesystem::path, std::promise<DecodesAhead::Decode>>> work;
    {
        std::lock_guard lock(ahead.mutex);
        for (const auto& path : paths) {
            if (path.empty()) continue;
            // The first variant there is the one a load will read.
            for (auto& [file, scale] : variantsOf(devicePath(path), process->profile().scale)) {
                std::error_code ec;
                if (!std::filesystem::is_regular_file(file, ec)) continue;
                if (ahead.pending.count(file)) break;
                work.emplace_back(file, std::promise<DecodesAhead::Decode>());
                ahead.pending.emplace(file, work.back().second.get_future());
                break;
            }
        }
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : work) files.push_back(entry.first);
    auto decodeAll = [work = std::move(work)]() mutable {
        for (auto& [file, promise] : work) {
            DecodesAhead::Decode decode;
            decode.stamp = stampOf(file);
            UIImage::Data bytes;
            if (decode.stamp && readFile(file, bytes) && !bytes.empty())
                decode.result = ImageDecoder::decode(bytes.data(), bytes.size());
            else
                decode.stamp.reset();
            promise.set_value(std::move(decode));
        }
    };
    try {
        ahead.threads.emplace_back(std::move(decodeAll));
    } catch (const std::system_error&) {
        // No thread to be had: the loads read the files themselves.
        std::lock_guard lock(ahead.mutex);
        for (const auto& file : files) ahead.pending.erase(file);
    }
}

objc::Ref<UIImage> UIImage::imageWithContentsOfHostFile(const std::filesystem::path& path, CGFloat screenScale) {
    DecodesAhead* ahead = Process::current() ? &Process::current()->attached<DecodesAhead>() : nullptr;
    for (const auto& [file, scale] : variantsOf(path, screenScale)) {
        // A decode done ahead is taken when the file is still as it was read.
        std::optional<DecodesAhead::Decode> decoded = ahead ? ahead->take(file) : std::nullopt;
        if (decoded && decoded->stamp && decoded->stamp == stampOf(file)) {
            if (auto image = imageWithDecoding(std::exchange(decoded->result, {}), scale)) return image;
            continue;
        }
        if (decoded && decoded->result.surface) cairo_surface_destroy(decoded->result.surface);
        Data bytes;
        if (!readFile(file, bytes)) continue;
        if (auto image = imageWithData(bytes, scale)) return image;
    }
    return nullptr;
}

objc::Ref<UIImage> UIImage::imageWithContentsOfFile(const std::string& path) {
    if (path.empty()) return nullptr;
    if (Process* process = Process::current())
        return imageWithContentsOfHostFile(devicePath(path), process->profile().scale);
    return imageWithContentsOfHostFile(path, 1);
}

CGSize UIImage::size() const { return {pixelWidth() / m_scale, pixelHeight() / m_scale}; }
int UIImage::pixelWidth() const { return m_surface ? cairo_image_surface_get_width(m_surface.get()) : 0; }
int UIImage::pixelHeight() const { return m_surface ? cairo_image_surface_get_height(m_surface.get()) : 0; }
bool UIImage::isOpaque() const {
    return m_surface && cairo_image_surface_get_format(m_surface.get()) == CAIRO_FORMAT_RGB24;
}

objc::Ref<UIImage> UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const {
    return objc::make<UIImage>(m_surface, m_scale, mode, m_orientation);
}

void UIImage::drawInRect(const CGRect& rect) const {
    if (CGContextRef context = UIGraphicsGetCurrentContext()) context->drawImage(rect, *this);
}

void UIImage::drawInRect(const CGRect& rect, CGBlendMode mode, CGFloat alpha) const {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    context->saveGState();
    context->setBlendMode(mode);
    context->setAlpha(alpha);
    context->drawImage(rect, *this);
    context->restoreGState();
}

void UIImage::drawAtPoint(const CGPoint& point) const { drawInRect({point, size()}); }

namespace {

// Reduced copies of an immutable image surface, made on first use and kept with the surface:
// halvings for drawings at an angle, and the sizes it was last drawn at upright.
struct Reductions {
    std::vector<cairo_surface_t*> levels;  // levels[0] is half the size, levels[1] a quarter, …
    struct Fit {
        int width, height;
        cairo_surface_t* surface;
    };
    std::vector<Fit> fits;  // the most recently used first
    ~Reductions() {
        for (auto* level : levels) cairo_surface_destroy(level);
        for (auto& fit : fits) cairo_surface_destroy(fit.surface);
    }
};
const cairo_user_data_key_t kReductionsKey{};
// An image drawn at several sizes (a thumbnail, a preview, the canvas) keeps a copy for each of
// the last few.
constexpr std::size_t kKeptFits = 3;
// Below this scale Cairo's good filter samples through a kernel per pixel, which is slow; an
// upright drawing takes an area-averaged copy at its size instead.
constexpr double kKernelScale = 0.75;

// Each pixel the average of a 2 × 2 block: bilinear sampling at exactly half scale lands on the
// corner the four pixels share.
cairo_surface_t* halved(cairo_surface_t* source) {
    const int w = cairo_image_surface_get_width(source), h = cairo_image_surface_get_height(source);
    cairo_surface_t* half =
        cairo_image_surface_create(cairo_image_surface_get_format(source), (w + 1) / 2, (h + 1) / 2);
    cairo_t* cr = cairo_create(half);
    cairo_scale(cr, 0.5, 0.5);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return half;
}

Reductions* reductionsOf(cairo_surface_t* source) {
    auto* cache = static_cast<Reductions*>(cairo_surface_get_user_data(source, &kReductionsKey));
    if (cache) return cache;
    cache = new Reductions;
    if (cairo_surface_set_user_data(source, &kReductionsKey, cache,
                                    [](void* p) { delete static_cast<Reductions*>(p); }) != CAIRO_STATUS_SUCCESS) {
        delete cache;
        return nullptr;
    }
    return cache;
}

// The source area-averaged to `width` × `height`, kept for the next drawing at that size.
cairo_surface_t* fittedSurface(cairo_surface_t* source, int width, int height) {
    Reductions* cache = reductionsOf(source);
    if (!cache) return source;
    auto& fits = cache->fits;
    auto it = std::find_if(fits.begin(), fits.end(),
                           [&](const Reductions::Fit& f) { return f.width == width && f.height == height; });
    if (it == fits.end()) {
        cairo_surface_t* surface = areaAveraged(source, width, height);
        if (!surface) return source;
        if (fits.size() == kKeptFits) {
            cairo_surface_destroy(fits.back().surface);
            fits.pop_back();
        }
        fits.insert(fits.begin(), {width, height, surface});
    } else if (it != fits.begin()) {
        std::rotate(fits.begin(), it, it + 1);
    }
    return fits.front().surface;
}

// What an upright drawing covering `width` × `height` device pixels draws from: below the kernel
// scale, the source area-averaged to those pixels; otherwise the source itself.
cairo_surface_t* uprightSource(cairo_surface_t* source, double width, double height) {
    const int pw = cairo_image_surface_get_width(source), ph = cairo_image_surface_get_height(source);
    if (!(std::min(width / pw, height / ph) < kKernelScale)) return source;
    return fittedSurface(source, std::clamp(static_cast<int>(std::lround(width)), 1, pw),
                         std::clamp(static_cast<int>(std::lround(height)), 1, ph));
}

cairo_surface_t* reducedSurface(cairo_surface_t* source, int levels) {
    Reductions* cache = reductionsOf(source);
    if (!cache) return source;
    while (static_cast<int>(cache->levels.size()) < levels)
        cache->levels.push_back(halved(cache->levels.empty() ? source : cache->levels.back()));
    return cache->levels[static_cast<std::size_t>(levels - 1)];
}

// How many halvings bring a drawing `scale` (device pixels per image pixel) into (1/2, 1]: the
// good filter is sharp there, and far more costly at stronger reductions.
int reductionLevelsForScale(double scale) {
    int levels = 0;
    while (scale > 0 && scale * 2 <= 1 && levels < 12) {
        scale *= 2;
        ++levels;
    }
    return levels;
}

}  // namespace

void UIImage::prepareReduction(cairo_surface_t* surface, int width, int height) {
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return;
    const int pw = cairo_image_surface_get_width(surface), ph = cairo_image_surface_get_height(surface);
    if (width < 1 || height < 1 || pw < 1 || ph < 1) return;
    uprightSource(surface, width, height);
}

void UIImage::paint(cairo_t* cr, const CGRect& rect, CGFloat alpha, const UIColor* templateTint) const {
    int pw = pixelWidth(), ph = pixelHeight();
    if (!cr || pw == 0 || ph == 0 || !(alpha > 0)) return;
    CGRect r = CGRectStandardize(rect);
    if (!(r.size.width > 0) || !(r.size.height > 0) ||
        !std::isfinite(r.size.width + r.size.height + r.origin.x + r.origin.y))
        return;
    cairo_save(cr);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_clip(cr);
    cairo_translate(cr, r.origin.x, r.origin.y);

    // A strong reduction draws from a reduced copy of the image: upright, one area-averaged to
    // the pixels it covers; at an angle, a halved one.
    cairo_surface_t* source = m_surface.get();
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    const double sx = std::hypot(ctm.xx, ctm.yx) * r.size.width / pw,
                 sy = std::hypot(ctm.xy, ctm.yy) * r.size.height / ph;
    if (ctm.xy == 0 && ctm.yx == 0)
        source = uprightSource(source, sx * pw, sy * ph);
    else if (int levels = reductionLevelsForScale(std::max(sx, sy)); levels > 0)
        source = reducedSurface(source, levels);
    pw = cairo_image_surface_get_width(source);
    ph = cairo_image_surface_get_height(source);
    cairo_scale(cr, r.size.width / pw, r.size.height / ph);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    // Pad the edges so a scaled image does not fade out towards its border.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    alpha = std::min(alpha, 1.0);
    if (templateTint) {
        cairo_set_source_rgba(cr, templateTint->red(), templateTint->green(), templateTint->blue(),
                              templateTint->alpha() * alpha);
        cairo_mask(cr, pattern);
    } else {
        cairo_set_source(cr, pattern);
        if (alpha >= 1)
            cairo_paint(cr);
        else
            cairo_paint_with_alpha(cr, alpha);
    }
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
}

UIImage::Data UIImage::pngRepresentation() const {
    Data out;
    if (!m_surface || pixelWidth() == 0 || pixelHeight() == 0) return out;
    if (!PNGEncoder::encodeSurface(m_surface.get(), PNGEncoding::Effort::Kept, out)) out.clear();
    return out;
}

UIImage::Data UIImage::jpegRepresentation(CGFloat quality) const {
    Data out;
    int w = pixelWidth(), h = pixelHeight();
    if (w == 0 || h == 0) return out;
    cairo_surface_flush(m_surface.get());
    const unsigned char* data = cairo_image_surface_get_data(m_surface.get());
    int stride = cairo_image_surface_get_stride(m_surface.get());

    jpeg_compress_struct info;
    JpegError error;
    info.err = error.install();
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * 3);
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 100)), TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* src =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(info.next_scanline) * stride);
        // Transparent parts come out black, as the premultiplied pixels are.
        for (int x = 0; x < w; ++x) {
            row[x * 3] = (src[x] >> 16) & 0xFF;
            row[x * 3 + 1] = (src[x] >> 8) & 0xFF;
            row[x * 3 + 2] = src[x] & 0xFF;
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return out;
}

bool UIImage::writePNG(const std::filesystem::path& hostPath) const {
    Data bytes = pngRepresentation();
    if (bytes.empty()) return false;
    std::ofstream out(hostPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

UIImage::RGBA UIImage::pixelAt(int x, int y) const {
    if (!m_surface || x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) return {};
    cairo_surface_flush(m_surface.get());
    const unsigned char* data = cairo_image_surface_get_data(m_surface.get());
    int stride = cairo_image_surface_get_stride(m_surface.get());
    std::uint32_t p = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride)[x];
    std::uint8_t a = isOpaque() ? 255 : static_cast<std::uint8_t>(p >> 24);
    if (a == 0) return {};
    auto un = [a](std::uint32_t c) {
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
    };
    return {un((p >> 16) & 0xFF), un((p >> 8) & 0xFF), un(p & 0xFF), a};
}

UIImage::RGBA UIImage::pixelAtPoint(CGPoint p) const {
    return pixelAt(static_cast<int>(std::floor(p.x * m_scale)), static_cast<int>(std::floor(p.y * m_scale)));
}

UIImage::Data UIImagePNGRepresentation(const objc::Ref<UIImage>& image) {
    return image ? image->pngRepresentation() : UIImage::Data{};
}

UIImage::Data UIImageJPEGRepresentation(const objc::Ref<UIImage>& image, CGFloat quality) {
    return image ? image->jpegRepresentation(quality) : UIImage::Data{};
}

}  // namespace ios
