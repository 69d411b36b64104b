// The share sheet by touch: its thumbnail and row of targets, "Save Image" into the photo
// library, "Copy" onto the pasteboard, targets added by the application and by the host
// program, and closing by "Cancel" or a tap outside, each reported to the completion after the
// sheet has gone.

#include "InputTestSupport.h"

#include <optional>
#include <string>

#include "platform/graphics/CGContext.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"

namespace ios::testing {
namespace {

class ShareSheetTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        root = objc::make<UIViewController>();
        window->setRootViewController(root);
    }
    static objc::Ref<UIImage> solidImage(double w, double h) {
        return UIImage::imageWithSize(CGSizeMake(w, h), 1, [](CGContext& c) {
            c.setFillColor(0, 0.5, 1, 1);
            c.fillRect(CGRectMake(0, 0, 1000, 1000));
        });
    }
    // Presents a sheet for the items and lets it slide in; every report goes to `reports`.
    objc::Ref<UIActivityViewController> present(std::vector<objc::id> items, std::vector<objc::id> activities = {}) {
        auto sheet = objc::make<UIActivityViewController>(std::move(items), std::move(activities));
        sheet->setCompletionWithItemsHandler(
            [this, weak = objc::WeakRef<objc::Object>(sheet)](const std::optional<std::string>& type, bool completed) {
                auto s = objc::cast<UIActivityViewController>(weak.lock());
                reports.push_back({type, completed, s && s->presentingViewController() != nullptr});
            });
        root->presentViewController(sheet, true);
        runLoop().advanceBy(1);
        return sheet;
    }
    static CGPoint centreOnScreen(const UIView& view) {
        const CGSize size = view.bounds().size;
        return view.convertPointToView(CGPointMake(size.width / 2, size.height / 2), nullptr);
    }
    void tapAndSettle(CGPoint p) {
        tap(p);
        runLoop().advanceBy(1);
    }
    struct Report {
        std::optional<std::string> type;
        bool completed;
        bool stillPresented;
    };
    std::vector<Report> reports;
    objc::Ref<UIViewController> root;
};

TEST_F(ShareSheetTest, AnImageGetsAThumbnailSaveImageAndCopyAboveCancel) {
    auto image = solidImage(300, 600);
    auto sheet = present({image});
    const CGRect screen = UIScreen::mainScreen()->bounds();
    ASSERT_EQ(sheet->activities().size(), 2u);
    EXPECT_EQ(sheet->activities()[0]->activityType(), UIActivityTypeSaveToCameraRoll);
    EXPECT_EQ(sheet->activities()[1]->activityType(), UIActivityTypeCopyToPasteboard);
    ASSERT_EQ(sheet->targetButtons().size(), 2u);
    // The targets sit side by side in one row of the card; "Cancel" lies under the card.
    const CGRect save = sheet->targetButtons()[0]->convertRectToView(sheet->targetButtons()[0]->bounds(), nullptr);
    const CGRect copy = sheet->targetButtons()[1]->convertRectToView(sheet->targetButtons()[1]->bounds(), nullptr);
    EXPECT_DOUBLE_EQ(save.origin.y, copy.origin.y);
    EXPECT_DOUBLE_EQ(copy.origin.x - save.origin.x, kShareSheetTargetWidth);
    const CGRect card = sheet->cardView()->frame(), cancel = sheet->cancelButton()->frame();
    EXPECT_TRUE(CGRectContainsRect(card, save));
    EXPECT_GT(cancel.origin.y, CGRectGetMaxY(card));
    EXPECT_LE(CGRectGetMaxY(cancel), screen.size.height);
    EXPECT_EQ(sheet->cancelButton()->currentTitle(), "Cancel");
    // The thumbnail shows the image, with its size beside it.
    objc::Ref<UIImageView> thumbnail;
    bool sizeShown = false;
    for (const auto& v : sheet->cardView()->subviews()) {
        if (auto iv = objc::cast<UIImageView>(v); iv && !thumbnail) thumbnail = iv;
        if (auto label = objc::cast<UILabel>(v); label && label->text() == "300 × 600") sizeShown = true;
    }
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->image(), image);
    EXPECT_TRUE(sizeShown);

    // A tap on the card between the header and the row closes nothing.
    tapAndSettle(CGPointMake(CGRectGetMaxX(card) - 10, card.origin.y + 10));
    EXPECT_EQ(root->presentedViewController(), sheet.get());
    EXPECT_TRUE(reports.empty());

    // "Save Image": one more photo, reported as completed once the sheet has gone.
    const std::size_t photos = UIPhotoLibrary::shared().photoCount();
    tapAndSettle(centreOnScreen(*sheet->targetButtons()[0]));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(UIPhotoLibrary::shared().photoCount(), photos + 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].type, UIActivityTypeSaveToCameraRoll);
    EXPECT_TRUE(reports[0].completed);
    EXPECT_FALSE(reports[0].stillPresented);
    ASSERT_FALSE(UIActivityViewController::outcomeLog().empty());
    EXPECT_EQ(UIActivityViewController::outcomeLog().back().activityTitle, "Save Image");

    // "Copy" puts the image itself on the pasteboard.
    sheet = present({image});
    const long changes = UIPasteboard::generalPasteboard().changeCount();
    tapAndSettle(centreOnScreen(*sheet->targetButtons()[1]));
    EXPECT_EQ(UIPasteboard::generalPasteboard().image(), image);
    EXPECT_EQ(UIPasteboard::generalPasteboard().changeCount(), changes + 1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].type, UIActivityTypeCopyToPasteboard);
    EXPECT_TRUE(reports[1].completed);
}

