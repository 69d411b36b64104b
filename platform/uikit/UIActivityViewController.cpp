#include "platform/uikit/UIActivityViewController.h"

#include <algorithm>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"

namespace ios {

namespace {

constexpr double kThumbnailSide = 56;
constexpr double kIconSide = 60;
constexpr double kIconTop = 12;
constexpr double kCornerRadius = 13;
constexpr double kBottomInset = 10;

struct ShareLog {
    std::vector<std::vector<objc::id>> offers;
    std::vector<UIActivityViewController::Outcome> outcomes;
    std::vector<objc::Ref<UIActivity>> processActivities;
};

ShareLog& shareLog() { return Process::shared().attached<ShareLog>(); }

// Waits for the photo library's answer to one "Save Image"; kept by the process until then.
class ShareSaveReceiver : public objc::Object {
    OBJC_CLASS_DECLARE(ShareSaveReceiver)
public:
    using objc::Object::init;
    void init(UIActivity::Finished finished) { m_finished = std::move(finished); }
    void answer(bool saved);

protected:
    ShareSaveReceiver() = default;

private:
    UIActivity::Finished m_finished;
};

struct SavesInFlight {
    std::vector<objc::Ref<ShareSaveReceiver>> receivers;
};

void ShareSaveReceiver::answer(bool saved) {
    auto keep = objc::cast<ShareSaveReceiver>(shared_from_this());
    std::erase(Process::shared().attached<SavesInFlight>().receivers, keep);
    if (m_finished) m_finished(saved);
}

std::optional<std::string> firstText(const std::vector<objc::id>& items) {
    for (const auto& item : items)
        if (auto text = NSValueBoxUnbox(item).stringValue()) return text;
    return std::nullopt;
}

void saveImage(const std::vector<objc::id>& items, UIActivity::Finished finished) {
    auto image = UIActivity::firstImage(items);
    if (!image) return finished(false);
    auto receiver = objc::make<ShareSaveReceiver>(std::move(finished));
    Process::shared().attached<SavesInFlight>().receivers.push_back(receiver);
    UIImageWriteToSavedPhotosAlbum(image, receiver, objc::sel("image:didFinishSavingWithError:contextInfo:"));
}

void copyItem(const std::vector<objc::id>& items, UIActivity::Finished finished) {
    auto& pasteboard = UIPasteboard::generalPasteboard();
    if (auto image = UIActivity::firstImage(items))
        pasteboard.setImage(image);
    else if (auto text = firstText(items))
        pasteboard.setString(*text);
    else
        return finished(false);
    finished(true);
}

// --- icons: dark strokes on a white tile ---

UIImageRef drawIcon(const std::function<void(CGContext&)>& glyph) {
    double scale = UIScreen::mainScreen()->scale();
    return UIImage::imageWithSize(CGSizeMake(kIconSide, kIconSide), scale, [&](CGContext& c) {
        c.setStrokeColor(0.2, 0.2, 0.22, 1);
        c.setLineWidth(2.5);
        c.setLineCap(CGLineCap::Round);
        c.setLineJoin(CGLineJoin::Round);
        glyph(c);
    });
}

void strokeRoundedRect(CGContext& c, const CGRect& r, double radius) {
    CGPath path;
    path.addRoundedRect(r, radius, radius);
    c.addPath(path);
    c.strokePath();
}

UIImageRef saveIcon() {
    return drawIcon([](CGContext& c) {
        // An arrow down into a tray.
        c.moveToPoint(30, 14);
        c.addLineToPoint(30, 36);
        c.moveToPoint(21, 27);
        c.addLineToPoint(30, 36);
        c.addLineToPoint(39, 27);
        c.moveToPoint(16, 34);
        c.addLineToPoint(16, 45);
        c.addLineToPoint(44, 45);
        c.addLineToPoint(44, 34);
        c.strokePath();
    });
}

UIImageRef copyIcon() {
    return drawIcon([](CGContext& c) {
        // Two overlapping sheets.
        strokeRoundedRect(c, CGRectMake(17, 15, 18, 22), 3);
        strokeRoundedRect(c, CGRectMake(25, 23, 18, 22), 3);
    });
}

UIImageRef plainIcon() {
    return drawIcon([](CGContext& c) {
        // A box with an arrow leaving it.
        c.moveToPoint(30, 12);
        c.addLineToPoint(30, 34);
        c.moveToPoint(23, 19);
        c.addLineToPoint(30, 12);
        c.addLineToPoint(37, 19);
        c.moveToPoint(24, 26);
        c.addLineToPoint(17, 26);
        c.addLineToPoint(17, 47);
        c.addLineToPoint(43, 47);
        c.addLineToPoint(43, 26);
        c.addLineToPoint(36, 26);
        c.strokePath();
    });
}

objc::Ref<UILabel> makeLabel(const CGRect& frame, const std::string& text, objc::Ref<UIFont> font, UIColorRef color) {
    auto label = objc::make<UILabel>(frame);
    label->setText(text);
    label->setFont(std::move(font));
    label->setTextColor(std::move(color));
    return label;
}

}  // namespace

OBJC_CLASS_DEFINE_WITH(ShareSaveReceiver, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("image:didFinishSavingWithError:contextInfo:", "v@:@@^v",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            static_cast<ShareSaveReceiver&>(self).answer(args.size() < 2 || !args[1]);
                            return nullptr;
                        });
})

