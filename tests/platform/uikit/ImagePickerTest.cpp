// The image picker's grid over a library of real size: it opens at the newest photos, decodes
// thumbnails only near the screen and within a fixed budget, shows them aspect-filled and
// clipped, and scrolls under a finger.

#include "InputTestSupport.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CGContext.h"
#include "tests/support/PixelProbe.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"

namespace ios::testing {
namespace {

class PickedRecorder : public objc::Object {
    OBJC_CLASS_DECLARE(PickedRecorder)
public:
    objc::Ref<UIImage> picked;

protected:
    PickedRecorder() = default;
};

OBJC_CLASS_DEFINE_WITH(PickedRecorder, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("imagePickerController:didFinishPickingMediaWithInfo:", "v@:@@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            auto info = objc::cast<UIImagePickerInfo>(args[1]);
                            static_cast<PickedRecorder&>(self).picked =
                                objc::cast<UIImage>(info->objectForKey(UIImagePickerControllerOriginalImage));
                            return nullptr;
                        });
})

// Photo n's colour: red and green count the index, blue is fixed.
UIImage::RGBA colourOfPhoto(std::size_t n) {
    return {static_cast<std::uint8_t>(n * 2 % 256), static_cast<std::uint8_t>(255 - n * 2 % 256), 90, 255};
}

class ImagePickerTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        root = objc::make<UIViewController>();
        window->setRootViewController(root);
        recorder = objc::make<PickedRecorder>();
    }

    void writePhoto(std::size_t n, const objc::Ref<UIImage>& image) {
        auto folder = UIPhotoLibrary::shared().folder();
        std::filesystem::create_directories(folder);
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04zu.PNG", n + 1);
        ASSERT_TRUE(image->writePNG(folder / name));
    }

    // `count` photos of w × h pixels, each in its own colour.
    void fillLibrary(std::size_t count, double w, double h) {
        for (std::size_t n = 0; n < count; ++n) {
            const auto c = colourOfPhoto(n);
            writePhoto(n, UIImage::imageWithSize({w, h}, 1, [&](CGContext& context) {
                           context.setFillColor(c.r / 255.0, c.g / 255.0, c.b / 255.0, 1);
                           context.fillRect(CGRectMake(0, 0, w, h));
                       }));
        }
    }

    objc::Ref<UIImagePickerController> openPicker() {
        auto picker = objc::make<UIImagePickerController>();
        picker->setDelegate(recorder);
        root->presentViewController(picker, false);
        runLoop().advanceBy(1);
        return picker;
    }
    // Opened, with every thumbnail it wants shown.
    objc::Ref<UIImagePickerController> openPickerUntilIdle() {
        auto picker = openPicker();
        runLoop().runUntilIdle();
        return picker;
    }
    void closePicker() {
        root->dismissViewControllerAnimated(false);
        runLoop().advanceBy(1);
    }

    objc::Ref<UIImage> renderPicker(UIImagePickerController& picker) {
        auto view = picker.view();
        return UIImage::imageWithSize(view->bounds().size, 1, [&](CGContext& c) { view->layer()->renderInContext(c); });
    }

    // A finger pulling the grid down by `points` (showing older photos), lifted after a pause.
    void dragGridDown(UIImagePickerController& picker, double points) {
        auto* grid = picker.gridView();
        const CGPoint from = convertPointToScreen(*grid, CGPointMake(100, grid->bounds().origin.y + 100));
        const CGPoint to = CGPointMake(from.x, from.y + points);
        pressAndMove({from, to}, 0.3);
        runLoop().advanceBy(0.2);
        sendTouch(UITouchPhase::Ended, to);
        runLoop().advanceBy(0.5);
    }

    objc::Ref<UIViewController> root;
    objc::Ref<PickedRecorder> recorder;
};

