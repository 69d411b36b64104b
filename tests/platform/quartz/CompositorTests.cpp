#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/PixelProbe.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CACompositor.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/quartz/CAShapeLayer.h"
#include "platform/quartz/CATextLayer.h"

using namespace ios;
using ios::testing::pixelNear;
using ios::testing::rgba;

namespace {

using RGBA = UIImage::RGBA;

class Compositor : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    objc::Ref<CALayer> root = CALayer::layer();

    void SetUp() override { root->setFrame({{0, 0}, {100, 100}}); }

    objc::Ref<CALayer> box(const CGRect& frame, const UIColorRef& color, const objc::Ref<CALayer>& parent = nullptr) {
        auto l = CALayer::layer();
        l->setFrame(frame);
        l->setBackgroundColor(color);
        (parent ? parent : root)->addSublayer(l);
        return l;
    }

    UIImageRef render(double scale = 1, const UIColorRef& background = nullptr) {
        return CACompositor::render(*root, {100, 100}, scale, background);
    }
};

UIColorRef red() { return UIColor::colorWithRed(1, 0, 0, 1); }
UIColorRef blue() { return UIColor::colorWithRed(0, 0, 1, 1); }
UIColorRef white() { return UIColor::whiteColor(); }

RGBA at(const UIImageRef& image, double x, double y) { return image->pixelAtPoint({x, y}); }

UIImageRef solidImage(int w, int h, double scale, double r, double g, double b) {
    return UIImage::imageWithSize({w / scale, h / scale}, scale, [&](CGContext& c) {
        c.setFillColor(r, g, b, 1);
        c.fillRect({{0, 0}, {w / scale, h / scale}});
    });
}

}  // namespace

TEST_F(Compositor, BackgroundsAtTheRequestedScale) {
    box({{10, 10}, {50, 50}}, red());
    auto image = render(2);
    EXPECT_EQ(image->pixelWidth(), 200);
    EXPECT_EQ(image->pixelHeight(), 200);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_TRUE(pixelNear(at(image, 35, 35), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 5, 5), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(image->pixelAt(119, 60), rgba(255, 0, 0, 255)));  // last pixel inside x < 60
    EXPECT_TRUE(pixelNear(image->pixelAt(120, 60), rgba(0, 0, 0, 0)));
    auto onWhite = render(1, white());
    EXPECT_TRUE(pixelNear(at(onWhite, 80, 80), rgba(255, 255, 255, 255)));
}

TEST_F(Compositor, CornerRadiusRoundsTheBackgroundAndClipsWithMasksToBounds) {
    auto card = box({{0, 0}, {100, 100}}, red());
    card->setCornerRadius(30);
    auto inner = box({{0, 0}, {100, 100}}, blue(), card);
    auto unclipped = render();
    EXPECT_TRUE(pixelNear(at(unclipped, 2, 2), rgba(0, 0, 255, 255)));  // the sublayer is not clipped
    inner->setBackgroundColor(nullptr);
    auto rounded = render();
    EXPECT_TRUE(pixelNear(at(rounded, 2, 2), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(rounded, 50, 1), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(rounded, 97, 97), rgba(0, 0, 0, 0)));
    inner->setBackgroundColor(blue());
    card->setMasksToBounds(true);
    auto clipped = render();
    EXPECT_TRUE(pixelNear(at(clipped, 2, 2), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(clipped, 2, 97), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(clipped, 50, 50), rgba(0, 0, 255, 255)));
}

TEST_F(Compositor, MaskLayerAlphaMasksTheLayerAndItsSublayers) {
    auto card = box({{0, 0}, {100, 100}}, red());
    box({{0, 60}, {100, 40}}, blue(), card);
    auto mask = CALayer::layer();
    mask->setFrame({{0, 0}, {50, 100}});
    mask->setBackgroundColor(UIColor::blackColor());
    auto faint = CALayer::layer();
    faint->setFrame({{50, 0}, {50, 50}});
    faint->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
    mask->addSublayer(faint);
    card->setMask(mask);
    auto image = render();
    EXPECT_TRUE(pixelNear(at(image, 25, 25), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 25, 80), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(image, 75, 80), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(image, 75, 25), rgba(255, 0, 0, 128), 4));  // half-transparent mask, half alpha
    card->setMask(CALayer::layer());                                     // an empty mask hides everything
    EXPECT_TRUE(pixelNear(at(render(), 25, 25), rgba(0, 0, 0, 0)));
}

