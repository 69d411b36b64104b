#include "platform/uikit/UIStackView.h"

#include <algorithm>

#include "platform/foundation/SystemLog.h"
#include "platform/uikit/NSLayoutConstraint.h"

namespace ios {

OBJC_CLASS_DEFINE(UIStackView, UIView)

namespace {
bool horizontal(UILayoutConstraintAxis axis) { return axis == UILayoutConstraintAxis::Horizontal; }
CGFloat along(const CGSize& s, UILayoutConstraintAxis axis) { return horizontal(axis) ? s.width : s.height; }
CGFloat across(const CGSize& s, UILayoutConstraintAxis axis) { return horizontal(axis) ? s.height : s.width; }
}  // namespace

void UIStackView::init(const std::vector<objc::Ref<UIView>>& views) {
    UIView::init(CGRectZero);
    for (const auto& view : views) addArrangedSubview(view);
}

void UIStackView::setAxis(UILayoutConstraintAxis axis) {
    if (axis == m_axis) return;
    m_axis = axis;
    arrangementChanged();
}

void UIStackView::setDistribution(UIStackViewDistribution distribution) {
    if (distribution != UIStackViewDistribution::Fill && distribution != UIStackViewDistribution::FillEqually)
        NSLog("UIStackView: distribution %d is laid out as fill.", static_cast<int>(distribution));
    m_distribution = distribution;
    arrangementChanged();
}

void UIStackView::setAlignment(UIStackViewAlignment alignment) {
    if (alignment == UIStackViewAlignment::FirstBaseline || alignment == UIStackViewAlignment::LastBaseline)
        NSLog("UIStackView: baseline alignment is laid out as fill.");
    m_alignment = alignment;
    arrangementChanged();
}

void UIStackView::setSpacing(CGFloat spacing) {
    m_spacing = spacing;
    arrangementChanged();
}

void UIStackView::addArrangedSubview(const objc::Ref<UIView>& view) { insertArrangedSubview(view, m_arranged.size()); }

void UIStackView::insertArrangedSubview(const objc::Ref<UIView>& view, std::size_t index) {
    if (!view || view.get() == this) return;
    std::erase(m_arranged, view);
    index = std::min(index, m_arranged.size());
    m_arranged.insert(m_arranged.begin() + static_cast<long>(index), view);
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    if (view->superview() != this) addSubview(view);
    arrangementChanged();
}

void UIStackView::removeArrangedSubview(const UIView* view) {
    auto before = m_arranged.size();
    std::erase_if(m_arranged, [&](const auto& v) { return v.get() == view; });
    if (m_arranged.size() != before) arrangementChanged();
}

void UIStackView::willRemoveSubview(UIView* subview) {
    UIView::willRemoveSubview(subview);
    removeArrangedSubview(subview);
}

bool UIStackView::arrangesView(const UIView& view) {
    auto* stack = dynamic_cast<const UIStackView*>(view.superview());
    if (!stack) return false;
    return std::any_of(stack->m_arranged.begin(), stack->m_arranged.end(),
                       [&](const auto& v) { return v.get() == &view; });
}

void UIStackView::arrangementChanged() {
    setNeedsLayout();
    invalidateIntrinsicContentSize();
    setNeedsConstraintLayout(*this);
}

void UIStackView::layoutSubviews() {
    UIView::layoutSubviews();
    std::vector<UIView*> shown;
    for (const auto& v : m_arranged)
        if (!v->isHidden()) shown.push_back(v.get());
    if (shown.empty()) return;

    const CGRect b = bounds();
    const CGFloat length = along(b.size, m_axis);
    const CGFloat thickness = across(b.size, m_axis);
    const CGFloat gaps = m_spacing * static_cast<CGFloat>(shown.size() - 1);
    const std::size_t n = shown.size();

    std::vector<CGFloat> lengths(n);
    if (m_distribution == UIStackViewDistribution::FillEqually) {
        std::fill(lengths.begin(), lengths.end(), std::max<CGFloat>(0, (length - gaps) / static_cast<CGFloat>(n)));
    } else {
        CGFloat used = gaps;
        for (std::size_t i = 0; i < n; ++i) {
            CGFloat natural = along(shown[i]->intrinsicContentSize(), m_axis);
            lengths[i] = natural >= 0 ? natural : along(shown[i]->bounds().size, m_axis);
            used += lengths[i];
        }
        lengths.back() = std::max<CGFloat>(0, lengths.back() + length - used);
    }

    CGFloat position = along(CGSize{b.origin.x, b.origin.y}, m_axis);
    const CGFloat crossOrigin = across(CGSize{b.origin.x, b.origin.y}, m_axis);
    for (std::size_t i = 0; i < n; ++i) {
        UIView& v = *shown[i];
        CGFloat cross = thickness, offset = 0;
        if (m_alignment != UIStackViewAlignment::Fill && m_alignment != UIStackViewAlignment::FirstBaseline &&
            m_alignment != UIStackViewAlignment::LastBaseline) {
            CGFloat natural = across(v.intrinsicContentSize(), m_axis);
            cross = std::min(thickness, natural >= 0 ? natural : across(v.bounds().size, m_axis));
            if (m_alignment == UIStackViewAlignment::Center)
                offset = (thickness - cross) / 2;
            else if (m_alignment == UIStackViewAlignment::Trailing)
                offset = thickness - cross;
        }
        CGSize size = horizontal(m_axis) ? CGSize{lengths[i], cross} : CGSize{cross, lengths[i]};
        CGPoint origin =
            horizontal(m_axis) ? CGPoint{position, crossOrigin + offset} : CGPoint{crossOrigin + offset, position};
        // Placed by center and bounds, as the constraint solver places views.
        if (v.bounds().size != size) v.setBounds(CGRect{v.bounds().origin, size});
        CGPoint center{origin.x + size.width / 2, origin.y + size.height / 2};
        if (v.center() != center) v.setCenter(center);
        position += lengths[i] + m_spacing;
    }
}

CGSize UIStackView::intrinsicContentSize() const {
    CGFloat total = 0, largest = 0, thickest = 0;
    bool alongOpen = false, acrossOpen = false;
    std::size_t n = 0;
    for (const auto& v : m_arranged) {
        if (v->isHidden()) continue;
        CGSize s = v->intrinsicContentSize();
        CGFloat a = along(s, m_axis), c = across(s, m_axis);
        if (a < 0) alongOpen = true;
        if (c < 0) acrossOpen = true;
        total += std::max<CGFloat>(0, a);
        largest = std::max(largest, a);
        thickest = std::max(thickest, c);
        ++n;
    }
    if (n == 0) return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
    CGFloat gaps = m_spacing * static_cast<CGFloat>(n - 1);
    CGFloat a = m_distribution == UIStackViewDistribution::FillEqually ? largest * static_cast<CGFloat>(n) : total;
    a = alongOpen ? UIViewNoIntrinsicMetric : a + gaps;
    CGFloat c = acrossOpen ? UIViewNoIntrinsicMetric : thickest;
    return horizontal(m_axis) ? CGSize{a, c} : CGSize{c, a};
}

}  // namespace ios