// A wide photo in a square cell shows its middle, filling the cell; nothing of it reaches past
// the cell into the gap or the neighbouring cell.
TEST_F(ImagePickerTest, ThumbnailsAreAspectFilledAndClipped) {
    // Photo 1: 300 × 100, thirds red, green, blue. Photo 2: a solid yellow square.
    writePhoto(0, UIImage::imageWithSize({300, 100}, 1, [](CGContext& c) {
                   const double thirds[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
                   for (int i = 0; i < 3; ++i) {
                       c.setFillColor(thirds[i][0], thirds[i][1], thirds[i][2], 1);
                       c.fillRect(CGRectMake(100 * i, 0, 100, 100));
                   }
               }));
    writePhoto(1, UIImage::imageWithSize({50, 50}, 1, [](CGContext& c) {
                   c.setFillColor(1, 1, 0, 1);
                   c.fillRect(CGRectMake(0, 0, 50, 50));
               }));
    auto picker = openPicker();
    runLoop().runUntilIdle();
    UIButton* first = picker->cellForPhotoAtIndex(0);
    ASSERT_TRUE(first);
    const CGRect cell = first->frame();
    auto shot = renderPicker(*picker);
    const double top = UIImagePickerController::kBarHeight + cell.origin.y;
    for (double fx : {0.1, 0.5, 0.9})
        EXPECT_TRUE(pixelNear(shot->pixelAtPoint({cell.origin.x + fx * cell.size.width, top + cell.size.height / 2}),
                              kOpaqueGreen, 8))
            << "at " << fx << " of the cell's width";
    // The gap between the cells stays white; the next cell shows its own photo.
    const double gapX = cell.origin.x + cell.size.width + UIImagePickerController::kSpacing / 2;
    EXPECT_TRUE(pixelNear(shot->pixelAtPoint({gapX, top + cell.size.height / 2}), kOpaqueWhite, 8));
    EXPECT_TRUE(pixelNear(shot->pixelAtPoint({gapX + 4, top + cell.size.height / 2}), {255, 255, 0, 255}, 8));
}

// 130 photos: the grid opens at the end with the newest on screen, decodes thumbnails at cell
// size for the cells near the screen only, and picks the full photo by a tap.
TEST_F(ImagePickerTest, LargeLibraryOpensAtTheNewestAndDecodesOnlyNearTheScreen) {
    fillLibrary(130, 400, 600);
    auto picker = openPicker();
    runLoop().runUntilIdle();
    UIScrollView* grid = picker->gridView();
    ASSERT_TRUE(grid);
    EXPECT_DOUBLE_EQ(grid->contentOffset().y, grid->maximumContentOffset().y);
    EXPECT_GT(grid->maximumContentOffset().y, 1000);
    UIButton* newest = picker->cellForPhotoAtIndex(129);
    ASSERT_TRUE(newest);
    EXPECT_FALSE(picker->cellForPhotoAtIndex(0));
    EXPECT_EQ(picker->thumbnailsPending(), 0u);
    EXPECT_LT(picker->thumbnailsDecoded(), 70u);

    // The newest photo's thumbnail is small and in its own colour.
    auto* imageView = dynamic_cast<UIImageView*>(newest->subviews().at(0).get());
    ASSERT_TRUE(imageView && imageView->image());
    EXPECT_LT(imageView->image()->pixelWidth(), 400 * 3 / 4);
    EXPECT_GE(imageView->image()->pixelWidth(), int(std::floor(newest->bounds().size.width)));
    EXPECT_TRUE(pixelNear(imageView->image()->pixelAt(5, 5), colourOfPhoto(129), 2));

    // A tap on it picks the whole photo.
    const CGPoint centre = convertPointToScreen(*newest, CGPointMake(20, 20));
    ASSERT_EQ(viewAtScreenPoint(centre), newest);
    tap(centre);
    runLoop().advanceBy(1);
    ASSERT_TRUE(recorder->picked);
    EXPECT_EQ(recorder->picked->pixelWidth(), 400);
    EXPECT_EQ(recorder->picked->pixelHeight(), 600);
    EXPECT_TRUE(pixelNear(recorder->picked->pixelAt(200, 300), colourOfPhoto(129), 1));
}

// Dragging through the whole library shows every photo on its way and never keeps more than the
// budget of thumbnails; the oldest photo is reached by finger.
TEST_F(ImagePickerTest, ScrollingThroughTheLibraryKeepsThumbnailsWithinTheBudget) {
    fillLibrary(160, 300, 300);
    auto picker = openPicker();
    runLoop().runUntilIdle();
    std::size_t largest = picker->thumbnailBytes();
    for (int drags = 0; drags < 60 && !picker->cellForPhotoAtIndex(0); ++drags) {
        dragGridDown(*picker, 400);
        runLoop().runUntilIdle();
        EXPECT_EQ(picker->thumbnailsPending(), 0u);
        largest = std::max(largest, picker->thumbnailBytes());
    }
    UIButton* oldest = picker->cellForPhotoAtIndex(0);
    ASSERT_TRUE(oldest);
    auto* imageView = dynamic_cast<UIImageView*>(oldest->subviews().at(0).get());
    ASSERT_TRUE(imageView && imageView->image());
    EXPECT_TRUE(pixelNear(imageView->image()->pixelAt(3, 3), colourOfPhoto(0), 2));
    EXPECT_GE(picker->thumbnailsDecoded(), 160u);
    EXPECT_LE(largest, UIImagePickerController::kThumbnailBudget);
    EXPECT_GT(largest, UIImagePickerController::kThumbnailBudget / 2);
}

std::size_t filesIn(const std::filesystem::path& folder) {
    std::error_code ec;
    std::size_t n = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        n += it->is_regular_file() ? 1 : 0;
    return n;
}

objc::Ref<UIImage> thumbnailShown(UIImagePickerController& picker, std::size_t index) {
    UIButton* cell = picker.cellForPhotoAtIndex(index);
    auto* view = cell ? dynamic_cast<UIImageView*>(cell->subviews().at(0).get()) : nullptr;
    return view ? view->image() : nullptr;
}

// Thumbnails are kept beside the library: a second opening decodes no photo, a saved image comes
// with its thumbnail, and a photo written again under its name shows what it is now.
TEST_F(ImagePickerTest, ThumbnailsAreKeptBesideTheLibrary) {
    fillLibrary(12, 200, 500);
    auto& library = UIPhotoLibrary::shared();
    const auto store = devicePath(UIPhotoLibrary::kThumbnailFolder);
    {
        auto picker = openPickerUntilIdle();
        EXPECT_EQ(library.thumbnailsDecodedFromPhotos(), 12u);
        closePicker();
    }
    EXPECT_EQ(filesIn(store), 12u);

    // An image saved through the library brings its thumbnail: nothing is decoded when it shows.
    std::string error;
    ASSERT_FALSE(library
                     .saveImage(UIImage::imageWithSize({300, 300}, 1,
                                                       [](CGContext& c) {
                                                           c.setFillColor(0.2, 0.4, 1, 1);
                                                           c.fillRect(CGRectMake(0, 0, 300, 300));
                                                       }),
                                error)
                     .empty())
        << error;
    // Photo 3 written again, in another colour and size.
    writePhoto(2, UIImage::imageWithSize({220, 480}, 1, [](CGContext& c) {
                   c.setFillColor(1, 0.5, 0, 1);
                   c.fillRect(CGRectMake(0, 0, 220, 480));
               }));
    auto picker = openPickerUntilIdle();
    EXPECT_EQ(library.thumbnailsDecodedFromPhotos(), 13u) << "only the photo written again is decoded";
    ASSERT_EQ(picker->photoCount(), 13u);
    auto saved = thumbnailShown(*picker, 12);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->pixelWidth(), UIImagePickerController::thumbnailSide());
    EXPECT_EQ(saved->pixelHeight(), UIImagePickerController::thumbnailSide());
    EXPECT_TRUE(pixelNear(saved->pixelAt(10, 10), {51, 102, 255, 255}, 2));
    auto rewritten = thumbnailShown(*picker, 2);
    ASSERT_TRUE(rewritten);
    EXPECT_TRUE(pixelNear(rewritten->pixelAt(10, 10), {255, 128, 0, 255}, 2));
    auto kept = thumbnailShown(*picker, 5);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(pixelNear(kept->pixelAt(10, 10), colourOfPhoto(5), 2));
}

