// The image and background actions and the export: pickers, placing what was picked, the
// background colour and its resets, the rendered canvas, saving with its alert, and sharing.

#include <cmath>

#include "platform/uikit/NSError.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "showcase/ShowcaseFixture.h"
#include "showcase/ShowcaseImages.h"

namespace flint {
namespace {

using testing::ShowcaseTest;

objc::Ref<ios::UIImage> solidImage(int w, int h, double r, double g, double b) {
    return ios::UIImage::imageWithSize(ios::CGSizeMake(w, h), 1, [&](ios::CGContext& c) {
        c.setFillColor(r, g, b, 1);
        c.fillRect(ios::CGRectMake(0, 0, w, h));
    });
}

class ImagesTest : public ShowcaseTest {
protected:
    void SetUp() override {
        ShowcaseTest::SetUp();
        boot("iphone-x");
        std::string error;
        // Photo 0 is red, photo 1 is blue.
        ASSERT_FALSE(library().saveImage(solidImage(30, 60, 1, 0, 0), error).empty()) << error;
        ASSERT_FALSE(library().saveImage(solidImage(40, 20, 0, 0, 1), error).empty()) << error;
        openEditor(1);
    }
    static ios::UIPhotoLibrary& library() { return ios::UIPhotoLibrary::shared(); }
    objc::Ref<ios::UIViewController> presented() const {
        auto* p = host().showcaseController()->presentedViewController();
        return p ? objc::cast<ios::UIViewController>(p->self()) : nullptr;
    }
    // Presses the button on its page and waits for the picker to be up.
    objc::Ref<ios::UIImagePickerController> openPicker(const objc::Ref<ios::UIButton>& button, int page) {
        showToolPage(page);
        press(button);
        settle();
        return objc::cast<ios::UIImagePickerController>(presented());
    }
    static ios::UIImage::RGBA centrePixel(const ios::UIImageRef& image) {
        return image ? image->pixelAt(image->pixelWidth() / 2, image->pixelHeight() / 2) : ios::UIImage::RGBA{};
    }
    ios::UIImageRef exported() {
        FlintHost h = host();
        return renderShowcaseCanvas(h);
    }
    objc::Ref<ios::UIAlertController> alert() const { return objc::cast<ios::UIAlertController>(presented()); }
};

TEST_F(ImagesTest, TheScreenshotGoesIntoBothBezelsAndTheBackgroundOnlyBehindTheCanvas) {
    FlintHost h = host();
    auto picker = openPicker(h.screenshotImageButton(), 1);
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker, h.screenshotImagePickerController());
    EXPECT_EQ(picker->delegate(), h.self());
    EXPECT_FALSE(picker->allowsEditing());
    EXPECT_EQ(picker->sourceType(), ios::UIImagePickerControllerSourceType::PhotoLibrary);
    double r, g, b, a;
    ASSERT_TRUE(picker->navigationBarBarTintColor()->getRed(&r, &g, &b, &a));
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(1.0, 0.5, 0.0));
    ASSERT_TRUE(picker->navigationBarTintColor()->getRed(&r, &g, &b, &a));
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(1.0, 1.0, 1.0));

    ASSERT_TRUE(picker->pickImageAtIndex(0));
    settle();
    EXPECT_FALSE(presented()) << "the picker is dismissed";
    EXPECT_EQ(centrePixel(h.showcaseScreenshotImage()->image()).r, 255);
    EXPECT_EQ(centrePixel(h.showcaseScreenshotPreviewImage()->image()).r, 255);
    EXPECT_FALSE(h.showcaseBackgroundImage()->image());

    picker = openPicker(h.backgroundImageButton(), 2);
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker, h.backgroundImagePickerController());
    ASSERT_TRUE(picker->pickImageAtIndex(1));
    settle();
    EXPECT_EQ(centrePixel(h.showcaseBackgroundImage()->image()).b, 255);
    EXPECT_EQ(centrePixel(h.showcaseScreenshotImage()->image()).r, 255) << "the screenshot stays";
    EXPECT_EQ(centrePixel(h.showcaseScreenshotPreviewImage()->image()).r, 255);

    // On the exported canvas: the red screenshot in the bezel, the blue background around it.
    auto image = exported();
    EXPECT_EQ(image->pixelAtPoint(ios::CGPointMake(10, 10)), (ios::UIImage::RGBA{0, 0, 255, 255}));
    const ios::CGPoint screenCentre = frameInCanvas(*h.showcaseScreenshotImage()).origin;
    EXPECT_EQ(image->pixelAtPoint(ios::CGPointMake(screenCentre.x + 125, screenCentre.y + 271)),
              (ios::UIImage::RGBA{255, 0, 0, 255}));
}

