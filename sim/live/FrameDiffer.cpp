#include "sim/live/FrameDiffer.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/PNGEncoder.h"

namespace flint::live {

PixelRect PixelRect::united(const PixelRect& other) const {
    if (other.empty()) return *this;
    if (empty()) return other;
    int left = std::min(x, other.x), top = std::min(y, other.y);
    int right = std::max(x + width, other.x + other.width), bottom = std::max(y + height, other.y + other.height);
    return {left, top, right - left, bottom - top};
}

template <typename Row>
std::optional<PixelRect> FrameDiffer::compare(Row row, const std::vector<PixelRect>& within) {
    int top = m_height, bottom = -1, left = m_width, right = -1;
    for (const PixelRect& area : within) {
        int x0 = std::max(area.x, 0), x1 = std::min(area.x + area.width, m_width);
        int y0 = std::max(area.y, 0), y1 = std::min(area.y + area.height, m_height);
        if (x0 >= x1 || y0 >= y1) continue;
        auto span = std::size_t(x1 - x0) * 4;
        for (int y = y0; y < y1; ++y) {
            const std::uint32_t* fresh = row(y);
            std::uint32_t* kept = &m_pixels[std::size_t(y) * m_width];
            if (std::memcmp(fresh + x0, kept + x0, span) == 0) continue;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            int first = x0;
            while (fresh[first] == kept[first]) ++first;
            int last = x1 - 1;
            while (fresh[last] == kept[last]) --last;
            left = std::min(left, first);
            right = std::max(right, last);
            std::memcpy(kept + x0, fresh + x0, span);
        }
    }
    if (bottom < 0) return std::nullopt;
    return PixelRect{left, top, right - left + 1, bottom - top + 1};
}

std::optional<PixelRect> FrameDiffer::update(const std::uint32_t* pixels, int width, int height, int strideBytes) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(pixels);
    auto row = [&](int y) { return reinterpret_cast<const std::uint32_t*>(base + std::size_t(y) * strideBytes); };
    if (width != m_width || height != m_height || m_pixels.empty()) {
        m_width = width;
        m_height = height;
        m_pixels.resize(std::size_t(width) * height);
        for (int y = 0; y < height; ++y) std::memcpy(&m_pixels[std::size_t(y) * width], row(y), std::size_t(width) * 4);
        if (width <= 0 || height <= 0) return std::nullopt;
        return PixelRect{0, 0, width, height};
    }
    return compare(row, {PixelRect{0, 0, width, height}});
}

std::optional<PixelRect> FrameDiffer::update(const std::uint32_t* pixels, int width, int height, int strideBytes,
                                             const std::vector<PixelRect>& within) {
    if (width != m_width || height != m_height || m_pixels.empty()) return update(pixels, width, height, strideBytes);
    const auto* base = reinterpret_cast<const std::uint8_t*>(pixels);
    return compare([&](int y) { return reinterpret_cast<const std::uint32_t*>(base + std::size_t(y) * strideBytes); },
                   within);
}

namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t at, int value) {
    out[at] = static_cast<std::uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> encodeFrameMessage(const std::vector<std::uint32_t>& frame, int frameWidth, int frameHeight,
                                             const PixelRect& rect, std::uint32_t sequence) {
    std::vector<std::uint8_t> out(kFrameHeaderBytes, 0);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(sequence >> (8 * i));
    put16(out, 4, rect.x);
    put16(out, 6, rect.y);
    put16(out, 8, rect.width);
    put16(out, 10, rect.height);
    put16(out, 12, frameWidth);
    put16(out, 14, frameHeight);

    // Fast: the frames travel over the loopback, so time matters more than bytes.
    ios::PNGEncoding encoding;
    encoding.effort = ios::PNGEncoding::Effort::Quick;
    const auto* origin = reinterpret_cast<const std::uint8_t*>(&frame[std::size_t(rect.y) * frameWidth + rect.x]);
    if (!ios::PNGEncoder::encode(origin, frameWidth * 4, rect.width, rect.height, encoding, out)) return {};
    return out;
}

}  // namespace flint::live
