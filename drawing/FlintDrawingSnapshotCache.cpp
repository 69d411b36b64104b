#include "drawing/FlintDrawingSnapshotCache.h"

#include <algorithm>
#include <cstring>

using namespace ios;

namespace {

template <class A, class B>
bool sameOwner(const A& a, const B& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

std::size_t imageBytes(const UIImage& image) {
    return static_cast<std::size_t>(cairo_image_surface_get_stride(image.surface())) *
           static_cast<std::size_t>(image.pixelHeight());
}

}  // namespace

void FlintDrawingSnapshotCache::setKey(const UIImageRef& background, std::uint64_t drawMode, CGSize size,
                                       double scale) {
    bool same = m_hasBackground == (background != nullptr) && (!background || sameOwner(m_background, background)) &&
                m_drawMode == drawMode && m_size == size && m_scale == scale;
    if (same) return;
    m_snapshots.clear();
    m_background = background;
    m_hasBackground = background != nullptr;
    m_drawMode = drawMode;
    m_size = size;
    m_scale = scale;
}

bool FlintDrawingSnapshotCache::matches(const Snapshot& s, const std::vector<FlintDrawingToolRef>& tools) {
    if (s.prefix.size() > tools.size()) return false;
    for (std::size_t i = 0; i < s.prefix.size(); ++i)
        if (s.prefix[i].expired() || !sameOwner(s.prefix[i], tools[i])) return false;
    return true;
}

const FlintDrawingSnapshotCache::Snapshot* FlintDrawingSnapshotCache::best(
    const std::vector<FlintDrawingToolRef>& tools, std::size_t limit) {
    Snapshot* found = nullptr;
    for (auto& s : m_snapshots) {
        if (s.prefix.size() > limit || (found && s.prefix.size() <= found->prefix.size())) continue;
        if (matches(s, tools)) found = &s;
    }
    if (found) found->lastUse = ++m_clock;
    return found;
}

void FlintDrawingSnapshotCache::record(const std::vector<FlintDrawingToolRef>& tools, std::size_t count,
                                       const UIImageRef& image, const CGGState& state) {
    if (!image || !image->surface() || count > tools.size()) return;
    // A snapshot holding a tool that is gone can never match again; one of the same prefix is
    // replaced. Others stay: a redo may bring their tools back.
    std::erase_if(m_snapshots, [&](const Snapshot& s) {
        bool dead = std::any_of(s.prefix.begin(), s.prefix.end(), [](const auto& w) { return w.expired(); });
        return dead || (s.prefix.size() == count && matches(s, tools));
    });
    Snapshot s;
    s.prefix.assign(tools.begin(), tools.begin() + static_cast<std::ptrdiff_t>(count));
    s.image = image;
    s.state = state;
    s.lastUse = ++m_clock;
    m_snapshots.push_back(std::move(s));
    auto overBudget = [&] {
        return m_snapshots.size() > kMaxSnapshots || (m_snapshots.size() > 2 && bytes() > kMaxBytes);
    };
    while (overBudget()) {
        auto oldest = std::min_element(m_snapshots.begin(), m_snapshots.end(),
                                       [](const Snapshot& a, const Snapshot& b) { return a.lastUse < b.lastUse; });
        m_snapshots.erase(oldest);
    }
}

std::size_t FlintDrawingSnapshotCache::bytes() const {
    std::size_t total = 0;
    for (auto& s : m_snapshots) total += imageBytes(*s.image);
    return total;
}

bool FlintDrawingSnapshotCache::copyPixels(const UIImage& image, CGContext& context) {
    cairo_surface_t* target = context.surface();
    cairo_surface_t* source = image.surface();
    if (!target || !source || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    int w = cairo_image_surface_get_width(source), h = cairo_image_surface_get_height(source);
    if (cairo_image_surface_get_width(target) != w || cairo_image_surface_get_height(target) != h ||
        cairo_image_surface_get_format(target) != cairo_image_surface_get_format(source))
        return false;
    cairo_surface_flush(target);
    cairo_surface_flush(source);
    const unsigned char* src = cairo_image_surface_get_data(source);
    unsigned char* dst = cairo_image_surface_get_data(target);
    int srcStride = cairo_image_surface_get_stride(source), dstStride = cairo_image_surface_get_stride(target);
    for (int y = 0; y < h; ++y)
        std::memcpy(dst + static_cast<std::size_t>(y) * dstStride, src + static_cast<std::size_t>(y) * srcStride,
                    static_cast<std::size_t>(w) * 4);
    cairo_surface_mark_dirty(target);
    return true;
}

void FlintDrawingSnapshotCache::applyState(CGContext& context, const CGGState& s) {
    context.setFillColor(s.fill.r, s.fill.g, s.fill.b, s.fill.a);
    context.setStrokeColor(s.stroke.r, s.stroke.g, s.stroke.b, s.stroke.a);
    context.setLineWidth(s.lineWidth);
    context.setLineCap(s.lineCap);
    context.setLineJoin(s.lineJoin);
    context.setMiterLimit(s.miterLimit);
    context.setLineDash(s.dashPhase, s.dashLengths);
    context.setAlpha(s.alpha);
    context.setBlendMode(s.blendMode);
    context.setShouldAntialias(s.antialias);
}
