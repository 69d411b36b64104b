#include "platform/graphics/ImageDecoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "platform/graphics/ColorConversion.h"
#include "platform/graphics/ImageResample.h"
#include "platform/graphics/JpegError.h"
#include "platform/graphics/PNGQuickDecoder.h"

namespace ios {

static_assert(std::endian::native == std::endian::little, "Cairo's ARGB32 is read as bytes B, G, R, A");

namespace {

bool acceptable(long long w, long long h, std::string& error) {
    if (w <= 0 || h <= 0) {
        error = "empty image";
        return false;
    }
    if (w > ImageDecoder::kMaxSide || h > ImageDecoder::kMaxSide || w * h > ImageDecoder::kMaxPixels) {
        error = "image too large (" + std::to_string(w) + " × " + std::to_string(h) + ")";
        return false;
    }
    return true;
}

cairo_surface_t* newSurface(cairo_format_t format, int w, int h) {
    cairo_surface_t* surface = cairo_image_surface_create(format, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return surface;
}

// --- PNG, through libpng's reading API with its own interlace handling ---

struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0, position = 0;
    char message[160] = {};
    cairo_surface_t* surface = nullptr;
    std::vector<png_bytep> rows;
    std::shared_ptr<const ColorConversion> conversion;
    std::string colorError;
    ~PngState() {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (surface) cairo_surface_destroy(surface);
    }
};

void pngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->size - state->position) png_error(png, "truncated data");
    std::memcpy(out, state->bytes + state->position, length);
    state->position += length;
}

void pngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message ? message : "error");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// The colour space the file declares, by the PNG rule: iCCP, else sRGB, else cHRM and gAMA.
void pngColorSpace(PngState& s) {
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(s.png, s.info, &name, &compression, &profile, &length) && profile) {
        s.conversion = ColorConversion::fromICCProfile(profile, length, s.colorError);
        return;
    }
    int intent = 0;
    if (png_get_sRGB(s.png, s.info, &intent)) return;
    double gamma = 0;
    if (!png_get_gAMA(s.png, s.info, &gamma)) gamma = 0;
    std::optional<ColorConversion::Chromaticities> chrm;
    ColorConversion::Chromaticities c;
    if (png_get_cHRM(s.png, s.info, &c.whiteX, &c.whiteY, &c.redX, &c.redY, &c.greenX, &c.greenY, &c.blueX, &c.blueY))
        chrm = c;
    if (gamma != 0 || chrm) s.conversion = ColorConversion::fromGamma(gamma, chrm, s.colorError);
}

// Everything that may longjmp lives in `s`, so no destructor is skipped. The chunks before the
// image data: its size and its colour space.
bool readPNGInfo(PngState& s, std::string& error) {
    if (setjmp(png_jmpbuf(s.png))) {
        error = s.message[0] ? s.message : "corrupt PNG";
        return false;
    }
    png_read_info(s.png, s.info);
    const png_uint_32 w = png_get_image_width(s.png, s.info), h = png_get_image_height(s.png, s.info);
    if (!acceptable(w, h, error)) return false;
    pngColorSpace(s);
    return true;
}

// Then the pixels, as B, G, R, A bytes not yet premultiplied.
bool readPNGPixels(PngState& s, std::string& error) {
    if (setjmp(png_jmpbuf(s.png))) {
        error = s.message[0] ? s.message : "corrupt PNG";
        return false;
    }
    const png_uint_32 w = png_get_image_width(s.png, s.info), h = png_get_image_height(s.png, s.info);
    const int depth = png_get_bit_depth(s.png, s.info), type = png_get_color_type(s.png, s.info);

    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    const bool transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS);
    if (transparency) png_set_tRNS_to_alpha(s.png);
    if (depth == 16) png_set_scale_16(s.png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s.png);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !transparency) png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(s.png);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    if (png_get_rowbytes(s.png, s.info) != static_cast<png_size_t>(w) * 4) {
        error = "unexpected PNG row layout";
        return false;
    }
    s.surface = newSurface(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h));
    if (!s.surface) {
        error = "out of memory";
        return false;
    }
    unsigned char* data = cairo_image_surface_get_data(s.surface);
    const int stride = cairo_image_surface_get_stride(s.surface);
    s.rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) s.rows[y] = data + static_cast<std::size_t>(y) * stride;
    png_read_image(s.png, s.rows.data());
    png_read_end(s.png, nullptr);
    return true;
}

