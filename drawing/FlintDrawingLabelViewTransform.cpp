#include "drawing/FlintDrawingLabelViewTransform.h"

OBJC_CLASS_DEFINE(FlintDrawingLabelViewTransform, objc::Object)

objc::Ref<FlintDrawingLabelViewTransform> FlintDrawingLabelViewTransform::transform(
    const ios::CGAffineTransform& transform, ios::CGPoint center, const ios::CGRect& bounds) {
    auto t = objc::make<FlintDrawingLabelViewTransform>();
    t->m_transform = transform;
    t->m_center = center;
    t->m_bounds = bounds;
    return t;
}
