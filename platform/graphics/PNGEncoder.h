#pragma once
// Encodes Cairo's pixels (32 bits each, native endian: xRGB, or premultiplied ARGB) as PNG with
// libpng, appending to a byte vector. Premultiplied pixels are un-premultiplied as they are
// written, rounding to the nearest value.

#include <cstdint>
#include <vector>

#include <cairo.h>

namespace ios {

struct PNGEncoding {
    bool alpha = false;  // write RGBA from premultiplied ARGB; otherwise RGB from xRGB
    bool sRGB = false;   // an sRGB chunk (perceptual intent) says how the colours are meant
    // Kept: each row predicted from its neighbours (Paeth) and deflated as runs only; on screens
    // and mock-ups (flat areas, repeated rows) about as small as zlib's full search in a quarter of
    // its time; an image of 512 × 512 pixels or more is encoded in two halves on two threads.
    // Quick: the left neighbour and zlib's fastest level, larger but about twice as quick to write
    // and to read back, for frames on the loopback and the library's thumbnails.
    enum class Effort { Kept, Quick } effort = Effort::Kept;
};

class PNGEncoder {
public:
    // The `width` × `height` pixels starting at `pixels`, rows `strideBytes` apart. False (and
    // `out` as it was) when libpng fails or the size is empty.
    static bool encode(const std::uint8_t* pixels, int strideBytes, int width, int height, const PNGEncoding& encoding,
                       std::vector<std::uint8_t>& out);
    // An image surface (ARGB32 with alpha, RGB24 without), marked sRGB.
    static bool encodeSurface(cairo_surface_t* surface, PNGEncoding::Effort effort, std::vector<std::uint8_t>& out);
};

}  // namespace ios