OBJC_CLASS_DEFINE_WITH(UIActivityViewController, UIViewController, [](objc::Class& cls) {
    using Args = std::span<const objc::id>;
    cls.addNativeMethod("_activityPressed:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        auto& sheet = static_cast<UIActivityViewController&>(self);
        for (std::size_t i = 0; i < sheet.m_targetButtons.size() && !args.empty(); ++i)
            if (sheet.m_targetButtons[i] == args[0]) sheet.perform(i);
        return nullptr;
    });
    cls.addNativeMethod("_cancelPressed:", "v@:@", [](objc::Object& self, objc::SEL, Args) -> objc::id {
        static_cast<UIActivityViewController&>(self).cancelSharing();
        return nullptr;
    });
    cls.addNativeMethod("_backdropTapped:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        auto* tap = args.empty() ? nullptr : dynamic_cast<UITapGestureRecognizer*>(args[0].get());
        if (tap && tap->state() == UIGestureRecognizerState::Ended)
            static_cast<UIActivityViewController&>(self).cancelSharing();
        return nullptr;
    });
})

void UIActivityViewController::init(std::vector<objc::id> activityItems, std::vector<objc::id> applicationActivities) {
    m_items = std::move(activityItems);
    for (const auto& object : applicationActivities)
        if (auto activity = objc::cast<UIActivity>(object)) m_applicationActivities.push_back(activity);
    setModalPresentationStyle(UIModalPresentationStyle::Popover);
}

const std::vector<std::vector<objc::id>>& UIActivityViewController::offeredItemsLog() { return shareLog().offers; }

const std::vector<UIActivityViewController::Outcome>& UIActivityViewController::outcomeLog() {
    return shareLog().outcomes;
}

void UIActivityViewController::addProcessActivity(const objc::Ref<UIActivity>& activity) {
    if (!activity) return;
    auto& list = shareLog().processActivities;
    auto same = std::find_if(list.begin(), list.end(),
                             [&](const auto& a) { return a->activityType() == activity->activityType(); });
    if (same != list.end())
        *same = activity;
    else
        list.push_back(activity);
}

void UIActivityViewController::removeProcessActivity(const std::string& activityType) {
    std::erase_if(shareLog().processActivities, [&](const auto& a) { return a->activityType() == activityType; });
}

const std::vector<objc::Ref<UIActivity>>& UIActivityViewController::processActivities() {
    return shareLog().processActivities;
}