// Converts decoded B, G, R, A bytes into sRGB and premultiplies them in place.
void finishARGB(cairo_surface_t* surface, const ColorConversion* conversion) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = data + static_cast<std::size_t>(y) * stride;
        if (conversion) conversion->convertBGRA(row, static_cast<std::size_t>(w));
        premultiplyBGRA(row, static_cast<std::size_t>(w));
    }
    cairo_surface_mark_dirty(surface);
}

// A decoding whose colour conversion may still be due (a thumbnail converts after reducing).
struct Decoded {
    ImageDecoder::Result result;
    std::shared_ptr<const ColorConversion> conversion;
};

// Converts a surface's premultiplied pixels into sRGB.
void convertSurface(cairo_surface_t* surface, const ColorConversion& conversion) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = data + static_cast<std::size_t>(y) * stride;
        auto each = [&](auto&& f) {
            for (int x = 0; x < w; ++x)
                if (const unsigned a = row[x * 4 + 3]; a != 0 && a != 255) f(row + x * 4, a);
        };
        if (alpha)
            each([](std::uint8_t* p, unsigned a) {
                for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>(std::min(255u, (p[i] * 255 + a / 2) / a));
            });
        conversion.convertBGRA(row, static_cast<std::size_t>(w));
        if (alpha)
            each([](std::uint8_t* p, unsigned a) {
                for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>((p[i] * a + 127) / 255);
            });
    }
    cairo_surface_mark_dirty(surface);
}

std::unique_ptr<PngState> pngReader(const std::uint8_t* bytes, std::size_t size) {
    auto state = std::make_unique<PngState>();
    state->bytes = bytes;
    state->size = size;
    state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state.get(), pngError, pngWarning);
    if (state->png) state->info = png_create_info_struct(state->png);
    if (!state->png || !state->info) return nullptr;
    png_set_read_fn(state->png, state.get(), pngRead);
    return state;
}

Decoded decodePNG(const std::uint8_t* bytes, std::size_t size, bool deferColour) {
    Decoded decoded;
    ImageDecoder::Result& result = decoded.result;
    auto state = pngReader(bytes, size);
    if (!state) {
        result.error = "out of memory";
        return decoded;
    }
    if (!readPNGInfo(*state, result.error)) return decoded;
    if (!state->colorError.empty()) result.error = "colour profile ignored: " + state->colorError;
    if (deferColour) decoded.conversion = state->conversion;
    // Colours are converted before premultiplying, unless they wait for a thumbnail's reduction.
    const ColorConversion* convertNow = deferColour ? nullptr : state->conversion.get();
    // Most files' pixels take the quick path; libpng decodes everything else, and reports what is
    // wrong.
    if ((state->surface = decodePlainPNG(bytes, size, ImageDecoder::kMaxSide, ImageDecoder::kMaxPixels, !convertNow))) {
        if (convertNow) finishARGB(state->surface, convertNow);
    } else if (readPNGPixels(*state, result.error)) {
        finishARGB(state->surface, convertNow);
    } else {
        decoded.conversion.reset();
        return decoded;
    }
    result.surface = std::exchange(state->surface, nullptr);
    return decoded;
}

// --- JPEG ---

struct JpegState {
    jpeg_decompress_struct info{};
    JpegError error;
    bool created = false;
    cairo_surface_t* surface = nullptr;
    std::vector<JSAMPLE> row;
    JOCTET* icc = nullptr;
    unsigned int iccLength = 0;
    ~JpegState() {
        if (created) jpeg_destroy_decompress(&info);
        if (surface) cairo_surface_destroy(surface);
        std::free(icc);
    }
};

UIImageOrientation jpegOrientation(jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return ImageDecoder::exifOrientation(m->data + 6, m->data_length - 6);
    return UIImageOrientation::Up;
}