TEST_F(Compositor, OpacityAppliesToTheLayerAsOneGroup) {
    auto group = box({{0, 0}, {100, 100}}, nullptr);
    box({{0, 0}, {60, 100}}, red(), group);
    box({{40, 0}, {60, 100}}, blue(), group);
    group->setOpacity(0.5);
    auto image = render(1, white());
    // Where the two overlap only the top one shows, at half strength over white.
    EXPECT_TRUE(pixelNear(at(image, 50, 50), rgba(127, 127, 255, 255), 3));
    EXPECT_TRUE(pixelNear(at(image, 20, 50), rgba(255, 127, 127, 255), 3));
    group->setAllowsGroupOpacity(true);
    group->setOpacity(0);
    EXPECT_TRUE(pixelNear(at(render(1, white()), 50, 50), rgba(255, 255, 255, 255)));
}

TEST_F(Compositor, ZPositionOrdersSiblingsBeforeListOrder) {
    auto a = box({{0, 0}, {60, 60}}, red());
    box({{40, 40}, {60, 60}}, blue());
    EXPECT_TRUE(pixelNear(at(render(), 50, 50), rgba(0, 0, 255, 255)));
    a->setZPosition(1);
    EXPECT_TRUE(pixelNear(at(render(), 50, 50), rgba(255, 0, 0, 255)));
}

TEST_F(Compositor, HiddenLayersAndTheirSublayersAreSkipped) {
    auto a = box({{0, 0}, {100, 100}}, red());
    box({{0, 0}, {50, 50}}, blue(), a);
    a->setHidden(true);
    auto image = render();
    EXPECT_TRUE(pixelNear(at(image, 25, 25), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(image, 75, 75), rgba(0, 0, 0, 0)));
}

TEST_F(Compositor, RotationAboutXByNinetyDegreesCollapsesToALine) {
    auto bezel = box({{20, 20}, {60, 60}}, red());
    EXPECT_TRUE(pixelNear(at(render(), 50, 30), rgba(255, 0, 0, 255)));
    bezel->setTransform(CATransform3DMakeRotation(M_PI / 2, 1, 0, 0));
    auto flat = render();
    EXPECT_TRUE(pixelNear(at(flat, 50, 30), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(flat, 50, 70), rgba(0, 0, 0, 0)));
    // Single-precision quarter turn, as the editor's slider makes it.
    bezel->setTransform(CATransform3DMakeRotation(double(90 * 3.1415927f / 180), 1, 0, 0));
    auto almost = render();
    int coloured = 0;
    for (int y = 0; y < 100; ++y) coloured += almost->pixelAt(50, y).a > 8;
    EXPECT_LE(coloured, 1);
    // 60° about X: orthographic foreshortening to half the height, about the centre.
    bezel->setTransform(CATransform3DMakeRotation(M_PI / 3, 1, 0, 0));
    auto half = render();
    EXPECT_TRUE(pixelNear(at(half, 50, 36), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(half, 50, 64), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(half, 50, 33), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(half, 50, 67), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(half, 22, 50), rgba(255, 0, 0, 255)));  // full width kept
}

TEST_F(Compositor, PerspectiveMakesTheNearEdgeTaller) {
    auto card = box({{20, 20}, {60, 60}}, red());
    CATransform3D t = CATransform3DIdentity;
    t.m34 = -1.0 / 200;
    card->setTransform(CATransform3DRotate(t, M_PI / 4, 0, 1, 0));
    auto image = render(2);
    auto columnHeight = [&](double x) {
        int n = 0;
        for (int y = 0; y < 200; ++y) n += image->pixelAt(int(x * 2), y).a > 128;
        return n;
    };
    // Turning about +y brings the left edge towards the viewer.
    double left = columnHeight(32), right = columnHeight(68);
    EXPECT_GT(left, 120 + 4);
    EXPECT_LT(right, 120 - 4);
    EXPECT_TRUE(pixelNear(at(image, 50, 50), rgba(255, 0, 0, 255)));
}