TEST_F(ImagesTest, CancellingOrAnAnswerWithoutAnImageKeepsTheImagesChosen) {
    FlintHost h = host();
    openPicker(h.screenshotImageButton(), 1)->pickImageAtIndex(0);
    settle();
    openPicker(h.backgroundImageButton(), 2)->pickImageAtIndex(1);
    settle();
    auto screenshot = h.showcaseScreenshotImage()->image();
    auto background = h.showcaseBackgroundImage()->image();

    auto picker = openPicker(h.screenshotImageButton(), 1);
    picker->cancel();
    settle();
    EXPECT_FALSE(presented());
    EXPECT_EQ(h.showcaseScreenshotImage()->image(), screenshot);

    // A pick whose answer holds no image.
    for (const auto& button : {h.screenshotImageButton(), h.backgroundImageButton()}) {
        picker = openPicker(button, button == h.screenshotImageButton() ? 1 : 2);
        ASSERT_TRUE(picker);
        auto info = objc::make<ios::UIImagePickerInfo>();
        info->setObject(ios::UIImagePickerControllerImageURL, nullptr);
        objc::msgSend(h.self(), objc::sel("imagePickerController:didFinishPickingMediaWithInfo:"), picker, info);
        settle();
        EXPECT_FALSE(presented());
        EXPECT_EQ(h.showcaseScreenshotImage()->image(), screenshot);
        EXPECT_EQ(h.showcaseScreenshotPreviewImage()->image(), screenshot);
        EXPECT_EQ(h.showcaseBackgroundImage()->image(), background);
    }
}

TEST_F(ImagesTest, TheColourSliderColoursTheCanvasAndTheResetsUndoOneThingEach) {
    FlintHost h = host();
    openPicker(h.backgroundImageButton(), 2)->pickImageAtIndex(1);
    settle();
    slideTo(h.backgroundColorSlider(), 0.35f);
    auto colour = h.backgroundColorSlider()->color();
    double r, g, b, a, cr, cg, cb, ca;
    ASSERT_TRUE(colour->getRed(&r, &g, &b, &a));
    ASSERT_TRUE(h.showcaseCanvasView()->backgroundColor()->getRed(&cr, &cg, &cb, &ca));
    EXPECT_EQ(std::make_tuple(r, g, b, a), std::make_tuple(cr, cg, cb, ca));

    press(h.resetBackgroundImageButton());
    EXPECT_FALSE(h.showcaseBackgroundImage()->image());
    ASSERT_TRUE(h.showcaseCanvasView()->backgroundColor()->getRed(&cr, &cg, &cb, &ca));
    EXPECT_EQ(ca, 1) << "the colour stays";
    // The colour now shows where the background image was.
    ios::UIImage::RGBA p = exported()->pixelAtPoint(ios::CGPointMake(10, 10));
    EXPECT_NEAR(p.r, r * 255, 1);
    EXPECT_NEAR(p.g, g * 255, 1);
    EXPECT_NEAR(p.b, b * 255, 1);

    openPicker(h.backgroundImageButton(), 2)->pickImageAtIndex(1);
    settle();
    press(h.resetBackgroundColorButton());
    ASSERT_TRUE(h.showcaseCanvasView()->backgroundColor()->getRed(&cr, &cg, &cb, &ca));
    EXPECT_EQ(ca, 0);
    EXPECT_TRUE(h.showcaseBackgroundImage()->image()) << "the image stays";
}

