#pragma once
// Random layer trees for checking retained frames against full renders: a few roots (windows)
// of nested layers with every kind of content the compositor draws (backgrounds, contents with
// gravity, custom drawing, corner radii, borders, masks, shadows, opacity groups, 2D and 3D
// transforms, shape, gradient, text, replicator and backdrop-blur layers), then random changes:
// property sets, tree and root-order changes, partial redraws of backing stores and animations.
// Randomness comes from a caller's source (a seeded engine in tests, the input in fuzzing).

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CAAnimation.h"
#include "platform/quartz/CABackdropLayer.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CALayer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/quartz/CAShapeLayer.h"
#include "platform/quartz/CATextLayer.h"
#include "platform/quartz/CATransaction.h"

namespace ios::testing {

class RandomLayerScene {
public:
    using Source = std::function<std::uint32_t()>;

    RandomLayerScene(Source source, CGSize size) : m_next(std::move(source)), m_size(size) {
        m_image = UIImage::imageWithSize({12, 8}, 2, [](CGContext& c) {
            c.setFillColor(0.1, 0.6, 0.3, 1);
            c.fillRect({{0, 0}, {12, 8}});
            c.setFillColor(0.9, 0.8, 0.1, 0.7);
            c.fillEllipseInRect({{2, 1}, {7, 6}});
        });
        int roots = 1 + pick(3);
        for (int i = 0; i < roots; ++i) {
            auto root = CALayer::layer();
            root->setFrame({{0, 0}, m_size});
            if (i == 0) root->setBackgroundColor(UIColor::colorWithRed(0.95, 0.95, 0.97, 1));
            m_roots.push_back(root);
            m_all.push_back(root);
            int children = 2 + pick(4);
            for (int c = 0; c < children; ++c) grow(root, 0);
        }
    }

    std::vector<CALayer*> roots() const {
        std::vector<CALayer*> out;
        for (const auto& r : m_roots) out.push_back(r.get());
        return out;
    }

    // One random change; returns a short description (for failure messages).
    std::string step() {
        CATransaction::setDisableActions(true);
        std::string what = change();
        CATransaction::setDisableActions(false);
        return what;
    }

    std::uint32_t pick(std::uint32_t n) { return n ? m_next() % n : 0; }
    double unit() { return (m_next() % 10001) / 10000.0; }
    double between(double a, double b) { return a + (b - a) * unit(); }

private:
    class Painter : public CALayerDelegate {
    public:
        bool respondsToDrawLayer() const override { return true; }
        void drawLayerInContext(CALayer& layer, CGContext& c) override {
            const CGRect& b = layer.bounds();
            c.setFillColor(0.2, 0.3, 0.8, 0.8);
            c.fillEllipseInRect(CGRectInset(b, b.size.width / 6, b.size.height / 6));
            c.setStrokeColor(0.8, 0.1, 0.2, 1);
            c.setLineWidth(2);
            for (const CGPoint& p : dots) c.strokeEllipseInRect({{p.x - 3, p.y - 3}, {6, 6}});
        }
        std::vector<CGPoint> dots;
    };

    UIColorRef color() { return UIColor::colorWithRed(unit(), unit(), unit(), pick(3) ? 1.0 : between(0.2, 0.9)); }

    CGRect frameIn(const CALayer& parent) {
        const CGRect& b = parent.bounds();
        double w = between(8, std::max(10.0, b.size.width * 0.8)), h = between(8, std::max(10.0, b.size.height * 0.8));
        return {{between(-10, b.size.width - w / 2), between(-10, b.size.height - h / 2)}, {w, h}};
    }

    CGPathRef randomPath(const CGRect& b) {
        auto path = std::make_shared<CGPath>();
        if (pick(2)) {
            path->addEllipseInRect(CGRectInset(b, b.size.width * 0.1, b.size.height * 0.1));
        } else {
            path->moveTo({b.origin.x + between(0, b.size.width), b.origin.y + between(0, b.size.height)});
            for (int i = 0; i < 4; ++i)
                path->lineTo({b.origin.x + between(-5, b.size.width + 5), b.origin.y + between(-5, b.size.height + 5)});
        }
        return path;
    }

    CATransform3D randomTransform() {
        switch (pick(5)) {
        case 0: return CATransform3DIdentity;
        case 1: return CATransform3DMakeRotation(between(-1, 1), 0, 0, 1);
        case 2: return CATransform3DMakeScale(between(0.5, 1.5), between(0.5, 1.5), 1);
        case 3: {
            CATransform3D t = CATransform3DIdentity;
            t.m34 = -1.0 / between(200, 600);
            return CATransform3DRotate(t, between(-0.9, 0.9), pick(2) ? 1 : 0, 1, 0);
        }
        default: return CATransform3DMakeRotation(between(-0.8, 0.8), 1, 0, 0);  // flattened orthographically
        }
    }

