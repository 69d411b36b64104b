#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/graphics/UIBezierPath.h"
#include "platform/graphics/UIGraphics.h"

using namespace ios;
using ios::testing::kOpaqueBlack;
using ios::testing::kOpaqueBlue;
using ios::testing::kOpaqueGreen;
using ios::testing::kOpaqueRed;
using ios::testing::kTransparent;
using ios::testing::pixelNear;

namespace {

// Draws into a fresh 100 × 100 point bitmap at scale 1 and hands back the image.
template <class Draw>
objc::Ref<UIImage> render(Draw draw, CGFloat scale = 1, CGSize size = {100, 100}) {
    UIGraphicsBeginImageContextWithOptions(size, false, scale);
    draw(UIGraphicsGetCurrentContext());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

}  // namespace

TEST(ImageContext, SizeInPixelsIsTheCeilingOfPointsTimesScale) {
    auto image = render([](CGContextRef) {}, 3, {10.5, 7.1});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 32);   // 31.5 → 32
    EXPECT_EQ(image->pixelHeight(), 22);  // 21.3 → 22
    EXPECT_EQ(image->scale(), 3);
    EXPECT_NEAR(image->size().width, 32.0 / 3, 1e-12);
}

TEST(ImageContext, ScaleZeroMeansTheScreenScale) {
    ios::testing::TestProcess process;  // iphone-x, scale 3
    auto image = render([](CGContextRef) {}, 0, {10, 10});
    EXPECT_EQ(image->scale(), 3);
    EXPECT_EQ(image->pixelWidth(), 30);
}

TEST(ImageContext, ContextsStackAndEndRestoresThePrevious) {
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    UIGraphicsBeginImageContextWithOptions({10, 10}, false, 1);
    CGContextRef outer = UIGraphicsGetCurrentContext();
    ASSERT_NE(outer, nullptr);
    UIGraphicsBeginImageContextWithOptions({20, 20}, false, 1);
    EXPECT_NE(UIGraphicsGetCurrentContext(), outer);
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext()->pixelWidth(), 20);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext()->pixelWidth(), 10);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
    UIGraphicsEndImageContext();  // unbalanced end is ignored
    EXPECT_EQ(UIGraphicsContextDepthForTesting(), 0);
}

TEST(ImageContext, ZeroSizeGivesNoContextButStaysBalanced) {
    UIGraphicsBeginImageContextWithOptions({0, 10}, false, 1);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsContextDepthForTesting(), 0);
}

TEST(ImageContext, SnapshotsDoNotChangeWithLaterDrawing) {
    UIGraphicsBeginImageContextWithOptions({10, 10}, false, 1);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(c, UIColor::redColor());
    CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
    auto first = UIGraphicsGetImageFromCurrentImageContext();
    CGContextClearRect(c, CGRectMake(0, 0, 10, 10));
    auto second = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    EXPECT_TRUE(pixelNear(first->pixelAt(5, 5), kOpaqueRed));
    EXPECT_TRUE(pixelNear(second->pixelAt(5, 5), kTransparent));
}

TEST(CGContext, FillsInPointsAtTheContextScale) {
    auto image = render(
        [](CGContextRef c) {
            CGContextSetRGBFillColor(c, 0, 0, 1, 1);
            CGContextFillRect(c, CGRectMake(10, 10, 20, 20));
        },
        2);
    EXPECT_TRUE(pixelNear(image->pixelAt(21, 21), kOpaqueBlue));   // point (10.5, 10.5)
    EXPECT_TRUE(pixelNear(image->pixelAt(59, 59), kOpaqueBlue));   // point (29.5, 29.5)
    EXPECT_TRUE(pixelNear(image->pixelAt(61, 61), kTransparent));  // point (30.5, 30.5)
    EXPECT_TRUE(pixelNear(image->pixelAtPoint({15, 15}), kOpaqueBlue));
}

TEST(CGContext, ClearBlendModeMakesStrokedPixelsTransparent) {
    auto image = render([](CGContextRef c) {
        CGContextSetFillColorWithColor(c, UIColor::redColor());
        CGContextFillRect(c, CGRectMake(0, 0, 100, 100));
        CGContextSaveGState(c);
        CGContextSetBlendMode(c, kCGBlendModeClear);
        CGContextSetStrokeColorWithColor(c, UIColor::colorWithRed(0, 1, 0, 0.3));  // colour and alpha do not matter
        CGContextSetAlpha(c, 0.5);
        CGContextSetLineWidth(c, 10);
        CGContextSetLineCap(c, kCGLineCapRound);
        CGContextMoveToPoint(c, 20, 50);
        CGContextAddLineToPoint(c, 80, 50);
        CGContextStrokePath(c);
        CGContextRestoreGState(c);
        // Back to normal after the restore.
        CGContextFillRect(c, CGRectMake(0, 90, 10, 10));
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 50), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(16, 50), kTransparent));  // inside the round cap
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 40), kOpaqueRed));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 95), kOpaqueRed));
}

