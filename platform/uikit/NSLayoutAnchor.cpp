#include "platform/uikit/NSLayoutAnchor.h"

#include "platform/uikit/UIView.h"

namespace ios {

OBJC_CLASS_DEFINE(NSLayoutAnchor, objc::Object)
OBJC_CLASS_DEFINE(NSLayoutXAxisAnchor, NSLayoutAnchor)
OBJC_CLASS_DEFINE(NSLayoutYAxisAnchor, NSLayoutAnchor)
OBJC_CLASS_DEFINE(NSLayoutDimension, NSLayoutAnchor)

void NSLayoutAnchor::init(UIView& view, NSLayoutAttribute attribute) {
    m_item = std::static_pointer_cast<UIView>(view.shared_from_this());
    m_attribute = attribute;
}

objc::Ref<NSLayoutConstraint> NSLayoutAnchor::equalTo(const NSLayoutAnchor& anchor, CGFloat multiplier,
                                                      CGFloat constant) const {
    return NSLayoutConstraint::constraintWithItem(item(), m_attribute, NSLayoutRelation::Equal, anchor.item(),
                                                  anchor.attribute(), multiplier, constant);
}

objc::Ref<NSLayoutConstraint> NSLayoutXAxisAnchor::constraintEqualToAnchor(const objc::Ref<NSLayoutXAxisAnchor>& anchor,
                                                                           CGFloat constant) const {
    if (!anchor)
        return NSLayoutConstraint::constraintWithItem(item(), attribute(), NSLayoutRelation::Equal, nullptr,
                                                      NSLayoutAttribute::NotAnAttribute, 1, constant);
    return equalTo(*anchor, 1, constant);
}

objc::Ref<NSLayoutConstraint> NSLayoutYAxisAnchor::constraintEqualToAnchor(const objc::Ref<NSLayoutYAxisAnchor>& anchor,
                                                                           CGFloat constant) const {
    if (!anchor)
        return NSLayoutConstraint::constraintWithItem(item(), attribute(), NSLayoutRelation::Equal, nullptr,
                                                      NSLayoutAttribute::NotAnAttribute, 1, constant);
    return equalTo(*anchor, 1, constant);
}

objc::Ref<NSLayoutConstraint> NSLayoutDimension::constraintEqualToConstant(CGFloat constant) const {
    return NSLayoutConstraint::constraintWithItem(item(), attribute(), NSLayoutRelation::Equal, nullptr,
                                                  NSLayoutAttribute::NotAnAttribute, 1, constant);
}

objc::Ref<NSLayoutConstraint> NSLayoutDimension::constraintEqualToAnchor(const objc::Ref<NSLayoutDimension>& anchor,
                                                                         CGFloat constant) const {
    return constraintEqualToAnchor(anchor, 1, constant);
}

objc::Ref<NSLayoutConstraint> NSLayoutDimension::constraintEqualToAnchor(const objc::Ref<NSLayoutDimension>& anchor,
                                                                         CGFloat multiplier, CGFloat constant) const {
    if (!anchor) return constraintEqualToConstant(constant);
    return equalTo(*anchor, multiplier, constant);
}

// The anchors UIView declares.
objc::Ref<NSLayoutXAxisAnchor> UIView::leadingAnchor() {
    return objc::make<NSLayoutXAxisAnchor>(*this, NSLayoutAttribute::Leading);
}
objc::Ref<NSLayoutXAxisAnchor> UIView::trailingAnchor() {
    return objc::make<NSLayoutXAxisAnchor>(*this, NSLayoutAttribute::Trailing);
}
objc::Ref<NSLayoutXAxisAnchor> UIView::leftAnchor() {
    return objc::make<NSLayoutXAxisAnchor>(*this, NSLayoutAttribute::Left);
}
objc::Ref<NSLayoutXAxisAnchor> UIView::rightAnchor() {
    return objc::make<NSLayoutXAxisAnchor>(*this, NSLayoutAttribute::Right);
}
objc::Ref<NSLayoutXAxisAnchor> UIView::centerXAnchor() {
    return objc::make<NSLayoutXAxisAnchor>(*this, NSLayoutAttribute::CenterX);
}
objc::Ref<NSLayoutYAxisAnchor> UIView::topAnchor() {
    return objc::make<NSLayoutYAxisAnchor>(*this, NSLayoutAttribute::Top);
}
objc::Ref<NSLayoutYAxisAnchor> UIView::bottomAnchor() {
    return objc::make<NSLayoutYAxisAnchor>(*this, NSLayoutAttribute::Bottom);
}
objc::Ref<NSLayoutYAxisAnchor> UIView::centerYAnchor() {
    return objc::make<NSLayoutYAxisAnchor>(*this, NSLayoutAttribute::CenterY);
}
objc::Ref<NSLayoutDimension> UIView::widthAnchor() {
    return objc::make<NSLayoutDimension>(*this, NSLayoutAttribute::Width);
}
objc::Ref<NSLayoutDimension> UIView::heightAnchor() {
    return objc::make<NSLayoutDimension>(*this, NSLayoutAttribute::Height);
}

}  // namespace ios
