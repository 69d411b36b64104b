#include <gtest/gtest.h>

#include <functional>

#include <cstring>
#include <random>
#include <sstream>

#include "tests/support/TestProcess.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CACompositor.h"
#include "platform/quartz/CARetainedRenderer.h"
#include "platform/quartz/CATransaction.h"
#include "tests/support/RandomLayerScene.h"

using namespace ios;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// Where the retained image differs from a full render of the same trees: none when identical.
std::string difference(const CARetainedRenderer& retained, const std::vector<CALayer*>& roots,
                       const UIColorRef& background) {
    UIImageRef full = CACompositor::render(roots, retained.size(), retained.scale(), background);
    cairo_surface_t* a = retained.surface();
    cairo_surface_t* b = full->surface();
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
    if (w != cairo_image_surface_get_width(b) || h != cairo_image_surface_get_height(b)) return "sizes differ";
    int count = 0, fx = -1, fy = -1;
    std::uint32_t got = 0, want = 0;
    for (int y = 0; y < h; ++y) {
        const auto* ra = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(a) +
                                                                y * cairo_image_surface_get_stride(a));
        const auto* rb = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(b) +
                                                                y * cairo_image_surface_get_stride(b));
        for (int x = 0; x < w; ++x)
            if (ra[x] != rb[x] && count++ == 0) fx = x, fy = y, got = ra[x], want = rb[x];
    }
    if (!count) return {};
    std::ostringstream out;
    out << count << " pixels differ, first at (" << fx << ", " << fy << "): " << std::hex << got << " instead of "
        << want;
    return out.str();
}

long long damagedArea(const std::vector<CADamageRect>& rects) {
    long long a = 0;
    for (auto& r : rects) a += static_cast<long long>(r.width) * r.height;
    return a;
}

bool covers(const std::vector<CADamageRect>& rects, int x, int y) {
    for (auto& r : rects)
        if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) return true;
    return false;
}

class Retained : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    objc::Ref<CALayer> root = CALayer::layer();
    UIColorRef black = UIColor::blackColor();

    void SetUp() override {
        CATransaction::setDisableActions(true);
        root->setFrame({{0, 0}, {200, 200}});
        root->setBackgroundColor(UIColor::whiteColor());
    }
    void TearDown() override { CATransaction::setDisableActions(false); }

    objc::Ref<CALayer> box(const CGRect& frame, const objc::Ref<CALayer>& parent = nullptr) {
        auto l = CALayer::layer();
        l->setFrame(frame);
        l->setBackgroundColor(UIColor::colorWithRed(0.8, 0.2, 0.1, 1));
        (parent ? parent : root)->addSublayer(l);
        return l;
    }
    std::vector<CALayer*> roots() { return {root.get()}; }
};

}  // namespace

// Random trees with every kind of content, random changes and animations over virtual time:
// after every step the retained frame is byte for byte the full render.
TEST_F(Retained, RandomTreesStayIdenticalToFullRenders) {
    CATransaction::setDisableActions(false);
    const int seeds = kSanitized ? 4 : 8, steps = kSanitized ? 20 : 30;
    for (int seed = 1; seed <= seeds; ++seed) {
        std::mt19937 engine(static_cast<std::uint32_t>(seed));
        ios::testing::RandomLayerScene scene([&] { return static_cast<std::uint32_t>(engine()); }, {120, 150});
        double scale = seed % 2 ? 2 : 1;
        CARetainedRenderer retained({120, 150}, scale, seed % 3 ? black : nullptr);
        UIColorRef background = seed % 3 ? black : nullptr;
        retained.update(scene.roots());
        ASSERT_EQ(difference(retained, scene.roots(), background), "") << "seed " << seed << " first frame";
        std::string history;
        for (int step = 0; step < steps; ++step) {
            int changes = 1 + static_cast<int>(scene.pick(3));
            for (int c = 0; c < changes; ++c) history += scene.step() + " ";
            if (scene.pick(2)) process.runLoop().advanceBy(scene.between(0.01, 0.25));
            retained.update(scene.roots());
            std::string diff = difference(retained, scene.roots(), background);
            std::string rects;
            for (auto& r : retained.damage())
                rects += " [" + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
                         std::to_string(r.height) + "]";
            ASSERT_EQ(diff, "") << "seed " << seed << " step " << step << " after: " << history << " damage" << rects;
            history += "| ";
        }
    }
}

