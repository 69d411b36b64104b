#pragma once
// Layers: the model tree of what is on screen. A layer's geometry is its bounds (its own
// coordinate space), its position in the superlayer and the anchor point (a unit-square point of
// the bounds that sits at the position and about which the transform applies). The frame is
// derived: the box of the transformed bounds in the superlayer.
//
// Property changes take effect at once. When actions are not disabled (CATransaction), a change
// asks the delegate for an action (actionForLayer) before it is made; an action returned is added
// as an animation under the property's key after the change. This is how view animations hook in;
// nothing animates implicitly.
//
// The presentation layer is a copy of the model with every running animation applied at the
// current media time (CACurrentMediaTime). Layer time: a layer's local time is
// (parent time − beginTime) × speed + timeOffset, the parent time of a root layer being the
// media clock; animations run in their layer's local time, so speed 0 freezes them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <cairo.h>

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIImage.h"
#include "platform/objc/Runtime.h"
#include "platform/quartz/CAAnimation.h"
#include "platform/quartz/CATransform3D.h"
#include "platform/quartz/CAValue.h"

namespace ios {

class CALayer;
class CGContext;
class CATransactionCompletion;

// The media clock of the current process's run loop (0 without a process).
double CACurrentMediaTime();

// Contents gravity, read with y pointing down: "top" puts the contents at the top edge.
inline const std::string kCAGravityCenter = "center";
inline const std::string kCAGravityTop = "top";
inline const std::string kCAGravityBottom = "bottom";
inline const std::string kCAGravityLeft = "left";
inline const std::string kCAGravityRight = "right";
inline const std::string kCAGravityTopLeft = "topLeft";
inline const std::string kCAGravityTopRight = "topRight";
inline const std::string kCAGravityBottomLeft = "bottomLeft";
inline const std::string kCAGravityBottomRight = "bottomRight";
inline const std::string kCAGravityResize = "resize";
inline const std::string kCAGravityResizeAspect = "resizeAspect";
inline const std::string kCAGravityResizeAspectFill = "resizeAspectFill";

// Optional callbacks of a layer's delegate (a view, usually). Held weakly.
class CALayerDelegate {
public:
    virtual ~CALayerDelegate() = default;
    // Whether drawLayerInContext is implemented; only then does the layer get a backing store.
    virtual bool respondsToDrawLayer() const { return false; }
    // Draws the layer's content in its bounds' coordinates, clipped to the area being redrawn.
    virtual void drawLayerInContext(CALayer& layer, CGContext& context) {}
    virtual void layoutSublayersOfLayer(CALayer& layer) {}
    // The animation to run for a change of `key`, asked before the change; none for none.
    virtual objc::Ref<CAAnimation> actionForLayer(CALayer& layer, const std::string& key) { return nullptr; }
};

class CALayer : public objc::Object, public CAMediaTiming {
    OBJC_CLASS_DECLARE(CALayer)
public:
    static objc::Ref<CALayer> layer();
    ~CALayer() override;

    // --- geometry ---
    const CGRect& bounds() const { return m_bounds; }
    void setBounds(const CGRect& bounds);
    const CGPoint& position() const { return m_position; }
    void setPosition(const CGPoint& position);
    double zPosition() const { return m_zPosition; }
    void setZPosition(double z);
    const CGPoint& anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(const CGPoint& anchor);
    const CATransform3D& transform() const { return m_transform; }
    void setTransform(const CATransform3D& t);
    CGAffineTransform affineTransform() const { return CATransform3DGetAffineTransform(m_transform); }
    void setAffineTransform(const CGAffineTransform& t) { setTransform(CATransform3DMakeAffineTransform(t)); }
    // Applied to every sublayer, about this layer's anchor point.
    const CATransform3D& sublayerTransform() const { return m_sublayerTransform; }
    void setSublayerTransform(const CATransform3D& t);
    // The bounding box of the transformed bounds in the superlayer. Setting it sets the position
    // and the bounds size (the transform is not consulted, as on the platform).
    CGRect frame() const;
    void setFrame(const CGRect& frame);

