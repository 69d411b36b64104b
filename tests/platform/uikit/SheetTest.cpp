#include "InputTestSupport.h"

#include <filesystem>
#include <fstream>

#include "platform/graphics/CGContext.h"
#include "platform/uikit/UIHitTesting.h"

#include "platform/uikit/NSError.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIViewController.h"

namespace ios::testing {
namespace {

class PickerDelegate : public objc::Object {
    OBJC_CLASS_DECLARE(PickerDelegate)
public:
    objc::Ref<UIImage> picked;
    int cancels = 0;
    objc::id savedError = nullptr;
    int saves = 0;

protected:
    PickerDelegate() = default;
};

OBJC_CLASS_DEFINE_WITH(PickerDelegate, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("imagePickerController:didFinishPickingMediaWithInfo:", "v@:@@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            auto info = objc::cast<UIImagePickerInfo>(args[1]);
                            static_cast<PickerDelegate&>(self).picked =
                                objc::cast<UIImage>(info->objectForKey(UIImagePickerControllerOriginalImage));
                            return nullptr;
                        });
    cls.addNativeMethod("imagePickerControllerDidCancel:", "v@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            ++static_cast<PickerDelegate&>(self).cancels;
                            return nullptr;
                        });
    cls.addNativeMethod("image:didFinishSavingWithError:contextInfo:", "v@:@@@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            auto& d = static_cast<PickerDelegate&>(self);
                            ++d.saves;
                            d.savedError = args.size() > 1 ? args[1] : nullptr;
                            return nullptr;
                        });
})

class SheetTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        root = objc::make<UIViewController>();
        window->setRootViewController(root);
    }
    objc::Ref<UIImage> solidImage(double w, double h) {
        return UIImage::imageWithSize(CGSizeMake(w, h), 1, [](CGContext& c) {
            c.setFillColor(0, 1, 0, 1);
            c.fillRect(CGRectMake(0, 0, 1000, 1000));
        });
    }
    objc::Ref<UIViewController> root;
};

TEST_F(SheetTest, AlertActionPressedByTitleOrByTapRunsItsHandlerAfterDismissal) {
    auto alert = UIAlertController::alertControllerWithTitle(std::string("Saved"), std::string("Done."),
                                                             UIAlertControllerStyle::Alert);
    std::vector<std::string> pressed;
    alert->addAction(UIAlertAction::actionWithTitle(std::string("OK"), UIAlertActionStyle::Default,
                                                    [&](UIAlertAction& a) { pressed.push_back(*a.title()); }));
    alert->addAction(UIAlertAction::actionWithTitle(std::string("Cancel"), UIAlertActionStyle::Cancel,
                                                    [&](UIAlertAction& a) { pressed.push_back(*a.title()); }));
    root->presentViewController(alert, true);
    runLoop().advanceBy(1);
    ASSERT_EQ(root->presentedViewController(), alert.get());
    EXPECT_FALSE(alert->pressActionWithTitle("Nope"));
    EXPECT_TRUE(alert->pressActionWithTitle("OK"));
    runLoop().advanceBy(1);
    EXPECT_EQ(pressed, std::vector<std::string>{"OK"});
    EXPECT_EQ(root->presentedViewController(), nullptr);

    // Again, this time with a finger on the Cancel button.
    root->presentViewController(alert, false);
    runLoop().advanceBy(1);
    ASSERT_EQ(alert->actionButtons().size(), 2u);
    auto& cancel = alert->actionButtons()[1];
    CGPoint centre = convertPointToScreen(*cancel, CGPointMake(cancel->bounds().size.width / 2, 22));
    tap(centre);
    runLoop().advanceBy(1);
    EXPECT_EQ(pressed, (std::vector<std::string>{"OK", "Cancel"}));
}

