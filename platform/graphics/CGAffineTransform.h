#pragma once
// 2-D affine transforms with the platform's conventions: points are row vectors, so
//   x' = a·x + c·y + tx,   y' = b·x + d·y + ty,
// and CGAffineTransformConcat(t1, t2) applies t1 first, then t2. With y pointing down a positive
// rotation angle turns clockwise on screen.

#include <ostream>

#include "platform/graphics/CGGeometry.h"

namespace ios {

struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

inline constexpr CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx,
                                                         CGFloat ty) {
    return {a, b, c, d, tx, ty};
}
CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle);  // radians

// t' = op · t: the new operation is applied first, then t (as the platform's functions).
CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat angle);

CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2);
// A singular transform is returned unchanged.
CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t);
bool CGAffineTransformIsIdentity(const CGAffineTransform& t);
bool CGAffineTransformEqualToTransform(const CGAffineTransform& t1, const CGAffineTransform& t2);

CGPoint CGPointApplyAffineTransform(const CGPoint& p, const CGAffineTransform& t);
// Applies the linear part only.
CGSize CGSizeApplyAffineTransform(const CGSize& s, const CGAffineTransform& t);
// The bounding box of the four transformed corners.
CGRect CGRectApplyAffineTransform(const CGRect& r, const CGAffineTransform& t);

std::ostream& operator<<(std::ostream& os, const CGAffineTransform& t);

}  // namespace ios
