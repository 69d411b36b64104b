#include "showcase/ShowcaseSupport.h"

#include <optional>

#include "startup/ScreenSupport.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "startup/UIColor+Container.h"

namespace flint::showcase {

ios::UIImageRef originalImage(const std::string& name) {
    auto image = screens::bundleImage(name);
    return image ? image->imageWithRenderingMode(ios::UIImageRenderingMode::AlwaysOriginal) : nullptr;
}

objc::Ref<ios::CALayer> makeMaskLayer(BezelFamily family, const ios::CGRect& frame) {
    auto mask = ios::CALayer::layer();
    // A missing mask image leaves the layer empty, which hides what it masks.
    mask->setContents(screens::bundleImage(maskImageOf(family)));
    mask->setFrame(frame);
    return mask;
}

namespace {
// The property `<stem><n>`; none, with a log line, for a name the host does not have.
std::optional<HostProperty> numbered(std::string_view stem, int n) {
    const std::string name = std::string(stem) + std::to_string(n);
    auto index = hostPropertyIndex(name);
    if (!index) {
        ios::Process::shared().log().write("Flint: the host has no property " + name);
        return std::nullopt;
    }
    return static_cast<HostProperty>(*index);
}
}  // namespace

void setNumbered(FlintHost& host, std::string_view stem, int n, const objc::id& value) {
    if (auto property = numbered(stem, n)) host.set(*property, value);
}

objc::id getNumbered(const FlintHost& host, std::string_view stem, int n) {
    auto property = numbered(stem, n);
    return property ? host.get(*property) : nullptr;
}

objc::Ref<ios::UIScrollView> makePagedScrollView(FlintHost& host) {
    auto scroll = objc::make<ios::UIScrollView>(ios::CGRectZero);
    scroll->setPagingEnabled(true);
    scroll->setShowsHorizontalScrollIndicator(false);
    scroll->setShowsVerticalScrollIndicator(false);
    scroll->setDelegate(host.self());
    return scroll;
}

objc::Ref<ios::UIView> makePage(const ios::CGRect& frame, int tag) {
    auto page = objc::make<ios::UIView>(frame);
    page->setClipsToBounds(true);
    page->setBackgroundColor(ios::UIColor::clearColor());
    page->setTag(tag);
    return page;
}

void pinToEdges(ios::UIView& view, ios::UIView& container, double top) {
    view.setTranslatesAutoresizingMaskIntoConstraints(false);
    activate({
        view.leadingAnchor()->constraintEqualToAnchor(container.leadingAnchor()),
        view.trailingAnchor()->constraintEqualToAnchor(container.trailingAnchor()),
        view.topAnchor()->constraintEqualToAnchor(container.topAnchor(), top),
        view.bottomAnchor()->constraintEqualToAnchor(container.bottomAnchor()),
    });
}

objc::Ref<ios::UIButton> makeRoundedButton(FlintHost& host, double cornerRadius, const char* action) {
    auto button = ios::UIButton::buttonWithType(ios::UIButtonType::Custom);
    button->setBackgroundColor(flintButtonColor());
    button->layer()->setCornerRadius(cornerRadius);
    button->addTarget(host.self(), objc::sel(action), ios::UIControlEventTouchUpInside);
    return button;
}

objc::Ref<ios::UIButton> makeTextButton(FlintHost& host, const std::string& title, ios::UIColorRef titleColor,
                                        double cornerRadius, const char* action) {
    auto button = makeRoundedButton(host, cornerRadius, action);
    button->setTitle(title, ios::UIControlStateNormal);
    button->setTitleColor(std::move(titleColor), ios::UIControlStateNormal);
    return button;
}

objc::Ref<ios::UIImageView> addIcon(ios::UIButton& button, const std::string& image, double side,
                                    ios::UIColorRef tint) {
    auto icon = objc::make<ios::UIImageView>(ios::CGRectZero);
    icon->setImage(screens::bundleTemplateImage(image));
    icon->setContentMode(ios::UIViewContentMode::ScaleAspectFit);
    icon->setTintColor(tint ? std::move(tint) : flintImageColor());
    addConstrained(button, icon);
    activate({
        icon->centerXAnchor()->constraintEqualToAnchor(button.centerXAnchor()),
        icon->centerYAnchor()->constraintEqualToAnchor(button.centerYAnchor()),
        icon->widthAnchor()->constraintEqualToConstant(side),
        icon->heightAnchor()->constraintEqualToConstant(side),
    });
    return icon;
}

objc::Ref<ios::UILabel> makeThemedLabel(const std::string& text) {
    auto label = objc::make<ios::UILabel>(ios::CGRectZero);
    label->setTextColor(flintLabelColor());
    label->setUserInteractionEnabled(true);
    label->setText(text);
    return label;
}

}  // namespace flint::showcase
