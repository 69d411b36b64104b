#pragma once
// The home screen's shared application: the home-screen operations of UIApplication carried
// out by HomeScreen (launch, open address, screenshot, lock). HomeScreen::boot installs it as the
// shared application of the process.

#include "platform/uikit/UIApplication.h"

namespace ios {

class UIImage;

class SpringBoard : public UIApplication {
    OBJC_CLASS_DECLARE(SpringBoard)
public:
    bool launchApplicationWithIdentifier(const std::string& bundleIdentifier, bool suspended) override;
    bool canOpenURL(const std::string& url) override;
    bool openURL(const std::string& url) override;
    void openURL(const std::string& url, const Dictionary& options,
                 std::function<void(bool success)> completion) override;
    void takeScreenshot() override;
    void _simulateLockButtonPress() override;

protected:
    SpringBoard() = default;
};

// The platform's +[UIImage _applicationIconImageForBundleIdentifier:format:scale:]: the icon of
// an installed application (format 2: 60 × 60 points with rounded corners), a blank placeholder
// for an unknown identifier. Scale 0 means the screen's.
objc::Ref<UIImage> _applicationIconImageForBundleIdentifier(const std::string& bundleIdentifier, int format,
                                                            double scale);

}  // namespace ios
