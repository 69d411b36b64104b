#pragma once
// Responders and views: the view tree, geometry and layout passes, and the gesture recognisers
// a view carries.

#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"

namespace ios {

class UIGestureRecognizer;

class UIResponder : public objc::Object {
    OBJC_CLASS_DECLARE(UIResponder)
public:
    virtual UIResponder* nextResponder() const { return nullptr; }

protected:
    UIResponder() = default;
};

class UIView : public UIResponder {
    OBJC_CLASS_DECLARE(UIView)
public:
    ~UIView() override;
    void init() override { init(CGRectZero); }
    virtual void init(const CGRect& frame);

    // Geometry: the frame is derived from center and bounds.
    CGRect frame() const;
    void setFrame(const CGRect& frame);
    const CGRect& bounds() const { return m_bounds; }
    void setBounds(const CGRect& bounds);
    const CGPoint& center() const { return m_center; }
    void setCenter(const CGPoint& center) { m_center = center; }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    UIView* viewWithTag(int tag);

    // The tree.
    UIView* superview() const { return m_superview; }
    const std::vector<objc::Ref<UIView>>& subviews() const { return m_subviews; }
    void addSubview(const objc::Ref<UIView>& view);
    void insertSubview(const objc::Ref<UIView>& view, std::size_t index);
    void removeFromSuperview();
    bool isDescendantOfView(const UIView* view) const;
    virtual void didMoveToSuperview() {}
    UIResponder* nextResponder() const override { return m_superview; }

    // Layout passes.
    virtual void layoutSubviews() {}
    void setNeedsLayout() { m_needsLayout = true; }
    bool needsLayout() const { return m_needsLayout; }
    void layoutIfNeeded();

    // Gesture recognisers attached to this view, in order of attachment.
    void addGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer);
    const std::vector<objc::Ref<UIGestureRecognizer>>& gestureRecognizers() const { return m_gestureRecognizers; }

protected:
    UIView() = default;

private:
    CGRect m_bounds;
    CGPoint m_center;
    int m_tag = 0;
    bool m_needsLayout = true;
    UIView* m_superview = nullptr;
    std::vector<objc::Ref<UIView>> m_subviews;
    std::vector<objc::Ref<UIGestureRecognizer>> m_gestureRecognizers;
};

}  // namespace ios
