#include "platform/graphics/PNGQuickDecoder.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <libdeflate.h>

namespace ios {

static_assert(std::endian::native == std::endian::little, "Cairo's ARGB32 is written as bytes B, G, R, A");

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Larger images go through libpng, which decodes row by row instead of holding all the inflated
// rows at once.
constexpr std::size_t kMostInflatedBytes = 128u << 20;

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// What the chunks say, when they say nothing this path does not handle.
struct Layout {
    std::uint32_t width = 0, height = 0;
    int bpp = 0;                                                    // 3 for RGB, 4 for RGBA
    std::vector<std::pair<const std::uint8_t*, std::size_t>> data;  // the IDAT chunks in order
};

bool readChunks(const std::uint8_t* bytes, std::size_t size, Layout& layout) {
    if (size < 8 || std::memcmp(bytes, kSignature, 8) != 0) return false;
    std::size_t at = 8;
    bool header = false, dataEnded = false;
    while (true) {
        if (size - at < 12) return false;  // cut short before IEND
        const std::uint32_t length = be32(bytes + at);
        if (length > size - at - 12) return false;
        const std::uint8_t* type = bytes + at + 4;
        const std::uint8_t* body = type + 4;
        if (libdeflate_crc32(0, type, length + 4) != be32(body + length)) return false;
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        at += 12 + std::size_t(length);
        if (!header) {
            // IHDR first: 8 bits a channel, RGB (2) or RGBA (6), deflate, adaptive filters, no
            // interlacing.
            if (name != "IHDR" || length != 13 || body[8] != 8 || (body[9] != 2 && body[9] != 6) || body[10] != 0 ||
                body[11] != 0 || body[12] != 0)
                return false;
            layout.width = be32(body);
            layout.height = be32(body + 4);
            layout.bpp = body[9] == 6 ? 4 : 3;
            header = true;
            continue;
        }
        if (name == "IDAT") {
            if (dataEnded) return false;  // image data must be one run of chunks
            layout.data.emplace_back(body, length);
            continue;
        }
        if (!layout.data.empty()) dataEnded = true;
        if (name == "IEND") return !layout.data.empty();
        // A transparent colour, and any critical chunk but those above (a palette, say).
        if (name == "tRNS" || !(name[0] & 0x20)) return false;
    }
}

// A pixel's channels side by side (up to four; the unused lanes stay zero), so that the filters
// whose prediction depends on the pixel just decoded work a pixel at a time, without branches.
using PixelLanes = int __attribute__((vector_size(16)));

template <std::size_t bpp>
PixelLanes load(const std::uint8_t* p) {
    if constexpr (bpp == 4) return PixelLanes{p[0], p[1], p[2], p[3]};
    return PixelLanes{p[0], p[1], p[2], 0};
}

template <std::size_t bpp>
void store(std::uint8_t* p, PixelLanes v) {
    p[0] = static_cast<std::uint8_t>(v[0]);
    p[1] = static_cast<std::uint8_t>(v[1]);
    p[2] = static_cast<std::uint8_t>(v[2]);
    if constexpr (bpp == 4) p[3] = static_cast<std::uint8_t>(v[3]);
}

// Average: the mean of left and above.
template <std::size_t bpp>
void unfilterAverage(const std::uint8_t* in, std::uint8_t* row, const std::uint8_t* above, std::size_t size) {
    PixelLanes left = {0, 0, 0, 0};
    for (std::size_t i = 0; i < size; i += bpp) {
        left = (load<bpp>(in + i) + ((left + load<bpp>(above + i)) >> 1)) & 255;
        store<bpp>(row + i, left);
    }
}

// Paeth: of left (a), above (b) and above left (c), the one nearest a + b - c.
template <std::size_t bpp>
void unfilterPaeth(const std::uint8_t* in, std::uint8_t* row, const std::uint8_t* above, std::size_t size) {
    PixelLanes a = {0, 0, 0, 0}, c = {0, 0, 0, 0};
    for (std::size_t i = 0; i < size; i += bpp) {
        const PixelLanes b = load<bpp>(above + i);
        PixelLanes pa = b - c, pb = a - c, pc = pa + pb;
        pa = pa < 0 ? -pa : pa;
        pb = pb < 0 ? -pb : pb;
        pc = pc < 0 ? -pc : pc;
        const PixelLanes bOrC = pb <= pc ? b : c;
        a = (load<bpp>(in + i) + (((pa <= pb) & (pa <= pc)) ? a : bOrC)) & 255;
        store<bpp>(row + i, a);
        c = b;
    }
}

// Undoes the filter of the row `in` into `row`; `above` is the previous row, unfiltered (zeros
// for the first).
bool unfilter(int filter, const std::uint8_t* in, std::uint8_t* row, const std::uint8_t* above, std::size_t size,
              std::size_t bpp) {
    switch (filter) {
    case 0: std::memcpy(row, in, size); return true;
    case 1:
        std::memcpy(row, in, bpp);
        for (std::size_t i = bpp; i < size; ++i) row[i] = static_cast<std::uint8_t>(in[i] + row[i - bpp]);
        return true;
    case 2:
        for (std::size_t i = 0; i < size; ++i) row[i] = static_cast<std::uint8_t>(in[i] + above[i]);
        return true;
    case 3:
        if (bpp == 4)
            unfilterAverage<4>(in, row, above, size);
        else
            unfilterAverage<3>(in, row, above, size);
        return true;
    case 4:
        if (bpp == 4)
            unfilterPaeth<4>(in, row, above, size);
        else
            unfilterPaeth<3>(in, row, above, size);
        return true;
    default: return false;
    }
}

// R, G, B, A pixels as Cairo's B, G, R, A: red and blue trade places. Pixels go in blocks of a
// fixed size, which compilers vectorise.
void swapRedAndBlue(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, std::size_t pixels) {
    auto one = [&](std::size_t i) {
        std::uint32_t p;
        std::memcpy(&p, in + i * 4, 4);
        p = (p & 0xFF00FF00u) | (p & 0xFFu) << 16 | (p >> 16 & 0xFFu);
        std::memcpy(out + i * 4, &p, 4);
    };
    constexpr std::size_t kBlock = 8;
    std::size_t i = 0;
    for (; i + kBlock <= pixels; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) one(i + k);
    for (; i < pixels; ++i) one(i);
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

}  // namespace

void premultiplyBGRA(std::uint8_t* pixels, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, pixels += 4) {
        const unsigned a = pixels[3];
        if (a == 255) continue;
        for (int c = 0; c < 3; ++c) pixels[c] = static_cast<std::uint8_t>((pixels[c] * a + 127) / 255);
    }
}

