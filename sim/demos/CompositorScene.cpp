#include "sim/demos/CompositorScene.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/foundation/Process.h"
#include "sim/device/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CACompositor.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/quartz/CAShapeLayer.h"
#include "platform/quartz/CATextLayer.h"

namespace flint::sim {

using namespace ios;

namespace {

UIColorRef rgb(double r, double g, double b, double a = 1) { return UIColor::colorWithRed(r, g, b, a); }

objc::Ref<CALayer> card(const objc::Ref<CALayer>& parent, const CGRect& frame, const UIColorRef& color,
                        double radius = 0) {
    auto l = CALayer::layer();
    l->setFrame(frame);
    l->setBackgroundColor(color);
    l->setCornerRadius(radius);
    parent->addSublayer(l);
    return l;
}

objc::Ref<CATextLayer> label(const objc::Ref<CALayer>& parent, const CGRect& frame, const std::string& text,
                             double size, const UIColorRef& color) {
    auto t = CATextLayer::layer();
    t->setFrame(frame);
    t->setString(text);
    t->setFontSize(size);
    t->setForegroundColor(color);
    t->setAlignmentMode(kCAAlignmentCenter);
    t->setContentsScale(3);
    parent->addSublayer(t);
    return t;
}

// Draws a little sun through the layer's delegate.
struct SunPainter : CALayerDelegate {
    bool respondsToDrawLayer() const override { return true; }
    void drawLayerInContext(CALayer& layer, CGContext& c) override {
        CGRect b = layer.bounds();
        double cx = b.size.width / 2, cy = b.size.height / 2, r = std::min(cx, cy) * 0.45;
        c.setStrokeColor(1, 0.75, 0.1, 1);
        c.setLineWidth(3);
        c.setLineCap(CGLineCap::Round);
        for (int i = 0; i < 12; ++i) {
            double a = i * M_PI / 6;
            c.moveToPoint(cx + std::cos(a) * r * 1.3, cy + std::sin(a) * r * 1.3);
            c.addLineToPoint(cx + std::cos(a) * r * 1.9, cy + std::sin(a) * r * 1.9);
        }
        c.strokePath();
        c.setFillColor(1, 0.85, 0.2, 1);
        c.fillEllipseInRect({{cx - r, cy - r}, {2 * r, 2 * r}});
    }
};

// A glyph on transparency, to be drawn as a template.
UIImageRef glyph() {
    return UIImage::imageWithSize({24, 24}, 3, [](CGContext& c) {
        c.setFillColor(0, 0, 0, 1);
        c.addArc(12, 12, 10, 0, 2 * M_PI, false);
        c.fillPath();
        c.setBlendMode(CGBlendMode::Clear);
        c.fillRect({{10, 4}, {4, 16}});
        c.fillRect({{4, 10}, {16, 4}});
    });
}

UIImageRef photo() {
    return UIImage::imageWithSize({80, 40}, 2, [](CGContext& c) {
        for (int i = 0; i < 8; ++i) {
            c.setFillColor(0.1 + i * 0.1, 0.4, 0.9 - i * 0.1, 1);
            c.fillRect({{i * 10.0, 0}, {10, 40}});
        }
        c.setFillColor(1, 1, 1, 1);
        c.fillEllipseInRect({{30, 10}, {20, 20}});
    });
}

objc::Ref<CALayer> buildScene(std::shared_ptr<SunPainter>& painter) {
    const double W = 375, H = 812;
    auto root = CALayer::layer();
    root->setFrame({{0, 0}, {W, H}});

    // Wallpaper: a diagonal gradient with explicit stops.
    auto wallpaper = CAGradientLayer::layer();
    wallpaper->setFrame({{0, 0}, {W, H}});
    wallpaper->setColors({rgb(0.10, 0.12, 0.35), rgb(0.55, 0.20, 0.55), rgb(0.95, 0.55, 0.30)});
    wallpaper->setLocations({0, 0.55, 1});
    wallpaper->setStartPoint({0, 0});
    wallpaper->setEndPoint({1, 1});
    root->addSublayer(wallpaper);

    // Row 1: rounded, clipped card with a shadow and a border; inside it photo contents
    // (aspect fill) and a template-tinted glyph.
    auto photoCard = card(root, {{20, 60}, {160, 110}}, rgb(1, 1, 1), 18);
    photoCard->setShadowOpacity(0.6);
    photoCard->setShadowRadius(8);
    photoCard->setShadowOffset({0, 6});
    auto clip = card(photoCard, {{0, 0}, {160, 110}}, nullptr, 18);
    clip->setMasksToBounds(true);
    auto picture = card(clip, {{0, 0}, {160, 110}}, nullptr);
    picture->setContents(photo());
    picture->setContentsScale(2);
    picture->setContentsGravity(kCAGravityResizeAspectFill);
    auto icon = card(photoCard, {{120, 8}, {32, 32}}, rgb(1, 1, 1, 0.85), 16);
    auto tinted = card(icon, {{4, 4}, {24, 24}}, nullptr);
    tinted->setContents(glyph());
    tinted->setContentsScale(3);
    tinted->setContentsTintColor(rgb(0.9, 0.2, 0.3));
    photoCard->setBorderWidth(3);
    photoCard->setBorderColor(rgb(1, 1, 1, 0.9));

    // Delegate drawing in a card whose shadow comes from a shadow path.
    auto sunCard = card(root, {{195, 60}, {160, 110}}, rgb(0.15, 0.55, 0.85), 18);
    auto path = CGPathCreateMutable();
    path->addRoundedRect({{0, 0}, {160, 110}}, 18, 18);
    sunCard->setShadowPath(path);
    sunCard->setShadowOpacity(0.5);
    sunCard->setShadowRadius(12);
    sunCard->setShadowOffset({6, 6});
    auto sun = card(sunCard, {{0, 0}, {160, 110}}, nullptr);
    painter = std::make_shared<SunPainter>();
    sun->setDelegate(painter);
    sun->setContentsScale(3);
    sun->setNeedsDisplay();

    // Row 2: group opacity over overlapping squares, and z order against list order.
    auto group = card(root, {{20, 200}, {160, 120}}, nullptr);
    card(group, {{0, 0}, {100, 100}}, rgb(1, 0.2, 0.2), 10);
    card(group, {{60, 20}, {100, 100}}, rgb(0.2, 0.9, 0.3), 10);
    group->setOpacity(0.6);
    auto stack = card(root, {{195, 200}, {160, 120}}, nullptr);
    auto front = card(stack, {{0, 0}, {100, 100}}, rgb(1, 0.8, 0.1), 50);
    card(stack, {{60, 20}, {100, 100}}, rgb(0.3, 0.3, 1), 10);
    front->setZPosition(5);

    // Row 3: a shape layer with a dashed stroke, a partial stroke, and a circular shape mask.
    auto shape = CAShapeLayer::layer();
    shape->setFrame({{20, 350}, {160, 120}});
    auto star = CGPathCreateMutable();
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? 22 : 52;
        CGPoint p{80 + std::cos(a) * r, 60 + std::sin(a) * r};
        i ? star->lineTo(p) : star->moveTo(p);
    }
    star->closeSubpath();
    shape->setPath(star);
    shape->setFillColor(rgb(1, 0.85, 0.2));
    shape->setStrokeColor(rgb(1, 1, 1));
    shape->setLineWidth(4);
    shape->setLineDashPattern({10, 6});
    shape->setLineJoin(kCALineJoinRound);
    root->addSublayer(shape);
    auto ring = CAShapeLayer::layer();
    ring->setFrame({{20, 350}, {160, 120}});
    auto circle = CGPathCreateMutable();
    circle->addEllipseInRect({{120, 80}, {32, 32}});
    ring->setPath(circle);
    ring->setFillColor(nullptr);
    ring->setStrokeColor(rgb(0.2, 1, 0.6));
    ring->setLineWidth(5);
    ring->setLineCap(kCALineCapRound);
    ring->setStrokeEnd(0.7);
    root->addSublayer(ring);
    auto masked = card(root, {{195, 350}, {160, 120}}, nullptr);
    masked->setContents(photo());
    masked->setContentsScale(2);
    auto circleMask = CAShapeLayer::layer();
    circleMask->setFrame({{0, 0}, {160, 120}});
    auto maskPath = CGPathCreateMutable();
    maskPath->addEllipseInRect({{20, 0}, {120, 120}});
    circleMask->setPath(maskPath);
    masked->setMask(circleMask);