    objc::Ref<CALayer> makeLayer(int depth) {
        objc::Ref<CALayer> l;
        switch (pick(depth == 0 ? 9 : 8)) {
        case 0: {
            auto s = CAShapeLayer::layer();
            s->setFillColor(pick(2) ? color() : nullptr);
            s->setStrokeColor(color());
            s->setLineWidth(between(0, 6));
            l = s;
            break;
        }
        case 1: {
            auto g = CAGradientLayer::layer();
            g->setColors({color(), color(), color()});
            if (pick(2)) g->setType(kCAGradientLayerRadial);
            l = g;
            break;
        }
        case 2: {
            auto t = CATextLayer::layer();
            t->setString(pick(2) ? "Flint 42" : "Hello, retained world");
            t->setFontSize(between(8, 20));
            t->setForegroundColor(color());
            t->setWrapped(pick(2));
            l = t;
            break;
        }
        case 3: {
            auto painter = std::make_shared<Painter>();
            m_painters.push_back(painter);
            l = CALayer::layer();
            l->setContentsScale(m_contentsScale);
            l->setDelegate(painter);
            l->setNeedsDisplay();
            break;
        }
        case 4: {
            l = CALayer::layer();
            l->setContents(m_image);
            l->setContentsScale(2);
            static const char* gravities[] = {"resize", "center", "topLeft", "resizeAspect", "bottomRight"};
            l->setContentsGravity(gravities[pick(5)]);
            break;
        }
        case 5: {
            auto r = CAReplicatorLayer::layer();
            r->setInstanceCount(1 + pick(3));
            r->setInstanceTransform(CATransform3DMakeTranslation(between(-10, 20), between(-10, 20), 0));
            l = r;
            break;
        }
        case 8: {
            auto b = CABackdropLayer::layerWithStyle(pick(2) ? CABackdropStyle::Dark : CABackdropStyle::Light);
            b->setBlurRadius(between(0, 16));
            l = b;
            break;
        }
        default: l = CALayer::layer(); break;
        }
        if (pick(3)) l->setBackgroundColor(color());
        return l;
    }

    void decorate(CALayer& l) {
        if (!pick(3)) l.setCornerRadius(between(0, 15));
        if (!pick(4)) l.setMasksToBounds(true);
        if (!pick(4)) {
            l.setBorderWidth(between(0.5, 4));
            l.setBorderColor(color());
        }
        if (!pick(4)) shadow(l);
        if (!pick(5)) l.setOpacity(between(0.2, 1));
        if (!pick(5)) l.setTransform(randomTransform());
    }

    void shadow(CALayer& l) {
        l.setShadowOpacity(between(0, 1));
        l.setShadowRadius(between(0, 10));
        l.setShadowOffset({between(-6, 6), between(-6, 6)});
        l.setShadowColor(color());
        if (!pick(3))
            l.setShadowPath(CGPathCreateWithRoundedRect(CGRectInset(l.bounds(), -2, -2), 4, 4, nullptr));
        else
            l.setShadowPath(nullptr);
    }

    void grow(const objc::Ref<CALayer>& parent, int depth) {
        auto l = makeLayer(depth);
        l->setFrame(frameIn(*parent));
        if (auto s = objc::cast<CAShapeLayer>(l)) s->setPath(randomPath(s->bounds()));
        decorate(*l);
        parent->addSublayer(l);
        m_all.push_back(l);
        if (depth < 3) {
            int children = pick(depth == 0 ? 4 : 3);
            for (int i = 0; i < children; ++i) grow(l, depth + 1);
        }
        if (!pick(12)) {
            auto mask = CAShapeLayer::layer();
            mask->setFrame(l->bounds());
            mask->setPath(randomPath(l->bounds()));
            mask->setFillColor(UIColor::blackColor());
            l->setMask(mask);
            m_masks.push_back(mask);
        }
    }

    objc::Ref<CALayer> anyLayer() { return m_all[pick(static_cast<std::uint32_t>(m_all.size()))]; }

    objc::Ref<CALayer> anyShown() {
        for (int tries = 0; tries < 8; ++tries) {
            auto l = anyLayer();
            if (l->superlayer() || isRoot(l.get())) return l;
        }
        return m_roots.front();
    }

    bool isRoot(const CALayer* l) const {
        for (auto& r : m_roots)
            if (r.get() == l) return true;
        return false;
    }

    void animate(CALayer& l) {
        static const char* keys[] = {"position",    "opacity",      "transform.rotation.z", "backgroundColor",
                                     "bounds.size", "cornerRadius", "shadowOpacity"};
        std::string key = keys[pick(7)];
        auto a = CABasicAnimation::animationWithKeyPath(key);
        if (key == "position")
            a->setToValue(CGPoint{l.position().x + between(-30, 30), l.position().y + between(-30, 30)});
        else if (key == "opacity" || key == "shadowOpacity")
            a->setToValue(between(0, 1));
        else if (key == "transform.rotation.z")
            a->setToValue(between(-3, 3));
        else if (key == "backgroundColor")
            a->setToValue(color());
        else if (key == "bounds.size")
            a->setToValue(CGSize{between(5, 80), between(5, 80)});
        else
            a->setToValue(between(0, 20));
        a->setDuration(between(0.05, 0.6));
        if (!pick(4)) a->setAutoreverses(true);
        if (!pick(6)) a->setRepeatCount(2);
        if (!pick(5)) {
            a->setFillMode(kCAFillModeForwards);
            a->setRemovedOnCompletion(false);
        }
        l.addAnimation(a, pick(2) ? key : std::string());
    }

