#include "showcase/ShowcasePicker.h"

#include <utility>

#include "startup/ScreenMetrics.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIScrollView.h"
#include "showcase/ShowcaseSupport.h"
#include "startup/UIColor+Container.h"

namespace flint {

using namespace showcase;

namespace {

// The "Dismiss" button's top and trailing offsets by screen class.
std::pair<double, double> dismissOffsets(ScreenClass screen) {
    switch (screen) {
    case ScreenClass::Height667:
    case ScreenClass::Height736: return {4, -5};
    case ScreenClass::Height812: return {10, -20};
    case ScreenClass::Other: break;
    }
    return {12, -25};
}

void buildPage(FlintHost& host, ios::UIScrollView& scroll, int k, const ios::CGSize& page) {
    auto content = makePage(ios::CGRectMake(page.width * (k - 1), 0, page.width, page.height), k);
    scroll.addSubview(content);
    host.set_scrollContentView(content);

    auto image = objc::make<ios::UIImageView>(ios::CGRectZero);
    image->setImage(originalImage("showcase" + std::to_string(k) + ".png"));
    image->setContentMode(ios::UIViewContentMode::ScaleAspectFill);
    image->layer()->setCornerRadius(20);
    image->setClipsToBounds(true);
    addConstrained(*content, image);

    auto pill = objc::make<ios::UIView>(ios::CGRectZero);
    pill->setBackgroundColor(flintContainerColor());
    pill->setUserInteractionEnabled(true);
    pill->layer()->setCornerRadius(30);
    addConstrained(*content, pill);
    screens::addSingleTap(*pill, host, ("beginShowcaseX" + std::to_string(k)).c_str());

    auto label = makeThemedLabel("Customize");
    addConstrained(*pill, label);

    activate({
        image->topAnchor()->constraintEqualToAnchor(content->topAnchor(), 20),
        image->leadingAnchor()->constraintEqualToAnchor(content->leadingAnchor(), 20),
        image->trailingAnchor()->constraintEqualToAnchor(content->trailingAnchor(), -20),
        image->bottomAnchor()->constraintEqualToAnchor(pill->topAnchor(), -20),
        pill->widthAnchor()->constraintEqualToConstant(200),
        pill->heightAnchor()->constraintEqualToConstant(60),
        pill->centerXAnchor()->constraintEqualToAnchor(content->centerXAnchor()),
        pill->bottomAnchor()->constraintEqualToAnchor(content->bottomAnchor(), -20),
        label->centerXAnchor()->constraintEqualToAnchor(pill->centerXAnchor()),
        label->centerYAnchor()->constraintEqualToAnchor(pill->centerYAnchor()),
    });

    setNumbered(host, "showcaseImage", k, image);
    setNumbered(host, "customizeView", k, pill);
    setNumbered(host, "customizeLabel", k, label);
}

template <int K>
void beginShowcaseX(FlintHost& host) {
    beginShowcaseTemplate(host, K);
}

}  // namespace

void displayShowcase(FlintHost& host) {
    auto root = host.flintView();
    if (!root) {
        ios::Process::shared().log().write("Flint: the Showcase picker needs the open panel");
        return;
    }
    const ScreenMetrics m = ScreenMetrics::current();

    auto picker = objc::make<ios::UIView>(ios::CGRectMake(0, 0, m.W, m.H));
    picker->setUserInteractionEnabled(true);
    root->addSubview(picker);
    host.set_showcasePickerView(picker);

    auto dismiss = ios::UIButton::buttonWithType(ios::UIButtonType::Custom);
    dismiss->setBackgroundColor(flintContainerColor());
    dismiss->layer()->setCornerRadius(15);
    dismiss->setTitle("Dismiss", ios::UIControlStateNormal);
    dismiss->setTitleColor(flintLabelColor(), ios::UIControlStateNormal);
    dismiss->setTitleFont(ios::UIFont::systemFontOfSize(11));
    dismiss->addTarget(host.self(), objc::sel("dismissShowcase"), ios::UIControlEventTouchUpInside);
    addConstrained(*picker, dismiss);
    const auto [top, trailing] = dismissOffsets(m.screenClass);
    activate({
        dismiss->widthAnchor()->constraintEqualToConstant(60),
        dismiss->heightAnchor()->constraintEqualToConstant(30),
        dismiss->topAnchor()->constraintEqualToAnchor(picker->topAnchor(), top),
        dismiss->trailingAnchor()->constraintEqualToAnchor(picker->trailingAnchor(), trailing),
    });
    host.set_dismissButton(dismiss);

    auto container = objc::make<ios::UIView>(ios::CGRectMake(0, 0.05 * m.H, m.W, 0.95 * m.H));
    container->setBackgroundColor(ios::UIColor::clearColor());
    container->setUserInteractionEnabled(true);
    picker->addSubview(container);
    host.set_showcaseContainerView(container);

    auto scroll = makePagedScrollView(host);
    host.set_showcaseScrollView(scroll);

    const ios::CGSize page = container->frame().size;
    for (int k = 1; k <= kShowcaseTemplateCount; ++k) buildPage(host, *scroll, k, page);

    scroll->setContentSize(ios::CGSizeMake(page.width * kShowcaseTemplateCount, page.height));
    container->addSubview(scroll);
    pinToEdges(*scroll, *container);

    screens::applyAppearanceBackdrop(host, *picker);
}

void beginShowcaseTemplate(FlintHost& host, int k) {
    if (k < 1 || k > kShowcaseTemplateCount) return;
    ios::performSelectorAfterDelay(host.self(), objc::sel("launchShowcaseEditor"), nullptr, 0);
    ios::performSelectorAfterDelay(host.self(), objc::sel("dismissShowcase"), nullptr, kShowcasePickerCloseDelay);
    ios::NSNotificationCenter::defaultCenter().addObserver(host.self(), objc::sel("receiveIphoneXColorNotification:"),
                                                           std::string(bezelStyles()[k - 1].key), nullptr);
}

void receiveIphoneXColorNotification(FlintHost& host, const objc::id& notification) {
    if (auto* note = dynamic_cast<const ios::NSNotification*>(notification.get())) applyBezel(host, note->name());
}

void applyBezel(FlintHost& host, std::string_view key) {
    const BezelStyle* style = bezelStyleForKey(key);
    auto bezel = host.showcaseBezelImage();
    auto screen = host.showcaseScreenshotImage();
    if (!style || !bezel || !screen) return;

    bezel->setImage(originalImage(style->frameImage));
    const BezelGeometry& g = geometryOf(style->family);
    screen->layer()->setMask(makeMaskLayer(style->family, ios::CGRectMake(0, 0, g.screen.width, g.screen.height)));
    screen->layer()->setMasksToBounds(true);
    if (style->family != BezelFamily::HomeButton) return;

    auto background = host.showcaseBackgroundImage();
    const ios::CGSize b = background ? background->frame().size : ios::CGSizeMake(0, 0);
    bezel->setFrame(ios::CGRectMake(b.width / 2, b.height / 2, g.bezel.width, g.bezel.height));
    bezel->setCenter(ios::CGPointMake(b.width / 2, b.height / 2));
    const ios::CGSize z = bezel->frame().size;
    const ios::CGPoint screenCentre = ios::CGPointMake(z.width / 2, z.height / 2 + g.screenDrop);
    screen->setFrame(ios::CGRectMake(screenCentre.x, screenCentre.y, g.screen.width, g.screen.height));
    screen->setCenter(screenCentre);
}

void dismissShowcase(FlintHost& host) {
    if (auto picker = host.showcasePickerView()) picker->removeFromSuperview();
}

const ActionTable showcasePickerActions FLINT_ACTION_TABLE = {
    {"displayShowcase", displayShowcase},     {"beginShowcaseX1", beginShowcaseX<1>},
    {"beginShowcaseX2", beginShowcaseX<2>},   {"beginShowcaseX3", beginShowcaseX<3>},
    {"beginShowcaseX4", beginShowcaseX<4>},   {"beginShowcaseX5", beginShowcaseX<5>},
    {"beginShowcaseX6", beginShowcaseX<6>},   {"beginShowcaseX7", beginShowcaseX<7>},
    {"beginShowcaseX8", beginShowcaseX<8>},   {"beginShowcaseX9", beginShowcaseX<9>},
    {"beginShowcaseX10", beginShowcaseX<10>}, {"receiveIphoneXColorNotification:", receiveIphoneXColorNotification},
    {"dismissShowcase", dismissShowcase},
};

}  // namespace flint