TEST_F(Retained, FirstUpdatePaintsAllAndAnUnchangedTreeNothing) {
    box({{10, 10}, {50, 50}});
    CARetainedRenderer retained({200, 200}, 2, black);
    EXPECT_EQ(retained.pixelWidth(), 400);
    auto& first = retained.update(roots());
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], (CADamageRect{0, 0, 400, 400}));
    EXPECT_TRUE(retained.update(roots()).empty());
    process.runLoop().advanceBy(1);
    EXPECT_TRUE(retained.update(roots()).empty());
    retained.invalidate();
    EXPECT_EQ(damagedArea(retained.update(roots())), 400 * 400);
    EXPECT_EQ(difference(retained, roots(), black), "");
}

TEST_F(Retained, AMovedLayerRepaintsWhereItWasAndWhereItIs) {
    auto a = box({{10, 10}, {20, 20}});
    box({{150, 150}, {30, 30}});
    CARetainedRenderer retained({200, 200}, 1, black);
    retained.update(roots());
    a->setPosition({120, 30});
    auto& damage = retained.update(roots());
    EXPECT_TRUE(covers(damage, 10, 10));
    EXPECT_TRUE(covers(damage, 29, 29));
    EXPECT_TRUE(covers(damage, 111, 21));
    EXPECT_TRUE(covers(damage, 129, 39));
    EXPECT_FALSE(covers(damage, 160, 160));  // the other layer is left alone
    EXPECT_LT(damagedArea(damage), 2 * 26 * 26 + 1);
    EXPECT_EQ(difference(retained, roots(), black), "");
    // A change to a layer not on screen costs nothing.
    auto loose = CALayer::layer();
    loose->setBackgroundColor(UIColor::redColor());
    EXPECT_TRUE(retained.update(roots()).empty());
}

// What changes beneath an opaque, square, unclipped background that stayed put shows nowhere and
// is not repainted; beneath a rounded, translucent or moving one it is.
TEST_F(Retained, ChangesBeneathAnOpaqueCoverRepaintNothing) {
    auto under = box({{20, 20}, {30, 30}});
    auto cover = box({{10, 10}, {100.25, 100}});  // the right edge is not on a whole pixel
    box({{60, 60}, {10, 10}}, cover);             // drawn on the cover
    CARetainedRenderer retained({200, 200}, 2, black);
    retained.update(roots());

    under->setPosition({50, 50});
    under->setBackgroundColor(UIColor::greenColor());
    EXPECT_TRUE(retained.update(roots()).empty());
    // Setting what a layer already holds (as layout passes do) repaints nothing either.
    root->setPosition(root->position());
    root->setBounds(root->bounds());
    EXPECT_TRUE(retained.update(roots()).empty());
    EXPECT_EQ(difference(retained, roots(), black), "");

    // Reaching past the cover's whole pixels, it repaints (the cover's last column is partly
    // covered, so what lies beneath mixes into it).
    under->setPosition({100, 50});
    EXPECT_FALSE(retained.update(roots()).empty());
    EXPECT_EQ(difference(retained, roots(), black), "");
    under->setPosition({50, 50});
    retained.update(roots());

    for (auto change : std::vector<std::function<void(bool)>>{
             [&](bool on) { cover->setCornerRadius(on ? 8 : 0); }, [&](bool on) { cover->setOpacity(on ? 0.9 : 1); },
             [&](bool on) { cover->setBackgroundColor(UIColor::colorWithRed(0.8, 0.2, 0.1, on ? 0.95 : 1)); }}) {
        change(true);
        retained.update(roots());
        under->setPosition({40, 40});
        auto& damage = retained.update(roots());
        EXPECT_TRUE(covers(damage, 60, 60));
        EXPECT_EQ(difference(retained, roots(), black), "");
        change(false);
        under->setPosition({50, 50});
        retained.update(roots());
        EXPECT_EQ(difference(retained, roots(), black), "");
    }

    // The cover moving in the same frame: both it and what it uncovers repaint.
    under->setPosition({30, 30});
    cover->setPosition({70, 70});
    auto& moved = retained.update(roots());
    EXPECT_TRUE(covers(moved, 40, 40));
    EXPECT_EQ(difference(retained, roots(), black), "");
}

TEST_F(Retained, APartialRedrawRepaintsOnlyItsRectangle) {
    struct Painter : CALayerDelegate {
        bool respondsToDrawLayer() const override { return true; }
        void drawLayerInContext(CALayer&, CGContext& c) override {
            c.setFillColor(0, 0, 1, 1);
            for (auto& r : rects) c.fillRect(r);
        }
        std::vector<CGRect> rects;
    };
    auto painter = std::make_shared<Painter>();
    auto canvas = CALayer::layer();
    canvas->setFrame({{0, 0}, {200, 200}});
    canvas->setContentsScale(2);
    canvas->setDelegate(painter);
    root->addSublayer(canvas);
    CARetainedRenderer retained({200, 200}, 2, black);
    retained.update(roots());
    painter->rects.push_back({{100, 100}, {4, 4}});
    canvas->setNeedsDisplayInRect({{100, 100}, {4, 4}});
    auto& damage = retained.update(roots());
    EXPECT_TRUE(covers(damage, 200, 200));
    EXPECT_TRUE(covers(damage, 207, 207));
    EXPECT_LT(damagedArea(damage), 24 * 24);
    EXPECT_EQ(difference(retained, roots(), black), "");
}

