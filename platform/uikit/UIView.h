#pragma once
// Responders and views: the responder chain, the view tree over its layer tree, geometry,
// appearance, layout passes (autoresizing, the constraint-solver hook, layoutSubviews), custom
// drawing into a backing store, coordinate conversion and the gesture recognisers a view carries.
//
// Every view owns a CALayer and is that layer's delegate. A view's geometry and visual properties
// are its layer's: center is the layer's position, bounds its bounds, transform its affine
// transform, alpha its opacity, hidden / clipsToBounds / backgroundColor its hidden /
// masksToBounds / backgroundColor. The subviews' layers are sublayers of the view's layer, in the
// same order. The frame is derived: the box of the transformed bounds around the center.
//
// Property changes made inside a view-animation block (UIView::animateWithDuration…,
// beginAnimations … commitAnimations; see UIViewAnimation.h) become layer animations from the
// presentation value to the new value: the layer asks its delegate, the view, for an action.

#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/objc/Runtime.h"
#include "platform/quartz/CALayer.h"
#include "platform/uikit/UIViewAnimation.h"

namespace ios {

class UIGestureRecognizer;
class UITouch;
class UIEvent;
class UIWindow;
class UIViewController;
class UITraitCollection;
class NSLayoutConstraint;
class NSLayoutXAxisAnchor;
class NSLayoutYAxisAnchor;
class NSLayoutDimension;

using UITouchList = std::vector<objc::Ref<UITouch>>;

// ---------------------------------------------------------------------------------------------
// UIResponder: the next-responder chain is view → superview … → (a controller's root view →) its
// view controller → window → application. Touches that a responder does not handle go to the next
// responder. One first responder per process (the text input target).
class UIResponder : public objc::Object {
    OBJC_CLASS_DECLARE(UIResponder)
public:
    virtual UIResponder* nextResponder() const { return nullptr; }

    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    // False when this responder cannot become first responder; the previous one resigns first.
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // The process's current first responder, or null.
    static UIResponder* currentFirstResponder();

    // Touch delivery. The defaults pass the touches on to the next responder.
    virtual void touchesBegan(const UITouchList& touches, const UIEvent& event);
    virtual void touchesMoved(const UITouchList& touches, const UIEvent& event);
    virtual void touchesEnded(const UITouchList& touches, const UIEvent& event);
    virtual void touchesCancelled(const UITouchList& touches, const UIEvent& event);

protected:
    UIResponder() = default;
};

// ---------------------------------------------------------------------------------------------

enum class UIViewContentMode {
    ScaleToFill = 0,
    ScaleAspectFit,
    ScaleAspectFill,
    Redraw,  // redraws (setNeedsDisplay) whenever the bounds change
    Center,
    Top,
    Bottom,
    Left,
    Right,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

enum UIViewAutoresizing : unsigned {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
    UIViewAutoresizingFlexibleWidth = 1 << 1,
    UIViewAutoresizingFlexibleRightMargin = 1 << 2,
    UIViewAutoresizingFlexibleTopMargin = 1 << 3,
    UIViewAutoresizingFlexibleHeight = 1 << 4,
    UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

// intrinsicContentSize's value for an axis without an intrinsic size.
inline constexpr CGFloat UIViewNoIntrinsicMetric = -1;

class UIView : public UIResponder, public CALayerDelegate {
    OBJC_CLASS_DECLARE(UIView)
public:
    ~UIView() override;
    void init() override { init(CGRectZero); }
    virtual void init(const CGRect& frame);

    // The layer the view makes for itself in init (the platform's +layerClass); subclasses
    // override to use a layer subclass. Called once, before any other setup.
    virtual objc::Ref<CALayer> makeBackingLayer() const;
    const objc::Ref<CALayer>& layer() const { return m_layer; }