TEST_F(ImagesTest, TheExportHasOnePixelPerPointAndIsClearOutsideTheBezel) {
    auto image = exported();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 1);
    EXPECT_EQ(image->pixelWidth(), 375);
    EXPECT_EQ(image->pixelHeight(), static_cast<int>(std::ceil(0.9 * 812)));
    EXPECT_FALSE(image->isOpaque());
    EXPECT_EQ(image->pixelAtPoint(ios::CGPointMake(10, 10)).a, 0);
    EXPECT_EQ(image->pixelAtPoint(ios::CGPointMake(370, 700)).a, 0);
    // The silver bezel's left rim at mid-height.
    const ios::CGRect bezel = host().showcaseBezelImage()->frame();
    EXPECT_GT(image->pixelAtPoint(ios::CGPointMake(bezel.origin.x + 3, ios::CGRectGetMidY(bezel))).a, 200);
}

TEST_F(ShowcaseTest, TheExportIgnoresTheScreensOwnScale) {
    boot("iphone-8");  // a 2x screen
    openEditor(7);
    FlintHost h = host();
    auto image = renderShowcaseCanvas(h);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 375);
    EXPECT_EQ(image->pixelHeight(), static_cast<int>(std::ceil(0.9 * 667)));
}

TEST_F(ImagesTest, SavingWaitsForTheLibraryThenConfirms) {
    FlintHost h = host();
    showToolPage(1);
    tapView(*h.saveImageButton());
    EXPECT_FALSE(alert()) << "no alert before the library answers";
    loop().runUntilIdle();
    ASSERT_EQ(library().photoCount(), 3u);
    auto saved = library().imageAtIndex(2);
    EXPECT_EQ(saved->pixelWidth(), 375);
    EXPECT_EQ(saved->pixelHeight(), exported()->pixelHeight());

    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->alertTitle(), "Showcase");
    EXPECT_EQ(alert()->message(), "Successfully saved photo to your photo library :)");
    EXPECT_EQ(alert()->preferredStyle(), ios::UIAlertControllerStyle::Alert);
    ASSERT_EQ(alert()->actions().size(), 1u);
    EXPECT_EQ(alert()->actions()[0]->title(), "Got it!");
    EXPECT_EQ(alert()->actions()[0]->style(), ios::UIAlertActionStyle::Default);
    settle();
    press(alert()->actionButtons().at(0));
    settle();
    EXPECT_FALSE(presented());
    EXPECT_FALSE(h.showcaseWindow()->isHidden()) << "the editor stays open";
}

TEST_F(ImagesTest, ARefusedSaveIsReportedAsAFailure) {
    library().setWriteAuthorized(false);
    FlintHost h = host();
    showToolPage(1);
    press(h.saveImageButton());
    settle();
    EXPECT_EQ(library().photoCount(), 2u);
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->alertTitle(), "Showcase");
    EXPECT_EQ(alert()->message(), "Could not save photo to your photo library");
    ASSERT_EQ(alert()->actions().size(), 1u);
    EXPECT_EQ(alert()->actions()[0]->title(), "Got it!");
    EXPECT_TRUE(alert()->pressActionWithTitle("Got it!"));
    settle();
    EXPECT_FALSE(presented());
}

TEST_F(ImagesTest, SharingOffersTheRenderedCanvas) {
    FlintHost h = host();
    const std::size_t before = ios::UIActivityViewController::offeredItemsLog().size();
    showToolPage(1);
    press(h.shareImageButton());
    settle();
    auto sheet = objc::cast<ios::UIActivityViewController>(presented());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->modalPresentationStyle(), ios::UIModalPresentationStyle::Popover);
    ASSERT_EQ(sheet->activityItems().size(), 1u);
    auto image = objc::cast<ios::UIImage>(sheet->activityItems()[0]);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 375);
    EXPECT_EQ(image->pixelHeight(), exported()->pixelHeight());
    ASSERT_EQ(ios::UIActivityViewController::offeredItemsLog().size(), before + 1);
    EXPECT_EQ(library().photoCount(), 2u) << "sharing saves nothing";
}

