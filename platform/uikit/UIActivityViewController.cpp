#include "platform/uikit/UIActivityViewController.h"

#include "platform/foundation/Process.h"
#include "platform/uikit/UIScreen.h"

namespace ios {

OBJC_CLASS_DEFINE(UIActivityViewController, UIViewController)

namespace {
struct ShareLog {
    std::vector<std::vector<objc::id>> offers;
};
}  // namespace

void UIActivityViewController::init(std::vector<objc::id> activityItems, std::vector<objc::id>) {
    m_items = std::move(activityItems);
    setModalPresentationStyle(UIModalPresentationStyle::Popover);
}

const std::vector<std::vector<objc::id>>& UIActivityViewController::offeredItemsLog() {
    return Process::shared().attached<ShareLog>().offers;
}

void UIActivityViewController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto root = objc::make<UIView>(screen);
    root->setBackgroundColor(UIColor::colorWithWhite(0, 0.2));
    auto sheet = objc::make<UIView>(CGRectMake(8, screen.size.height * 0.55, screen.size.width - 16, screen.size.height * 0.45 - 8));
    sheet->setBackgroundColor(UIColor::colorWithWhite(0.95, 1));
    sheet->layer()->setCornerRadius(13);
    root->addSubview(sheet);
    setView(root);
}

void UIActivityViewController::viewDidAppear(bool) {
    Process::shared().attached<ShareLog>().offers.push_back(m_items);
}

void UIActivityViewController::cancelSharing() {
    auto keep = shared_from_this();
    auto completion = m_completion;
    auto finish = [completion] {
        if (completion) completion(std::nullopt, false);
    };
    if (presentingViewController()) dismissViewControllerAnimated(true, finish);
    else finish();
}

}  // namespace ios
