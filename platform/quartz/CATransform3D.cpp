#include "platform/quartz/CATransform3D.h"

#include <cmath>

namespace ios {

bool CATransform3DIsIdentity(const CATransform3D& t) { return t == CATransform3DIdentity; }

bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b) { return a == b; }

CATransform3D CATransform3DMakeTranslation(double tx, double ty, double tz) {
    CATransform3D t;
    t.m41 = tx;
    t.m42 = ty;
    t.m43 = tz;
    return t;
}

CATransform3D CATransform3DMakeScale(double sx, double sy, double sz) {
    CATransform3D t;
    t.m11 = sx;
    t.m22 = sy;
    t.m33 = sz;
    return t;
}

CATransform3D CATransform3DMakeRotation(double angle, double x, double y, double z) {
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0 || !std::isfinite(length)) return CATransform3DIdentity;
    x /= length;
    y /= length;
    z /= length;
    double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    // Exact values for the quarter turns the editor's sliders hit, so a 90° turn about X really
    // lays the layer flat instead of leaving a 1e-17 sliver.
    if (std::fabs(c) < 1e-15) c = 0;
    if (std::fabs(s) < 1e-15) s = 0;
    CATransform3D t;
    t.m11 = c + k * x * x;
    t.m12 = k * x * y + s * z;
    t.m13 = k * x * z - s * y;
    t.m21 = k * x * y - s * z;
    t.m22 = c + k * y * y;
    t.m23 = k * y * z + s * x;
    t.m31 = k * x * z + s * y;
    t.m32 = k * y * z - s * x;
    t.m33 = c + k * z * z;
    return t;
}

CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b) {
    CATransform3D r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.at(i, k) * b.at(k, j);
            r.at(i, j) = sum;
        }
    return r;
}

CATransform3D CATransform3DTranslate(const CATransform3D& t, double tx, double ty, double tz) {
    return CATransform3DConcat(CATransform3DMakeTranslation(tx, ty, tz), t);
}

CATransform3D CATransform3DScale(const CATransform3D& t, double sx, double sy, double sz) {
    return CATransform3DConcat(CATransform3DMakeScale(sx, sy, sz), t);
}

CATransform3D CATransform3DRotate(const CATransform3D& t, double angle, double x, double y, double z) {
    return CATransform3DConcat(CATransform3DMakeRotation(angle, x, y, z), t);
}

CATransform3D CATransform3DInvert(const CATransform3D& t) {
    const double* m = &t.m11;
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] -
              m[8] * m[2] * m[5];
    double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0 || !std::isfinite(det)) return t;
    CATransform3D r;
    double* out = &r.m11;
    for (int i = 0; i < 16; ++i) out[i] = inv[i] / det;
    return r;
}

bool CATransform3DIsAffine(const CATransform3D& t) {
    return t.m13 == 0 && t.m14 == 0 && t.m23 == 0 && t.m24 == 0 && t.m31 == 0 && t.m32 == 0 && t.m33 == 1 &&
           t.m34 == 0 && t.m43 == 0 && t.m44 == 1;
}

CATransform3D CATransform3DMakeAffineTransform(const CGAffineTransform& a) {
    CATransform3D t;
    t.m11 = a.a;
    t.m12 = a.b;
    t.m21 = a.c;
    t.m22 = a.d;
    t.m41 = a.tx;
    t.m42 = a.ty;
    return t;
}

CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t) {
    return {t.m11, t.m12, t.m21, t.m22, t.m41, t.m42};
}

CAPoint3D CATransform3DApply(const CATransform3D& t, double x, double y, double z) {
    return {x * t.m11 + y * t.m21 + z * t.m31 + t.m41, x * t.m12 + y * t.m22 + z * t.m32 + t.m42,
            x * t.m13 + y * t.m23 + z * t.m33 + t.m43, x * t.m14 + y * t.m24 + z * t.m34 + t.m44};
}

CAPoint3D CATransform3DProject(const CATransform3D& t, double x, double y, double z) {
    CAPoint3D p = CATransform3DApply(t, x, y, z);
    if (p.w != 0 && p.w != 1) {
        p.x /= p.w;
        p.y /= p.w;
        p.z /= p.w;
        p.w = 1;
    }
    return p;
}

