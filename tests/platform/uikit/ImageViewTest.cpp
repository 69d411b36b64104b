#include <gtest/gtest.h>

#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "tests/support/PixelProbe.h"
#include "platform/uikit/UIImageView.h"

using namespace ios;
using ios::testing::pixelNear;

namespace {
// A 40 × 20 image: left half red, right half blue.
UIImageRef halves() {
    return UIImage::imageWithSize(CGSizeMake(40, 20), 1, [](CGContext& c) {
        c.setFillColor(*UIColor::redColor());
        c.fillRect(CGRectMake(0, 0, 20, 20));
        c.setFillColor(*UIColor::blueColor());
        c.fillRect(CGRectMake(20, 0, 20, 20));
    });
}
UIImageRef render(UIImageView& view) {
    return UIImage::imageWithSize(view.bounds().size, 1, [&](CGContext& c) { view.layer()->renderInContext(c); });
}
}  // namespace

TEST(UIImageView, ContentModesPlaceTheImage) {
    ios::testing::TestProcess process;
    auto view = objc::make<UIImageView>(halves());
    EXPECT_EQ(view->frame(), CGRectMake(0, 0, 40, 20));
    EXPECT_EQ(view->intrinsicContentSize(), CGSizeMake(40, 20));
    view->setFrame(CGRectMake(0, 0, 80, 80));

    auto fill = render(*view);  // scale to fill: stretched over the whole square
    EXPECT_TRUE(pixelNear(fill->pixelAt(10, 5), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(fill->pixelAt(70, 75), ios::testing::kOpaqueBlue));

    view->setContentMode(UIViewContentMode::ScaleAspectFit);  // 80 × 40, centred vertically
    auto fit = render(*view);
    EXPECT_TRUE(pixelNear(fit->pixelAt(10, 10), ios::testing::kTransparent));
    EXPECT_TRUE(pixelNear(fit->pixelAt(10, 30), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(fit->pixelAt(70, 50), ios::testing::kOpaqueBlue));
    EXPECT_TRUE(pixelNear(fit->pixelAt(70, 70), ios::testing::kTransparent));

    view->setContentMode(UIViewContentMode::ScaleAspectFill);  // 160 × 80, centred: x 40...120 split at 80
    auto cover = render(*view);
    EXPECT_TRUE(pixelNear(cover->pixelAt(30, 2), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(cover->pixelAt(50, 78), ios::testing::kOpaqueBlue));

    view->setContentMode(UIViewContentMode::Center);  // 40 × 20 at (20, 30)
    auto centre = render(*view);
    EXPECT_TRUE(pixelNear(centre->pixelAt(15, 40), ios::testing::kTransparent));
    EXPECT_TRUE(pixelNear(centre->pixelAt(25, 40), ios::testing::kOpaqueRed));
    EXPECT_TRUE(pixelNear(centre->pixelAt(55, 40), ios::testing::kOpaqueBlue));
    EXPECT_TRUE(pixelNear(centre->pixelAt(40, 25), ios::testing::kTransparent));
}

TEST(UIImageView, TemplateImagesFollowTheTint) {
    ios::testing::TestProcess process;
    auto view = objc::make<UIImageView>(halves()->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate));
    view->setTintColor(UIColor::greenColor());
    auto green = render(*view);
    EXPECT_TRUE(pixelNear(green->pixelAt(5, 5), ios::testing::kOpaqueGreen));
    EXPECT_TRUE(pixelNear(green->pixelAt(35, 5), ios::testing::kOpaqueGreen));
    view->setTintColor(UIColor::whiteColor());
    EXPECT_TRUE(pixelNear(render(*view)->pixelAt(35, 5), ios::testing::kOpaqueWhite));
    // An untinted image keeps its own colours.
    view->setImage(halves());
    EXPECT_TRUE(pixelNear(render(*view)->pixelAt(35, 5), ios::testing::kOpaqueBlue));
}
