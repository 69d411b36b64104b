#include "startup/ScreenSupport.h"

#include <map>

#include "platform/foundation/Process.h"
#include "platform/services/LCPParseColorString.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "platform/uikit/UIWindow.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "startup/FlintPreferences.h"
#include "startup/UIColor+Container.h"

namespace flint::screens {

namespace {
// Decoded resource images of the current process: the bundle does not change while the process
// runs and images are immutable, so every opening shares them.
struct BundleImageCache {
    std::map<std::string, ios::UIImageRef> images;
};
}  // namespace

ios::UIImageRef bundleImage(const std::string& name) {
    auto& images = ios::Process::shared().attached<BundleImageCache>().images;
    if (auto it = images.find(name); it != images.end()) return it->second;
    auto image = ios::UIImage::imageWithContentsOfFile(std::string(kBundleFolder) + name);
    if (image) images.emplace(name, image);
    return image;
}

ios::UIImageRef bundleTemplateImage(const std::string& name) {
    auto image = bundleImage(name);
    return image ? image->imageWithRenderingMode(ios::UIImageRenderingMode::AlwaysTemplate) : nullptr;
}

void fireMediumImpact() {
    gen = objc::make<ios::UIImpactFeedbackGenerator>(ios::UIImpactFeedbackStyle::Medium);
    gen->impactOccurred();
}

void addSingleTap(ios::UIView& view, FlintHost& host, const char* action) {
    auto tap = objc::make<ios::UITapGestureRecognizer>(host.self(), objc::sel(action));
    tap->setNumberOfTapsRequired(1);
    view.addGestureRecognizer(tap);
}

objc::Ref<ios::UIView> makeCard(const ios::CGRect& frame) {
    auto card = objc::make<ios::UIView>(frame);
    card->setBackgroundColor(flintContainerColor());
    card->layer()->setCornerRadius(15);
    card->setClipsToBounds(true);
    card->setUserInteractionEnabled(true);
    return card;
}

objc::Ref<ios::UILabel> makeLabel(const std::string& text, objc::Ref<ios::UIFont> font) {
    auto label = objc::make<ios::UILabel>(ios::CGRectZero);
    label->setText(text);
    label->setTextColor(flintLabelColor());
    if (font) label->setFont(std::move(font));
    label->setTextAlignment(ios::NSTextAlignment::Center);
    label->setNumberOfLines(1);
    return label;
}

ios::CGSize naturalSize(const ios::UILabel& label) {
    ios::CGSize size = label.intrinsicContentSize();
    return ios::CGSizeMake(std::max(0.0, size.width), std::max(0.0, size.height));
}

void placeCentredLabel(ios::UILabel& label, double centreX, double top, double maxWidth) {
    ios::CGSize size = naturalSize(label);
    size.width = std::min(size.width, std::max(0.0, maxWidth));
    label.setFrame(ios::CGRectMake(centreX - size.width / 2, top, size.width, size.height));
}

void applyAppearanceBackdrop(FlintHost& host, ios::UIView& root) {
    const std::string mode = appearanceMode();
    auto traits = ios::UITraitCollection::currentTraitCollection();
    const auto style = traits ? traits->userInterfaceStyle() : ios::UIUserInterfaceStyle::Unspecified;
    auto setAlpha = [](const objc::Ref<ios::UIVisualEffectView>& view, double alpha) {
        if (view) view->setAlpha(alpha);
    };
    auto insertBlur = [&](ios::UIBlurEffectStyle blurStyle) {
        auto effect = ios::UIBlurEffect::effectWithStyle(blurStyle);
        auto view = objc::make<ios::UIVisualEffectView>(effect);
        view->setFrame(root.bounds());
        view->setAutoresizingMask(ios::UIViewAutoresizingFlexibleWidth | ios::UIViewAutoresizingFlexibleHeight);
        root.insertSubview(view, 0);
        return std::make_pair(effect, view);
    };

    if (mode == "colorMode") {
        root.setBackgroundColor(ios::LCPParseColorString(colorText("flintBackgroundColor"), kFallbackColor));
        setAlpha(host.blurEffectView1(), 0);
        setAlpha(host.blurEffectView2(), 0);
    } else if (mode == "adaptiveMode" && style == ios::UIUserInterfaceStyle::Dark) {
        auto [effect, view] = insertBlur(ios::UIBlurEffectStyle::Dark);
        host.set_blurEffect1(effect);
        host.set_blurEffectView1(view);
        setAlpha(host.blurEffectView1(), 1);
        setAlpha(host.blurEffectView2(), 0);
    } else if (mode == "adaptiveMode" && style == ios::UIUserInterfaceStyle::Light) {
        auto [effect, view] = insertBlur(ios::UIBlurEffectStyle::Light);
        host.set_blurEffect2(effect);
        host.set_blurEffectView2(view);
        setAlpha(host.blurEffectView1(), 0);
        setAlpha(host.blurEffectView2(), 1);
    }
}

void sendToHost(FlintHost& host, const char* selector) { objc::msgSend(host.self(), objc::sel(selector)); }

double statusBarWindowLevel(const FlintHost& host) {
    auto* bar = dynamic_cast<ios::UIView*>(&host.object());
    ios::UIWindow* window = bar ? bar->window() : nullptr;
    return window ? window->windowLevel() : ios::UIWindowLevelStatusBar;
}

}  // namespace flint::screens