namespace {

// Rotation rows (row-vector convention) from a unit quaternion.
void quaternionToRows(const double q[4], double r[3][3]) {
    double x = q[0], y = q[1], z = q[2], w = q[3];
    // Column-vector rotation matrix, transposed on the fly.
    double c[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                      {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                      {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = c[j][i];
}

void rowsToQuaternion(const double r[3][3], double q[4]) {
    // c = rᵀ, the column-vector form.
    auto c = [&](int i, int j) { return r[j][i]; };
    double trace = c(0, 0) + c(1, 1) + c(2, 2);
    if (trace > 0) {
        double s = std::sqrt(trace + 1.0) * 2;
        q[3] = 0.25 * s;
        q[0] = (c(2, 1) - c(1, 2)) / s;
        q[1] = (c(0, 2) - c(2, 0)) / s;
        q[2] = (c(1, 0) - c(0, 1)) / s;
    } else if (c(0, 0) > c(1, 1) && c(0, 0) > c(2, 2)) {
        double s = std::sqrt(1.0 + c(0, 0) - c(1, 1) - c(2, 2)) * 2;
        q[3] = (c(2, 1) - c(1, 2)) / s;
        q[0] = 0.25 * s;
        q[1] = (c(0, 1) + c(1, 0)) / s;
        q[2] = (c(0, 2) + c(2, 0)) / s;
    } else if (c(1, 1) > c(2, 2)) {
        double s = std::sqrt(1.0 + c(1, 1) - c(0, 0) - c(2, 2)) * 2;
        q[3] = (c(0, 2) - c(2, 0)) / s;
        q[0] = (c(0, 1) + c(1, 0)) / s;
        q[1] = 0.25 * s;
        q[2] = (c(1, 2) + c(2, 1)) / s;
    } else {
        double s = std::sqrt(1.0 + c(2, 2) - c(0, 0) - c(1, 1)) * 2;
        q[3] = (c(1, 0) - c(0, 1)) / s;
        q[0] = (c(0, 2) + c(2, 0)) / s;
        q[1] = (c(1, 2) + c(2, 1)) / s;
        q[2] = 0.25 * s;
    }
    double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (n > 0)
        for (int i = 0; i < 4; ++i) q[i] /= n;
}

// Splits the upper 3×3 block into per-row scales and rotation rows.
void splitScaleRotation(const CATransform3D& t, double scale[3], double rows[3][3]) {
    for (int i = 0; i < 3; ++i) {
        double a = t.at(i, 0), b = t.at(i, 1), c = t.at(i, 2);
        scale[i] = std::sqrt(a * a + b * b + c * c);
        for (int j = 0; j < 3; ++j) rows[i][j] = scale[i] != 0 ? t.at(i, j) / scale[i] : (i == j ? 1 : 0);
    }
    double det = rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1]) -
                 rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0]) +
                 rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
    if (det < 0) {  // a mirror: keep the rotation proper and carry the flip in the x scale
        scale[0] = -scale[0];
        for (int j = 0; j < 3; ++j) rows[0][j] = -rows[0][j];
    }
}

}  // namespace

CATransform3DParts CATransform3DDecompose(const CATransform3D& t) {
    CATransform3DParts parts;
    double rows[3][3];
    splitScaleRotation(t, parts.scale, rows);
    rowsToQuaternion(rows, parts.quaternion);
    parts.translation[0] = t.m41;
    parts.translation[1] = t.m42;
    parts.translation[2] = t.m43;
    parts.perspective[0] = t.m14;
    parts.perspective[1] = t.m24;
    parts.perspective[2] = t.m34;
    return parts;
}

CATransform3D CATransform3DRecompose(const CATransform3DParts& parts) {
    double rows[3][3];
    quaternionToRows(parts.quaternion, rows);
    CATransform3D t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.at(i, j) = parts.scale[i] * rows[i][j];
    t.m41 = parts.translation[0];
    t.m42 = parts.translation[1];
    t.m43 = parts.translation[2];
    t.m14 = parts.perspective[0];
    t.m24 = parts.perspective[1];
    t.m34 = parts.perspective[2];
    t.m44 = 1;
    return t;
}

CATransform3D CATransform3DInterpolate(const CATransform3D& from, const CATransform3D& to, double f) {
    if (f <= 0) return from;
    if (f >= 1) return to;
    if (from == to) return from;
    CATransform3DParts a = CATransform3DDecompose(from), b = CATransform3DDecompose(to), r;
    for (int i = 0; i < 3; ++i) {
        r.scale[i] = a.scale[i] + (b.scale[i] - a.scale[i]) * f;
        r.translation[i] = a.translation[i] + (b.translation[i] - a.translation[i]) * f;
        r.perspective[i] = a.perspective[i] + (b.perspective[i] - a.perspective[i]) * f;
    }
    double qa[4] = {a.quaternion[0], a.quaternion[1], a.quaternion[2], a.quaternion[3]};
    const double* qb = b.quaternion;
    double dot = qa[0] * qb[0] + qa[1] * qb[1] + qa[2] * qb[2] + qa[3] * qb[3];
    if (dot < 0) {  // take the short way round
        for (double& v : qa) v = -v;
        dot = -dot;
    }
    double wa, wb;
    if (dot > 0.9995) {
        wa = 1 - f;
        wb = f;
    } else {
        double theta = std::acos(dot), s = std::sin(theta);
        wa = std::sin((1 - f) * theta) / s;
        wb = std::sin(f * theta) / s;
    }
    double n = 0;
    for (int i = 0; i < 4; ++i) {
        r.quaternion[i] = wa * qa[i] + wb * qb[i];
        n += r.quaternion[i] * r.quaternion[i];
    }
    n = std::sqrt(n);
    for (double& v : r.quaternion) v /= n;
    return CATransform3DRecompose(r);
}

void CATransform3DGetEulerAngles(const CATransform3D& t, double* x, double* y, double* z) {
    double scale[3], r[3][3];
    splitScaleRotation(t, scale, r);
    // Rx·Ry·Rz in rows: r13 = −sin y, r12/r11 = tan z, r23/r33 = tan x.
    double sy = -r[0][2];
    sy = sy > 1 ? 1 : (sy < -1 ? -1 : sy);
    double ay = std::asin(sy), ax, az;
    if (std::fabs(sy) < 1 - 1e-12) {
        ax = std::atan2(r[1][2], r[2][2]);
        az = std::atan2(r[0][1], r[0][0]);
    } else {  // gimbal lock: put everything into x
        az = 0;
        ax = std::atan2(sy > 0 ? r[1][0] : -r[1][0], r[1][1]);
    }
    if (x) *x = ax;
    if (y) *y = ay;
    if (z) *z = az;
}

CATransform3D CATransform3DFlatten(CATransform3D t) {
    t.m13 = t.m23 = t.m43 = 0;
    t.m31 = t.m32 = t.m34 = 0;
    t.m33 = 1;
    return t;
}

}  // namespace ios
