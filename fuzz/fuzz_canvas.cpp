// Random touch sequences on a small drawing canvas: tool choices, strokes, taps, undos, redos,
// clears and text-box gestures (create, type, select, drag, close). After every step the history
// must be consistent:
//   - every tool an undo state refers to is in the tool list (undo never reaches a tool that is
//     not drawn), every other listed tool but a text box has a state on the undo stack, and no
//     tool is listed twice;
//   - every text box on the canvas belongs to a listed tool (else clear could not remove it);
//   - after an undo, a redo or a clear, the cached bitmap equals the plain full rebuild;
// and an undo followed by a redo gives back the same bitmap and the same box positions.
//
// One process serves every input (a fresh window and canvas each time), so an input costs its
// touches and checks rather than a device boot; bitmaps are compared row by row in memory, pixel
// by pixel only where the rows differ. Each input must leave the live objects per class as it
// found them, which stands in for the fuzzer's per-input leak check (fuzz_canvas.options turns
// that off, with the entropic scheduler: both cost more than the input over this much code).
//
// Tools paint into one shared context when the canvas rebuilds, so a tool that leaves its line
// cap or join set changes how a later rectangle looks there, and not in the live drawing, where
// each tool starts from a fresh context. The bitmap compared is therefore always the rebuilt one.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "drawing/FlintDrawingDraggableTextTool.h"
#include "drawing/FlintDrawingLabelView.h"
#include "drawing/FlintDrawingView.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIImage.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;

