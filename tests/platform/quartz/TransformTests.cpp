#include <gtest/gtest.h>

#include <cmath>

#include "platform/quartz/CATransform3D.h"

using namespace ios;

namespace {

void expectPoint(const CAPoint3D& p, double x, double y, double z) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
    EXPECT_NEAR(p.z, z, 1e-9);
}

}  // namespace

TEST(CATransform3D, RotationAboutXByQuarterTurnSendsYIntoZ) {
    CATransform3D r = CATransform3DMakeRotation(M_PI / 2, 1, 0, 0);
    expectPoint(CATransform3DApply(r, 0, 1, 0), 0, 0, 1);
    expectPoint(CATransform3DApply(r, 0, 0, 1), 0, -1, 0);
    expectPoint(CATransform3DApply(r, 1, 0, 0), 1, 0, 0);
    // Flattened onto the screen the y extent vanishes: a layer becomes a horizontal line.
    CAPoint3D top = CATransform3DProject(r, 0, -50), bottom = CATransform3DProject(r, 0, 50);
    EXPECT_NEAR(top.y - bottom.y, 0, 1e-9);
}

TEST(CATransform3D, RotationAboutZTurnsClockwiseOnTheYDownScreen) {
    CATransform3D r = CATransform3DMakeRotation(M_PI / 2, 0, 0, 1);
    expectPoint(CATransform3DApply(r, 1, 0, 0), 0, 1, 0);  // +x turns to +y (down)
    EXPECT_NEAR(r.m12, 1, 1e-12);
    EXPECT_NEAR(r.m21, -1, 1e-12);
}

TEST(CATransform3D, ConcatAppliesTheFirstTransformFirst) {
    CATransform3D rotate = CATransform3DMakeRotation(M_PI / 2, 0, 0, 1);
    CATransform3D move = CATransform3DMakeTranslation(10, 0, 0);
    // Rotate (1,0) to (0,1), then move right: (10, 1).
    expectPoint(CATransform3DApply(CATransform3DConcat(rotate, move), 1, 0, 0), 10, 1, 0);
    // Move to (11,0), then rotate: (0, 11).
    expectPoint(CATransform3DApply(CATransform3DConcat(move, rotate), 1, 0, 0), 0, 11, 0);
}

TEST(CATransform3D, TranslateScaleRotateApplyTheNewOperationBeforeTheOldTransform) {
    CATransform3D scale = CATransform3DMakeScale(2, 2, 1);
    // translate(t) = concat(translation, t): the translation is scaled too.
    expectPoint(CATransform3DApply(CATransform3DTranslate(scale, 100, 0, 0), 0, 0, 0), 200, 0, 0);
    CATransform3D moved = CATransform3DMakeTranslation(100, 0, 0);
    expectPoint(CATransform3DApply(CATransform3DScale(moved, 2, 2, 1), 1, 1, 0), 102, 2, 0);
    expectPoint(CATransform3DApply(CATransform3DRotate(moved, M_PI, 0, 0, 1), 1, 0, 0), 99, 0, 0);
}

TEST(CATransform3D, EditorOrderTranslationIsNotScaled) {
    // Rotations, then scale, then translation, as the composer builds its matrix.
    CATransform3D s = CATransform3DScale(CATransform3DIdentity, 2, 1, 1);
    CATransform3D t = CATransform3DTranslate(CATransform3DIdentity, 100, 0, 0);
    CATransform3D m = CATransform3DConcat(s, t);
    expectPoint(CATransform3DApply(m, 0, 0, 0), 100, 0, 0);
    expectPoint(CATransform3DApply(m, 10, 0, 0), 120, 0, 0);
}

