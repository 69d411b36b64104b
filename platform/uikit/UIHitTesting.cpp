#include "platform/uikit/UIHitTesting.h"

#include "platform/graphics/CGAffineTransform.h"
#include "platform/uikit/UIView.h"

namespace ios {

namespace {

// A point of the superview's coordinates → the view's bounds coordinates.
CGPoint parentToLocal(const UIView& view, CGPoint p) {
    const CGRect& b = view.bounds();
    CGPoint anchor = view.layer() ? view.layer()->anchorPoint() : CGPointMake(0.5, 0.5);
    CGPoint c = view.center();
    CGPoint q =
        CGPointApplyAffineTransform(CGPointMake(p.x - c.x, p.y - c.y), CGAffineTransformInvert(view.transform()));
    return CGPointMake(q.x + b.origin.x + anchor.x * b.size.width, q.y + b.origin.y + anchor.y * b.size.height);
}

CGPoint localToParent(const UIView& view, CGPoint p) {
    const CGRect& b = view.bounds();
    CGPoint anchor = view.layer() ? view.layer()->anchorPoint() : CGPointMake(0.5, 0.5);
    CGPoint q = CGPointMake(p.x - b.origin.x - anchor.x * b.size.width, p.y - b.origin.y - anchor.y * b.size.height);
    q = CGPointApplyAffineTransform(q, view.transform());
    return CGPointMake(q.x + view.center().x, q.y + view.center().y);
}

}  // namespace

const UIView& rootViewOf(const UIView& view) {
    const UIView* v = &view;
    while (v->superview()) v = v->superview();
    return *v;
}

CGPoint convertPointFromScreen(const UIView& view, CGPoint screenPoint) {
    if (view.superview()) screenPoint = convertPointFromScreen(*view.superview(), screenPoint);
    return parentToLocal(view, screenPoint);
}

CGPoint convertPointToScreen(const UIView& view, CGPoint point) {
    for (const UIView* v = &view; v; v = v->superview()) point = localToParent(*v, point);
    return point;
}

bool isHittable(const UIView& view) {
    return !view.isHidden() && view.alpha() >= 0.01 && view.isUserInteractionEnabled();
}

UIView* hitTestScreen(const std::vector<objc::Ref<UIView>>& rootsFrontToBack, CGPoint screenPoint,
                      const UIEvent* event) {
    for (const auto& root : rootsFrontToBack) {
        if (!root) continue;
        if (UIView* hit = root->hitTest(parentToLocal(*root, screenPoint), event)) return hit;
    }
    return nullptr;
}

}  // namespace ios