void UIActivityViewController::loadView() {
    auto self = shared_from_this();
    const CGRect screen = UIScreen::mainScreen()->bounds();
    const double width = screen.size.width - 2 * kShareSheetMargin;

    m_activities.clear();
    auto image = UIActivity::firstImage(m_items);
    auto text = firstText(m_items);
    if (image)
        m_activities.push_back(
            UIActivity::activityWithType(UIActivityTypeSaveToCameraRoll, "Save Image", saveImage, saveIcon()));
    if (image || text)
        m_activities.push_back(
            UIActivity::activityWithType(UIActivityTypeCopyToPasteboard, "Copy", copyItem, copyIcon()));
    for (const auto& list : {m_applicationActivities, processActivities()})
        m_activities.insert(m_activities.end(), list.begin(), list.end());

    // The dimmed backdrop lies under the card and the cancel button, so only a tap outside both
    // reaches its recogniser.
    auto root = objc::make<UIView>(screen);
    auto backdrop = objc::make<UIView>(screen);
    backdrop->setBackgroundColor(UIColor::colorWithWhite(0, 0.2));
    backdrop->addGestureRecognizer(objc::make<UITapGestureRecognizer>(self, objc::sel("_backdropTapped:")));
    root->addSubview(backdrop);

    // The cancel button at the bottom, the card above it.
    const double cancelTop = screen.size.height - kBottomInset - kShareSheetCancelHeight;
    const double cardHeight = kShareSheetHeaderHeight + 1 + kShareSheetTargetHeight;
    const double cardTop = cancelTop - kShareSheetMargin - cardHeight;
    m_card = objc::make<UIView>(CGRectMake(kShareSheetMargin, cardTop, width, cardHeight));
    m_card->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    m_card->layer()->setCornerRadius(kCornerRadius);
    m_card->setClipsToBounds(true);
    root->addSubview(m_card);

    // Header: the thumbnail, a title and a detail line.
    const double thumbTop = (kShareSheetHeaderHeight - kThumbnailSide) / 2;
    auto thumbnail = objc::make<UIImageView>(CGRectMake(12, thumbTop, kThumbnailSide, kThumbnailSide));
    thumbnail->setImage(image);
    thumbnail->setContentMode(UIViewContentMode::ScaleAspectFit);
    thumbnail->setBackgroundColor(UIColor::colorWithWhite(0.88, 1));
    thumbnail->layer()->setCornerRadius(8);
    thumbnail->setClipsToBounds(true);
    m_card->addSubview(thumbnail);
    const double textLeft = 12 + kThumbnailSide + 12, textWidth = width - textLeft - 12;
    std::string title = image ? "Image" : text.value_or("");
    std::string detail = image ? std::to_string(image->pixelWidth()) + " × " + std::to_string(image->pixelHeight())
                               : (text ? "Text" : "");
    m_card->addSubview(makeLabel(CGRectMake(textLeft, thumbTop + 6, textWidth, 20), title,
                                 UIFont::boldSystemFontOfSize(15), UIColor::blackColor()));
    m_card->addSubview(makeLabel(CGRectMake(textLeft, thumbTop + 30, textWidth, 18), detail,
                                 UIFont::systemFontOfSize(13), UIColor::grayColor()));
    auto separator = objc::make<UIView>(CGRectMake(0, kShareSheetHeaderHeight, width, 1));
    separator->setBackgroundColor(UIColor::colorWithWhite(0.85, 1));
    m_card->addSubview(separator);

    // The row of targets, scrolling sideways when it is wider than the card.
    auto row = objc::make<UIScrollView>(CGRectMake(0, kShareSheetHeaderHeight + 1, width, kShareSheetTargetHeight));
    row->setShowsHorizontalScrollIndicator(false);
    row->setShowsVerticalScrollIndicator(false);
    const double rowWidth = 2 * kShareSheetMargin + kShareSheetTargetWidth * static_cast<double>(m_activities.size());
    row->setContentSize(CGSizeMake(std::max(width, rowWidth), kShareSheetTargetHeight));
    m_card->addSubview(row);
    m_targetButtons.clear();
    for (std::size_t i = 0; i < m_activities.size(); ++i) {
        const auto& activity = m_activities[i];
        auto tile = UIButton::buttonWithType(UIButtonType::Custom);
        const double left = kShareSheetMargin + kShareSheetTargetWidth * static_cast<double>(i);
        tile->setFrame(CGRectMake(left, 0, kShareSheetTargetWidth, kShareSheetTargetHeight));
        tile->setTag(static_cast<int>(i));
        tile->addTarget(self, objc::sel("_activityPressed:"), UIControlEventTouchUpInside);
        const double iconLeft = (kShareSheetTargetWidth - kIconSide) / 2;
        auto icon = objc::make<UIImageView>(CGRectMake(iconLeft, kIconTop, kIconSide, kIconSide));
        icon->setImage(activity->activityImage() ? activity->activityImage() : plainIcon());
        icon->setContentMode(UIViewContentMode::ScaleAspectFit);
        icon->setBackgroundColor(UIColor::whiteColor());
        icon->layer()->setCornerRadius(14);
        icon->layer()->setBorderWidth(0.5);
        icon->layer()->setBorderColor(UIColor::colorWithWhite(0.8, 1));
        icon->setClipsToBounds(true);
        tile->addSubview(icon);
        auto name = makeLabel(CGRectMake(2, kIconTop + kIconSide + 4, kShareSheetTargetWidth - 4, 30),
                              activity->activityTitle(), UIFont::systemFontOfSize(11), UIColor::colorWithWhite(0.2, 1));
        name->setTextAlignment(NSTextAlignment::Center);
        name->setNumberOfLines(2);
        tile->addSubview(name);
        row->addSubview(tile);
        m_targetButtons.push_back(tile);
    }

    m_cancelButton = UIButton::buttonWithType(UIButtonType::System);
    m_cancelButton->setFrame(CGRectMake(kShareSheetMargin, cancelTop, width, kShareSheetCancelHeight));
    m_cancelButton->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    m_cancelButton->layer()->setCornerRadius(kCornerRadius);
    m_cancelButton->setTitle(std::string("Cancel"), UIControlStateNormal);
    m_cancelButton->setTitleFont(UIFont::boldSystemFontOfSize(17));
    m_cancelButton->addTarget(self, objc::sel("_cancelPressed:"), UIControlEventTouchUpInside);
    root->addSubview(m_cancelButton);
    setView(root);
}

