#pragma once
// The share sheet: offered items (images, texts, addresses, as objects), a popover anchor and a
// completion. There are no other applications to share with here: presenting records the offer in
// the process's share log, and the sheet stays up until dismissed (dismiss, or cancelSharing,
// which also calls the completion with no activity and not completed).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UIViewController.h"

namespace ios {

struct UIPopoverPresentationController {
    objc::WeakRef<UIView> sourceView;
    CGRect sourceRect = CGRectZero;
};

class UIActivityViewController : public UIViewController {
    OBJC_CLASS_DECLARE(UIActivityViewController)
public:
    using Completion = std::function<void(const std::optional<std::string>& activityType, bool completed)>;
    void init() override {}
    void init(std::vector<objc::id> activityItems, std::vector<objc::id> applicationActivities = {});
    const std::vector<objc::id>& activityItems() const { return m_items; }
    UIPopoverPresentationController& popoverPresentationController() { return m_popover; }
    void setCompletionWithItemsHandler(Completion completion) { m_completion = std::move(completion); }

    void viewDidAppear(bool animated) override;
    void loadView() override;
    // Closes the sheet as its cancel button does.
    void cancelSharing();

    // Every share sheet that appeared in this process, oldest first.
    static const std::vector<std::vector<objc::id>>& offeredItemsLog();

protected:
    UIActivityViewController() = default;

private:
    std::vector<objc::id> m_items;
    UIPopoverPresentationController m_popover;
    Completion m_completion;
};

}  // namespace ios
