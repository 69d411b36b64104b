#pragma once
// Screen geometry for touch delivery: converting between screen points and a view's bounds
// coordinates through every ancestor's position, anchor point, bounds origin and transform (the
// root of a tree, usually a window, is placed in screen coordinates), and finding the view under
// a screen point.

#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"

namespace ios {

class UIView;
class UIEvent;

CGPoint convertPointFromScreen(const UIView& view, CGPoint screenPoint);
CGPoint convertPointToScreen(const UIView& view, CGPoint point);
// The root of the view's tree (its window, when it is in one).
const UIView& rootViewOf(const UIView& view);

// Whether a view takes part in hit-testing at all: not hidden, alpha at least 0.01 and user
// interaction enabled.
bool isHittable(const UIView& view);

// The view under a screen point among root views ordered from the front (highest window level
// first); null when none takes it.
UIView* hitTestScreen(const std::vector<objc::Ref<UIView>>& rootsFrontToBack, CGPoint screenPoint,
                      const UIEvent* event = nullptr);

}  // namespace ios
