#pragma once
// The equality-constraint solver behind NSLayoutConstraint, over abstract items so that it can be
// used and tested without views.
//
// Each item is a rectangle whose frame lies in its parent item's coordinate space (the root, with
// no parent, is its own space). An item is either fixed (its frame is given, as for a view that
// translates its autoresizing mask into constraints) or constrained (its frame comes from the
// constraints). Every constraint is an equality
//     first.attribute = multiplier × second.attribute + constant
// or, for a width or height, first.attribute = constant.
//
// The axes are solved independently. On each axis an item has two unknowns, its minimum edge in
// the root's space and its size; attributes are linear in them (centre = min + size / 2). The
// solver propagates: any equation left with a single unknown is solved for it, until none is left.
// Then an open size of a constrained item is filled with its intrinsic size (items in order, one at
// a time, propagating after each), so intrinsic sizes never override what the constraints say.
//
// Items linked by equations form groups. A group is faulty when one of its equations does not
// hold once all its unknowns are known (a conflict), or when some unknown stays open (an
// ambiguity). The constrained items of a faulty group keep their current frame on that axis, and
// the problem is reported; groups without fault are placed.

#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/CGGeometry.h"

namespace ios {

// The platform's attribute numbering.
enum class NSLayoutAttribute {
    NotAnAttribute = 0,
    Left = 1,
    Right = 2,
    Top = 3,
    Bottom = 4,
    Leading = 5,
    Trailing = 6,
    Width = 7,
    Height = 8,
    CenterX = 9,
    CenterY = 10,
};

enum class NSLayoutConstraintAxis { Horizontal = 0, Vertical = 1 };

// The axis an attribute lies on; NotAnAttribute gives none (false).
bool layoutAttributeAxis(NSLayoutAttribute attribute, NSLayoutConstraintAxis* axis);
bool layoutAttributeIsDimension(NSLayoutAttribute attribute);
// "leading", "centerX", "width", ...
const char* layoutAttributeName(NSLayoutAttribute attribute);

class LayoutSolver {
public:
    static constexpr CGFloat kNoIntrinsicMetric = -1;
    // Equations hold when both sides agree within this many points.
    static constexpr CGFloat kTolerance = 1e-3;

    struct Item {
        // An item added earlier, or -1 for the root; at most one root per solve is expected.
        int parent = -1;
        CGRect frame{};  // in the parent's space; for the root only the size counts
        CGSize intrinsicSize{kNoIntrinsicMetric, kNoIntrinsicMetric};
        bool constrained = false;
    };

    struct Constraint {
        int first = -1;
        NSLayoutAttribute firstAttribute = NSLayoutAttribute::NotAnAttribute;
        int second = -1;  // -1: none (a dimension equal to a constant)
        NSLayoutAttribute secondAttribute = NSLayoutAttribute::NotAnAttribute;
        CGFloat multiplier = 1;
        CGFloat constant = 0;
    };

    enum class ProblemKind { Conflict, Ambiguous };

    struct Problem {
        NSLayoutConstraintAxis axis = NSLayoutConstraintAxis::Horizontal;
        ProblemKind kind = ProblemKind::Conflict;
        // Conflict: the constraint that could not hold (-1 when it was a fixed item's own frame);
        // the items of that equation are in `culprits`.
        int constraint = -1;
        // Conflict: the items of the failing equation; ambiguity: the items left open.
        std::vector<int> culprits;
        // Every constrained item of the faulty group: these kept their frames.
        std::vector<int> kept;
    };

    struct Result {
        // Every item's frame in its parent's space: solved where placed, else as it was.
        std::vector<CGRect> frames;
        // Whether the item's frame came from the constraints, per axis.
        std::vector<bool> placedHorizontally, placedVertically;
        std::vector<Problem> problems;
        bool placed(int item) const { return placedHorizontally[item] && placedVertically[item]; }
    };

    // Whether a constraint of this shape is well formed (see addConstraint); the reason if not.
    static bool checkShape(NSLayoutAttribute first, bool hasSecond, NSLayoutAttribute second, std::string* reason);

    int addItem(const Item& item);
    // Checks the constraint's shape; a malformed one (unknown item, attributes on different axes,
    // a position equal to a constant, a dimension against a position) is refused with the reason.
    bool addConstraint(const Constraint& constraint, std::string* reason = nullptr);

    int itemCount() const { return static_cast<int>(m_items.size()); }
    int constraintCount() const { return static_cast<int>(m_constraints.size()); }
    const Item& item(int index) const { return m_items[index]; }
    const Constraint& constraint(int index) const { return m_constraints[index]; }

    Result solve() const;

    // One log line for a problem. `nameItem` names an item (a view's description).
    std::string describe(const Problem& problem, const std::function<std::string(int)>& nameItem) const;
    // "<first>.leading == <second>.leading + 8" with the items named by `nameItem`.
    std::string describeConstraint(int constraint, const std::function<std::string(int)>& nameItem) const;

private:
    std::vector<Item> m_items;
    std::vector<Constraint> m_constraints;
};

}  // namespace ios
