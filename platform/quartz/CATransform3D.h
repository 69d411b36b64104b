#pragma once
// 4×4 layer transforms with the platform's conventions: points are row vectors multiplied on the
// left (p' = p · M), the translation lives in m41..m43, and m34 is the perspective entry
// (usually −1/eyeDistance). CATransform3DConcat(a, b) applies a first, then b.
// CATransform3DTranslate/Scale/Rotate(t, …) apply the new operation first, then t.

#include "platform/graphics/CGAffineTransform.h"

namespace ios {

struct CATransform3D {
    double m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    double m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    double m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    double m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    double& at(int row, int column) { return (&m11)[row * 4 + column]; }
    double at(int row, int column) const { return (&m11)[row * 4 + column]; }
    bool operator==(const CATransform3D&) const = default;
};

inline constexpr CATransform3D CATransform3DIdentity{};

bool CATransform3DIsIdentity(const CATransform3D& t);
bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b);

CATransform3D CATransform3DMakeTranslation(double tx, double ty, double tz);
CATransform3D CATransform3DMakeScale(double sx, double sy, double sz);
// Rotation by `angle` radians about the axis (x, y, z); a zero axis gives the identity. About
// (0, 0, 1) a positive angle turns +x towards +y (clockwise on the y-down screen), like the
// affine rotation.
CATransform3D CATransform3DMakeRotation(double angle, double x, double y, double z);

CATransform3D CATransform3DTranslate(const CATransform3D& t, double tx, double ty, double tz);
CATransform3D CATransform3DScale(const CATransform3D& t, double sx, double sy, double sz);
CATransform3D CATransform3DRotate(const CATransform3D& t, double angle, double x, double y, double z);
CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b);
// The inverse, or `t` itself when it has none.
CATransform3D CATransform3DInvert(const CATransform3D& t);

// True when the transform only acts in the xy plane (no z coupling, no perspective).
bool CATransform3DIsAffine(const CATransform3D& t);

// The affine transform as a 3D one (acting in the xy plane), and back: the affine part of t
// (m11, m12, m21, m22, m41, m42), whatever t does in z.
CATransform3D CATransform3DMakeAffineTransform(const CGAffineTransform& t);
CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t);

// Result of applying a transform to a point, before and after the perspective divide.
struct CAPoint3D {
    double x = 0, y = 0, z = 0, w = 1;
};
CAPoint3D CATransform3DApply(const CATransform3D& t, double x, double y, double z = 0);
// The projected point on the z = 0 plane (x / w, y / w); orthographic when m34 and friends are 0.
CAPoint3D CATransform3DProject(const CATransform3D& t, double x, double y, double z = 0);

// A transform taken apart into scale, rotation (a unit quaternion), translation and the
// perspective entries, and put back together: M = scale · rotation · translation, with the
// perspective column (m14, m24, m34) carried as it is. Shear is not represented.
struct CATransform3DParts {
    double scale[3] = {1, 1, 1};
    double quaternion[4] = {0, 0, 0, 1};  // x, y, z, w
    double translation[3] = {0, 0, 0};
    double perspective[3] = {0, 0, 0};  // m14, m24, m34
};
CATransform3DParts CATransform3DDecompose(const CATransform3D& t);
CATransform3D CATransform3DRecompose(const CATransform3DParts& parts);
// Interpolates two transforms through their parts (scale and translation linearly, rotation by
// spherical interpolation), so a half-way rotation stays a rotation.
CATransform3D CATransform3DInterpolate(const CATransform3D& from, const CATransform3D& to, double fraction);

// Euler angles (radians) of the rotation part for the "transform.rotation.x/y/z" key paths,
// with the rotation written as Rx · Ry · Rz (x applied first).
void CATransform3DGetEulerAngles(const CATransform3D& t, double* x, double* y, double* z);

// Drops what a point on the layer's plane does in z, leaving the projective map of the plane.
CATransform3D CATransform3DFlatten(CATransform3D t);

}  // namespace ios
