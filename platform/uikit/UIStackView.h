#pragma once
// A view that lines up its arranged subviews along an axis. It places them itself in its layout
// pass (they are not placed by the constraint solver, though the stack view itself may be):
// along the axis with `spacing` between neighbours, hidden ones left out; across the axis by the
// alignment. Distributions: fill equally (all the same length) and fill (each at its intrinsic
// length, the last one taking up what is left). Alignments: fill, leading/top, centre,
// trailing/bottom (the last three at the view's intrinsic cross size, or its current one).

#include <vector>

#include "platform/uikit/LayoutSolver.h"
#include "platform/uikit/UIView.h"

namespace ios {

using UILayoutConstraintAxis = NSLayoutConstraintAxis;

enum class UIStackViewDistribution {
    Fill = 0,
    FillEqually = 1,
    FillProportionally = 2,
    EqualSpacing = 3,
    EqualCentering = 4
};
enum class UIStackViewAlignment {
    Fill = 0,
    Leading = 1,
    Top = 1,
    FirstBaseline = 2,
    Center = 3,
    Trailing = 4,
    Bottom = 4,
    LastBaseline = 5
};

class UIStackView : public UIView {
    OBJC_CLASS_DECLARE(UIStackView)
public:
    using UIView::init;
    // initWithArrangedSubviews:
    void init(const std::vector<objc::Ref<UIView>>& views);

    UILayoutConstraintAxis axis() const { return m_axis; }
    void setAxis(UILayoutConstraintAxis axis);
    // Distributions other than fill and fill-equally are laid out as fill, with a log line.
    UIStackViewDistribution distribution() const { return m_distribution; }
    void setDistribution(UIStackViewDistribution distribution);
    // Baseline alignments are laid out as fill, with a log line.
    UIStackViewAlignment alignment() const { return m_alignment; }
    void setAlignment(UIStackViewAlignment alignment);
    CGFloat spacing() const { return m_spacing; }
    void setSpacing(CGFloat spacing);

    const std::vector<objc::Ref<UIView>>& arrangedSubviews() const { return m_arranged; }
    // Adds the view as a subview too (on top) and hands its placement to the stack view.
    void addArrangedSubview(const objc::Ref<UIView>& view);
    void insertArrangedSubview(const objc::Ref<UIView>& view, std::size_t index);
    // Stops arranging the view; it stays a subview. Removing it from the stack view as a subview
    // also stops arranging it.
    void removeArrangedSubview(const UIView* view);

    // Whether `view` is placed by its superview, a stack view arranging it.
    static bool arrangesView(const UIView& view);

    void layoutSubviews() override;
    // Along the axis: the arranged views' intrinsic lengths (fill equally: the largest, times
    // their number) plus the spacing; across: the largest. No intrinsic size when a visible
    // arranged view has none on that axis, or when nothing is arranged.
    CGSize intrinsicContentSize() const override;
    void willRemoveSubview(UIView* subview) override;

    // Shows no drawing of its own (known before the first display).
    bool respondsToDrawLayer() const override { return false; }

protected:
    UIStackView() = default;

private:
    void arrangementChanged();

    UILayoutConstraintAxis m_axis = UILayoutConstraintAxis::Horizontal;
    UIStackViewDistribution m_distribution = UIStackViewDistribution::Fill;
    UIStackViewAlignment m_alignment = UIStackViewAlignment::Fill;
    CGFloat m_spacing = 0;
    std::vector<objc::Ref<UIView>> m_arranged;
};

using UIStackViewRef = objc::Ref<UIStackView>;

}  // namespace ios