// A damaged store costs only time: a thumbnail that does not decode is made again, and a store
// that cannot be written still shows every photo.
TEST_F(ImagePickerTest, DamagedOrUnwritableStoreStillShowsThePhotos) {
    fillLibrary(3, 100, 100);
    auto& library = UIPhotoLibrary::shared();
    const auto store = devicePath(UIPhotoLibrary::kThumbnailFolder);
    {
        auto picker = openPickerUntilIdle();
        closePicker();
    }
    ASSERT_EQ(library.thumbnailsDecodedFromPhotos(), 3u);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(store))
        if (entry.is_regular_file()) std::ofstream(entry.path(), std::ios::trunc) << "not a picture";
    {
        auto picker = openPickerUntilIdle();
        EXPECT_EQ(library.thumbnailsDecodedFromPhotos(), 6u);
        auto first = thumbnailShown(*picker, 0);
        ASSERT_TRUE(first);
        EXPECT_TRUE(pixelNear(first->pixelAt(3, 3), colourOfPhoto(0), 2));
        closePicker();
    }
    // The store's folder replaced by a file: nothing can be kept, everything still shows.
    std::filesystem::remove_all(store);
    std::ofstream(store) << "in the way";
    auto picker = openPickerUntilIdle();
    EXPECT_EQ(library.thumbnailsDecodedFromPhotos(), 9u);
    for (std::size_t n = 0; n < 3; ++n) {
        auto shown = thumbnailShown(*picker, n);
        ASSERT_TRUE(shown) << n;
        EXPECT_TRUE(pixelNear(shown->pixelAt(3, 3), colourOfPhoto(n), 2));
    }
}

}  // namespace
}  // namespace ios::testing
