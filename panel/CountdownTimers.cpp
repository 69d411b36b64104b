#include "panel/CountdownTimers.h"

#include <cctype>
#include <cmath>

#include "panel/FlintBannerWindow.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"
#include "startup/FlintPreferences.h"
#include "startup/UIColor+Container.h"

namespace flint {

namespace {

struct Countdown {
    HostProperty timer, window, view, title, count;
    const char* titleText;
    const char* tickSelector;
    std::string (*preference)();
    void (*finalAction)();
};

const Countdown kScreenshot{HostProperty::screenshotTimer,
                            HostProperty::screenshotWindow,
                            HostProperty::screenshotView,
                            HostProperty::screenshotTitleLabel,
                            HostProperty::screenshotCountdownLabel,
                            "Screenshot in:",
                            "invokeScreenshot:",
                            screenshotTimerString,
                            [] { ios::UIApplication::sharedApplication()->takeScreenshot(); }};
const Countdown kLockscreen{HostProperty::lockscreenTimer,
                            HostProperty::lockscreenWindow,
                            HostProperty::lockscreenView,
                            HostProperty::lockscreenTitleLabel,
                            HostProperty::lockscreenCountdownLabel,
                            "Lockscreen in:",
                            "invokeLockscreen:",
                            lockscreenTimerString,
                            [] { ios::UIApplication::sharedApplication()->_simulateLockButtonPress(); }};

std::string startValue(const Countdown& c) { return countdownStartValue(c.preference()); }

void start(FlintHost& host, const Countdown& c) {
    auto label = objc::cast<ios::UILabel>(host.get(c.count));
    // A press while running starts over, with one timer.
    if (auto running = objc::cast<ios::NSTimer>(host.get(c.timer)); running && running->isValid()) {
        running->invalidate();
        if (label) label->setText(startValue(c));
    }
    host.set(c.timer,
             ios::NSTimer::scheduledTimerWithTimeInterval(1.0, host.self(), objc::sel(c.tickSelector), nullptr, true));
    if (auto window = objc::cast<ios::UIWindow>(host.get(c.window))) window->setHidden(false);
    screens::fireMediumImpact();
}

void tick(FlintHost& host, const objc::id& firing, const Countdown& c) {
    auto label = objc::cast<ios::UILabel>(host.get(c.count));
    if (!label) {
        ios::NSLogLine(std::string("Flint: ") + c.tickSelector + " fired without a countdown label; stopping");
        if (auto timer = objc::cast<ios::NSTimer>(firing)) timer->invalidate();
        return;
    }
    const std::int64_t n = ios::Value(label->text().value_or("")).integerValue();
    label->setText(ios::format("%d", n - 1));
    if (label->text() == "0") {
        if (auto timer = objc::cast<ios::NSTimer>(firing)) timer->invalidate();
        // A start value of "1" still shows the banner here: it must not be in the screenshot.
        if (auto window = objc::cast<ios::UIWindow>(host.get(c.window))) window->setHidden(true);
        c.finalAction();
        label->setText(startValue(c));
    }
    if (label->text() == "1") {
        if (auto window = objc::cast<ios::UIWindow>(host.get(c.window))) window->setHidden(true);
    }
}

void buildBanner(FlintHost& host, const PanelMetrics& m, const Countdown& c) {
    auto window = objc::make<FlintBannerWindow>(m.bannerWindowFrame());
    window->setBackgroundColor(ios::UIColor::clearColor());
    window->setWindowLevel(screens::statusBarWindowLevel(host) + 100);
    window->makeKeyAndVisible();
    window->setHidden(true);

    const ios::CGSize size = window->bounds().size;
    auto banner = objc::make<ios::UIView>(ios::CGRectMake((size.width - 200) / 2, (size.height - 60) / 2, 200, 60));
    banner->setBackgroundColor(flintBannerColor());
    banner->layer()->setCornerRadius(30);
    window->addSubview(banner);

    auto title = screens::makeLabel(c.titleText);
    screens::placeCentredLabel(*title, 100, 5);
    banner->addSubview(title);

    // The count changes every second: the label spans the banner and centres its text.
    auto count = screens::makeLabel(startValue(c));
    const double height = std::ceil(count->font()->lineHeight());
    count->setFrame(ios::CGRectMake(0, 30 + 5 - height / 2, 200, height));
    banner->addSubview(count);

    host.set(c.window, window);
    host.set(c.view, banner);
    host.set(c.title, title);
    host.set(c.count, count);
}

}  // namespace

std::string countdownStartValue(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\n");
    std::size_t end = text.find_last_not_of(" \t\n");
    if (begin == std::string::npos) return "10";
    std::string digits = text.substr(begin, end - begin + 1);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return "10";
    long value = std::stol(digits);
    return value >= 1 ? std::to_string(value) : "10";
}

void buildCountdownBanners(FlintHost& host, const PanelMetrics& metrics) {
    buildBanner(host, metrics, kScreenshot);
    buildBanner(host, metrics, kLockscreen);
}

void startScreenshotTimer(FlintHost& host) { start(host, kScreenshot); }
void startLockscreenTimer(FlintHost& host) { start(host, kLockscreen); }
void invokeScreenshot(FlintHost& host, const objc::id& timer) { tick(host, timer, kScreenshot); }
void invokeLockscreen(FlintHost& host, const objc::id& timer) { tick(host, timer, kLockscreen); }

const ActionTable countdownActions FLINT_ACTION_TABLE = {
    {"startScreenshotTimer", startScreenshotTimer},
    {"invokeScreenshot:", invokeScreenshot},
    {"startLockscreenTimer", startLockscreenTimer},
    {"invokeLockscreen:", invokeLockscreen},
};

}  // namespace flint
