#include "platform/uikit/UITraitCollection.h"

#include <functional>

#include "platform/foundation/Process.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

OBJC_CLASS_DEFINE(UITraitCollection, objc::Object)

void UITraitCollection::init(UIUserInterfaceStyle style, double scale) {
    m_style = style;
    m_scale = scale > 0 ? scale : 1;
}

objc::Ref<UITraitCollection> UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyle style) {
    Process* p = Process::current();
    return objc::make<UITraitCollection>(style, p ? p->profile().scale : 1.0);
}

objc::Ref<UITraitCollection> UITraitCollection::currentTraitCollection() {
    Process* p = Process::current();
    if (!p) return objc::make<UITraitCollection>(UIUserInterfaceStyle::Unspecified, 1.0);
    int style = p->profile().userInterfaceStyle;
    if (style < 0 || style > 2) style = 0;
    return objc::make<UITraitCollection>(static_cast<UIUserInterfaceStyle>(style), p->profile().scale);
}

bool UITraitCollection::hasDifferentColorAppearanceComparedToTraitCollection(const UITraitCollection* other) const {
    return !other || other->m_style != m_style;
}

void UITraitCollection::setCurrentUserInterfaceStyle(UIUserInterfaceStyle style) {
    Process* p = Process::current();
    if (!p) return;
    int value = static_cast<int>(style);
    if (value < 0 || value > 2) value = 0;
    auto previous = currentTraitCollection();
    if (p->profile().userInterfaceStyle == value) return;
    p->mutableProfile().userInterfaceStyle = value;

    std::function<void(UIView&)> notify = [&](UIView& view) {
        auto keep = view.shared_from_this();
        view.traitCollectionDidChange(previous.get());
        if (UIViewController* controller = view.viewController()) controller->traitCollectionDidChange(previous.get());
        auto children = view.subviews();
        for (auto& child : children) notify(*child);
    };
    auto screen = UIScreen::mainScreen();
    for (UIWindow* window : screen->visibleWindows()) notify(*window);
}

}  // namespace ios