    // Row 4: a replicator of bars, and text behind a gradient fade mask.
    auto bars = CAReplicatorLayer::layer();
    bars->setFrame({{20, 500}, {160, 90}});
    card(bars, {{4, 20}, {12, 60}}, rgb(0.95, 0.95, 1), 4);
    bars->setInstanceCount(9);
    bars->setInstanceTransform(CATransform3DMakeTranslation(17, -2, 0));
    root->addSublayer(bars);
    auto marquee = card(root, {{195, 500}, {160, 90}}, rgb(0, 0, 0, 0.35), 12);
    label(marquee, {{-20, 28}, {200, 40}}, "Flint compositor", 24, rgb(1, 1, 1));
    auto fade = CAGradientLayer::layer();
    fade->setFrame({{0, 0}, {160, 90}});
    fade->setStartPoint({0, 0.5});
    fade->setEndPoint({1, 0.5});
    fade->setColors({UIColor::clearColor(), UIColor::blackColor(), UIColor::blackColor(), UIColor::clearColor()});
    fade->setLocations({0, 0.15, 0.85, 1});
    marquee->setMask(fade);

    // Row 5: 3D — a tilt about X (orthographic) and a perspective turn about Y; and a layer half
    // way through its slide.
    auto tilt = card(root, {{30, 615}, {140, 70}}, rgb(0.95, 0.4, 0.2), 10);
    tilt->setTransform(CATransform3DMakeRotation(M_PI / 3, 1, 0, 0));
    label(tilt, {{0, 16}, {140, 40}}, "tilt X 60°", 20, rgb(1, 1, 1));
    auto turn = card(root, {{205, 610}, {140, 80}}, rgb(0.2, 0.7, 0.5), 10);
    CATransform3D perspective = CATransform3DIdentity;
    perspective.m34 = -1.0 / 300;
    turn->setTransform(CATransform3DRotate(perspective, M_PI / 4, 0, 1, 0));
    label(turn, {{0, 20}, {140, 40}}, "perspective", 20, rgb(1, 1, 1));
    auto slider = card(root, {{20, 700}, {30, 30}}, rgb(1, 1, 1), 15);
    auto slide = CABasicAnimation::animationWithKeyPath("position.x");
    slide->setFromValue(35.0);
    slide->setToValue(340.0);
    slide->setDuration(2);
    slide->setBeginTime(slider->convertTimeFromLayer(CACurrentMediaTime(), nullptr) - 1);  // half way now
    slider->addAnimation(slide, "slide");

    // Backdrops: a dark panel over the top right corner and a light bar at the bottom.
    auto dark = CABackdropLayer::layerWithStyle(CABackdropStyle::Dark);
    dark->setFrame({{285, 185}, {80, 300}});
    dark->setCornerRadius(20);
    root->addSublayer(dark);
    label(dark, {{0, 135}, {80, 30}}, "dark", 16, rgb(1, 1, 1));
    auto light = CABackdropLayer::layerWithStyle(CABackdropStyle::Light);
    light->setFrame({{0, 745}, {W, 67}});
    root->addSublayer(light);
    label(light, {{0, 18}, {W, 30}}, "light blur", 18, rgb(0.1, 0.1, 0.1));
    return root;
}

}  // namespace

int writeCompositorScene(const std::string& outPng, double scale) {
    if (scale <= 0) scale = 3;
    ScratchProcess scratch("flint-scene");
    if (!scratch.ok()) return 1;
    std::shared_ptr<SunPainter> painter;
    auto root = buildScene(painter);
    bool ok = CACompositor::writePNG({root.get()}, {375, 812}, scale, outPng, UIColor::blackColor());
    root.reset();
    return ok ? 0 : 1;
}

}  // namespace flint::sim
