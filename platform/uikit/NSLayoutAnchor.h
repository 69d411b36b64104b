#pragma once
// Layout anchors: a view's edge, centre or dimension, from which equality constraints are made
// (UIView::leadingAnchor() and the others). Anchors hold their view weakly. The X-axis, Y-axis and
// dimension kinds only make constraints with anchors of their own kind.

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/LayoutSolver.h"
#include "platform/uikit/NSLayoutConstraint.h"

namespace ios {

class UIView;

class NSLayoutAnchor : public objc::Object {
    OBJC_CLASS_DECLARE(NSLayoutAnchor)
public:
    objc::Ref<UIView> item() const { return m_item.lock(); }
    NSLayoutAttribute attribute() const { return m_attribute; }

    void init(UIView& view, NSLayoutAttribute attribute);

protected:
    NSLayoutAnchor() = default;
    // this = anchor + constant (inactive until activated).
    objc::Ref<NSLayoutConstraint> equalTo(const NSLayoutAnchor& anchor, CGFloat multiplier, CGFloat constant) const;

private:
    objc::WeakRef<UIView> m_item;
    NSLayoutAttribute m_attribute = NSLayoutAttribute::NotAnAttribute;
};

class NSLayoutXAxisAnchor : public NSLayoutAnchor {
    OBJC_CLASS_DECLARE(NSLayoutXAxisAnchor)
public:
    objc::Ref<NSLayoutConstraint> constraintEqualToAnchor(const objc::Ref<NSLayoutXAxisAnchor>& anchor,
                                                          CGFloat constant = 0) const;

protected:
    NSLayoutXAxisAnchor() = default;
};

class NSLayoutYAxisAnchor : public NSLayoutAnchor {
    OBJC_CLASS_DECLARE(NSLayoutYAxisAnchor)
public:
    objc::Ref<NSLayoutConstraint> constraintEqualToAnchor(const objc::Ref<NSLayoutYAxisAnchor>& anchor,
                                                          CGFloat constant = 0) const;

protected:
    NSLayoutYAxisAnchor() = default;
};

class NSLayoutDimension : public NSLayoutAnchor {
    OBJC_CLASS_DECLARE(NSLayoutDimension)
public:
    objc::Ref<NSLayoutConstraint> constraintEqualToConstant(CGFloat constant) const;
    objc::Ref<NSLayoutConstraint> constraintEqualToAnchor(const objc::Ref<NSLayoutDimension>& anchor,
                                                          CGFloat constant = 0) const;
    // constraintEqualToAnchor:multiplier:constant:
    objc::Ref<NSLayoutConstraint> constraintEqualToAnchor(const objc::Ref<NSLayoutDimension>& anchor,
                                                          CGFloat multiplier, CGFloat constant) const;

protected:
    NSLayoutDimension() = default;
};

}  // namespace ios
