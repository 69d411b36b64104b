#include "platform/uikit/NSLayoutConstraint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "platform/foundation/SystemLog.h"
#include "platform/uikit/UIStackView.h"
#include "platform/uikit/UIView.h"

namespace ios {

OBJC_CLASS_DEFINE(NSLayoutConstraint, objc::Object)

namespace {

UIView* rootOf(UIView* view) {
    while (view->superview()) view = view->superview();
    return view;
}

UIView* commonAncestor(UIView* a, UIView* b) {
    for (UIView* v = a; v; v = v->superview())
        if (b->isDescendantOfView(v)) return v;
    return nullptr;
}

// The problems last reported for a view tree, kept on its root so a lasting problem is logged
// once, not at every layout pass.
class LayoutReport : public objc::Object {
public:
    std::vector<std::string> lines;
};
const char kLayoutReportKey = 0;

}  // namespace

std::string layoutLogName(const UIView& view) {
    std::string name = view.description();
    if (view.tag() != 0) {
        name.pop_back();
        name += "; tag = " + std::to_string(view.tag()) + ">";
    }
    return name;
}

objc::Ref<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(
    const objc::Ref<UIView>& view1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
    const objc::Ref<UIView>& view2, NSLayoutAttribute attribute2, CGFloat multiplier, CGFloat constant) {
    return objc::make<NSLayoutConstraint>(view1, attribute1, relation, view2, attribute2, multiplier, constant);
}

void NSLayoutConstraint::init(const objc::Ref<UIView>& view1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
                              const objc::Ref<UIView>& view2, NSLayoutAttribute attribute2, CGFloat multiplier,
                              CGFloat constant) {
    bool hasSecond = view2 && attribute2 != NSLayoutAttribute::NotAnAttribute;
    m_first = view1;
    m_firstAttribute = attribute1;
    if (hasSecond) m_second = view2;
    m_secondAttribute = hasSecond ? attribute2 : NSLayoutAttribute::NotAnAttribute;
    m_relation = relation;
    m_multiplier = multiplier;
    m_constant = constant;

    std::string reason;
    if (!view1)
        reason = "it has no first view";
    else if (relation != NSLayoutRelation::Equal)
        reason = "only equalities are supported";
    else if (!std::isfinite(multiplier) || !std::isfinite(constant))
        reason = "its constant or multiplier is not finite";
    else
        LayoutSolver::checkShape(attribute1, hasSecond, attribute2, &reason);
    m_valid = reason.empty();
    if (!m_valid) NSLog("Invalid layout constraint %s: %s; it will not be activated.", constraintDescription(), reason);
}

std::string NSLayoutConstraint::constraintDescription() const {
    auto name = [](const objc::WeakRef<UIView>& ref) {
        auto view = ref.lock();
        return view ? layoutLogName(*view) : std::string("(none)");
    };
    const char* relation = m_relation == NSLayoutRelation::Equal             ? " == "
                           : m_relation == NSLayoutRelation::LessThanOrEqual ? " <= "
                                                                             : " >= ";
    char number[32];
    std::string out = name(m_first) + "." + layoutAttributeName(m_firstAttribute) + relation;
    if (m_secondAttribute == NSLayoutAttribute::NotAnAttribute) {
        std::snprintf(number, sizeof number, "%g", m_constant);
        return out + number;
    }
    if (m_multiplier != 1) {
        std::snprintf(number, sizeof number, "%g * ", m_multiplier);
        out += number;
    }
    out += name(m_second) + "." + layoutAttributeName(m_secondAttribute);
    if (m_constant != 0) {
        std::snprintf(number, sizeof number, m_constant > 0 ? " + %g" : " - %g", std::abs(m_constant));
        out += number;
    }
    return out;
}

void NSLayoutConstraint::setConstant(CGFloat constant) {
    if (!std::isfinite(constant)) {
        NSLog("Layout constraint %s: ignoring a constant that is not finite.", constraintDescription());
        return;
    }
    m_constant = constant;
    if (auto holder = m_holderRef.lock()) holder->setNeedsLayout();
}

void NSLayoutConstraint::setActive(bool active) {
    if (active == m_active) return;
    auto self = std::static_pointer_cast<NSLayoutConstraint>(shared_from_this());
    if (!active) {
        m_active = false;
        if (auto holder = m_holderRef.lock()) holder->removeConstraint(this);
        m_holderRef.reset();
        return;
    }
    auto first = firstItem();
    if (!m_valid || !first) {
        NSLog("Layout constraint %s cannot be activated: it is not well formed.", constraintDescription());
        return;
    }
    UIView* holder = first.get();
    if (m_secondAttribute != NSLayoutAttribute::NotAnAttribute) {
        auto second = secondItem();
        if (!second) {
            NSLog("Layout constraint %s cannot be activated: its second view is gone.", constraintDescription());
            return;
        }
        holder = commonAncestor(first.get(), second.get());
        if (!holder) {
            NSLog("Layout constraint %s relates views without a common ancestor; it takes effect once they share one.",
                  constraintDescription());
            holder = first.get();
        }
    }
    m_active = true;
    m_holderRef = std::static_pointer_cast<UIView>(holder->shared_from_this());
    holder->addConstraint(self);
}

UIView* NSLayoutConstraint::holder() const { return m_holderRef.lock().get(); }

void NSLayoutConstraint::activateConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints) {
    for (const auto& c : constraints)
        if (c) c->setActive(true);
}