TEST(CATransform3D, AffinePartOfARotationAboutZ) {
    CATransform3D r = CATransform3DTranslate(CATransform3DMakeRotation(M_PI / 6, 0, 0, 1), 0, 0, 0);
    r = CATransform3DConcat(r, CATransform3DMakeTranslation(5, 7, 9));
    CGAffineTransform a = CATransform3DGetAffineTransform(r);
    EXPECT_NEAR(a.a, std::cos(M_PI / 6), 1e-12);
    EXPECT_NEAR(a.b, std::sin(M_PI / 6), 1e-12);
    EXPECT_NEAR(a.c, -std::sin(M_PI / 6), 1e-12);
    EXPECT_NEAR(a.d, std::cos(M_PI / 6), 1e-12);
    EXPECT_EQ(a.tx, 5);
    EXPECT_EQ(a.ty, 7);
    // And back: the affine rotation acts on points exactly as the 3D one does.
    CATransform3D back = CATransform3DMakeAffineTransform(CGAffineTransformMakeRotation(M_PI / 6));
    CGPoint p = CGPointApplyAffineTransform({3, 4}, CGAffineTransformMakeRotation(M_PI / 6));
    CAPoint3D q = CATransform3DApply(back, 3, 4, 0);
    EXPECT_NEAR(q.x, p.x, 1e-12);
    EXPECT_NEAR(q.y, p.y, 1e-12);
    EXPECT_TRUE(CATransform3DIsAffine(back));
    EXPECT_FALSE(CATransform3DIsAffine(CATransform3DMakeRotation(0.3, 1, 0, 0)));
}

TEST(CATransform3D, InvertUndoesAndSingularIsReturnedUnchanged) {
    CATransform3D m =
        CATransform3DConcat(CATransform3DMakeRotation(0.7, 1, 2, 3), CATransform3DMakeTranslation(4, -5, 6));
    m = CATransform3DScale(m, 2, 3, 4);
    m.m34 = -1.0 / 500;
    CATransform3D product = CATransform3DConcat(m, CATransform3DInvert(m));
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.at(i, j), i == j ? 1 : 0, 1e-9);
    CATransform3D flat = CATransform3DMakeScale(0, 1, 1);
    EXPECT_TRUE(CATransform3DEqualToTransform(CATransform3DInvert(flat), flat));
}

TEST(CATransform3D, IdentityAndZeroAxis) {
    EXPECT_TRUE(CATransform3DIsIdentity(CATransform3DIdentity));
    EXPECT_TRUE(CATransform3DIsIdentity(CATransform3DMakeRotation(1.0, 0, 0, 0)));
    EXPECT_FALSE(CATransform3DIsIdentity(CATransform3DMakeTranslation(0, 0, 1)));
}

TEST(CATransform3D, PerspectiveEntryMakesNearerPointsLarger) {
    CATransform3D p = CATransform3DIdentity;
    p.m34 = -1.0 / 500;
    // A point brought 100 towards the viewer moves away from the centre.
    CAPoint3D near = CATransform3DProject(p, 100, 0, 100);
    CAPoint3D far = CATransform3DProject(p, 100, 0, -100);
    EXPECT_NEAR(near.x, 100 / (1 - 100.0 / 500), 1e-9);
    EXPECT_GT(near.x, 100);
    EXPECT_LT(far.x, 100);
}

TEST(CATransform3D, InterpolationKeepsRotationsRigid) {
    CATransform3D from = CATransform3DIdentity;
    CATransform3D to = CATransform3DMakeRotation(M_PI / 2, 0, 0, 1);
    CATransform3D half = CATransform3DInterpolate(from, to, 0.5);
    // Half way is a 45° turn, not a shrunken average of the matrices.
    CAPoint3D p = CATransform3DApply(half, 1, 0, 0);
    EXPECT_NEAR(p.x, std::cos(M_PI / 4), 1e-9);
    EXPECT_NEAR(p.y, std::sin(M_PI / 4), 1e-9);
    CATransform3D scaled =
        CATransform3DInterpolate(CATransform3DMakeScale(1, 1, 1), CATransform3DMakeScale(3, 5, 1), 0.5);
    EXPECT_NEAR(scaled.m11, 2, 1e-9);
    EXPECT_NEAR(scaled.m22, 3, 1e-9);
}

TEST(CATransform3D, EulerAnglesRoundTrip) {
    CATransform3D m = CATransform3DMakeRotation(0.3, 1, 0, 0);
    m = CATransform3DConcat(m, CATransform3DMakeRotation(-0.4, 0, 1, 0));
    m = CATransform3DConcat(m, CATransform3DMakeRotation(1.1, 0, 0, 1));
    double x, y, z;
    CATransform3DGetEulerAngles(m, &x, &y, &z);
    EXPECT_NEAR(x, 0.3, 1e-9);
    EXPECT_NEAR(y, -0.4, 1e-9);
    EXPECT_NEAR(z, 1.1, 1e-9);
}