    // --- geometry ---
    // The frame is the box of the transformed bounds around the center. Setting it with a
    // non-identity transform moves the center and, for a pure scale, sizes the bounds so that
    // the box matches; other transforms keep the bounds size.
    CGRect frame() const;
    void setFrame(const CGRect& frame);
    const CGRect& bounds() const { return m_layer->bounds(); }
    void setBounds(const CGRect& bounds);
    const CGPoint& center() const { return m_layer->position(); }
    void setCenter(const CGPoint& center);
    CGAffineTransform transform() const { return m_layer->affineTransform(); }
    void setTransform(const CGAffineTransform& transform);

    // --- appearance ---
    double alpha() const { return m_layer->opacity(); }
    void setAlpha(double alpha);
    bool isHidden() const { return m_layer->isHidden(); }
    virtual void setHidden(bool hidden);
    bool clipsToBounds() const { return m_layer->masksToBounds(); }
    void setClipsToBounds(bool clips);
    UIColorRef backgroundColor() const { return m_layer->backgroundColor(); }
    virtual void setBackgroundColor(UIColorRef color);
    bool isOpaque() const { return m_layer->isOpaque(); }
    void setOpaque(bool opaque) { m_layer->setOpaque(opaque); }

    // The tint is inherited: the view's own, else its superview's, … else the system blue.
    // Setting it (or moving the view under another tint) calls tintColorDidChange on this view
    // and on every descendant that inherits it.
    UIColorRef tintColor() const;
    void setTintColor(UIColorRef color);
    bool hasOwnTintColor() const { return m_tintColor != nullptr; }
    virtual void tintColorDidChange() {}

    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    bool isMultipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }
    bool isExclusiveTouch() const { return m_exclusiveTouch; }
    void setExclusiveTouch(bool exclusive) { m_exclusiveTouch = exclusive; }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // This view or the first descendant (depth first, in subview order) with the tag.
    UIView* viewWithTag(int tag);

    UIViewContentMode contentMode() const { return m_contentMode; }
    void setContentMode(UIViewContentMode mode);

    // --- the tree ---
    UIView* superview() const { return m_superview; }
    const std::vector<objc::Ref<UIView>>& subviews() const { return m_subviews; }
    void addSubview(const objc::Ref<UIView>& view);
    // Indices past the end append. Inserting a view that has another superview moves it.
    void insertSubview(const objc::Ref<UIView>& view, std::size_t index);
    void insertSubviewAtIndex(const objc::Ref<UIView>& view, std::size_t index) { insertSubview(view, index); }
    void insertSubviewBelowSubview(const objc::Ref<UIView>& view, const UIView* sibling);
    void insertSubviewAboveSubview(const objc::Ref<UIView>& view, const UIView* sibling);
    void bringSubviewToFront(const UIView* view);
    void sendSubviewToBack(const UIView* view);
    void exchangeSubviewAtIndex(std::size_t index1, std::size_t index2);
    void removeFromSuperview();
    bool isDescendantOfView(const UIView* view) const;
    // The window this view is in (itself for a window), or null.
    UIWindow* window() const;

    // Tree notifications, in the platform's order: willMoveToSuperview, willMoveToWindow (when
    // the window changes), the move, didMoveToWindow, didMoveToSuperview; the new superview gets
    // didAddSubview, the old one willRemoveSubview before the view goes.
    virtual void willMoveToSuperview(UIView* newSuperview) {}
    virtual void didMoveToSuperview() {}
    virtual void willMoveToWindow(UIWindow* newWindow) {}
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(UIView* subview) {}
    virtual void willRemoveSubview(UIView* subview) {}

    // The controller whose root view this is (set by the controller), or null.
    UIViewController* viewController() const { return m_viewController; }
    UIResponder* nextResponder() const override;

    // --- layout ---
    // layoutIfNeeded runs, top down, for each view marked with setNeedsLayout:
    //   1. s_constraintLayoutHook(view), when set and the view holds constraints (see below);
    //   2. layoutSubviews().
    // A size change of the bounds marks the view (and autoresizes its subviews first, when
    // autoresizesSubviews); adding or removing a subview marks the superview. Views in a visible
    // window are laid out at the next turn of the run loop and before every screen snapshot.
    virtual void layoutSubviews() {}
    void setNeedsLayout();
    bool needsLayout() const { return m_needsLayout; }
    void layoutIfNeeded();

