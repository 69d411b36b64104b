#include "panel/PanelWindow.h"

#include "panel/CountdownTimers.h"
#include "panel/PanelCards.h"
#include "panel/PanelLayout.h"
#include "panel/PanelSupport.h"
#include "platform/services/LCPParseColorString.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "platform/uikit/UIWindow.h"
#include "startup/FlintPreferences.h"
#include "startup/UIColor+Container.h"

namespace flint {

namespace {

void applyBackground(FlintHost& host, ios::UIView& root) {
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

}  // namespace

void launchFlintWindow(FlintHost& host) {
    host.set(HostProperty::flintWindow, nullptr);
    const PanelMetrics m = PanelMetrics::current();
    const ios::CGRect screen = ios::CGRectMake(0, 0, m.W, m.H);

    auto window = objc::make<ios::UIWindow>(screen);
    auto root = objc::make<ios::UIView>(screen);
    window->setBackgroundColor(ios::UIColor::clearColor());
    window->setWindowLevel(statusBarWindowLevel(host));
    window->makeKeyAndVisible();
    window->setRootViewController(objc::make<ios::UIViewController>());
    window->addSubview(root);
    host.set_flintWindow(window);
    host.set_flintView(root);

    auto top = objc::make<ios::UIView>(m.topZoneFrame());
    top->setBackgroundColor(ios::UIColor::clearColor());
    top->layer()->setZPosition(10);
    top->setUserInteractionEnabled(true);
    panel::addSingleTap(*top, host, "dismissFlintWindow");
    root->addSubview(top);
    host.set_topDismissView(top);

    panel::buildUserCard(host, m, *root);
    panel::buildUtilitiesCard(host, m, *root);
    panel::buildWifiCard(host, m, *root);
    panel::buildCellularCard(host, m, *root);
    panel::buildAppCard(host, m, *root);
    panel::buildShowcaseCard(host, m, *root);
    panel::buildMusicCard(host, m, *root);

    auto pill = objc::make<ios::UIView>(m.dismissPillFrame());
    pill->setBackgroundColor(flintContainerColor());
    pill->layer()->setCornerRadius(25);
    pill->setUserInteractionEnabled(true);
    panel::addSingleTap(*pill, host, "dismissFlintWindow");
    auto label = panel::makeLabel("Dismiss");
    label->setUserInteractionEnabled(true);
    ios::CGSize size = panel::naturalSize(*label);
    label->setFrame(ios::CGRectMake((150 - size.width) / 2, (50 - size.height) / 2, size.width, size.height));
    pill->addSubview(label);
    root->addSubview(pill);
    host.set_bottomDismissView(pill);
    host.set_dismissLabel(label);

    buildCountdownBanners(host, m);
    applyBackground(host, *root);
}

void dismissFlintWindow(FlintHost& host) {
    auto window = host.flintWindow();
    if (!window) return;
    // Hiding has no intermediate state: the panel goes at once, animation or not.
    ios::UIView::animateWithDuration(0.3, [&] { window->setHidden(true); });
    window->setRootViewController(nullptr);
    window->resignKeyWindow();
    window->removeFromSuperview();
}

const ActionTable panelWindowActions FLINT_ACTION_TABLE = {
    {"launchFlintWindow", launchFlintWindow},
    {"dismissFlintWindow", dismissFlintWindow},
};

}  // namespace flint