// Everything that may longjmp lives in `s`. minimumSide > 0 asks for the smallest reduced scale
// whose shorter side still has that many pixels.
bool readJPEG(JpegState& s, const std::uint8_t* bytes, std::size_t size, int minimumSide, std::string& error,
              UIImageOrientation& orientation) {
    jpeg_decompress_struct& info = s.info;
    if (setjmp(s.error.jump)) {
        error = s.error.message[0] ? s.error.message : "corrupt JPEG";
        return false;
    }
    jpeg_create_decompress(&info);
    s.created = true;
    info.mem->max_memory_to_use = 512L * 1024 * 1024;
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        error = "no JPEG image";
        return false;
    }
    if (!acceptable(info.image_width, info.image_height, error)) return false;
    orientation = jpegOrientation(info);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    if (minimumSide > 0) {
        const unsigned shorter = std::min(info.image_width, info.image_height);
        unsigned denominator = 8;
        while (denominator > 1 && (shorter + denominator - 1) / denominator < static_cast<unsigned>(minimumSide))
            denominator /= 2;
        info.scale_num = 1;
        info.scale_denom = denominator;
    }
    if (!cmyk) jpeg_read_icc_profile(&info, &s.icc, &s.iccLength);
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
    if (!acceptable(w, h, error)) return false;
    s.surface = newSurface(CAIRO_FORMAT_RGB24, w, h);
    if (!s.surface) {
        error = "out of memory";
        return false;
    }
    unsigned char* data = cairo_image_surface_get_data(s.surface);
    const int stride = cairo_image_surface_get_stride(s.surface);
    if (cmyk) s.row.assign(static_cast<std::size_t>(w) * 4, 0);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        auto* out = data + static_cast<std::size_t>(y) * stride;
        JSAMPROW rowPointer = cmyk ? s.row.data() : out;
        jpeg_read_scanlines(&info, &rowPointer, 1);
        if (!cmyk) continue;
        auto* pixels = reinterpret_cast<std::uint32_t*>(out);
        const JSAMPLE* src = s.row.data();
        for (int x = 0; x < w; ++x, src += 4) {
            // Adobe writes inverted CMYK.
            const unsigned k = src[3];
            pixels[x] = 0xFF000000u | ((src[0] * k / 255) << 16) | ((src[1] * k / 255) << 8) | (src[2] * k / 255);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

Decoded decodeJPEG(const std::uint8_t* bytes, std::size_t size, int minimumSide, bool deferColour) {
    Decoded decoded;
    ImageDecoder::Result& result = decoded.result;
    auto state = std::make_unique<JpegState>();
    state->info.err = state->error.install();
    if (!readJPEG(*state, bytes, size, minimumSide, result.error, result.orientation)) return decoded;
    if (state->icc) {
        std::string colorError;
        decoded.conversion = ColorConversion::fromICCProfile(state->icc, state->iccLength, colorError);
        if (!colorError.empty()) result.error = "colour profile ignored: " + colorError;
    }
    cairo_surface_mark_dirty(state->surface);
    if (decoded.conversion && !deferColour) {
        convertSurface(state->surface, *decoded.conversion);
        decoded.conversion.reset();
    }
    result.surface = std::exchange(state->surface, nullptr);
    return decoded;
}

}  // namespace

bool ImageDecoder::isPNG(const std::uint8_t* b, std::size_t n) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return b && n >= 8 && std::memcmp(b, signature, 8) == 0;
}

bool ImageDecoder::isJPEG(const std::uint8_t* b, std::size_t n) {
    return b && n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

UIImageOrientation ImageDecoder::exifOrientation(const std::uint8_t* tiff, std::size_t size) {
    if (!tiff || size < 8) return UIImageOrientation::Up;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return UIImageOrientation::Up;
    auto u16 = [&](std::size_t at) -> unsigned {
        return little ? tiff[at] | (tiff[at + 1] << 8) : (tiff[at] << 8) | tiff[at + 1];
    };
    auto u32 = [&](std::size_t at) -> std::size_t {
        return little ? std::size_t(u16(at)) | (std::size_t(u16(at + 2)) << 16)
                      : (std::size_t(u16(at)) << 16) | std::size_t(u16(at + 2));
    };
    if (u16(2) != 42) return UIImageOrientation::Up;
    const std::size_t ifd = u32(4);
    if (ifd > size - 2) return UIImageOrientation::Up;
    const unsigned entries = u16(ifd);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + std::size_t(i) * 12;
        if (entry + 12 > size) break;
        if (u16(entry) != 0x0112 || u16(entry + 2) != 3) continue;  // Orientation, SHORT
        static const UIImageOrientation byExif[9] = {
            UIImageOrientation::Up,           UIImageOrientation::Up,
            UIImageOrientation::UpMirrored,   UIImageOrientation::Down,
            UIImageOrientation::DownMirrored, UIImageOrientation::LeftMirrored,
            UIImageOrientation::Right,        UIImageOrientation::RightMirrored,
            UIImageOrientation::Left};
        const unsigned value = u16(entry + 8);
        return value <= 8 ? byExif[value] : UIImageOrientation::Up;
    }
    return UIImageOrientation::Up;
}