    // The extension point of the constraint solver (NSLayoutConstraint.cpp sets it when the
    // library loads): called in the layout pass of a view that needs layout and holds at least
    // one constraint, before its layoutSubviews; it sets the frames of the views that this
    // view's constraints place. Null: constraints are ignored.
    static void (*s_constraintLayoutHook)(UIView& view);

    // Constraints held by this view (the platform's addConstraint: on the nearest common
    // ancestor). Adding or removing one marks the view for layout. Activation lives with the
    // constraint classes.
    const std::vector<objc::Ref<NSLayoutConstraint>>& constraints() const { return m_constraints; }
    void addConstraint(const objc::Ref<NSLayoutConstraint>& constraint);
    void addConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints);
    void removeConstraint(const NSLayoutConstraint* constraint);
    void removeConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints);
    // True by default; a view placed by constraints sets it false.
    bool translatesAutoresizingMaskIntoConstraints() const { return m_translatesAutoresizingMask; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool t);
    // Layout anchors, defined with the anchor classes (NSLayoutAnchor.cpp).
    objc::Ref<NSLayoutXAxisAnchor> leadingAnchor();
    objc::Ref<NSLayoutXAxisAnchor> trailingAnchor();
    objc::Ref<NSLayoutXAxisAnchor> leftAnchor();
    objc::Ref<NSLayoutXAxisAnchor> rightAnchor();
    objc::Ref<NSLayoutXAxisAnchor> centerXAnchor();
    objc::Ref<NSLayoutYAxisAnchor> topAnchor();
    objc::Ref<NSLayoutYAxisAnchor> bottomAnchor();
    objc::Ref<NSLayoutYAxisAnchor> centerYAnchor();
    objc::Ref<NSLayoutDimension> widthAnchor();
    objc::Ref<NSLayoutDimension> heightAnchor();

    // Autoresizing: when the bounds size changes, each subview's frame follows its mask, the
    // change of each axis spread over the flexible parts (margins, size) in proportion to their
    // current lengths (equally when all are zero).
    unsigned autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(unsigned mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool a) { m_autoresizesSubviews = a; }