TEST(CGContext, AlphaAppliesToFillsStrokesAndImages) {
    auto red = render(
        [](CGContextRef c) {
            CGContextSetFillColorWithColor(c, UIColor::redColor());
            CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
        },
        1, {10, 10});
    auto image = render([&](CGContextRef c) {
        CGContextSetAlpha(c, 0.5);
        CGContextSetFillColorWithColor(c, UIColor::colorWithRed(0, 0, 1, 0.5));
        CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
        CGContextSetStrokeColorWithColor(c, UIColor::greenColor());
        CGContextSetLineWidth(c, 10);
        CGContextMoveToPoint(c, 20, 5);
        CGContextAddLineToPoint(c, 40, 5);
        CGContextStrokePath(c);
        CGContextDrawImage(c, CGRectMake(50, 0, 10, 10), *red);
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), {0, 0, 255, 64}));
    EXPECT_TRUE(pixelNear(image->pixelAt(30, 5), {0, 255, 0, 128}));
    EXPECT_TRUE(pixelNear(image->pixelAt(55, 5), {255, 0, 0, 128}));
}

TEST(CGContext, SaveAndRestoreMirrorTheGraphicsState) {
    auto image = render([](CGContextRef c) {
        CGContextSetFillColorWithColor(c, UIColor::redColor());
        CGContextSetLineWidth(c, 4);
        CGContextSaveGState(c);
        CGContextSetFillColorWithColor(c, UIColor::blueColor());
        CGContextSetLineWidth(c, 9);
        CGContextTranslateCTM(c, 50, 0);
        CGContextClipToRect(c, CGRectMake(0, 0, 10, 10));
        EXPECT_EQ(c->gStateDepth(), 1);
        EXPECT_EQ(c->gstate().lineWidth, 9);
        CGContextFillRect(c, CGRectMake(0, 0, 40, 40));  // clipped to 10 × 10 at x = 50
        CGContextRestoreGState(c);
        EXPECT_EQ(c->gstate().lineWidth, 4);
        EXPECT_TRUE(CGAffineTransformIsIdentity(CGContextGetCTM(c)));
        CGContextFillRect(c, CGRectMake(0, 60, 10, 10));  // red, unclipped, untranslated
        CGContextRestoreGState(c);                        // nothing saved: ignored
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(55, 5), kOpaqueBlue));
    EXPECT_TRUE(pixelNear(image->pixelAt(65, 5), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(55, 15), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 65), kOpaqueRed));
}

TEST(CGContext, PathSurvivesStateChangesAndPaintingConsumesIt) {
    auto image = render([](CGContextRef c) {
        CGContextAddRect(c, CGRectMake(0, 0, 10, 10));
        CGContextSaveGState(c);
        CGContextRestoreGState(c);
        CGContextFillRect(c, CGRectMake(80, 80, 5, 5));  // leaves the current path alone
        EXPECT_FALSE(CGContextIsPathEmpty(c));
        CGContextFillPath(c);
        EXPECT_TRUE(CGContextIsPathEmpty(c));
        CGContextFillPath(c);  // nothing left to fill
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(82, 82), kOpaqueBlack));
}

TEST(CGContext, TransformsMapUserSpace) {
    auto image = render([](CGContextRef c) {
        CGContextTranslateCTM(c, 50, 50);
        CGContextRotateCTM(c, M_PI / 2);
        CGContextSetFillColorWithColor(c, UIColor::greenColor());
        CGContextFillRect(c, CGRectMake(0, 0, 30, 10));  // turns to point down from (50, 50)
        CGAffineTransform ctm = CGContextGetCTM(c);
        EXPECT_NEAR(ctm.tx, 50, 1e-9);
        EXPECT_NEAR(ctm.b, 1, 1e-9);
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(45, 75), kOpaqueGreen));
    EXPECT_TRUE(pixelNear(image->pixelAt(65, 55), kTransparent));
}

TEST(CGContext, SingularTransformDrawsNothingUntilRestored) {
    auto image = render([](CGContextRef c) {
        CGContextSaveGState(c);
        CGContextScaleCTM(c, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 100, 100));
        CGContextRestoreGState(c);
        CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 50), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), kOpaqueBlack));
}