    // --- appearance ---
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks);
    // The mask's alpha (contents, drawing and sublayers) masks this layer; its geometry is in this
    // layer's coordinates. A mask has no superlayer.
    const objc::Ref<CALayer>& mask() const { return m_mask; }
    void setMask(objc::Ref<CALayer> mask);
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);
    // Opacity applies to the layer and its sublayers as one group (the default), or to each part.
    bool allowsGroupOpacity() const { return m_allowsGroupOpacity; }
    void setAllowsGroupOpacity(bool allows) { m_allowsGroupOpacity = allows; }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    const UIColorRef& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(UIColorRef color);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    const UIColorRef& borderColor() const { return m_borderColor; }
    void setBorderColor(UIColorRef color);
    const UIColorRef& shadowColor() const { return m_shadowColor; }
    void setShadowColor(UIColorRef color);
    const CGSize& shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(const CGSize& offset);
    double shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(double opacity);
    double shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(double radius);
    // When set, the shadow takes this shape instead of the layer's rendered alpha.
    const CGPathRef& shadowPath() const { return m_shadowPath; }
    void setShadowPath(CGPathRef path);
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    bool isDoubleSided() const { return m_doubleSided; }
    void setDoubleSided(bool doubleSided) { m_doubleSided = doubleSided; }
    const std::string& name() const { return m_name; }
    void setName(const std::string& name) { m_name = name; }

    // --- contents ---
    const UIImageRef& contents() const { return m_contents; }
    void setContents(UIImageRef image);
    const std::string& contentsGravity() const { return m_contentsGravity; }
    void setContentsGravity(const std::string& gravity);
    // Pixels of contents (and of the backing store) per point.
    double contentsScale() const { return m_contentsScale; }
    void setContentsScale(double scale);
    // Draws the contents as a template: their alpha filled with this colour (image views showing
    // template images set it).
    const UIColorRef& contentsTintColor() const { return m_contentsTintColor; }
    void setContentsTintColor(UIColorRef color);
    bool shouldRasterize() const { return m_shouldRasterize; }
    void setShouldRasterize(bool r) { m_shouldRasterize = r; }
    double rasterizationScale() const { return m_rasterizationScale; }
    void setRasterizationScale(double s) { m_rasterizationScale = s; }

    // --- custom drawing ---
    objc::Ref<CALayerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const objc::Ref<CALayerDelegate>& delegate) { m_delegate = delegate; }
    void setNeedsDisplay();
    void setNeedsDisplayInRect(const CGRect& rect);
    bool needsDisplay() const { return m_needsDisplay; }
    // The area waiting to be redrawn, in bounds coordinates (CGRectNull when none).
    const CGRect& dirtyRectForTesting() const { return m_dirty; }
    bool needsDisplayOnBoundsChange() const { return m_needsDisplayOnBoundsChange; }
    void setNeedsDisplayOnBoundsChange(bool n) { m_needsDisplayOnBoundsChange = n; }
    // Redraws the marked area into the backing store (the whole store when its size or scale no
    // longer matches the bounds). Layers without custom drawing have no store.
    void displayIfNeeded();
    void display();
    // Draws the layer's content; the default asks the delegate. Subclasses that draw override
    // this and drawsContent.
    virtual void drawInContext(CGContext& context);
    virtual bool drawsContent() const;
    // The backing store: premultiplied ARGB32 pixels covering the bounds at contentsScale; null
    // until the layer has been displayed.
    cairo_surface_t* backingStore() const { return m_backing.get(); }
    double backingStoreScale() const { return m_backingScale; }
    // Number of displays so far and the area of the last one, for checking partial redraws.
    int displayCountForTesting() const { return m_displayCount; }
    const CGRect& lastDisplayRectForTesting() const { return m_lastDisplayRect; }
    // Renders this layer and its sublayers into a context, in the context's user space (the
    // layer's bounds map to its coordinates; position and transform of this layer ignored).
    void renderInContext(CGContext& context) const;

    // --- layout ---
    void setNeedsLayout() { m_needsLayout = true; }
    bool needsLayout() const { return m_needsLayout; }
    // Lays out this layer (when marked) and then its sublayers.
    void layoutIfNeeded();
    virtual void layoutSublayers();

    // --- tree ---
    const std::vector<objc::Ref<CALayer>>& sublayers() const { return m_sublayers; }
    void setSublayers(std::vector<objc::Ref<CALayer>> layers);
    CALayer* superlayer() const { return m_superlayer; }
    void addSublayer(const objc::Ref<CALayer>& layer);
    // Indices past the end append.
    void insertSublayerAtIndex(const objc::Ref<CALayer>& layer, std::size_t index);
    void insertSublayerBelow(const objc::Ref<CALayer>& layer, const CALayer* sibling);
    void insertSublayerAbove(const objc::Ref<CALayer>& layer, const CALayer* sibling);
    void replaceSublayer(const CALayer* old, const objc::Ref<CALayer>& layer);
    void removeFromSuperlayer();
    bool isDescendantOf(const CALayer* layer) const;
    // Sublayers in drawing order: by zPosition, then in list order.
    std::vector<objc::Ref<CALayer>> sublayersInDrawingOrder() const;

    // --- coordinates ---
    // Maps between this layer's coordinates and another layer's (none = the root coordinates of
    // this tree), through positions, anchor points, transforms (flattened per layer, with the
    // perspective divide) and sublayer transforms.
    CGPoint convertPointFromLayer(const CGPoint& p, const CALayer* layer) const;
    CGPoint convertPointToLayer(const CGPoint& p, const CALayer* layer) const;
    CGRect convertRectFromLayer(const CGRect& r, const CALayer* layer) const;
    CGRect convertRectToLayer(const CGRect& r, const CALayer* layer) const;
    // The 4×4 mapping of a point in this layer to its superlayer's coordinates (before the
    // flattening to the superlayer's plane).
    CATransform3D transformToSuperlayer() const;
    // p in this layer's coordinates.
    virtual bool containsPoint(const CGPoint& p) const;
    // p in the superlayer's coordinates; the deepest visible layer containing it, or null.
    CALayer* hitTest(const CGPoint& p);

    // --- animations ---
    // Keeps the animation under the key (replacing one with the same key, which is told it did
    // not finish). A zero beginTime means "now" in this layer's time; a zero duration takes the
    // transaction's animationDuration.
    void addAnimation(const objc::Ref<CAAnimation>& animation, const std::string& key = {});
    objc::Ref<CAAnimation> animationForKey(const std::string& key) const;
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();
    std::vector<std::string> animationKeys() const;
    bool hasAnimations() const { return !m_animations.empty(); }

    // A copy with the running animations applied at the current media time. Its sublayers are
    // the model's; modelLayer() leads back.
    objc::Ref<CALayer> presentationLayer() const;
    // The model layer of a presentation copy; this layer itself for a model layer.
    const CALayer* modelLayer() const { return m_model ? m_model : this; }
    bool isPresentation() const { return m_model != nullptr; }

    // Animatable values by key path: "position", "position.x", "bounds", "bounds.size",
    // "bounds.size.width", "opacity", "transform", "transform.rotation.z", "transform.scale",
    // "transform.translation.x", "backgroundColor", "cornerRadius", ... Unknown paths give none.
    virtual CAValue valueForKeyPath(const std::string& keyPath) const;
    // Sets without asking for an action; false for an unknown path or a value of the wrong kind.
    virtual bool setValueForKeyPath(const std::string& keyPath, const CAValue& value);

    // --- time ---
    // This layer's time at the media time `t`, or the other way round.
    double localTimeFromMediaTime(double t) const;
    double mediaTimeFromLocalTime(double t) const;
    // convertTime:fromLayer: / convertTime:toLayer:; none means the media clock.
    double convertTimeFromLayer(double t, const CALayer* layer) const;
    double convertTimeToLayer(double t, const CALayer* layer) const;

    // Steps the animation bookkeeping (starts, ends, removals) up to media time `now`; returns
    // the media time at which it next needs a step, or a negative number. Run by the run loop.
    double processAnimations(double now);

    void init() override;