void NSLayoutConstraint::deactivateConstraints(const std::vector<objc::Ref<NSLayoutConstraint>>& constraints) {
    for (const auto& c : constraints)
        if (c) c->setActive(false);
}

void setNeedsConstraintLayout(UIView& view) {
    for (UIView* v = &view; v; v = v->superview())
        if (!v->constraints().empty()) v->setNeedsLayout();
}

// ---------------------------------------------------------------------------------------------
// The layout pass.

namespace {

class TreeLayout {
public:
    explicit TreeLayout(UIView* root) : m_root(root) {}

    void gather(UIView& view) {
        for (const auto& c : view.constraints()) add(c.get());
        for (const auto& sub : view.subviews()) gather(*sub);
    }

    void solveAndApply() {
        if (m_constraints.empty()) return;
        auto result = m_solver.solve();
        for (int i = 0; i < m_solver.itemCount(); ++i) {
            if (!result.placedHorizontally[i] && !result.placedVertically[i]) continue;
            UIView& view = *m_views[i];
            const CGRect& f = result.frames[i];
            CGSize size{std::max(0.0, f.size.width), std::max(0.0, f.size.height)};
            CGPoint center{f.origin.x + size.width / 2, f.origin.y + size.height / 2};
            if (view.bounds().size != size) view.setBounds(CGRect{view.bounds().origin, size});
            if (view.center() != center) view.setCenter(center);
        }
        report(result);
    }

private:
    void add(NSLayoutConstraint* c) {
        if (!c || !c->isValid()) return;
        auto first = c->firstItem();
        auto second = c->secondItem();
        bool hasSecond = c->secondAttribute() != NSLayoutAttribute::NotAnAttribute;
        // A constraint whose views are gone or not (yet) in this tree takes no part.
        if (!first || rootOf(first.get()) != m_root) return;
        if (hasSecond && (!second || rootOf(second.get()) != m_root)) return;
        LayoutSolver::Constraint sc;
        sc.first = item(first.get());
        sc.firstAttribute = c->firstAttribute();
        if (hasSecond) {
            sc.second = item(second.get());
            sc.secondAttribute = c->secondAttribute();
        }
        sc.multiplier = c->multiplier();
        sc.constant = c->constant();
        if (m_solver.addConstraint(sc)) m_constraints.push_back(c);
    }

    int item(UIView* view) {
        auto it = m_index.find(view);
        if (it != m_index.end()) return it->second;
        LayoutSolver::Item item;
        if (view == m_root) {
            item.frame = CGRect{CGPointZero, view->bounds().size};
        } else {
            item.parent = this->item(view->superview());
            CGSize size = view->bounds().size;
            item.frame = CGRect{{view->center().x - size.width / 2, view->center().y - size.height / 2}, size};
            item.constrained = !view->translatesAutoresizingMaskIntoConstraints() && !UIStackView::arrangesView(*view);
            if (item.constrained) item.intrinsicSize = view->intrinsicContentSize();
        }
        int index = m_solver.addItem(item);
        m_index.emplace(view, index);
        m_views.push_back(view);
        return index;
    }

    void report(const LayoutSolver::Result& result) {
        auto name = [this](int i) { return layoutLogName(*m_views[i]); };
        std::vector<std::string> lines;
        for (const auto& problem : result.problems) {
            std::string line = m_solver.describe(problem, name);
            if (problem.constraint >= 0 && !m_constraints[problem.constraint]->identifier().empty())
                line += " (constraint \"" + m_constraints[problem.constraint]->identifier() + "\")";
            lines.push_back(std::move(line));
        }
        auto previous = objc::cast<LayoutReport>(m_root->associatedObject(&kLayoutReportKey));
        if (lines.empty()) {
            if (previous) m_root->setAssociatedObject(&kLayoutReportKey, nullptr);
            return;
        }
        for (const auto& line : lines)
            if (!previous || std::find(previous->lines.begin(), previous->lines.end(), line) == previous->lines.end())
                NSLogLine(line);
        auto now = objc::make<LayoutReport>();
        now->lines = std::move(lines);
        m_root->setAssociatedObject(&kLayoutReportKey, now);
    }

    UIView* m_root;
    LayoutSolver m_solver;
    std::unordered_map<UIView*, int> m_index;
    std::vector<UIView*> m_views;
    std::vector<NSLayoutConstraint*> m_constraints;
};

}  // namespace

void layoutWithConstraints(UIView& view) {
    auto keep = view.shared_from_this();
    UIView* root = rootOf(&view);
    TreeLayout layout(root);
    layout.gather(*root);
    layout.solveAndApply();
}

namespace {
[[maybe_unused]] const bool kHookInstalled = (UIView::s_constraintLayoutHook = &layoutWithConstraints, true);
}

}  // namespace ios