TEST_F(Compositor, ReplicatorDrawsEachInstanceThroughTheRepeatedTransform) {
    auto replicator = CAReplicatorLayer::layer();
    replicator->setFrame({{0, 0}, {100, 100}});
    root->addSublayer(replicator);
    box({{0, 0}, {20, 20}}, red(), replicator);
    replicator->setInstanceCount(3);
    replicator->setInstanceTransform(CATransform3DMakeTranslation(30, 5, 0));
    auto image = render();
    EXPECT_TRUE(pixelNear(at(image, 10, 10), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 40, 15), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 70, 20), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 40, 3), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(image, 95, 30), rgba(0, 0, 0, 0)));
    replicator->setInstanceCount(0);
    EXPECT_TRUE(pixelNear(at(render(), 10, 10), rgba(0, 0, 0, 0)));
}

TEST_F(Compositor, GradientStopsLandWhereTheLocationsSay) {
    auto g = CAGradientLayer::layer();
    g->setFrame({{0, 0}, {100, 100}});
    g->setColors({red(), blue()});
    g->setStartPoint({0, 0.5});
    g->setEndPoint({1, 0.5});
    root->addSublayer(g);
    // Pixel x is sampled at its centre, x + 0.5.
    auto mix = [](double f) { return int(std::lround(255 * f)); };
    auto even = render();
    EXPECT_TRUE(pixelNear(at(even, 0, 50), rgba(mix(0.995), 0, mix(0.005), 255), 3));
    EXPECT_TRUE(pixelNear(at(even, 99, 50), rgba(mix(0.005), 0, mix(0.995), 255), 3));
    EXPECT_TRUE(pixelNear(at(even, 50, 50), rgba(mix(0.495), 0, mix(0.505), 255), 3));
    g->setLocations({0.2, 0.4});
    auto stops = render();
    EXPECT_TRUE(pixelNear(at(stops, 10, 50), rgba(255, 0, 0, 255), 2));
    EXPECT_TRUE(pixelNear(at(stops, 30, 50), rgba(mix(1 - 10.5 / 20), 0, mix(10.5 / 20), 255), 3));
    EXPECT_TRUE(pixelNear(at(stops, 60, 50), rgba(0, 0, 255, 255), 2));
    // Default direction runs top to bottom.
    g->setLocations({});
    g->setStartPoint({0.5, 0});
    g->setEndPoint({0.5, 1});
    auto vertical = render();
    EXPECT_TRUE(pixelNear(at(vertical, 50, 0.5), rgba(255, 0, 0, 255), 4));
    EXPECT_TRUE(pixelNear(at(vertical, 50, 99.5), rgba(0, 0, 255, 255), 4));
}

TEST_F(Compositor, FadeMaskGradientHidesTheEdges) {
    auto text = box({{0, 0}, {100, 100}}, red());
    auto fade = CAGradientLayer::layer();
    fade->setFrame({{0, 0}, {100, 100}});
    fade->setStartPoint({0, 0.5});
    fade->setEndPoint({1, 0.5});
    fade->setColors({UIColor::clearColor(), UIColor::blackColor(), UIColor::blackColor(), UIColor::clearColor()});
    fade->setLocations({0, 0.1, 0.9, 1});
    text->setMask(fade);
    auto image = render();
    EXPECT_LT(at(image, 0.5, 50).a, 16);
    EXPECT_TRUE(pixelNear(at(image, 5, 50), rgba(255, 0, 0, int(std::lround(255 * 5.5 / 10))), 3));
    EXPECT_TRUE(pixelNear(at(image, 50, 50), rgba(255, 0, 0, 255)));
    EXPECT_LT(at(image, 99.5, 50).a, 16);
}