TEST_F(ImagesTest, TheShareSheetSavesCopiesAndLetsThePersonOutByCancelOrATapOutside) {
    FlintHost h = host();
    const auto& outcomes = ios::UIActivityViewController::outcomeLog();
    showToolPage(1);
    const ios::CGPoint dismiss = ios::convertPointToScreen(*h.showcaseDismissButton(), ios::CGPointMake(40, 25));
    auto openSheet = [&]() -> objc::Ref<ios::UIActivityViewController> {
        press(h.shareImageButton());
        settle();
        return objc::cast<ios::UIActivityViewController>(presented());
    };

    // The sheet covers the editor ("Dismiss" included) and offers the image's two targets.
    auto sheet = openSheet();
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->activities().size(), 2u);
    EXPECT_EQ(sheet->activities()[0]->activityTitle(), "Save Image");
    EXPECT_EQ(sheet->activities()[1]->activityTitle(), "Copy");
    ASSERT_TRUE(ios::viewAtScreenPoint(dismiss));
    EXPECT_TRUE(ios::viewAtScreenPoint(dismiss)->isDescendantOfView(sheet->view().get()));
    press(sheet->cancelButton());
    settle();
    EXPECT_FALSE(presented());
    ASSERT_FALSE(outcomes.empty());
    EXPECT_FALSE(outcomes.back().activityType) << "cancelled";

    // A tap outside the card closes it, and only it: the editor stays open.
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    ios::tap(dismiss);
    settle();
    EXPECT_FALSE(presented());
    EXPECT_FALSE(h.showcaseWindow()->isHidden());
    EXPECT_FALSE(outcomes.back().activityType);
    press(h.showcaseDismissButton());  // now "Dismiss" is reachable
    settle();
    EXPECT_TRUE(h.showcaseWindow()->isHidden());
}

TEST_F(ImagesTest, ShareTargetsTakeTheRenderedCanvas) {
    FlintHost h = host();
    const auto& outcomes = ios::UIActivityViewController::outcomeLog();
    showToolPage(1);
    auto pressTarget = [&](std::size_t index) {
        press(h.shareImageButton());
        settle();
        auto sheet = objc::cast<ios::UIActivityViewController>(presented());
        ASSERT_TRUE(sheet);
        ASSERT_LT(index, sheet->targetButtons().size());
        press(sheet->targetButtons()[index]);
        settle();
        EXPECT_FALSE(presented());
    };
    auto canvas = exported();

    pressTarget(1);  // "Copy"
    auto copied = ios::UIPasteboard::generalPasteboard().image();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->pixelWidth(), canvas->pixelWidth());
    EXPECT_EQ(copied->pixelHeight(), canvas->pixelHeight());
    EXPECT_EQ(outcomes.back().activityType, ios::UIActivityTypeCopyToPasteboard);
    EXPECT_EQ(library().photoCount(), 2u);

    pressTarget(0);  // "Save Image"
    ASSERT_EQ(library().photoCount(), 3u);
    auto saved = library().imageAtIndex(2);
    EXPECT_EQ(saved->pixelHeight(), canvas->pixelHeight());
    EXPECT_TRUE(centrePixel(saved) == centrePixel(canvas));
    EXPECT_EQ(outcomes.back().activityTitle, "Save Image");
    EXPECT_TRUE(outcomes.back().completed);

    library().setWriteAuthorized(false);
    pressTarget(0);
    EXPECT_EQ(library().photoCount(), 3u);
    EXPECT_EQ(outcomes.back().activityType, ios::UIActivityTypeSaveToCameraRoll);
    EXPECT_FALSE(outcomes.back().completed) << "a refused save is reported as not completed";
}

}  // namespace
}  // namespace flint
