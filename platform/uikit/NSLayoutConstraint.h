#pragma once
// Layout constraints: equalities between attributes of two views (first.attribute = multiplier ×
// second.attribute + constant) or of a view's width or height and a constant. Only the equal
// relation is supported; a constraint made with another relation logs a line and never activates.
//
// Activating a constraint installs it on the nearest common ancestor of its views (the view
// itself for a single-view constraint); UIView::constraints lists what a view holds. Constraints
// hold their views weakly. In the layout pass of a view holding constraints, the whole view tree
// it belongs to is solved (LayoutSolver: per axis, propagating the equalities, with intrinsic sizes
// filling axes the constraints leave open) and every view placed by constraints gets its center
// and bounds size. A conflicting or under-determined set writes one log line naming the views and
// those views keep their last frames on that axis.

#include <string>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/LayoutSolver.h"

namespace ios {

class UIView;

enum class NSLayoutRelation { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };

class NSLayoutConstraint : public objc::Object {
    OBJC_CLASS_DECLARE(NSLayoutConstraint)
public:
    // constraintWithItem:attribute:relatedBy:toItem:attribute:multiplier:constant:. A second
    // item of none with NotAnAttribute makes a constant constraint (widths and heights only).
    // A malformed constraint (see LayoutSolver::addConstraint) is logged and returned inactive;
    // it never activates.
    static objc::Ref<NSLayoutConstraint> constraintWithItem(const objc::Ref<UIView>& view1,
                                                            NSLayoutAttribute attribute1, NSLayoutRelation relation,
                                                            const objc::Ref<UIView>& view2,
                                                            NSLayoutAttribute attribute2, CGFloat multiplier,
                                                            CGFloat constant);
    static void activateConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints);
    static void deactivateConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints);

    objc::Ref<UIView> firstItem() const { return m_first.lock(); }
    NSLayoutAttribute firstAttribute() const { return m_firstAttribute; }
    objc::Ref<UIView> secondItem() const { return m_second.lock(); }
    NSLayoutAttribute secondAttribute() const { return m_secondAttribute; }
    NSLayoutRelation relation() const { return m_relation; }
    CGFloat multiplier() const { return m_multiplier; }
    CGFloat constant() const { return m_constant; }
    // Marks the holding view for layout.
    void setConstant(CGFloat constant);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    // Whether the constraint is well formed (and so can be active).
    bool isValid() const { return m_valid; }
    const std::string& identifier() const { return m_identifier; }
    void setIdentifier(const std::string& identifier) { m_identifier = identifier; }
    // The view holding the constraint while active, or null.
    UIView* holder() const;

    // The text of the constraint, as in log lines: "<UILabel: 0x…>.centerX == <UIView: 0x…>.centerX + 4".
    std::string constraintDescription() const;

    void init(const objc::Ref<UIView>& view1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
              const objc::Ref<UIView>& view2, NSLayoutAttribute attribute2, CGFloat multiplier, CGFloat constant);

protected:
    NSLayoutConstraint() = default;

private:
    objc::WeakRef<UIView> m_first;
    objc::WeakRef<UIView> m_second;
    NSLayoutAttribute m_firstAttribute = NSLayoutAttribute::NotAnAttribute;
    NSLayoutAttribute m_secondAttribute = NSLayoutAttribute::NotAnAttribute;
    NSLayoutRelation m_relation = NSLayoutRelation::Equal;
    CGFloat m_multiplier = 1;
    CGFloat m_constant = 0;
    bool m_active = false;
    bool m_valid = false;
    objc::WeakRef<UIView> m_holderRef;
    std::string m_identifier;
};

using NSLayoutConstraintRef = objc::Ref<NSLayoutConstraint>;

// The name a view goes by in layout log lines: its description, its tag when it has one.
std::string layoutLogName(const UIView& view);

// Solves the constraints of the whole view tree `view` belongs to and places its constrained
// views; the layout pass calls it (UIView::s_constraintLayoutHook) for views holding constraints.
void layoutWithConstraints(UIView& view);

// Marks for layout every view from `view` up to the root that holds constraints, so that a change
// that only the solver sees (an intrinsic size, a constant) is picked up by the next layout pass.
void setNeedsConstraintLayout(UIView& view);

}  // namespace ios
