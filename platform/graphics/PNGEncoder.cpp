#include "platform/graphics/PNGEncoder.h"

#include <csetjmp>

#include <png.h>
#include <zlib.h>

namespace ios {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

std::uint8_t unpremultiplied(std::uint32_t channel, std::uint32_t alpha) {
    return static_cast<std::uint8_t>((channel * 255 + alpha / 2) / alpha);
}

void convertRow(const std::uint32_t* src, int width, bool alpha, std::uint8_t* row) {
    if (!alpha) {
        for (int x = 0; x < width; ++x, row += 3) {
            row[0] = static_cast<std::uint8_t>(src[x] >> 16);
            row[1] = static_cast<std::uint8_t>(src[x] >> 8);
            row[2] = static_cast<std::uint8_t>(src[x]);
        }
        return;
    }
    for (int x = 0; x < width; ++x, row += 4) {
        const std::uint32_t p = src[x], a = p >> 24;
        if (a == 255) {
            row[0] = static_cast<std::uint8_t>(p >> 16);
            row[1] = static_cast<std::uint8_t>(p >> 8);
            row[2] = static_cast<std::uint8_t>(p);
        } else if (a == 0) {
            row[0] = row[1] = row[2] = 0;
        } else {
            row[0] = unpremultiplied((p >> 16) & 0xFF, a);
            row[1] = unpremultiplied((p >> 8) & 0xFF, a);
            row[2] = unpremultiplied(p & 0xFF, a);
        }
        row[3] = static_cast<std::uint8_t>(a);
    }
}

}  // namespace

bool PNGEncoder::encode(const std::uint8_t* pixels, int strideBytes, int width, int height, const PNGEncoding& encoding,
                        std::vector<std::uint8_t>& out) {
    if (!pixels || width <= 0 || height <= 0) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const std::size_t before = out.size();
    std::vector<std::uint8_t> row(std::size_t(width) * (encoding.alpha ? 4 : 3));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.resize(before);
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 encoding.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (encoding.sRGB) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    if (encoding.effort == PNGEncoding::Effort::Kept) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
        png_set_compression_strategy(png, Z_RLE);
    } else {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
        png_set_compression_level(png, 1);
    }
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        convertRow(reinterpret_cast<const std::uint32_t*>(pixels + std::size_t(y) * strideBytes), width, encoding.alpha,
                   row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool PNGEncoder::encodeSurface(cairo_surface_t* surface, PNGEncoding::Effort effort, std::vector<std::uint8_t>& out) {
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    cairo_surface_flush(surface);
    PNGEncoding encoding;
    encoding.alpha = cairo_image_surface_get_format(surface) != CAIRO_FORMAT_RGB24;
    encoding.sRGB = true;
    encoding.effort = effort;
    return encode(cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface),
                  cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface), encoding, out);
}

}  // namespace ios
