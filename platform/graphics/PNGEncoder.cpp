#include "platform/graphics/PNGEncoder.h"

#include <array>
#include <csetjmp>
#include <system_error>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include "platform/foundation/SideThreads.h"

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

// --- Kept images of some size: two halves deflated side by side ---
//
// Each half's rows are Paeth-filtered and deflated as a raw stream of its own on a thread of its
// own; the first half ends on a byte boundary without a final block (a sync flush), so the two
// streams joined under one zlib header, with the checksum of the whole, are one valid stream.
// Runs reach back one pixel at most, so the split costs nothing in size. Always two halves, on
// any machine, so an image always encodes to the same bytes.

constexpr long long kSplitPixels = 512 * 512;

void putBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char type[4], const std::uint8_t* a, std::size_t aSize,
              const std::uint8_t* b = nullptr, std::size_t bSize = 0) {
    putBE32(out, static_cast<std::uint32_t>(aSize + bSize));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (aSize) out.insert(out.end(), a, a + aSize);
    if (bSize) out.insert(out.end(), b, b + bSize);
    putBE32(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
}

// x less its Paeth prediction from a (left), b (above) and c (above left).
std::uint8_t paethFiltered(int x, int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return static_cast<std::uint8_t>(x - (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
}

// Eight bytes side by side as 16-bit lanes: wide enough for the differences the prediction
// compares, narrow enough for eight at a time.
using ByteLanes = std::uint8_t __attribute__((vector_size(8)));
using WordLanes = std::int16_t __attribute__((vector_size(16)));

WordLanes widened(const std::uint8_t* p) {
    ByteLanes v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, WordLanes);
}

WordLanes absolute(WordLanes v) { return v < 0 ? -v : v; }

// A row Paeth-filtered, `bpp` bytes a pixel; the first pixel has nothing to its left. Every
// byte's prediction depends on the unfiltered row only, so eight are worked at once.
void paethRow(const std::uint8_t* __restrict row, const std::uint8_t* __restrict above, std::uint8_t* __restrict out,
              std::size_t size, std::size_t bpp) {
    constexpr std::size_t kLanes = sizeof(ByteLanes);
    for (std::size_t i = 0; i < bpp && i < size; ++i) out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
    std::size_t i = bpp;
    for (; i + kLanes <= size; i += kLanes) {
        const WordLanes x = widened(row + i), a = widened(row + i - bpp), b = widened(above + i),
                        c = widened(above + i - bpp);
        const WordLanes fromB = b - c, fromA = a - c;
        const WordLanes pa = absolute(fromB), pb = absolute(fromA), pc = absolute(fromB + fromA);
        const WordLanes predicted = ((pa <= pb) & (pa <= pc)) ? a : pb <= pc ? b : c;
        const ByteLanes filtered = __builtin_convertvector(x - predicted, ByteLanes);
        std::memcpy(out + i, &filtered, sizeof filtered);
    }
    for (; i < size; ++i) out[i] = paethFiltered(row[i], row[i - bpp], above[i], above[i - bpp]);
}

struct Half {
    std::vector<std::uint8_t> deflated;
    std::uint32_t adler = 1;
    std::size_t rawSize = 0;
    bool ok = false;
};

// Rows [first, last) filtered and deflated; `final` ends the stream, otherwise a sync flush.
void deflateRows(const std::uint8_t* pixels, int stride, int width, int first, int last, bool alpha, bool final,
                 Half& half) {
    const int bpp = alpha ? 4 : 3;
    const std::size_t rowBytes = std::size_t(width) * bpp;
    std::vector<std::uint8_t> previous(rowBytes, 0), current(rowBytes), filtered(rowBytes + 1);
    if (first > 0)
        convertRow(reinterpret_cast<const std::uint32_t*>(pixels + std::size_t(first - 1) * stride), width, alpha,
                   previous.data());
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK) return;
    half.deflated.resize(deflateBound(&z, static_cast<uLong>((rowBytes + 1) * std::size_t(last - first))) + 64);
    z.next_out = half.deflated.data();
    z.avail_out = static_cast<uInt>(half.deflated.size());
    bool ok = true;
    for (int y = first; y < last && ok; ++y) {
        convertRow(reinterpret_cast<const std::uint32_t*>(pixels + std::size_t(y) * stride), width, alpha,
                   current.data());
        filtered[0] = PNG_FILTER_VALUE_PAETH;
        paethRow(current.data(), previous.data(), filtered.data() + 1, rowBytes, std::size_t(bpp));
        half.adler = libdeflate_adler32(half.adler, filtered.data(), rowBytes + 1);
        half.rawSize += rowBytes + 1;
        z.next_in = filtered.data();
        z.avail_in = static_cast<uInt>(rowBytes + 1);
        const int flush = y + 1 < last ? Z_NO_FLUSH : final ? Z_FINISH : Z_SYNC_FLUSH;
        const int status = deflate(&z, flush);
        ok = z.avail_in == 0 && (flush == Z_FINISH ? status == Z_STREAM_END : status == Z_OK);
        previous.swap(current);
    }
    half.deflated.resize(half.deflated.size() - z.avail_out);
    deflateEnd(&z);
    half.ok = ok;
}

bool encodeInHalves(const std::uint8_t* pixels, int stride, int width, int height, const PNGEncoding& encoding,
                    std::vector<std::uint8_t>& out) {
    const int middle = height / 2;
    std::array<Half, 2> halves;
    // The second half on a thread of its own where one may be had, otherwise after the first.
    auto deflateSecond = [&] { deflateRows(pixels, stride, width, middle, height, encoding.alpha, true, halves[1]); };
    std::thread second;
    if (sideThreadsAllowed()) {
        try {
            second = std::thread(deflateSecond);
        } catch (const std::system_error&) {}
    }
    deflateRows(pixels, stride, width, 0, middle, encoding.alpha, false, halves[0]);
    if (second.joinable())
        second.join();
    else
        deflateSecond();
    if (!halves[0].ok || !halves[1].ok) return false;

    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.insert(out.end(), signature, signature + 8);
    std::vector<std::uint8_t> header;
    putBE32(header, static_cast<std::uint32_t>(width));
    putBE32(header, static_cast<std::uint32_t>(height));
    header.insert(
        header.end(),
        {8, static_cast<std::uint8_t>(encoding.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB), 0, 0, 0});
    putChunk(out, "IHDR", header.data(), header.size());
    if (encoding.sRGB) {
        const std::uint8_t intent = PNG_sRGB_INTENT_PERCEPTUAL;
        putChunk(out, "sRGB", &intent, 1);
    }
    // The zlib header (deflate, 32 KiB window, default level) starts the first half's data; the
    // checksum of all the filtered rows ends the second's.
    const std::uint8_t zlibHeader[2] = {0x78, 0x9C};
    putChunk(out, "IDAT", zlibHeader, 2, halves[0].deflated.data(), halves[0].deflated.size());
    std::vector<std::uint8_t> checksum;
    putBE32(checksum, static_cast<std::uint32_t>(
                          adler32_combine(halves[0].adler, halves[1].adler, static_cast<z_off_t>(halves[1].rawSize))));
    putChunk(out, "IDAT", halves[1].deflated.data(), halves[1].deflated.size(), checksum.data(), checksum.size());
    putChunk(out, "IEND", nullptr, 0);
    return true;
}

}  // namespace

bool PNGEncoder::encode(const std::uint8_t* pixels, int strideBytes, int width, int height, const PNGEncoding& encoding,
                        std::vector<std::uint8_t>& out) {
    if (!pixels || width <= 0 || height <= 0) return false;
    if (encoding.effort == PNGEncoding::Effort::Kept && height >= 2 &&
        static_cast<long long>(width) * height >= kSplitPixels &&
        encodeInHalves(pixels, strideBytes, width, height, encoding, out))
        return true;
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