    // The size that best fits `size`; the default is the current bounds size.
    virtual CGSize sizeThatFits(const CGSize& size) const;
    // Resizes the bounds to sizeThatFits(bounds size), keeping the frame's origin.
    void sizeToFit();
    // The natural size from the content alone; UIViewNoIntrinsicMetric per axis for none.
    virtual CGSize intrinsicContentSize() const { return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric}; }
    // Tells the layout that the intrinsic size changed: marks this view and its superview.
    void invalidateIntrinsicContentSize();

    // --- drawing ---
    // A subclass that draws overrides drawRect (and must not call UIView::drawRect): the view then
    // gets a backing store at the screen's scale, redrawn only inside the rectangles marked with
    // setNeedsDisplay / setNeedsDisplayInRect, with a UIGraphics context pushed and clipped to the
    // area. Views that do not override it have no store.
    virtual void drawRect(const CGRect& rect);
    void setNeedsDisplay() { m_layer->setNeedsDisplay(); }
    void setNeedsDisplayInRect(const CGRect& rect) { m_layer->setNeedsDisplayInRect(rect); }
    // Brings the backing store up to date now (the compositor does it before rendering).
    void displayIfNeeded() { m_layer->displayIfNeeded(); }

    // --- coordinates ---
    // Between this view's bounds coordinates and another view's, through centers, bounds origins
    // and transforms. A null view means the window's coordinates (the screen's for a view without
    // a window); views in different windows convert through the screen.
    CGPoint convertPointToView(const CGPoint& point, const UIView* view) const;
    CGPoint convertPointFromView(const CGPoint& point, const UIView* view) const;
    CGRect convertRectToView(const CGRect& rect, const UIView* view) const;
    CGRect convertRectFromView(const CGRect& rect, const UIView* view) const;

    // --- hit-testing ---
    // The deepest descendant (or this view) containing the point, in this view's coordinates,
    // skipping hidden views, views with alpha below 0.01 and views with interaction disabled;
    // subviews are tried front to back.
    virtual UIView* hitTest(const CGPoint& point, const UIEvent* event);
    virtual bool pointInside(const CGPoint& point, const UIEvent* event) const;

    // --- traits ---
    // The screen's trait collection (the device's appearance).
    objc::Ref<UITraitCollection> traitCollection() const;
    // Sent to every view of the visible windows when the appearance changes while running.
    virtual void traitCollectionDidChange(const UITraitCollection* previous) {}

    // --- gesture recognisers attached to this view, in order of attachment ---
    void addGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer);
    const std::vector<objc::Ref<UIGestureRecognizer>>& gestureRecognizers() const { return m_gestureRecognizers; }

    // --- view animations (implemented in UIViewAnimation.cpp) ---
    static void animateWithDuration(double duration, const std::function<void()>& animations);
    static void animateWithDuration(double duration, const std::function<void()>& animations,
                                    const std::function<void(bool finished)>& completion);
    static void animateWithDuration(double duration, double delay, unsigned long options,
                                    const std::function<void()>& animations,
                                    const std::function<void(bool finished)>& completion);
    static void performWithoutAnimation(const std::function<void()>& actions);
    static bool areAnimationsEnabled();
    static void setAnimationsEnabled(bool enabled);
    static void beginAnimations(const std::string& animationID = {}, void* context = nullptr);
    static void commitAnimations();
    static void setAnimationDuration(double duration);
    static void setAnimationDelay(double delay);
    static void setAnimationCurve(UIViewAnimationCurve curve);
    static void setAnimationRepeatCount(double count);
    static void setAnimationRepeatAutoreverses(bool autoreverses);
    // Held weakly. The did-stop selector is sent as
    // animationDidStop:finished:context: (an NSValueBox string, bool and integer), with as many
    // of those arguments as the selector takes.
    static void setAnimationDelegate(const objc::id& delegate);
    static void setAnimationDidStopSelector(objc::SEL selector);
    static void setAnimationWillStartSelector(objc::SEL selector);

    // --- CALayerDelegate ---
    bool respondsToDrawLayer() const override;
    void drawLayerInContext(CALayer& layer, CGContext& context) override;
    objc::Ref<CAAnimation> actionForLayer(CALayer& layer, const std::string& key) override;

    // Number of drawRect calls, for checking that only marked areas are redrawn.
    int drawCountForTesting() const { return m_drawCount; }

protected:
    UIView() = default;

private:
    friend class UIViewController;
    friend class UIWindow;
    void attachSubview(const objc::Ref<UIView>& view, std::size_t index);
    void placeSublayer(UIView& view, std::size_t index);
    void boundsSizeChanged(const CGSize& oldSize);
    void resizeSubviewsWithOldSize(const CGSize& oldSize);
    void resizeWithOldSuperviewSize(const CGSize& oldSize);
    void notifyWillMoveToWindow(UIWindow* newWindow);
    void notifyDidMoveToWindow();
    void propagateTintChange();
    UIColorRef inheritedTint() const;

    objc::Ref<CALayer> m_layer;
    UIView* m_superview = nullptr;
    UIViewController* m_viewController = nullptr;
    std::vector<objc::Ref<UIView>> m_subviews;
    std::vector<objc::Ref<UIGestureRecognizer>> m_gestureRecognizers;
    std::vector<objc::Ref<NSLayoutConstraint>> m_constraints;
    UIColorRef m_tintColor;
    int m_tag = 0;
    unsigned m_autoresizingMask = UIViewAutoresizingNone;
    UIViewContentMode m_contentMode = UIViewContentMode::ScaleToFill;
    bool m_needsLayout = true;
    bool m_autoresizesSubviews = true;
    bool m_translatesAutoresizingMask = true;
    bool m_userInteractionEnabled = true;
    bool m_multipleTouchEnabled = false;
    bool m_exclusiveTouch = false;
    bool m_initialized = false;
    mutable int m_drawsState = 0;  // 0 unknown, 1 overrides drawRect, 2 does not
    int m_drawCount = 0;
};

}  // namespace ios
