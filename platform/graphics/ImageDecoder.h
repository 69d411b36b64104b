#pragma once
// Decoding of PNG and JPEG bytes into Cairo image surfaces, as the platform's image pipeline
// does: colours converted into sRGB (ColorConversion), a JPEG's EXIF orientation applied so the
// pixels come out upright, and images whose header claims more than kMaxSide pixels on a side or
// kMaxPixels in all refused before any pixel memory is allocated. A thumbnail decode scales the
// image down on the way (a JPEG is decoded at a reduced scale where the format allows it).
// Whatever is refused is logged with the reason; nothing throws.

#include <cstddef>
#include <cstdint>
#include <string>

#include <cairo.h>

namespace ios {

// How the encoded image was stored relative to upright, as EXIF orientations 1 ... 8 say; the
// platform's own numbering.
enum class UIImageOrientation {
    Up = 0,             // EXIF 1
    Down = 1,           // EXIF 3: turned 180°
    Left = 2,           // EXIF 8: stored turned 90° clockwise, shown turned back
    Right = 3,          // EXIF 6: stored turned 90° counter-clockwise
    UpMirrored = 4,     // EXIF 2
    DownMirrored = 5,   // EXIF 4
    LeftMirrored = 6,   // EXIF 5
    RightMirrored = 7,  // EXIF 7
};

class ImageDecoder {
public:
    static constexpr int kMaxSide = 8192;
    static constexpr long long kMaxPixels = 50'000'000;

    struct Result {
        cairo_surface_t* surface = nullptr;  // the caller's reference; null when refused
        UIImageOrientation orientation = UIImageOrientation::Up;
        std::string error;  // why it was refused
    };

    // Full size. PNG gives ARGB32 (premultiplied), JPEG RGB24.
    static Result decode(const std::uint8_t* bytes, std::size_t size);
    // Reduced so that the shorter upright side is about `minimumSide` pixels (never less, and
    // never enlarged).
    static Result decodeThumbnail(const std::uint8_t* bytes, std::size_t size, int minimumSide);

    // `surface` reduced so that its shorter side is about `minimumSide` pixels, as a thumbnail
    // decode reduces (a new reference; the same surface referenced again when it is small enough;
    // null when out of memory).
    static cairo_surface_t* reduced(cairo_surface_t* surface, int minimumSide);

    static bool isPNG(const std::uint8_t* bytes, std::size_t size);
    static bool isJPEG(const std::uint8_t* bytes, std::size_t size);
    // The orientation in a JPEG's EXIF block (the APP1 payload after "Exif\0\0"); Up when absent.
    static UIImageOrientation exifOrientation(const std::uint8_t* tiff, std::size_t size);
    // A surface holding `surface` turned upright from `orientation` (a new reference).
    static cairo_surface_t* upright(cairo_surface_t* surface, UIImageOrientation orientation);
};

}  // namespace ios
