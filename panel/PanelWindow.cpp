#include "panel/PanelWindow.h"

#include "panel/CountdownTimers.h"
#include "panel/PanelCards.h"
#include "panel/PanelLayout.h"
#include "startup/ScreenSupport.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "startup/UIColor+Container.h"

namespace flint {

void launchFlintWindow(FlintHost& host) {
    host.set(HostProperty::flintWindow, nullptr);
    const PanelMetrics m = PanelMetrics::current();
    const ios::CGRect screen = ios::CGRectMake(0, 0, m.W, m.H);

    auto window = objc::make<ios::UIWindow>(screen);
    auto root = objc::make<ios::UIView>(screen);
    window->setBackgroundColor(ios::UIColor::clearColor());
    window->setWindowLevel(screens::statusBarWindowLevel(host));
    window->makeKeyAndVisible();
    window->setRootViewController(objc::make<ios::UIViewController>());
    window->addSubview(root);
    host.set_flintWindow(window);
    host.set_flintView(root);

    auto top = objc::make<ios::UIView>(m.topZoneFrame());
    top->setBackgroundColor(ios::UIColor::clearColor());
    top->layer()->setZPosition(10);
    top->setUserInteractionEnabled(true);
    screens::addSingleTap(*top, host, "dismissFlintWindow");
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
    screens::addSingleTap(*pill, host, "dismissFlintWindow");
    auto label = screens::makeLabel("Dismiss");
    label->setUserInteractionEnabled(true);
    ios::CGSize size = screens::naturalSize(*label);
    label->setFrame(ios::CGRectMake((150 - size.width) / 2, (50 - size.height) / 2, size.width, size.height));
    pill->addSubview(label);
    root->addSubview(pill);
    host.set_bottomDismissView(pill);
    host.set_dismissLabel(label);

    buildCountdownBanners(host, m);
    screens::applyAppearanceBackdrop(host, *root);
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
