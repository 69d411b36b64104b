#include "platform/springboard/SpringBoard.h"

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/springboard/HomeScreen.h"

namespace ios {

OBJC_CLASS_DEFINE(SpringBoard, UIApplication)

bool SpringBoard::launchApplicationWithIdentifier(const std::string& bundleIdentifier, bool suspended) {
    return HomeScreen::shared().launchApplication(bundleIdentifier, suspended);
}

bool SpringBoard::canOpenURL(const std::string& url) { return HomeScreen::canOpenURL(url); }

bool SpringBoard::openURL(const std::string& url) { return HomeScreen::shared().openURL(url, false); }

void SpringBoard::openURL(const std::string& url, const Dictionary&, std::function<void(bool)> completion) {
    bool opened = HomeScreen::shared().openURL(url, true);
    if (completion)
        Process::shared().runLoop().post([completion = std::move(completion), opened] { completion(opened); });
}

void SpringBoard::takeScreenshot() { HomeScreen::shared().takeScreenshot(); }

void SpringBoard::_simulateLockButtonPress() { HomeScreen::shared().lock(); }

objc::Ref<UIImage> _applicationIconImageForBundleIdentifier(const std::string& bundleIdentifier, int format,
                                                            double scale) {
    return HomeScreen::shared().applicationIconImage(bundleIdentifier, format, scale);
}

}  // namespace ios