namespace {

constexpr double kSide = 60;  // canvas and screen, in points, at scale 1
constexpr std::size_t kMaxSteps = 48;

#define FUZZ_CHECK(cond, what)                                                             \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "canvas invariant broken at step %zu: %s\n", step, what); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    double coord() { return byte() % static_cast<int>(kSide); }
    CGPoint point() {
        double x = coord();
        return {x, coord()};
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

const unsigned char* row(const UIImageRef& image, int y) {
    cairo_surface_t* surface = image->surface();
    return cairo_image_surface_get_data(surface) +
           static_cast<std::size_t>(y) * cairo_image_surface_get_stride(surface);
}

// Every pixel's four bytes are zero: transparent, whatever the format.
bool zeroBytes(const UIImageRef& image) {
    cairo_surface_flush(image->surface());
    const std::size_t bytes = static_cast<std::size_t>(image->pixelWidth()) * 4;
    for (int y = 0; y < image->pixelHeight(); ++y) {
        const unsigned char* r = row(image, y);
        for (std::size_t i = 0; i < bytes; ++i)
            if (r[i]) return false;
    }
    return true;
}

bool blank(const UIImageRef& image) {
    if (!image) return true;
    if (image->surface() && !image->isOpaque() && zeroBytes(image)) return true;
    for (int y = 0; y < image->pixelHeight(); ++y)
        for (int x = 0; x < image->pixelWidth(); ++x)
            if (image->pixelAt(x, y).a != 0) return false;
    return true;
}

// A canvas that has painted nothing yet has no bitmap, which shows as all transparent.
bool samePixels(const UIImageRef& a, const UIImageRef& b) {
    if (!a || !b) return blank(a) && blank(b);
    if (a->pixelWidth() != b->pixelWidth() || a->pixelHeight() != b->pixelHeight()) return false;
    const bool raw = a->surface() && b->surface() && a->isOpaque() == b->isOpaque() &&
                     cairo_image_surface_get_format(a->surface()) == cairo_image_surface_get_format(b->surface());
    if (raw) {
        cairo_surface_flush(a->surface());
        cairo_surface_flush(b->surface());
    }
    const std::size_t bytes = static_cast<std::size_t>(a->pixelWidth()) * 4;
    for (int y = 0; y < a->pixelHeight(); ++y) {
        if (raw && std::memcmp(row(a, y), row(b, y), bytes) == 0) continue;
        for (int x = 0; x < a->pixelWidth(); ++x)
            if (!(a->pixelAt(x, y) == b->pixelAt(x, y))) return false;
    }
    return true;
}

std::vector<objc::Ref<FlintDrawingLabelView>> boxesOn(const FlintDrawingView& canvas) {
    std::vector<objc::Ref<FlintDrawingLabelView>> result;
    for (auto& v : canvas.subviews())
        if (auto box = std::dynamic_pointer_cast<FlintDrawingLabelView>(v)) result.push_back(box);
    return result;
}

bool listed(const FlintDrawingView& canvas, const FlintDrawingTool* tool) {
    for (auto& t : canvas.pathArray())
        if (t.get() == tool) return true;
    return false;
}

void checkHistory(FlintDrawingView& canvas, bool rebuilt, std::size_t step) {
    const auto& tools = canvas.pathArray();
    for (std::size_t i = 0; i < tools.size(); ++i)
        for (std::size_t j = i + 1; j < tools.size(); ++j) FUZZ_CHECK(tools[i] != tools[j], "a tool listed twice");
    for (auto& state : canvas.undoStates()) {
        FUZZ_CHECK(state && state->tool(), "an undo state without a tool");
        FUZZ_CHECK(listed(canvas, state->tool().get()), "an undo state of a tool outside the tool list");
    }
    for (auto& state : canvas.redoStates()) FUZZ_CHECK(state && state->tool(), "a redo state without a tool");
    for (auto& tool : tools) {
        if (std::dynamic_pointer_cast<FlintDrawingDraggableTextTool>(tool)) continue;
        bool hasState = false;
        for (auto& state : canvas.undoStates()) hasState = hasState || state->tool() == tool;
        FUZZ_CHECK(hasState, "a listed stroke without an undo state");
    }
    for (auto& box : boxesOn(canvas)) {
        bool owned = false;
        for (auto& tool : tools)
            if (auto text = std::dynamic_pointer_cast<FlintDrawingDraggableTextTool>(tool))
                owned = owned || text->labelView() == box;
        FUZZ_CHECK(owned, "a text box on the canvas outside the tool list");
    }
    if (rebuilt)
        FUZZ_CHECK(samePixels(canvas.cacheImage(), canvas.fullRebuildImageForTesting()),
                   "the cached bitmap differs from the full rebuild");
}

struct BoxPlace {
    const FlintDrawingLabelView* box;
    CGPoint center;
    CGRect bounds;
};

std::vector<BoxPlace> places(const FlintDrawingView& canvas) {
    std::vector<BoxPlace> result;
    for (auto& box : boxesOn(canvas)) result.push_back({box.get(), box->center(), box->bounds()});
    return result;
}

bool near(double a, double b) { return std::fabs(a - b) < 1e-6; }

void checkUndoRedo(FlintDrawingView& canvas, RunLoop& loop, std::size_t step) {
    if (!canvas.canUndo()) return;
    loop.advanceBy(0.5);  // box moves animate
    UIImageRef before = canvas.fullRebuildImageForTesting();
    auto placesBefore = places(canvas);
    std::size_t toolsBefore = canvas.pathArray().size();
    canvas.undoLatestStep();
    canvas.redoLatestStep();
    loop.advanceBy(0.5);
    FUZZ_CHECK(canvas.pathArray().size() == toolsBefore, "undo then redo changed the number of tools");
    FUZZ_CHECK(samePixels(before, canvas.cacheImage()), "undo then redo changed the bitmap");
    auto placesAfter = places(canvas);
    FUZZ_CHECK(placesAfter.size() == placesBefore.size(), "undo then redo changed the boxes on the canvas");
    for (auto& p : placesBefore) {
        bool found = false;
        for (auto& q : placesAfter)
            if (q.box == p.box) {
                found = true;
                FUZZ_CHECK(near(q.center.x, p.center.x) && near(q.center.y, p.center.y) &&
                               near(q.bounds.size.width, p.bounds.size.width) &&
                               near(q.bounds.size.height, p.bounds.size.height),
                           "undo then redo moved a box");
            }
        FUZZ_CHECK(found, "undo then redo lost a box");
    }
}

testing::TestProcess& sharedProcess() {
    static testing::TestProcess* process = [] {
        Process::Options options;
        options.profile.name = "fuzz";
        options.profile.width = kSide;
        options.profile.height = kSide;
        options.profile.scale = 1;
        options.profile.statusBarHeight = 0;
        return new testing::TestProcess(std::move(options));  // lives for the fuzzing run
    }();
    return *process;
}

// Steps tried over the whole run, reported when the process exits.
std::size_t g_steps = 0;
void reportSteps() { std::fprintf(stderr, "fuzz_canvas: %zu steps tried\n", g_steps); }

void runInput(const std::uint8_t* data, std::size_t size) {
    RunLoop& loop = sharedProcess().runLoop();
    {
        auto window = objc::make<UIWindow>();
        window->setHidden(false);
        auto canvas = objc::make<FlintDrawingView>(CGRectMake(0, 0, kSide, kSide));
        canvas->setClipsToBounds(true);
        window->addSubview(canvas);

        Input in(data, size);
        for (std::size_t step = 0; step < kMaxSteps && !in.empty(); ++step) {
            const int op = in.byte() % 12;
            const bool couldUndo = canvas->canUndo(), couldRedo = canvas->canRedo();
            switch (op) {
            case 0:  // choose a tool (type 9 has no custom tool: touches then draw nothing)
                canvas->setDrawTool(in.byte() % 16);
                break;
            case 1: {  // a stroke of one to four points
                std::vector<CGPoint> path;
                int n = 1 + in.byte() % 4;
                for (int i = 0; i < n; ++i) path.push_back(in.point());
                drag(path, 0.05 * n);
                break;
            }
            case 2: tap(in.point()); break;
            case 3: canvas->undoLatestStep(); break;
            case 4: canvas->redoLatestStep(); break;
            case 5: canvas->clear(); break;
            case 6: {  // a new text box, with some text
                canvas->setDrawTool(FlintDrawingToolTypeDraggableText);
                tap({static_cast<double>(in.byte() % 30), static_cast<double>(in.byte() % 30)});
                static const char* const texts[] = {"A", "Hi", " ", "", "Wide text"};
                typeText(texts[in.byte() % 5]);
                break;
            }
            case 7: {  // drag a box by its middle
                auto boxes = boxesOn(*canvas);
                if (boxes.empty()) break;
                auto box = boxes[in.byte() % boxes.size()];
                CGPoint c =
                    box->convertPointToView({box->bounds().size.width / 2, box->bounds().size.height / 2}, nullptr);
                CGPoint to{c.x + (static_cast<int>(in.byte() % 41) - 20),
                           c.y + (static_cast<int>(in.byte() % 41) - 20)};
                drag({c, {c.x + 11, c.y}, to}, 0.1);
                break;
            }
            case 8: {  // tap a box (selects or deselects it)
                auto boxes = boxesOn(*canvas);
                if (boxes.empty()) break;
                auto box = boxes[in.byte() % boxes.size()];
                tap(box->convertPointToView({box->bounds().size.width / 2, box->bounds().size.height / 2}, nullptr));
                break;
            }
            case 9: {  // tap a box's close button, or drag its rotate handle
                auto boxes = boxesOn(*canvas);
                if (boxes.empty()) break;
                auto box = boxes[in.byte() % boxes.size()];
                bool close = in.byte() % 2 == 0;
                auto& button = close ? box->closeButton() : box->rotateButton();
                if (!button) break;
                CGPoint p = button->convertPointToView({12, 12}, nullptr);
                if (close)
                    tap(p);
                else
                    drag({p, {p.x + 12, p.y + 12}, {p.x + (in.byte() % 21) - 10.0, p.y + (in.byte() % 21) - 10.0}},
                         0.1);
                break;
            }
            case 10: typeText(in.byte() % 2 ? "x" : "  "); break;
            case 11: checkUndoRedo(*canvas, loop, step); break;
            }
            loop.advanceBy(0.05);
            ++g_steps;
            const bool rebuilt = (op == 3 && couldUndo) || (op == 4 && couldRedo) || op == 5 || (op == 11 && couldUndo);
            checkHistory(*canvas, rebuilt, step);
        }
        canvas->clear();
        {
            std::size_t step = kMaxSteps;
            FUZZ_CHECK(boxesOn(*canvas).empty(), "clear left a text box on the canvas");
        }
        liftTouches();
        canvas->removeFromSuperview();
        window->setHidden(true);
    }
    loop.runUntilIdle();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A first sequence makes what the process keeps (its screen, its event, the fonts): a tool
    // choice, a stroke, a tap, a text box, undo, redo, the undo-redo check and a clear.
    static const bool warm = [] {
        static const std::uint8_t kWarmUp[] = {0, 3, 1, 1, 10, 10, 20, 20, 2, 30, 30, 6, 5, 5, 1, 10, 3, 4, 11, 5};
        runInput(kWarmUp, sizeof kWarmUp);
        std::atexit(reportSteps);
        return true;
    }();
    (void)warm;
    // Every object an input makes is gone when it ends: the live objects per class are those
    // before it (the fuzzer's own leak check per input is off for this target, see its options).
    const auto before = objc::liveObjectCounts();
    runInput(data, size);
    const auto left = objc::diffLiveObjectCounts(before, objc::liveObjectCounts());
    if (!left.empty()) {
        for (const auto& [name, change] : left)
            std::fprintf(stderr, "live %s changed by %lld\n", name.c_str(), static_cast<long long>(change));
        std::size_t step = kMaxSteps;
        FUZZ_CHECK(false, "an input left objects behind");
    }
    return 0;
}
