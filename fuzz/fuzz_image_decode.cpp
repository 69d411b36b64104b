// Image bytes (PNG, JPEG or anything else) through imageWithData: and the thumbnail decoder; a
// decoded image is also re-encoded and drawn, so the pixels it claims to have are really there.

#include <cstddef>
#include <cstdint>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto image = ios::UIImage::imageWithData(data, size, 2);
    auto thumbnail = ios::UIImage::thumbnailWithData(data, size, 16);
    if (thumbnail && (thumbnail->pixelWidth() <= 0 || thumbnail->pixelHeight() <= 0)) __builtin_trap();
    if (!image) return 0;
    if (image->pixelWidth() <= 0 || image->pixelHeight() <= 0) __builtin_trap();
    if (image->pixelWidth() * image->pixelHeight() <= 512 * 512) {
        auto png = image->pngRepresentation();
        auto again = ios::UIImage::imageWithData(png);
        if (!again || again->pixelWidth() != image->pixelWidth()) __builtin_trap();
        auto drawn = ios::UIImage::imageWithSize(
            {8, 8}, 1, [&](ios::CGContext& c) { c.drawImage(ios::CGRectMake(0, 0, 8, 8), *image); });
        (void)drawn->pixelAt(4, 4);
    }
    return 0;
}