TEST(CGContext, StrokeParametersShapeTheLine) {
    auto image = render([](CGContextRef c) {
        CGContextSetLineWidth(c, 10);
        // Butt caps stop at the end points; square caps reach half the width past them.
        CGContextSetLineCap(c, kCGLineCapButt);
        CGContextMoveToPoint(c, 20, 10);
        CGContextAddLineToPoint(c, 80, 10);
        CGContextStrokePath(c);
        CGContextSetLineCap(c, kCGLineCapSquare);
        CGContextMoveToPoint(c, 20, 40);
        CGContextAddLineToPoint(c, 80, 40);
        CGContextStrokePath(c);
        // A dash of 10 on, 10 off.
        CGContextSetLineCap(c, kCGLineCapButt);
        CGContextSetLineDash(c, 0, {10, 10});
        CGContextMoveToPoint(c, 0, 70);
        CGContextAddLineToPoint(c, 100, 70);
        CGContextStrokePath(c);
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(17, 10), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(17, 40), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 70), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(15, 70), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(25, 70), kOpaqueBlack));
}

// A width far beyond any screen is stroked at the bound (the stroker would stall on it), and the
// clamp is logged; widths up to the bound are kept as given.
TEST(CGContext, AbsurdLineWidthsAreClampedWithALogLine) {
    ios::testing::TestProcess process;
    CGFloat kept = 0, clamped = 0;
    auto image = render([&](CGContextRef c) {
        CGContextSetLineWidth(c, 10000.0);
        kept = c->gstate().lineWidth;
        CGContextSetLineWidth(c, 1e10);
        clamped = c->gstate().lineWidth;
        CGContextSetLineCap(c, kCGLineCapButt);
        CGContextMoveToPoint(c, 50, -20000);
        CGContextAddLineToPoint(c, 50, 20000);
        CGContextStrokePath(c);
        CGContextSetLineWidth(c, 1e300);
    });
    EXPECT_EQ(kept, 10000.0);
    EXPECT_EQ(clamped, 10000.0);
    // Half of 10,000 points either side of x = 50 covers the whole bitmap.
    EXPECT_TRUE(pixelNear(image->pixelAt(0, 50), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(99, 50), kOpaqueBlack));
    const auto& lines = process.process().log().lines();
    auto clamps = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("CGContext: line width ") && line.ends_with("stroking at 10000");
    });
    EXPECT_EQ(clamps, 2) << ::testing::PrintToString(lines);
}

TEST(CGContext, ZeroLengthSegmentWithRoundCapsPaintsADot) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 50, 50);
    CGPathAddQuadCurveToPoint(path, nullptr, 50, 50, 50, 50);
    auto image = render([&](CGContextRef c) {
        CGContextAddPath(c, path);
        CGContextSetLineCap(c, kCGLineCapRound);
        CGContextSetLineWidth(c, 20);
        CGContextStrokePath(c);
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 50), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(57, 50), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(70, 50), kTransparent));
}

TEST(CGContext, FillAndStrokeUseTheirOwnColours) {
    auto image = render([](CGContextRef c) {
        CGContextSetFillColorWithColor(c, UIColor::redColor());
        CGContextSetStrokeColorWithColor(c, UIColor::blueColor());
        CGContextSetLineWidth(c, 10);
        CGContextAddEllipseInRect(c, CGRectMake(20, 20, 60, 60));
        CGContextDrawPath(c, kCGPathFillStroke);
        CGContextClearRect(c, CGRectMake(0, 0, 30, 100));
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 50), kOpaqueRed));
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 20), kOpaqueBlue));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(25, 50), kTransparent));
}

TEST(CGContext, ClipToPathLimitsPainting) {
    auto image = render([](CGContextRef c) {
        CGContextAddEllipseInRect(c, CGRectMake(0, 0, 100, 100));
        CGContextClip(c);
        EXPECT_TRUE(CGContextIsPathEmpty(c));
        CGContextFillRect(c, CGRectMake(0, 0, 100, 100));
        CGRect box = CGContextGetClipBoundingBox(c);
        EXPECT_NEAR(box.size.width, 100, 1);
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 50), kOpaqueBlack));
    EXPECT_TRUE(pixelNear(image->pixelAt(3, 3), kTransparent));
}

TEST(UIBezierPath, StrokeUsesItsOwnWidthAndLeavesTheContextAlone) {
    auto image = render([](CGContextRef c) {
        CGContextSetStrokeColorWithColor(c, UIColor::redColor());
        auto path = UIBezierPath::bezierPath();
        path->moveToPoint({10, 50});
        path->addLineToPoint({90, 50});
        path->setLineWidth(20);
        path->stroke();
        EXPECT_EQ(c->gstate().lineWidth, 1);
        auto box = UIBezierPath::bezierPathWithRect(CGRectMake(0, 0, 10, 10));
        CGContextSetFillColorWithColor(c, UIColor::blueColor());
        box->fill();
        box->fillWithBlendMode(kCGBlendModeClear, 1);
    });
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 42), kOpaqueRed));
    EXPECT_TRUE(pixelNear(image->pixelAt(50, 35), kTransparent));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), kTransparent));
}