cairo_surface_t* ImageDecoder::upright(cairo_surface_t* surface, UIImageOrientation orientation) {
    if (orientation == UIImageOrientation::Up) return cairo_surface_reference(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const bool turned = orientation == UIImageOrientation::Left || orientation == UIImageOrientation::Right ||
                        orientation == UIImageOrientation::LeftMirrored ||
                        orientation == UIImageOrientation::RightMirrored;
    const int ow = turned ? h : w, oh = turned ? w : h;
    cairo_surface_t* out = newSurface(cairo_image_surface_get_format(surface), ow, oh);
    if (!out) return nullptr;
    const auto* src = cairo_image_surface_get_data(surface);
    auto* dst = cairo_image_surface_get_data(out);
    const int sstride = cairo_image_surface_get_stride(surface), dstride = cairo_image_surface_get_stride(out);
    // For each upright pixel (x, y), the stored pixel it shows.
    for (int y = 0; y < oh; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::size_t>(y) * dstride);
        for (int x = 0; x < ow; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case UIImageOrientation::Up: break;
            case UIImageOrientation::UpMirrored: sx = w - 1 - x; break;
            case UIImageOrientation::Down: sx = w - 1 - x, sy = h - 1 - y; break;
            case UIImageOrientation::DownMirrored: sy = h - 1 - y; break;
            case UIImageOrientation::LeftMirrored: sx = y, sy = x; break;
            case UIImageOrientation::Right: sx = y, sy = h - 1 - x; break;
            case UIImageOrientation::RightMirrored: sx = w - 1 - y, sy = h - 1 - x; break;
            case UIImageOrientation::Left: sx = w - 1 - y, sy = x; break;
            }
            row[x] = reinterpret_cast<const std::uint32_t*>(src + static_cast<std::size_t>(sy) * sstride)[sx];
        }
    }
    cairo_surface_mark_dirty(out);
    return out;
}

namespace {

Decoded decodeStored(const std::uint8_t* bytes, std::size_t size, int minimumSide, bool deferColour) {
    if (ImageDecoder::isPNG(bytes, size)) return decodePNG(bytes, size, deferColour);
    if (ImageDecoder::isJPEG(bytes, size)) return decodeJPEG(bytes, size, minimumSide, deferColour);
    Decoded decoded;
    decoded.result.error = "neither PNG nor JPEG";
    return decoded;
}

// Turns the stored pixels upright (keeping the reported orientation).
void makeUpright(ImageDecoder::Result& result) {
    if (!result.surface || result.orientation == UIImageOrientation::Up) return;
    cairo_surface_t* turned = ImageDecoder::upright(result.surface, result.orientation);
    cairo_surface_destroy(result.surface);
    result.surface = turned;
    if (!turned) result.error = "out of memory";
}

}  // namespace

ImageDecoder::Result ImageDecoder::decode(const std::uint8_t* bytes, std::size_t size) {
    Result result = decodeStored(bytes, size, 0, false).result;
    makeUpright(result);
    return result;
}

cairo_surface_t* ImageDecoder::reduced(cairo_surface_t* surface, int minimumSide) {
    minimumSide = std::max(1, minimumSide);
    // The size of a box average by the whole factor, then, when that is still more than a quarter
    // too large, of the shorter side brought to `minimumSide`: reached in one area average.
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    if (const int factor = std::min(w, h) / minimumSide; factor >= 2) {
        w = std::max(1, w / factor);
        h = std::max(1, h / factor);
    }
    if (std::min(w, h) * 4 > minimumSide * 5) {
        const double scale = double(minimumSide) / std::min(w, h);
        w = std::max(1, int(std::lround(w * scale)));
        h = std::max(1, int(std::lround(h * scale)));
    }
    if (w == cairo_image_surface_get_width(surface) && h == cairo_image_surface_get_height(surface))
        return cairo_surface_reference(surface);
    return areaAveraged(surface, w, h);
}

ImageDecoder::Result ImageDecoder::decodeThumbnail(const std::uint8_t* bytes, std::size_t size, int minimumSide) {
    minimumSide = std::max(1, minimumSide);
    // Colours are converted once the image is small.
    Decoded decoded = decodeStored(bytes, size, minimumSide, true);
    Result& result = decoded.result;
    if (result.surface) {
        cairo_surface_t* small = reduced(result.surface, minimumSide);
        cairo_surface_destroy(result.surface);
        result.surface = small;
        if (!small) result.error = "out of memory";
    }
    if (result.surface && decoded.conversion) convertSurface(result.surface, *decoded.conversion);
    makeUpright(result);
    return result;
}

}  // namespace ios