TEST_F(ShareSheetTest, CancelATapOutsideOrARefusedSaveReportNotCompleted) {
    auto image = solidImage(20, 20);
    auto sheet = present({image});
    tapAndSettle(centreOnScreen(*sheet->cancelButton()));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FALSE(reports[0].type);
    EXPECT_FALSE(reports[0].completed);
    EXPECT_FALSE(reports[0].stillPresented);

    // Above the card, and in the margin beside "Cancel".
    for (CGPoint outside : {CGPointMake(187, 100), CGPointMake(3, UIScreen::mainScreen()->bounds().size.height - 30)}) {
        sheet = present({image});
        tapAndSettle(outside);
        EXPECT_EQ(root->presentedViewController(), nullptr) << outside.x << " " << outside.y;
        EXPECT_FALSE(reports.back().type);
    }
    EXPECT_EQ(reports.size(), 3u);

    // The library refuses: the sheet still goes, and says the save did not complete.
    UIPhotoLibrary::shared().setWriteAuthorized(false);
    const std::size_t photos = UIPhotoLibrary::shared().photoCount();
    sheet = present({image});
    tapAndSettle(centreOnScreen(*sheet->targetButtons()[0]));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(UIPhotoLibrary::shared().photoCount(), photos);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[3].type, UIActivityTypeSaveToCameraRoll);
    EXPECT_FALSE(reports[3].completed);

    // A second press while the sheet slides away does nothing more.
    UIPhotoLibrary::shared().setWriteAuthorized(true);
    sheet = present({image});
    const long changes = UIPasteboard::generalPasteboard().changeCount();
    sheet->cancelSharing();
    EXPECT_TRUE(sheet->performActivityWithTitle("Copy"));
    sheet->cancelSharing();
    runLoop().advanceBy(1);
    EXPECT_EQ(UIPasteboard::generalPasteboard().changeCount(), changes);
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_FALSE(reports[4].type);
}

TEST_F(ShareSheetTest, TheHostProgramAndTheApplicationAddTargets) {
    std::vector<objc::Ref<UIImage>> received;
    auto save = [&](const std::vector<objc::id>& items, UIActivity::Finished finished) {
        received.push_back(UIActivity::firstImage(items));
        finished(true);
        finished(false);  // only the first call counts
    };
    auto downloads = UIActivity::activityWithType("org.flint.SaveToDownloads", "Save to Downloads", save);
    UIActivityViewController::addProcessActivity(downloads);
    auto fails = [](const std::vector<objc::id>&, UIActivity::Finished finished) { finished(false); };
    auto succeeds = [](const std::vector<objc::id>&, UIActivity::Finished finished) { finished(true); };
    auto app = UIActivity::activityWithType("org.example.Print", "Print", fails);

    auto image = solidImage(30, 10);
    auto sheet = present({image}, {app, objc::make<UIView>()});
    ASSERT_EQ(sheet->activities().size(), 4u);
    EXPECT_EQ(sheet->activities()[2]->activityTitle(), "Print");
    EXPECT_EQ(sheet->activities()[3]->activityTitle(), "Save to Downloads");
    tapAndSettle(centreOnScreen(*sheet->targetButtons()[3]));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], image);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].type, "org.flint.SaveToDownloads");
    EXPECT_TRUE(reports[0].completed);

    // The same type replaces the earlier target; removed, it is gone from the next sheet.
    auto replacement = UIActivity::activityWithType("org.flint.SaveToDownloads", "Download", succeeds);
    UIActivityViewController::addProcessActivity(replacement);
    ASSERT_EQ(UIActivityViewController::processActivities().size(), 1u);
    sheet = present({image});
    ASSERT_EQ(sheet->activities().size(), 3u);
    EXPECT_EQ(sheet->activities()[2]->activityTitle(), "Download");
    sheet->cancelSharing();
    runLoop().advanceBy(1);
    UIActivityViewController::removeProcessActivity("org.flint.SaveToDownloads");
    sheet = present({image});
    EXPECT_EQ(sheet->activities().size(), 2u);
    sheet->cancelSharing();
    runLoop().advanceBy(1);

    // Many targets scroll sideways within the card; the last is still reachable.
    for (int i = 0; i < 6; ++i)
        UIActivityViewController::addProcessActivity(
            UIActivity::activityWithType("t" + std::to_string(i), "T" + std::to_string(i), succeeds));
    sheet = present({image});
    ASSERT_EQ(sheet->activities().size(), 8u);
    auto* row = sheet->targetButtons()[7]->superview();
    auto* scroll = dynamic_cast<UIScrollView*>(row);
    ASSERT_TRUE(scroll);
    EXPECT_GT(scroll->contentSize().width, scroll->bounds().size.width);
}

TEST_F(ShareSheetTest, ATextIsCopiedAndCannotBeSavedAsAnImage) {
    auto sheet = present({NSValueBox::box(Value("https://example.org"))});
    ASSERT_EQ(sheet->activities().size(), 1u);
    EXPECT_EQ(sheet->activities()[0]->activityTitle(), "Copy");
    tapAndSettle(centreOnScreen(*sheet->targetButtons()[0]));
    EXPECT_EQ(UIPasteboard::generalPasteboard().string(), "https://example.org");
    EXPECT_FALSE(UIPasteboard::generalPasteboard().image());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].completed);
}

}  // namespace
}  // namespace ios::testing
