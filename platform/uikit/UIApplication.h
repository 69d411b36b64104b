#pragma once
// The shared application: one per process, the last responder of every chain. It lists the
// screen's windows and the key window, sends actions, and offers the home-screen operations as
// virtual functions: this base only logs them and opens nothing; the home screen's application
// (platform/springboard) overrides them. Each operation is also in the class's method table under
// its selector, dispatching to the virtual function, so it can be sent by name and hooked.

#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/uikit/UIView.h"

namespace ios {

class UIWindow;

class UIApplication : public UIResponder {
    OBJC_CLASS_DECLARE(UIApplication)
public:
    // The current process's shared application, made on first use by the factory (a plain
    // UIApplication when none is set).
    static objc::Ref<UIApplication> sharedApplication();
    // The factory for every process's shared application (the home screen installs its subclass).
    static void setSharedApplicationFactory(std::function<objc::Ref<UIApplication>()> factory);
    // Replaces the current process's shared application.
    static void installSharedApplication(const objc::Ref<UIApplication>& application);

    std::vector<UIWindow*> windows() const;
    UIWindow* keyWindow() const;

    // Sends the action to the target, or (no target) to the first responder in the chain from
    // the first responder that responds to it. False when nobody received it.
    virtual bool sendAction(objc::SEL action, const objc::id& target, const objc::id& sender, const UIEvent* event);

    // --- home-screen operations (logged and refused here) ---
    // Brings the application to the foreground; false for an unknown identifier.
    virtual bool launchApplicationWithIdentifier(const std::string& bundleIdentifier, bool suspended);
    virtual bool canOpenURL(const std::string& url);
    // Opens the address; false when nothing can open it.
    virtual bool openURL(const std::string& url);
    // Opens the address and calls the completion on the run loop with whether it opened.
    virtual void openURL(const std::string& url, const Dictionary& options,
                         std::function<void(bool success)> completion);
    // Renders the screen into the photo library.
    virtual void takeScreenshot();
    // Locks the device.
    virtual void _simulateLockButtonPress();

    UIResponder* nextResponder() const override { return nullptr; }

protected:
    UIApplication() = default;
};

}  // namespace ios
