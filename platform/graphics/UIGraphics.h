#pragma once
// The UIKit drawing-context stack. Image contexts are bitmaps of ceil(w × scale) × ceil(h × scale)
// pixels (scale 0 = the screen's) whose user space is points; views push their backing store's
// context while they draw. UIGraphicsGetCurrentContext answers the top of the stack, or null.

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImage.h"

namespace ios {

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
inline void UIGraphicsBeginImageContext(CGSize size) { UIGraphicsBeginImageContextWithOptions(size, false, 1.0); }
// A snapshot of the current image context; none when the top of the stack is not an image context.
objc::Ref<UIImage> UIGraphicsGetImageFromCurrentImageContext();
// Pops the current image context (ignored when the top is not one).
void UIGraphicsEndImageContext();
CGContextRef UIGraphicsGetCurrentContext();
// Makes a context owned elsewhere current until the matching pop.
void UIGraphicsPushContext(CGContextRef context);
void UIGraphicsPopContext();
int UIGraphicsContextDepthForTesting();

// Fill the rectangle in the current context with its fill colour (UIRectFill), or clear it.
void UIRectFill(const CGRect& rect);
void UIRectFillUsingBlendMode(const CGRect& rect, CGBlendMode mode);
void UIRectClip(const CGRect& rect);

// The current screen scale: the current process's profile, else 1.
CGFloat mainScreenScale();

}  // namespace ios
