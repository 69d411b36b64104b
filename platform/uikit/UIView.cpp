#include "platform/uikit/UIView.h"

#include <algorithm>

#include "platform/uikit/UIGestureRecognizer.h"

namespace ios {

OBJC_CLASS_DEFINE(UIResponder, objc::Object)
OBJC_CLASS_DEFINE(UIView, UIResponder)

UIView::~UIView() {
    for (auto& view : m_subviews) view->m_superview = nullptr;
    for (auto& recognizer : m_gestureRecognizers) recognizer->m_view = nullptr;
}

void UIView::init(const CGRect& frame) { setFrame(frame); }

CGRect UIView::frame() const {
    return CGRectMake(m_center.x - m_bounds.size.width / 2, m_center.y - m_bounds.size.height / 2, m_bounds.size.width,
                      m_bounds.size.height);
}

void UIView::setFrame(const CGRect& frame) {
    // Negative sizes are read standardised, as the platform does.
    double x = frame.size.width < 0 ? frame.origin.x + frame.size.width : frame.origin.x;
    double y = frame.size.height < 0 ? frame.origin.y + frame.size.height : frame.origin.y;
    double w = frame.size.width < 0 ? -frame.size.width : frame.size.width;
    double h = frame.size.height < 0 ? -frame.size.height : frame.size.height;
    bool resized = w != m_bounds.size.width || h != m_bounds.size.height;
    m_bounds.size = CGSizeMake(w, h);
    m_center = CGPointMake(x + w / 2, y + h / 2);
    if (resized) setNeedsLayout();
}

void UIView::setBounds(const CGRect& bounds) {
    if (bounds.size != m_bounds.size) setNeedsLayout();
    m_bounds = bounds;
}

UIView* UIView::viewWithTag(int tag) {
    if (m_tag == tag) return this;
    for (auto& view : m_subviews)
        if (UIView* found = view->viewWithTag(tag)) return found;
    return nullptr;
}

void UIView::addSubview(const objc::Ref<UIView>& view) { insertSubview(view, m_subviews.size()); }

void UIView::insertSubview(const objc::Ref<UIView>& view, std::size_t index) {
    if (!view || view.get() == this || isDescendantOfView(view.get())) return;
    auto keep = view;  // removing it from its old parent may drop the last other reference
    if (view->m_superview) {
        auto& siblings = view->m_superview->m_subviews;
        std::erase(siblings, view);
    }
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + static_cast<long>(index), view);
    view->m_superview = this;
    setNeedsLayout();
    view->didMoveToSuperview();
}

void UIView::removeFromSuperview() {
    if (!m_superview) return;
    auto keep = std::static_pointer_cast<UIView>(shared_from_this());
    UIView* parent = m_superview;
    std::erase(parent->m_subviews, keep);
    m_superview = nullptr;
    parent->setNeedsLayout();
    didMoveToSuperview();
}

bool UIView::isDescendantOfView(const UIView* view) const {
    for (const UIView* v = this; v; v = v->m_superview)
        if (v == view) return true;
    return false;
}

void UIView::layoutIfNeeded() {
    auto keep = shared_from_this();
    if (m_needsLayout) {
        m_needsLayout = false;
        layoutSubviews();
    }
    auto children = m_subviews;
    for (auto& view : children) view->layoutIfNeeded();
}

void UIView::addGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer) {
    if (!recognizer) return;
    if (recognizer->m_view && recognizer->m_view != this) {
        auto keep = recognizer;
        recognizer->m_view->removeGestureRecognizer(recognizer);
    }
    if (std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer) == m_gestureRecognizers.end())
        m_gestureRecognizers.push_back(recognizer);
    recognizer->m_view = this;
}

void UIView::removeGestureRecognizer(const objc::Ref<UIGestureRecognizer>& recognizer) {
    if (!recognizer || recognizer->m_view != this) return;
    recognizer->m_view = nullptr;
    std::erase(m_gestureRecognizers, recognizer);
}

}  // namespace ios