    std::string change() {
        auto l = anyShown();
        switch (pick(26)) {
        case 0:
            l->setPosition({l->position().x + between(-20, 20), l->position().y + between(-20, 20)});
            return "position";
        case 1: l->setBounds({{0, 0}, {between(4, 120), between(4, 120)}}); return "bounds";
        case 2: l->setBackgroundColor(pick(4) ? color() : nullptr); return "backgroundColor";
        case 3: l->setOpacity(pick(4) ? between(0, 1) : 1); return "opacity";
        case 4: l->setHidden(!l->isHidden()); return "hidden";
        case 5: l->setCornerRadius(between(0, 20)); return "cornerRadius";
        case 6: l->setTransform(randomTransform()); return "transform";
        case 7: shadow(*l); return "shadow";
        case 8: l->setMasksToBounds(!l->masksToBounds()); return "masksToBounds";
        case 9: l->setZPosition(between(-2, 2)); return "zPosition";
        case 10: {  // move to another parent
            auto parent = anyShown();
            if (parent == l || parent->isDescendantOf(l.get()) || isRoot(l.get())) return "none";
            parent->insertSublayerAtIndex(l, pick(4));
            return "move";
        }
        case 11:
            if (isRoot(l.get())) return "none";
            l->removeFromSuperlayer();
            return "remove";
        case 12: {
            auto parent = anyShown();
            grow(parent, 2);
            return "add";
        }
        case 13: {  // re-order the roots (window ordering)
            if (m_roots.size() < 2) return "none";
            std::swap(m_roots[0], m_roots[m_roots.size() - 1]);
            return "roots";
        }
        case 14: {
            for (auto& painter : m_painters)
                if (auto* layer = findDrawn(*painter)) {
                    CGPoint p{between(0, layer->bounds().size.width), between(0, layer->bounds().size.height)};
                    painter->dots.push_back(p);
                    layer->setNeedsDisplayInRect({{p.x - 4, p.y - 4}, {8, 8}});
                    return "display";
                }
            return "none";
        }
        case 15:
            l->setBorderWidth(between(0, 5));
            l->setBorderColor(color());
            return "border";
        case 16:
            if (auto s = objc::cast<CAShapeLayer>(l)) {
                s->setPath(randomPath(s->bounds()));
                s->setStrokeEnd(between(0.2, 1));
                return "path";
            }
            return "none";
        case 17:
            if (auto t = objc::cast<CATextLayer>(l)) {
                t->setString(pick(2) ? "Changed " + std::to_string(pick(100)) : "x");
                return "string";
            }
            l->setContents(pick(2) ? m_image : nullptr);
            return "contents";
        case 18: l->setSublayerTransform(randomTransform()); return "sublayerTransform";
        case 19: l->setAnchorPoint({unit(), unit()}); return "anchorPoint";
        case 20:
        case 21:
        case 22: animate(*l); return "animate";
        case 23:
            if (auto b = objc::cast<CABackdropLayer>(l)) {
                b->setBlurRadius(between(0, 20));
                return "blurRadius";
            }
            if (auto g = objc::cast<CAGradientLayer>(l)) {
                g->setColors({color(), color()});
                return "colors";
            }
            return "none";
        case 24:
            if (!m_masks.empty()) {
                auto& mask = m_masks[pick(static_cast<std::uint32_t>(m_masks.size()))];
                mask->setPosition({mask->position().x + between(-10, 10), mask->position().y});
                return "mask";
            }
            return "none";
        default:
            if (auto r = objc::cast<CAReplicatorLayer>(l)) {
                r->setInstanceCount(pick(4));
                return "instances";
            }
            l->setShadowOpacity(l->shadowOpacity() > 0 ? 0 : between(0.3, 1));
            return "shadowOpacity";
        }
    }

    CALayer* findDrawn(const Painter& painter) {
        for (auto& l : m_all)
            if (l->delegate().get() == &painter && (l->superlayer() || isRoot(l.get()))) return l.get();
        return nullptr;
    }

    Source m_next;
    CGSize m_size;
    double m_contentsScale = 2;
    UIImageRef m_image;
    std::vector<objc::Ref<CALayer>> m_roots;
    std::vector<objc::Ref<CALayer>> m_all;
    std::vector<objc::Ref<CALayer>> m_masks;
    std::vector<std::shared_ptr<Painter>> m_painters;
};

}  // namespace ios::testing