TEST_F(Compositor, ContentsFollowGravityAndTemplateTint) {
    auto icon = CALayer::layer();
    icon->setFrame({{0, 0}, {100, 100}});
    icon->setContents(solidImage(40, 20, 2, 0, 0, 0));  // 20 × 10 points at scale 2
    icon->setContentsScale(2);
    root->addSublayer(icon);
    EXPECT_TRUE(pixelNear(at(render(), 5, 95), rgba(0, 0, 0, 255)));  // resize fills the bounds
    icon->setContentsGravity(kCAGravityCenter);
    auto centred = render();
    EXPECT_TRUE(pixelNear(at(centred, 50, 50), rgba(0, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(centred, 41, 46), rgba(0, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(centred, 38, 50), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(centred, 50, 44), rgba(0, 0, 0, 0)));
    icon->setContentsGravity(kCAGravityResizeAspect);
    auto fit = render();
    EXPECT_TRUE(pixelNear(at(fit, 50, 30), rgba(0, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(fit, 50, 20), rgba(0, 0, 0, 0)));
    icon->setContentsGravity(kCAGravityTopLeft);
    auto corner = render();
    EXPECT_TRUE(pixelNear(at(corner, 19, 9), rgba(0, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(corner, 21, 9), rgba(0, 0, 0, 0)));
    icon->setContentsGravity(kCAGravityResize);
    icon->setContentsTintColor(red());
    EXPECT_TRUE(pixelNear(at(render(), 50, 50), rgba(255, 0, 0, 255)));
}

TEST_F(Compositor, BorderIsDrawnInsideTheBoundsAboveSublayers) {
    auto card = box({{10, 10}, {80, 80}}, red());
    box({{0, 0}, {80, 80}}, UIColor::colorWithRed(0, 1, 0, 1), card);
    card->setBorderWidth(5);
    card->setBorderColor(blue());
    auto image = render();
    EXPECT_TRUE(pixelNear(at(image, 12, 50), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(image, 87, 50), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(image, 20, 50), rgba(0, 255, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 8, 50), rgba(0, 0, 0, 0)));
}

TEST_F(Compositor, ShadowFallsBeneathByTheOffsetAndIsBlurred) {
    auto card = box({{30, 20}, {40, 40}}, white());
    card->setShadowColor(UIColor::blackColor());
    card->setShadowOpacity(1);
    card->setShadowOffset({0, 10});
    card->setShadowRadius(4);
    auto image = render(2, white());
    EXPECT_TRUE(pixelNear(at(image, 50, 40), rgba(255, 255, 255, 255)));  // the card itself
    EXPECT_LT(at(image, 50, 64).r, 120);                                  // under the card, offset down
    EXPECT_TRUE(pixelNear(at(image, 50, 14), rgba(255, 255, 255, 255)));  // nothing above
    // Blurred: the shadow fades out past its edge instead of stopping.
    int edge = at(image, 50, 70).r, beyond = at(image, 50, 74).r;
    EXPECT_GT(edge, 60);
    EXPECT_LT(edge, 200);
    EXPECT_GT(beyond, edge);
    auto path = CGPathCreateMutable();
    path->addRect({{0, 0}, {40, 40}});
    card->setShadowPath(path);
    EXPECT_LT(at(render(2, white()), 50, 64).r, 120);
}

TEST_F(Compositor, BackdropBlursWhatLiesBeneathAndTints) {
    box({{0, 0}, {50, 100}}, white());
    box({{50, 0}, {50, 100}}, UIColor::blackColor());
    auto glass = CABackdropLayer::layerWithStyle(CABackdropStyle::Light);
    glass->setFrame({{0, 0}, {100, 100}});
    glass->setBlurRadius(10);
    root->addSublayer(glass);
    auto image = render(1, white());
    // Far from the edge: the colour beneath under the light tint (white at 0.55).
    EXPECT_TRUE(pixelNear(at(image, 5, 50), rgba(255, 255, 255, 255), 3));
    EXPECT_TRUE(pixelNear(at(image, 95, 50), rgba(140, 140, 140, 255), 4));
    // The sharp edge is now a ramp several points wide.
    int a = at(image, 44, 50).r, b = at(image, 50, 50).r, c = at(image, 56, 50).r;
    EXPECT_GT(a, b);
    EXPECT_GT(b, c);
    EXPECT_LT(a, 255 - 3);
    EXPECT_GT(c, 140 + 3);
    glass->setStyle(CABackdropStyle::Dark);
    auto dark = render(1, white());
    EXPECT_TRUE(pixelNear(at(dark, 5, 50), rgba(140, 140, 140, 255), 4));
    EXPECT_TRUE(pixelNear(at(dark, 95, 50), rgba(0, 0, 0, 255), 3));
    // A layer above the backdrop is not blurred.
    box({{45, 45}, {10, 10}}, red());
    EXPECT_TRUE(pixelNear(at(render(1, white()), 50, 50), rgba(255, 0, 0, 255)));
}

TEST_F(Compositor, ShapeLayerFillsAndStrokesItsPath) {
    auto shape = CAShapeLayer::layer();
    shape->setFrame({{0, 0}, {100, 100}});
    auto path = CGPathCreateMutable();
    path->addEllipseInRect({{20, 20}, {60, 60}});
    shape->setPath(path);
    shape->setFillColor(red());
    shape->setStrokeColor(blue());
    shape->setLineWidth(6);
    root->addSublayer(shape);
    auto image = render();
    EXPECT_TRUE(pixelNear(at(image, 50, 50), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 50, 20), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(image, 50, 15), rgba(0, 0, 0, 0)));
    EXPECT_TRUE(pixelNear(at(image, 25, 25), rgba(0, 0, 0, 0)));

    auto line = CGPathCreateMutable();
    line->moveTo({0, 90});
    line->lineTo({100, 90});
    shape->setPath(line);
    shape->setFillColor(nullptr);
    shape->setStrokeEnd(0.5);
    auto halfLine = render();
    EXPECT_TRUE(pixelNear(at(halfLine, 25, 90), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(halfLine, 75, 90), rgba(0, 0, 0, 0)));
    shape->setStrokeEnd(1);
    shape->setLineDashPattern({10, 10});
    auto dashed = render();
    EXPECT_TRUE(pixelNear(at(dashed, 5, 90), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(dashed, 15, 90), rgba(0, 0, 0, 0)));
}

TEST_F(Compositor, TextLayerDrawsItsStringInsideItsBounds) {
    auto text = CATextLayer::layer();
    text->setFrame({{10, 10}, {80, 30}});
    text->setString("Flint");
    text->setFontSize(20);
    text->setForegroundColor(red());
    root->addSublayer(text);
    auto image = render(2);
    int inside = 0, outside = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            RGBA p = image->pixelAt(x, y);
            if (p.a < 128) continue;
            EXPECT_TRUE(pixelNear(p, rgba(255, 0, 0, p.a), 3));
            bool in = x >= 20 && x < 180 && y >= 20 && y < 80;
            (in ? inside : outside)++;
        }
    EXPECT_GT(inside, 100);
    EXPECT_EQ(outside, 0);
}

namespace {

struct Checker : CALayerDelegate {
    bool respondsToDrawLayer() const override { return true; }
    void drawLayerInContext(CALayer& layer, CGContext& c) override {
        c.setFillColor(0, 0, 1, 1);
        c.fillRect({{0, 0}, {layer.bounds().size.width / 2, layer.bounds().size.height}});
    }
};

}  // namespace

TEST_F(Compositor, CustomDrawingComesFromTheDelegate) {
    auto canvas = box({{0, 0}, {100, 100}}, red());
    auto checker = std::make_shared<Checker>();
    canvas->setDelegate(checker);
    canvas->setContentsScale(2);
    canvas->setNeedsDisplay();
    auto image = render(2);
    EXPECT_TRUE(pixelNear(at(image, 25, 50), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(at(image, 75, 50), rgba(255, 0, 0, 255)));  // background shows through
}

TEST_F(Compositor, AnimatedLayersAreDrawnAtTheirPresentationValues) {
    auto mover = box({{0, 40}, {20, 20}}, red());
    auto slide = CABasicAnimation::animationWithKeyPath("position.x");
    slide->setFromValue(10.0);
    slide->setToValue(90.0);
    slide->setDuration(1);
    mover->addAnimation(slide, "slide");
    process.runLoop().advanceBy(0.5);
    auto image = render();
    EXPECT_TRUE(pixelNear(at(image, 50, 50), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(at(image, 10, 50), rgba(0, 0, 0, 0)));
    EXPECT_EQ(mover->position().x, 10);  // the model is untouched
}

TEST_F(Compositor, RenderingLeavesTheModelTreeAlone) {
    auto card = box({{10, 10}, {80, 80}}, red());
    card->setOpacity(0.5);
    card->setMask(CALayer::layer());
    card->setShadowOpacity(1);
    auto child = box({{0, 0}, {10, 10}}, blue(), card);
    CGRect frame = card->frame();
    render(3);
    EXPECT_EQ(card->frame(), frame);
    EXPECT_EQ(card->opacity(), 0.5);
    EXPECT_EQ(card->sublayers().size(), 1u);
    EXPECT_EQ(child->superlayer(), card.get());
    EXPECT_EQ(root->sublayers().size(), 1u);
    EXPECT_EQ(card->mask()->superlayer(), nullptr);
}

TEST_F(Compositor, RenderInContextUsesTheLayersOwnCoordinates) {
    auto card = box({{50, 50}, {20, 20}}, red());
    auto image = UIImage::imageWithSize({20, 20}, 1, [&](CGContext& c) { card->renderInContext(c); });
    EXPECT_TRUE(pixelNear(image->pixelAt(10, 10), rgba(255, 0, 0, 255)));
    EXPECT_TRUE(pixelNear(image->pixelAt(0, 0), rgba(255, 0, 0, 255)));
}

TEST_F(Compositor, WritesAPngOfSeveralRoots) {
    box({{0, 0}, {100, 100}}, red());
    auto overlay = CALayer::layer();
    overlay->setFrame({{0, 0}, {50, 50}});
    overlay->setBackgroundColor(blue());
    auto file = process.root() / "composite.png";
    ASSERT_TRUE(CACompositor::writePNG({root.get(), overlay.get()}, {100, 100}, 2, file));
    auto image = UIImage::imageWithContentsOfHostFile(file, 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 200);
    EXPECT_TRUE(pixelNear(image->pixelAt(20, 20), rgba(0, 0, 255, 255)));
    EXPECT_TRUE(pixelNear(image->pixelAt(180, 180), rgba(255, 0, 0, 255)));
}

TEST(Blur, SoftensABlockAndKeepsItsMass) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 61, 61);
    cairo_t* c = cairo_create(s);
    cairo_rectangle(c, 20, 20, 21, 21);
    cairo_fill(c);
    cairo_destroy(c);
    CABlurImageSurface(s, 3);
    cairo_surface_flush(s);
    const unsigned char* d = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    auto px = [&](int x, int y) { return int(d[y * stride + x]); };
    long total = 0;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 61; ++x) total += px(x, y);
    EXPECT_NEAR(double(total), 21.0 * 21 * 255, 21.0 * 21 * 255 * 0.02);
    EXPECT_GE(px(30, 30), 250);  // the middle stays solid
    // Across the edge (between pixels 19 and 20) the profile follows the Gaussian's integral.
    EXPECT_NEAR(px(20, 30), 255 * 0.5 * (1 + std::erf(0.5 / (3 * std::sqrt(2.0)))), 6);
    EXPECT_NEAR(px(19, 30) + px(20, 30), 255, 6);
    EXPECT_GT(px(18, 30), px(16, 30));  // and falls off outwards
    EXPECT_GT(px(16, 30), 0);
    EXPECT_EQ(px(3, 30), 0);
    EXPECT_EQ(px(20, 30), px(40, 30));  // symmetric
    EXPECT_EQ(px(30, 20), px(20, 30));
    cairo_surface_destroy(s);
}
