#include "platform/graphics/ImageResample.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace ios {
namespace {

// The source pixels each result pixel covers along an axis, with their shares in fixed point.
struct Spans {
    struct Span {
        int first;            // the first source pixel covered
        int count;            // how many
        std::size_t weights;  // where their shares start in `shares`
    };
    std::vector<Span> spans;
    std::vector<std::uint32_t> shares;  // each span's add up to the total asked for
};

// Result pixel i covers source [i·n/m, (i+1)·n/m); measured in m-ths of a source pixel, that is
// [i·n, (i+1)·n), and source pixel j is [j·m, (j+1)·m). Shares are rounded so that each span's
// add up exactly to `total`, which keeps flat areas exactly flat.
Spans spansOf(int n, int m, std::uint32_t total) {
    Spans out;
    out.spans.reserve(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const long long from = static_cast<long long>(i) * n, to = from + n;
        const int first = static_cast<int>(from / m), last = static_cast<int>((to - 1) / m);
        out.spans.push_back({first, last - first + 1, out.shares.size()});
        std::uint32_t given = 0;
        long long covered = 0;
        for (int j = first; j <= last; ++j) {
            covered += std::min(to, static_cast<long long>(j + 1) * m) - std::max(from, static_cast<long long>(j) * m);
            // Cumulative rounding: the shares so far always round the part covered so far.
            const auto upTo = static_cast<std::uint32_t>((covered * total + n / 2) / n);
            out.shares.push_back(upTo - given);
            given = upTo;
        }
    }
    return out;
}

constexpr std::uint32_t kColumnTotal = 1u << 16;  // rows are summed with these shares …
constexpr int kKeptShift = 8;                     // … and kept with 8 bits below the channel's,
constexpr std::uint32_t kRowTotal = 1u << 12;     // then columns summed with these
constexpr int kRowShift = 16 - kKeptShift + 12;   // and brought back to a channel

using Lanes = std::uint32_t __attribute__((vector_size(16)));  // a pixel's four channels
constexpr int kChannelBlock = 32;  // channels summed in blocks of a fixed size, which compilers vectorise

// sum[c] += share × line[c] for `count` channels.
__attribute__((always_inline)) inline void addRow(std::uint32_t* __restrict sum, const unsigned char* __restrict line,
                                                  std::size_t count, std::uint32_t share) {
    std::size_t c = 0;
    for (; c + kChannelBlock <= count; c += kChannelBlock)
        for (int k = 0; k < kChannelBlock; ++k) sum[c + k] += share * line[c + k];
    for (; c < count; ++c) sum[c] += share * line[c];
}

// The source's pixels and the result's.
struct Plane {
    const unsigned char* src;
    int sw, sstride;
    unsigned char* dst;
    int width, height, dstride;
};

// Every channel of a pixel is averaged alike (premultiplied averages stay premultiplied): first
// the rows a result row covers, into `sum`, then the columns of each result pixel.
__attribute__((always_inline)) inline void averageInto(const Plane& p, const Spans& rows, const Spans& columns) {
    const std::size_t channels = static_cast<std::size_t>(p.sw) * 4;
    std::vector<std::uint32_t> sum(channels);
    std::vector<Lanes> kept(static_cast<std::size_t>(p.sw));
    for (int y = 0; y < p.height; ++y) {
        const Spans::Span& row = rows.spans[static_cast<std::size_t>(y)];
        std::fill(sum.begin(), sum.end(), 0u);
        for (int k = 0; k < row.count; ++k)
            addRow(sum.data(), p.src + static_cast<std::size_t>(row.first + k) * p.sstride, channels,
                   rows.shares[row.weights + static_cast<std::size_t>(k)]);
        for (std::size_t x = 0; x < kept.size(); ++x)
            for (int c = 0; c < 4; ++c)
                kept[x][c] = (sum[x * 4 + static_cast<std::size_t>(c)] + (1u << (kKeptShift - 1))) >> kKeptShift;
        unsigned char* line = p.dst + static_cast<std::size_t>(y) * p.dstride;
        for (int x = 0; x < p.width; ++x, line += 4) {
            const Spans::Span& column = columns.spans[static_cast<std::size_t>(x)];
            const std::uint32_t* share = columns.shares.data() + column.weights;
            const Lanes* from = kept.data() + column.first;
            Lanes acc = from[0] * share[0];
            for (int k = 1; k < column.count; ++k) acc += from[k] * share[k];
            acc = (acc + (1u << (kRowShift - 1))) >> kRowShift;
            for (int c = 0; c < 4; ++c) line[c] = static_cast<unsigned char>(acc[c]);
        }
    }
}

// The same arithmetic, so the same result, built for processors with the wider registers and a
// four-lane 32-bit multiply, which the sums above are made of; about a quarter quicker.
__attribute__((target("avx2"))) void averageIntoWide(const Plane& p, const Spans& rows, const Spans& columns) {
    averageInto(p, rows, columns);
}

}  // namespace

cairo_surface_t* areaAveraged(cairo_surface_t* source, int width, int height) {
    if (!source || cairo_surface_get_type(source) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
    const cairo_format_t format = cairo_image_surface_get_format(source);
    const int sw = cairo_image_surface_get_width(source), sh = cairo_image_surface_get_height(source);
    if ((format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) || width < 1 || height < 1 || width > sw ||
        height > sh)
        return nullptr;
    cairo_surface_t* out = cairo_image_surface_create(format, width, height);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(out);
        return nullptr;
    }
    cairo_surface_flush(source);
    const unsigned char* src = cairo_image_surface_get_data(source);
    unsigned char* dst = cairo_image_surface_get_data(out);
    const int sstride = cairo_image_surface_get_stride(source), dstride = cairo_image_surface_get_stride(out);
    const Spans rows = spansOf(sh, height, kColumnTotal), columns = spansOf(sw, width, kRowTotal);

    const Plane plane{src, sw, sstride, dst, width, height, dstride};
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide)
        averageIntoWide(plane, rows, columns);
    else
        averageInto(plane, rows, columns);
    cairo_surface_mark_dirty(out);
    return out;
}

}  // namespace ios