TEST_F(Retained, ShadowsAndBackdropsWidenTheDamage) {
    auto card = box({{20, 20}, {100, 100}});
    card->setShadowOpacity(1);
    card->setShadowRadius(8);
    card->setShadowOffset({0, 4});
    auto dot = box({{40, 40}, {10, 10}}, card);
    auto blur = CABackdropLayer::layer();
    blur->setFrame({{100, 150}, {60, 40}});
    blur->setBlurRadius(10);
    root->addSublayer(blur);
    CARetainedRenderer retained({200, 200}, 1, black);
    retained.update(roots());

    // The card's shadow follows the dot's alpha: its change reaches beyond the dot.
    dot->setBackgroundColor(UIColor::clearColor());
    auto& damage = retained.update(roots());
    EXPECT_TRUE(covers(damage, 65, 65));
    EXPECT_TRUE(covers(damage, 80, 84));  // the shadow's blur and offset reach past the dot
    EXPECT_FALSE(covers(damage, 140, 10));
    EXPECT_EQ(difference(retained, roots(), black), "");

    // A change beneath the blur, where it samples, repaints all of the blur and what it samples.
    auto under = CALayer::layer();
    under->setFrame({{90, 140}, {6, 6}});
    under->setBackgroundColor(UIColor::blueColor());
    root->insertSublayerBelow(under, blur.get());
    auto& blurred = retained.update(roots());
    EXPECT_TRUE(covers(blurred, 100, 150));
    EXPECT_TRUE(covers(blurred, 159, 189));
    EXPECT_TRUE(covers(blurred, 86, 136));  // 3σ = 15 beyond the blur
    EXPECT_EQ(difference(retained, roots(), black), "");
    under->setHidden(true);
    retained.update(roots());
    EXPECT_EQ(difference(retained, roots(), black), "");

    // A change above it repaints over the blur kept from before, and no more.
    auto above = box({{120, 160}, {8, 8}});
    auto& over = retained.update(roots());
    EXPECT_TRUE(covers(over, 123, 163));
    EXPECT_FALSE(covers(over, 101, 151));
    EXPECT_EQ(difference(retained, roots(), black), "");
    above->setPosition({130, 175});
    retained.update(roots());
    EXPECT_EQ(difference(retained, roots(), black), "");
}

TEST_F(Retained, AnimationsRepaintWhileInFlightAndOnceWhenDone) {
    auto a = box({{10, 10}, {20, 20}});
    CARetainedRenderer retained({200, 200}, 1, black);
    retained.update(roots());
    auto move = CABasicAnimation::animationWithKeyPath("position");
    move->setToValue(CGPoint{150, 150});
    move->setDuration(1);
    a->addAnimation(move, "move");
    int frames = 0, damaged = 0;
    for (double t = 0; t < 1.5; t += 0.1, ++frames) {
        process.runLoop().advanceBy(0.1);
        if (!retained.update(roots()).empty()) ++damaged;
        ASSERT_EQ(difference(retained, roots(), black), "") << "at " << t;
    }
    EXPECT_GE(damaged, 10);
    EXPECT_LT(damaged, frames);  // nothing once it has ended and been removed
    EXPECT_TRUE(retained.update(roots()).empty());
}

TEST_F(Retained, RootsComingGoingAndReorderingRepaint) {
    auto other = CALayer::layer();
    other->setFrame({{50, 50}, {60, 60}});
    other->setBackgroundColor(UIColor::colorWithRed(0, 0.5, 0, 1));
    CARetainedRenderer retained({200, 200}, 1, black);
    retained.update({root.get(), other.get()});
    retained.update({other.get(), root.get()});  // the white root now covers the other
    EXPECT_EQ(difference(retained, {other.get(), root.get()}, black), "");
    retained.update({root.get()});
    EXPECT_EQ(difference(retained, roots(), black), "");
    auto& damage = retained.update({root.get(), other.get()});
    EXPECT_TRUE(covers(damage, 50, 50));
    EXPECT_EQ(difference(retained, {root.get(), other.get()}, black), "");
}
