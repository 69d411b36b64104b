#pragma once
// The share sheet: offered items (images, texts, addresses, as objects), a popover anchor and a
// completion. Presented, it dims the screen and shows, at the bottom, a card with a thumbnail of
// the first image (or the first text), a row of share targets under it, and a "Cancel" button
// below the card. A tap on a target performs it; "Cancel" or a tap outside the card and the
// button closes the sheet. The sheet slides away, then the completion reports the target's
// activity type and whether it completed, or no type and not completed when cancelled.
//
// The targets, left to right: "Save Image" (adds the first image to the photo library; shown
// when an item is an image), "Copy" (puts the first image, else the first text, on the general
// pasteboard), the application activities the sheet was made with, then the process's
// activities. These last are how a host program adds a target to every share sheet:
//
//     ios::UIActivityViewController::addProcessActivity(ios::UIActivity::activityWithType(
//         "org.example.SaveToDownloads", "Save to Downloads",
//         [](const std::vector<objc::id>& items, ios::UIActivity::Finished finished) {
//             auto image = ios::UIActivity::firstImage(items);
//             finished(image && saveSomewhere(image));
//         }));
//
// They belong to the current process (register them after it has started) and are read when a
// sheet loads its view; adding one with the type of another replaces it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UIActivity.h"
#include "platform/uikit/UIViewController.h"

namespace ios {

class UIButton;

struct UIPopoverPresentationController {
    objc::WeakRef<UIView> sourceView;
    CGRect sourceRect = CGRectZero;
};

// Layout of the sheet, in points.
inline constexpr double kShareSheetMargin = 8;
inline constexpr double kShareSheetHeaderHeight = 76;
inline constexpr double kShareSheetTargetWidth = 84;
inline constexpr double kShareSheetTargetHeight = 112;
inline constexpr double kShareSheetCancelHeight = 56;

class UIActivityViewController : public UIViewController {
    OBJC_CLASS_DECLARE(UIActivityViewController)
public:
    using Completion = std::function<void(const std::optional<std::string>& activityType, bool completed)>;
    void init() override {}
    // Application activities are UIActivity objects; other objects are skipped.
    void init(std::vector<objc::id> activityItems, std::vector<objc::id> applicationActivities = {});
    const std::vector<objc::id>& activityItems() const { return m_items; }
    UIPopoverPresentationController& popoverPresentationController() { return m_popover; }
    void setCompletionWithItemsHandler(Completion completion) { m_completion = std::move(completion); }

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

    // The targets shown, and the button of each (same order); both filled when the view loads.
    const std::vector<objc::Ref<UIActivity>>& activities() const { return m_activities; }
    const std::vector<objc::Ref<UIButton>>& targetButtons() const { return m_targetButtons; }
    const objc::Ref<UIButton>& cancelButton() const { return m_cancelButton; }
    // The card holding the thumbnail and the targets (outside it and the cancel button, a tap
    // closes the sheet); none before the view loads.
    const objc::Ref<UIView>& cardView() const { return m_card; }

    // Performs the shown target with this title as a tap on it does; false when there is none.
    bool performActivityWithTitle(const std::string& title);
    // Closes the sheet as its cancel button does.
    void cancelSharing();

    // Every share sheet that appeared in this process, oldest first.
    static const std::vector<std::vector<objc::id>>& offeredItemsLog();
    // How the sheets of this process closed, oldest first.
    struct Outcome {
        std::optional<std::string> activityType;  // none when cancelled
        std::string activityTitle;                // empty when cancelled
        bool completed = false;
    };
    static const std::vector<Outcome>& outcomeLog();

    // The process's own share targets, shown on every sheet after the others.
    static void addProcessActivity(const objc::Ref<UIActivity>& activity);
    static void removeProcessActivity(const std::string& activityType);
    static const std::vector<objc::Ref<UIActivity>>& processActivities();

protected:
    UIActivityViewController() = default;

private:
    void perform(std::size_t index);
    void finish(const objc::Ref<UIActivity>& activity, bool completed);

    std::vector<objc::id> m_items;
    std::vector<objc::Ref<UIActivity>> m_applicationActivities;
    UIPopoverPresentationController m_popover;
    Completion m_completion;
    std::vector<objc::Ref<UIActivity>> m_activities;
    std::vector<objc::Ref<UIButton>> m_targetButtons;
    objc::Ref<UIButton> m_cancelButton;
    objc::Ref<UIView> m_card;
    bool m_closing = false;  // a target was chosen or the sheet cancelled; further presses do nothing
};

}  // namespace ios
