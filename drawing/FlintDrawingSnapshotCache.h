#pragma once
// Bitmaps of the canvas's full rebuild for prefixes of its tool list, so that undo and redo of
// recent steps start from a stored bitmap instead of repainting every tool. A snapshot holds the
// pixels of "background + the first k tools" painted exactly as the full rebuild paints them, and
// the graphics state the shared context had after them (tools leave state behind for the next
// one, and the rebuild must see the same). Snapshots are bounded in number and in bytes and are
// dropped least recently used first.

#include <cstdint>
#include <memory>
#include <vector>

#include "drawing/FlintDrawingTool.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"

class FlintDrawingSnapshotCache {
public:
    static constexpr std::size_t kMaxSnapshots = 6;
    static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;  // at least two are kept

    struct Snapshot {
        std::vector<std::weak_ptr<FlintDrawingTool>> prefix;
        ios::UIImageRef image;
        ios::CGGState state;
        std::uint64_t lastUse = 0;
    };

    // What every snapshot depends on besides the tools; a change drops them all.
    void setKey(const ios::UIImageRef& background, std::uint64_t drawMode, ios::CGSize size, double scale);
    void clear() { m_snapshots.clear(); }

    // The snapshot with the longest prefix of at most `limit` tools matching `tools`, or null.
    const Snapshot* best(const std::vector<FlintDrawingToolRef>& tools, std::size_t limit);
    // Keeps the rebuild image of the first `count` tools.
    void record(const std::vector<FlintDrawingToolRef>& tools, std::size_t count, const ios::UIImageRef& image,
                const ios::CGGState& state);

    std::size_t count() const { return m_snapshots.size(); }
    std::size_t bytes() const;

    // Copies a snapshot's pixels into the context's target surface (same size and format);
    // false when they do not match.
    static bool copyPixels(const ios::UIImage& image, ios::CGContext& context);
    // Puts the graphics state of a snapshot into a fresh context.
    static void applyState(ios::CGContext& context, const ios::CGGState& state);

private:
    static bool matches(const Snapshot& s, const std::vector<FlintDrawingToolRef>& tools);

    std::vector<Snapshot> m_snapshots;
    std::uint64_t m_clock = 0;
    std::weak_ptr<ios::UIImage> m_background;
    bool m_hasBackground = false;
    std::uint64_t m_drawMode = 0;
    ios::CGSize m_size{};
    double m_scale = 0;
};
