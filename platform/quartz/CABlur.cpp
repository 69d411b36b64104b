#include "platform/quartz/CABlur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ios {

namespace {

// Box widths whose three passes approximate a Gaussian of σ.
void boxesForGaussian(double sigma, int radii[3]) {
    double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int wl = static_cast<int>(std::floor(ideal));
    if (wl % 2 == 0) --wl;
    int wu = wl + 2;
    double mIdeal = (12 * sigma * sigma - 3.0 * wl * wl - 12.0 * wl - 9) / (-4.0 * wl - 4);
    int m = static_cast<int>(std::lround(mIdeal));
    for (int i = 0; i < 3; ++i) radii[i] = ((i < m ? wl : wu) - 1) / 2;
}

// One horizontal box pass over every row. `line` holds a copy of the row being read.
// sum / width, rounded, without a division per pixel.
struct Divider {
    explicit Divider(int width) : reciprocal((std::uint64_t(1) << 32) / std::uint64_t(width) + 1), half(width / 2) {}
    std::uint8_t operator()(int sum) const {
        return static_cast<std::uint8_t>((std::uint64_t(sum + half) * reciprocal) >> 32);
    }
    std::uint64_t reciprocal;
    int half;
};

void boxRows(std::uint8_t* data, int w, int h, int stride, int channels, int radius, bool clamp,
             std::vector<std::uint8_t>& line) {
    const int n = w * channels;
    const Divider divide(2 * radius + 1);
    line.resize(static_cast<std::size_t>(n));
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = data + y * stride;
        std::copy(row, row + n, line.begin());
        for (int c = 0; c < channels; ++c) {
            const int first = line[c], last = line[static_cast<std::size_t>(n - channels + c)];
            auto sample = [&](int i) -> int {
                if (i < 0) return clamp ? first : 0;
                if (i >= w) return clamp ? last : 0;
                return line[static_cast<std::size_t>(i * channels + c)];
            };
            int sum = 0;
            for (int i = -radius; i <= radius; ++i) sum += sample(i);
            for (int x = 0; x < w; ++x) {
                row[x * channels + c] = divide(sum);
                int in = x + radius + 1, out = x - radius;
                sum += (in < w ? line[static_cast<std::size_t>(in * channels + c)] : sample(in)) -
                       (out >= 0 ? line[static_cast<std::size_t>(out * channels + c)] : sample(out));
            }
        }
    }
}

// One vertical box pass, sliding a row of running sums down the image (cache friendly).
void boxColumns(std::uint8_t* data, int w, int h, int stride, int channels, int radius, bool clamp,
                std::vector<std::uint8_t>& copy, std::vector<int>& sums) {
    const int n = w * channels;
    const Divider divide(2 * radius + 1);
    copy.resize(static_cast<std::size_t>(n) * h);
    for (int y = 0; y < h; ++y)
        std::copy(data + y * stride, data + y * stride + n, copy.begin() + static_cast<std::ptrdiff_t>(y) * n);
    auto rowAt = [&](int y) -> const std::uint8_t* {
        if (y < 0) return clamp ? copy.data() : nullptr;
        if (y >= h) return clamp ? copy.data() + static_cast<std::ptrdiff_t>(h - 1) * n : nullptr;
        return copy.data() + static_cast<std::ptrdiff_t>(y) * n;
    };
    sums.assign(static_cast<std::size_t>(n), 0);
    for (int y = -radius; y <= radius; ++y)
        if (const std::uint8_t* r = rowAt(y))
            for (int i = 0; i < n; ++i) sums[static_cast<std::size_t>(i)] += r[i];
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = data + y * stride;
        for (int i = 0; i < n; ++i) row[i] = divide(sums[static_cast<std::size_t>(i)]);
        const std::uint8_t* in = rowAt(y + radius + 1);
        const std::uint8_t* out = rowAt(y - radius);
        if (in)
            for (int i = 0; i < n; ++i) sums[static_cast<std::size_t>(i)] += in[i];
        if (out)
            for (int i = 0; i < n; ++i) sums[static_cast<std::size_t>(i)] -= out[i];
    }
}

}  // namespace

void CABlurImageSurface(cairo_surface_t* surface, double sigma, bool clampEdges) {
    if (!surface || sigma <= 0.3 || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return;
    cairo_format_t format = cairo_image_surface_get_format(surface);
    int channels = format == CAIRO_FORMAT_A8                                         ? 1
                   : (format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24) ? 4
                                                                                     : 0;
    if (!channels) return;
    cairo_surface_flush(surface);
    std::uint8_t* data = cairo_image_surface_get_data(surface);
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (!data || w <= 0 || h <= 0) return;
    int radii[3];
    boxesForGaussian(sigma, radii);
    std::vector<std::uint8_t> line, copy;
    std::vector<int> sums;
    for (int pass = 0; pass < 3; ++pass) {
        if (radii[pass] <= 0) continue;
        boxRows(data, w, h, stride, channels, radii[pass], clampEdges, line);
        boxColumns(data, w, h, stride, channels, radii[pass], clampEdges, copy, sums);
    }
    cairo_surface_mark_dirty(surface);
}

}  // namespace ios
