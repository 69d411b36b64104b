#pragma once
// Decodes the pixels of the PNGs most files are (8-bit RGB or RGBA, not interlaced, without a
// palette or a transparent colour, every chunk's checksum right) in one pass: the image data
// inflated at once with libdeflate, several times quicker than zlib's inflate on the long runs
// that screens and bezels are made of, then unfiltered row by row.

#include <cstddef>
#include <cstdint>

#include <cairo.h>

namespace ios {

// An ARGB32 surface of the image, premultiplied as Cairo draws it when `premultiply` is set,
// otherwise B, G, R, A bytes as libpng's decoding gives them (for the colour chunks to be applied
// before premultiplying); null for any other kind of PNG and for anything irregular (a bad
// checksum, a cut stream, an unknown filter), which libpng then decodes or reports. `maxSide` and
// `maxPixels` bound the header's size before any allocation.
cairo_surface_t* decodePlainPNG(const std::uint8_t* bytes, std::size_t size, int maxSide, long long maxPixels,
                                bool premultiply);

// B, G, R, A pixels premultiplied by their alpha in place, rounding to the nearest.
void premultiplyBGRA(std::uint8_t* pixels, std::size_t count);

}  // namespace ios
