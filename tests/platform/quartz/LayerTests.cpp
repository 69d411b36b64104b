#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "platform/quartz/CALayer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/quartz/CAShapeLayer.h"

using namespace ios;

namespace {

class Layers : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
};

void expectRect(const CGRect& r, double x, double y, double w, double h) {
    EXPECT_NEAR(r.origin.x, x, 1e-9);
    EXPECT_NEAR(r.origin.y, y, 1e-9);
    EXPECT_NEAR(r.size.width, w, 1e-9);
    EXPECT_NEAR(r.size.height, h, 1e-9);
}

}  // namespace

TEST_F(Layers, FrameComesFromPositionAnchorAndBounds) {
    auto l = CALayer::layer();
    l->setFrame({{10, 20}, {100, 50}});
    EXPECT_EQ(l->position(), (CGPoint{60, 45}));
    expectRect(l->bounds(), 0, 0, 100, 50);
    l->setAnchorPoint({0, 0});
    expectRect(l->frame(), 60, 45, 100, 50);  // position stays, the frame moves
    l->setFrame({{-10, 5}, {-20, 30}});       // negative sizes are standardised
    expectRect(l->frame(), -30, 5, 20, 30);
}

TEST_F(Layers, FrameOfATransformedLayerIsTheBoxOfItsCorners) {
    auto l = CALayer::layer();
    l->setBounds({{0, 0}, {100, 50}});
    l->setPosition({200, 200});
    l->setTransform(CATransform3DMakeRotation(M_PI / 2, 0, 0, 1));
    expectRect(l->frame(), 175, 150, 50, 100);
    l->setTransform(CATransform3DMakeScale(2, 3, 1));
    expectRect(l->frame(), 100, 125, 200, 150);
    l->setTransform(CATransform3DMakeRotation(M_PI / 2, 1, 0, 0));
    EXPECT_NEAR(l->frame().size.height, 0, 1e-9);
}

TEST_F(Layers, SublayerListOperations) {
    auto root = CALayer::layer();
    auto a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer(), d = CALayer::layer();
    root->addSublayer(a);
    root->addSublayer(b);
    root->insertSublayerAtIndex(c, 0);
    root->insertSublayerAbove(d, a.get());
    ASSERT_EQ(root->sublayers().size(), 4u);
    EXPECT_EQ(root->sublayers()[0], c);
    EXPECT_EQ(root->sublayers()[1], a);
    EXPECT_EQ(root->sublayers()[2], d);
    EXPECT_EQ(root->sublayers()[3], b);
    EXPECT_EQ(a->superlayer(), root.get());
    root->insertSublayerAtIndex(b, 99);  // moving within the same parent
    EXPECT_EQ(root->sublayers().back(), b);
    EXPECT_EQ(root->sublayers().size(), 4u);
    auto other = CALayer::layer();
    other->addSublayer(a);  // moving to another parent
    EXPECT_EQ(root->sublayers().size(), 3u);
    EXPECT_EQ(a->superlayer(), other.get());
    root->replaceSublayer(d.get(), a);
    EXPECT_EQ(d->superlayer(), nullptr);
    EXPECT_EQ(root->sublayers()[1], a);
    a->addSublayer(root);  // a cycle is refused
    EXPECT_TRUE(a->sublayers().empty());
    a->removeFromSuperlayer();
    EXPECT_EQ(root->sublayers().size(), 2u);
}

TEST_F(Layers, DrawingOrderSortsByZPositionStably) {
    auto root = CALayer::layer();
    auto a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer();
    root->addSublayer(a);
    root->addSublayer(b);
    root->addSublayer(c);
    a->setZPosition(10);
    c->setZPosition(-1);
    auto order = root->sublayersInDrawingOrder();
    EXPECT_EQ(order[0], c);
    EXPECT_EQ(order[1], b);
    EXPECT_EQ(order[2], a);
    EXPECT_EQ(root->sublayers()[0], a);  // the list itself is untouched
}

TEST_F(Layers, ConvertPointAndHitTestThroughTransforms) {
    auto root = CALayer::layer();
    root->setFrame({{0, 0}, {400, 400}});
    auto child = CALayer::layer();
    child->setBounds({{0, 0}, {100, 50}});
    child->setPosition({200, 100});
    child->setTransform(CATransform3DMakeScale(2, 2, 1));
    root->addSublayer(child);
    CGPoint p = child->convertPointToLayer({0, 0}, root.get());
    EXPECT_NEAR(p.x, 100, 1e-9);
    EXPECT_NEAR(p.y, 50, 1e-9);
    CGPoint back = child->convertPointFromLayer({100, 50}, root.get());
    EXPECT_NEAR(back.x, 0, 1e-9);
    EXPECT_NEAR(back.y, 0, 1e-9);
    EXPECT_EQ(root->hitTest({290, 140}), child.get());
    EXPECT_EQ(root->hitTest({310, 140}), root.get());
    child->setHidden(true);
    EXPECT_EQ(root->hitTest({290, 140}), root.get());
}

TEST_F(Layers, SublayerTransformAppliesAboutTheAnchor) {
    auto root = CALayer::layer();
    root->setFrame({{0, 0}, {200, 200}});
    root->setSublayerTransform(CATransform3DMakeScale(0.5, 0.5, 1));
    auto child = CALayer::layer();
    child->setFrame({{0, 0}, {200, 200}});
    root->addSublayer(child);
    CGPoint corner = child->convertPointToLayer({0, 0}, root.get());
    EXPECT_NEAR(corner.x, 50, 1e-9);
    EXPECT_NEAR(corner.y, 50, 1e-9);
}