TEST_F(SheetTest, PhotoSaveSucceedsAndFailsThroughTheCompletionSelector) {
    auto target = objc::make<PickerDelegate>();
    auto& library = UIPhotoLibrary::shared();
    EXPECT_EQ(library.photoCount(), 0u);
    UIImageWriteToSavedPhotosAlbum(solidImage(20, 10), target,
                                   objc::sel("image:didFinishSavingWithError:contextInfo:"));
    EXPECT_EQ(target->saves, 0) << "reported at the next turn";
    runLoop().runUntilIdle();
    EXPECT_EQ(target->saves, 1);
    EXPECT_EQ(target->savedError, nullptr);
    ASSERT_EQ(library.photoCount(), 1u);
    EXPECT_EQ(library.photoPaths()[0].filename(), "IMG_0001.PNG");
    EXPECT_EQ(library.imageAtIndex(0)->pixelWidth(), 20);

    UIImageWriteToSavedPhotosAlbum(nullptr, target, objc::sel("image:didFinishSavingWithError:contextInfo:"));
    runLoop().runUntilIdle();
    EXPECT_EQ(target->saves, 2);
    EXPECT_TRUE(objc::cast<NSError>(target->savedError));
    // A library folder that cannot be made.
    std::filesystem::remove_all(library.folder());
    std::filesystem::create_directories(library.folder().parent_path());
    { std::ofstream(library.folder()) << "not a folder"; }
    UIImageWriteToSavedPhotosAlbum(solidImage(4, 4), target, objc::sel("image:didFinishSavingWithError:contextInfo:"));
    runLoop().runUntilIdle();
    EXPECT_TRUE(objc::cast<NSError>(target->savedError));
    EXPECT_EQ(library.photoCount(), 0u);

    // A user who has not allowed adding photos: the save is refused and reported as such.
    std::filesystem::remove(library.folder());
    library.setWriteAuthorized(false);
    UIImageWriteToSavedPhotosAlbum(solidImage(4, 4), target, objc::sel("image:didFinishSavingWithError:contextInfo:"));
    runLoop().runUntilIdle();
    EXPECT_EQ(target->saves, 4);
    EXPECT_TRUE(objc::cast<NSError>(target->savedError));
    EXPECT_EQ(library.photoCount(), 0u);
    library.setWriteAuthorized(true);
    UIImageWriteToSavedPhotosAlbum(solidImage(4, 4), target, objc::sel("image:didFinishSavingWithError:contextInfo:"));
    runLoop().runUntilIdle();
    EXPECT_EQ(target->savedError, nullptr);
    EXPECT_EQ(library.photoCount(), 1u);
}

TEST_F(SheetTest, PickerPicksByIndexOrCancels) {
    std::string error;
    ASSERT_FALSE(UIPhotoLibrary::shared().saveImage(solidImage(30, 30), error).empty());
    ASSERT_FALSE(UIPhotoLibrary::shared().saveImage(solidImage(40, 30), error).empty());
    auto delegate = objc::make<PickerDelegate>();
    auto picker = objc::make<UIImagePickerController>();
    picker->setDelegate(delegate);
    picker->setAllowsEditing(false);
    root->presentViewController(picker, false);
    runLoop().advanceBy(1);
    EXPECT_EQ(picker->photoCount(), 2u);
    EXPECT_FALSE(picker->pickImageAtIndex(5));
    EXPECT_TRUE(picker->pickImageAtIndex(1));
    ASSERT_TRUE(delegate->picked);
    EXPECT_EQ(delegate->picked->pixelWidth(), 40);
    picker->cancel();
    EXPECT_EQ(delegate->cancels, 1);
}

TEST_F(SheetTest, HapticsAndShareSheetAreRecorded) {
    auto gen = objc::make<UIImpactFeedbackGenerator>(UIImpactFeedbackStyle::Light);
    gen->impactOccurred();
    objc::make<UIImpactFeedbackGenerator>(UIImpactFeedbackStyle::Heavy)->impactOccurred();
    ASSERT_EQ(HapticsLog::shared().events().size(), 2u);
    EXPECT_EQ(HapticsLog::shared().events()[0].style, UIImpactFeedbackStyle::Light);
    EXPECT_EQ(HapticsLog::shared().events()[1].style, UIImpactFeedbackStyle::Heavy);

    auto image = solidImage(5, 5);
    auto share = objc::make<UIActivityViewController>(std::vector<objc::id>{image});
    bool completed = true;
    share->setCompletionWithItemsHandler([&](const std::optional<std::string>&, bool done) { completed = done; });
    root->presentViewController(share, true);
    runLoop().advanceBy(1);
    ASSERT_EQ(UIActivityViewController::offeredItemsLog().size(), 1u);
    EXPECT_EQ(UIActivityViewController::offeredItemsLog()[0][0], image);
    share->cancelSharing();
    runLoop().advanceBy(1);
    EXPECT_FALSE(completed);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

}  // namespace
}  // namespace ios::testing