void UIActivityViewController::viewWillAppear(bool) { m_closing = false; }

void UIActivityViewController::viewDidAppear(bool) { shareLog().offers.push_back(m_items); }

bool UIActivityViewController::performActivityWithTitle(const std::string& title) {
    loadViewIfNeeded();
    for (std::size_t i = 0; i < m_activities.size(); ++i) {
        if (m_activities[i]->activityTitle() == title) {
            perform(i);
            return true;
        }
    }
    return false;
}

void UIActivityViewController::perform(std::size_t index) {
    if (m_closing || index >= m_activities.size()) return;
    m_closing = true;
    auto keep = objc::cast<UIActivityViewController>(shared_from_this());
    objc::WeakRef<objc::Object> weak = keep;
    auto activity = m_activities[index];
    activity->perform(m_items, [weak, activity](bool completed) {
        if (auto sheet = objc::cast<UIActivityViewController>(weak.lock())) sheet->finish(activity, completed);
    });
}

void UIActivityViewController::cancelSharing() {
    if (m_closing) return;
    m_closing = true;
    finish(nullptr, false);
}

void UIActivityViewController::finish(const objc::Ref<UIActivity>& activity, bool completed) {
    auto keep = shared_from_this();
    std::optional<std::string> activityType;
    if (activity) activityType = activity->activityType();
    shareLog().outcomes.push_back({activityType, activity ? activity->activityTitle() : std::string(), completed});
    auto completion = m_completion;
    auto report = [completion, activityType, completed] {
        if (completion) completion(activityType, completed);
    };
    if (presentingViewController() && !isBeingDismissed())
        dismissViewControllerAnimated(true, report);
    else
        report();
}

}  // namespace ios