TEST_F(Layers, KeyPathsReadAndWrite) {
    auto l = CALayer::layer();
    EXPECT_TRUE(l->setValueForKeyPath("position.y", 12.0));
    EXPECT_EQ(l->position().y, 12);
    EXPECT_TRUE(l->setValueForKeyPath("bounds.size", CGSize{30, 40}));
    EXPECT_EQ(l->bounds().size, (CGSize{30, 40}));
    EXPECT_FALSE(l->setValueForKeyPath("opacity", CGPoint{1, 2}));  // wrong kind
    EXPECT_FALSE(l->setValueForKeyPath("nonsense", 1.0));
    EXPECT_TRUE(l->setValueForKeyPath("transform.scale", 3.0));
    EXPECT_NEAR(l->transform().m11, 3, 1e-12);
    EXPECT_TRUE(l->setValueForKeyPath("transform.rotation.z", M_PI / 2));
    EXPECT_NEAR(l->valueForKeyPath("transform.rotation.z").number(), M_PI / 2, 1e-9);
    EXPECT_NEAR(l->valueForKeyPath("transform.scale.x").number(), 3, 1e-9);  // scale kept
    EXPECT_TRUE(l->setValueForKeyPath("backgroundColor", nullptr));
    auto shape = CAShapeLayer::layer();
    EXPECT_TRUE(shape->setValueForKeyPath("strokeEnd", 0.5));
    EXPECT_EQ(shape->strokeEnd(), 0.5);
    EXPECT_TRUE(shape->setValueForKeyPath("position.x", 4.0));  // inherited paths still work
}

TEST_F(Layers, DefaultsFollowThePlatform) {
    auto l = CALayer::layer();
    EXPECT_EQ(l->anchorPoint(), (CGPoint{0.5, 0.5}));
    EXPECT_EQ(l->opacity(), 1);
    EXPECT_TRUE(l->borderColor()->isEqual(*UIColor::blackColor()));
    EXPECT_EQ(l->shadowOffset(), (CGSize{0, -3}));
    EXPECT_EQ(l->shadowRadius(), 3);
    EXPECT_EQ(l->shadowOpacity(), 0);
    EXPECT_EQ(l->contentsGravity(), kCAGravityResize);
    auto shape = CAShapeLayer::layer();
    EXPECT_TRUE(shape->fillColor()->isEqual(*UIColor::blackColor()));
    EXPECT_FALSE(shape->strokeColor());
    EXPECT_EQ(CAReplicatorLayer::layer()->instanceCount(), 1);
}

namespace {

struct Painter : CALayerDelegate {
    int calls = 0;
    bool respondsToDrawLayer() const override { return true; }
    void drawLayerInContext(CALayer& layer, CGContext& c) override {
        ++calls;
        c.setFillColor(1, 0, 0, 1);
        c.fillRect(layer.bounds());
    }
};

}  // namespace

TEST_F(Layers, BackingStoreRedrawsOnlyTheMarkedArea) {
    auto l = CALayer::layer();
    auto painter = std::make_shared<Painter>();
    l->setDelegate(painter);
    l->setBounds({{0, 0}, {100, 80}});
    l->setContentsScale(2);
    l->displayIfNeeded();
    EXPECT_EQ(painter->calls, 0);  // nothing is drawn until asked for
    l->setNeedsDisplay();
    l->displayIfNeeded();
    ASSERT_TRUE(l->backingStore());
    EXPECT_EQ(cairo_image_surface_get_width(l->backingStore()), 200);
    EXPECT_EQ(cairo_image_surface_get_height(l->backingStore()), 160);
    expectRect(l->lastDisplayRectForTesting(), 0, 0, 100, 80);
    l->setNeedsDisplayInRect({{10.2, 10}, {5, 5}});
    l->setNeedsDisplayInRect({{30, 30}, {5, 5}});
    l->displayIfNeeded();
    EXPECT_EQ(painter->calls, 2);
    expectRect(l->lastDisplayRectForTesting(), 10, 10, 25, 25);  // the union, on whole pixels
    l->displayIfNeeded();
    EXPECT_EQ(painter->calls, 2);
    l->setBounds({{0, 0}, {50, 50}});  // a new size needs a whole new store
    l->setNeedsDisplayInRect({{0, 0}, {1, 1}});
    l->displayIfNeeded();
    expectRect(l->lastDisplayRectForTesting(), 0, 0, 50, 50);
    EXPECT_EQ(cairo_image_surface_get_width(l->backingStore()), 100);
}

TEST_F(Layers, PresentationCopyKeepsTheSubclass) {
    auto shape = CAShapeLayer::layer();
    shape->setLineWidth(7);
    auto p = shape->presentationLayer();
    auto asShape = objc::cast<CAShapeLayer>(p);
    ASSERT_TRUE(asShape);
    EXPECT_EQ(asShape->lineWidth(), 7);
    EXPECT_TRUE(p->isPresentation());
    EXPECT_EQ(p->modelLayer(), shape.get());
    EXPECT_EQ(shape->modelLayer(), shape.get());

    // The copy is a live object of its own, counted under its class until it goes (with the
    // colours the two layers held).
    const auto withCopy = objc::liveObjectCounts();
    p.reset();
    asShape.reset();
    shape.reset();
    EXPECT_EQ(objc::diffLiveObjectCounts(withCopy, objc::liveObjectCounts())["CAShapeLayer"], -2);
}