cairo_surface_t* decodePlainPNG(const std::uint8_t* bytes, std::size_t size, int maxSide, long long maxPixels,
                                bool premultiply) {
    Layout layout;
    if (!bytes || !readChunks(bytes, size, layout)) return nullptr;
    const std::uint32_t w = layout.width, h = layout.height;
    if (w == 0 || h == 0 || w > std::uint32_t(maxSide) || h > std::uint32_t(maxSide) ||
        static_cast<long long>(w) * h > maxPixels)
        return nullptr;
    const std::size_t rowBytes = std::size_t(w) * std::size_t(layout.bpp);
    const std::size_t inflatedSize = (rowBytes + 1) * h;
    if (inflatedSize > kMostInflatedBytes) return nullptr;

    // The image data as one zlib stream: in place when it is one chunk.
    std::vector<std::uint8_t> joined;
    const std::uint8_t* stream = layout.data.front().first;
    std::size_t streamSize = layout.data.front().second;
    if (layout.data.size() > 1) {
        for (const auto& [chunk, length] : layout.data) joined.insert(joined.end(), chunk, chunk + length);
        stream = joined.data();
        streamSize = joined.size();
    }
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(libdeflate_alloc_decompressor());
    if (!decompressor) return nullptr;

    // One block holds first the inflated rows, at its end, then the pixels, from its start, so the
    // image costs about its own memory only: each row is unfiltered aside, then written out. The
    // inflated rows start far enough in (by a pixel's missing byte per pixel, for RGB) that the
    // pixels written never reach a row not yet read.
    const std::size_t stride = std::size_t(w) * 4, blockSize = (stride + 1) * h;
    auto* block = static_cast<std::uint8_t*>(std::malloc(blockSize));
    if (!block) return nullptr;
    std::uint8_t* const inflated = block + (blockSize - inflatedSize);
    std::size_t used = 0, made = 0;
    // Exactly the rows, and nothing after the stream (libpng has its say on any other case).
    if (libdeflate_zlib_decompress_ex(decompressor.get(), stream, streamSize, inflated, inflatedSize, &used, &made) !=
            LIBDEFLATE_SUCCESS ||
        used != streamSize || made != inflatedSize) {
        std::free(block);
        return nullptr;
    }
    std::vector<std::uint8_t> rows(rowBytes * 2, 0), zeros(rowBytes, 0);
    const std::uint8_t* above = zeros.data();
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* in = inflated + std::size_t(y) * (rowBytes + 1);
        std::uint8_t* row = rows.data() + (y % 2) * rowBytes;
        if (!unfilter(in[0], in + 1, row, above, rowBytes, std::size_t(layout.bpp))) {
            std::free(block);
            return nullptr;
        }
        above = row;
        // Into B, G, R, A bytes, as libpng's decoding gives them.
        std::uint8_t* out = block + std::size_t(y) * stride;
        if (layout.bpp == 3) {
            for (std::uint32_t x = 0; x < w; ++x, row += 3, out += 4) {
                out[0] = row[2];
                out[1] = row[1];
                out[2] = row[0];
                out[3] = 255;
            }
        } else {
            swapRedAndBlue(row, out, w);
            if (premultiply) premultiplyBGRA(out, w);
        }
    }
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(block, CAIRO_FORMAT_ARGB32, int(w), int(h), static_cast<int>(stride));
    static const cairo_user_data_key_t kBlockKey{};
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(surface, &kBlockKey, block, std::free) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        std::free(block);
        return nullptr;
    }
    if (premultiply) cairo_surface_mark_dirty(surface);
    return surface;
}

}  // namespace ios