protected:
    CALayer() = default;
    CALayer(const CALayer&) = default;
    // A same-class copy for the presentation layer; subclasses with state of their own override.
    virtual objc::Ref<CALayer> makeCopy() const;
    template <class T>
    static objc::Ref<CALayer> copyOf(const T& layer) {
        struct Copy : T {
            explicit Copy(const T& other) : T(other) {}
        };
        objc::Ref<CALayer> copy = std::make_shared<Copy>(layer);
        objc::countLiveObject(*copy);
        return copy;
    }
    // Runs the change protocol: asks for the action, sets the value, adds the action.
    // Sets a property through apply: reports the change to the retained renderers (unless the
    // value is the one already held) and adds the delegate's action for the key, if any.
    void changeValue(const char* key, const std::function<void()>& apply, bool unchanged = false);
    void timingChanged() override;

private:
    struct AnimationRecord {
        std::string key;
        objc::Ref<CAAnimation> animation;
        double begin = 0;     // in this layer's time
        double duration = 0;  // resolved
        bool committed = false;
        bool started = false;
        bool ended = false;
        std::vector<std::shared_ptr<CATransactionCompletion>> completions;
    };
    void attachSublayer(const objc::Ref<CALayer>& layer);
    void detachFromSuperlayer();
    void sizeChanged(const CGSize& old);
    void animationRemoved(AnimationRecord record);
    void applyAnimations(CALayer& target, double mediaTime) const;
    // Local time = a × media time + b.
    void timeMapping(double* a, double* b) const;
    bool setNumberPath(const std::string& path, double v);
    void applyTransformComponent(const std::string& path, double v);

    CGRect m_bounds{};
    CGPoint m_position{};
    double m_zPosition = 0;
    CGPoint m_anchorPoint{0.5, 0.5};
    CATransform3D m_transform{};
    CATransform3D m_sublayerTransform{};
    bool m_hidden = false;
    bool m_masksToBounds = false;
    objc::Ref<CALayer> m_mask;
    double m_opacity = 1;
    bool m_allowsGroupOpacity = true;
    double m_cornerRadius = 0;
    UIColorRef m_backgroundColor;
    double m_borderWidth = 0;
    UIColorRef m_borderColor;
    UIColorRef m_shadowColor;
    CGSize m_shadowOffset{0, -3};
    double m_shadowOpacity = 0;
    double m_shadowRadius = 3;
    CGPathRef m_shadowPath;
    bool m_opaque = false;
    bool m_doubleSided = true;
    std::string m_name;

    UIImageRef m_contents;
    std::string m_contentsGravity = kCAGravityResize;
    double m_contentsScale = 1;
    UIColorRef m_contentsTintColor;
    bool m_shouldRasterize = false;
    double m_rasterizationScale = 1;

    objc::WeakRef<CALayerDelegate> m_delegate;
    bool m_needsDisplay = false;
    bool m_needsDisplayOnBoundsChange = false;
    CGRect m_dirty = CGRectNull;
    std::shared_ptr<cairo_surface_t> m_backing;
    double m_backingScale = 0;
    int m_displayCount = 0;
    CGRect m_lastDisplayRect{};
    bool m_needsLayout = false;

    std::vector<objc::Ref<CALayer>> m_sublayers;
    CALayer* m_superlayer = nullptr;
    std::vector<AnimationRecord> m_animations;
    const CALayer* m_model = nullptr;
    objc::Ref<const CALayer> m_modelKeepAlive;
};

using CALayerRef = objc::Ref<CALayer>;

}  // namespace ios
