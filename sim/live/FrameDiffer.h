#pragma once
// Keeps the last frame composed for the viewers and tells, for a new frame, the smallest
// rectangle holding every pixel that differs (none when none does). Frames are 32-bit pixels,
// row by row.

#include <cstdint>
#include <optional>
#include <vector>

namespace flint::live {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    // The smallest rectangle holding both (an empty one adds nothing).
    PixelRect united(const PixelRect& other) const;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class FrameDiffer {
public:
    // Takes the new frame as the last one; returns the changed rectangle (the whole frame when
    // the size changed or there was none before).
    std::optional<PixelRect> update(const std::uint32_t* pixels, int width, int height, int strideBytes);
    // The same when the new frame is known to equal the last one outside `within` (the
    // compositor's damage): only those rectangles are compared and taken.
    std::optional<PixelRect> update(const std::uint32_t* pixels, int width, int height, int strideBytes,
                                    const std::vector<PixelRect>& within);

    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::vector<std::uint32_t>& pixels() const { return m_pixels; }
    bool hasFrame() const { return !m_pixels.empty(); }

private:
    template <typename Row>
    std::optional<PixelRect> compare(Row row, const std::vector<PixelRect>& within);

    int m_width = 0, m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

// The frame message: a 16-byte little-endian header (sequence, x, y, width, height, frame width,
// frame height as uint32, uint16 × 6) followed by the rectangle's pixels as an RGB PNG with fast
// compression. Pixels are Cairo's (0xAARRGGBB, native order; alpha ignored: frames are opaque).
std::vector<std::uint8_t> encodeFrameMessage(const std::vector<std::uint32_t>& frame, int frameWidth, int frameHeight,
                                             const PixelRect& rect, std::uint32_t sequence);

inline constexpr std::size_t kFrameHeaderBytes = 16;

}  // namespace flint::live
