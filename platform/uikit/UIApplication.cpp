#include "platform/uikit/UIApplication.h"

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

namespace {

UIApplication& app(objc::Object& self) { return static_cast<UIApplication&>(self); }

std::string stringArgument(std::span<const objc::id> args, std::size_t i) {
    if (i >= args.size()) return {};
    Value v = NSValueBoxUnbox(args[i]);
    return v.isString() ? *v.string() : std::string();
}

bool boolArgument(std::span<const objc::id> args, std::size_t i) {
    if (i >= args.size()) return false;
    Value v = NSValueBoxUnbox(args[i]);
    return v.isNumber() && v.boolValue();
}

void registerOperations(objc::Class& cls) {
    cls.addNativeMethod("takeScreenshot",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            app(self).takeScreenshot();
                            return nullptr;
                        });
    cls.addNativeMethod("_simulateLockButtonPress",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            app(self)._simulateLockButtonPress();
                            return nullptr;
                        });
    cls.addNativeMethod("openURL:", "B@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            return NSValueBox::box(Value(app(self).openURL(stringArgument(args, 0))));
                        });
    cls.addNativeMethod("canOpenURL:", "B@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            return NSValueBox::box(Value(app(self).canOpenURL(stringArgument(args, 0))));
                        });
    cls.addNativeMethod("launchApplicationWithIdentifier:suspended:", "B@:@B",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            return NSValueBox::box(Value(app(self).launchApplicationWithIdentifier(
                                stringArgument(args, 0), boolArgument(args, 1))));
                        });
}

struct ApplicationHolder {
    objc::Ref<UIApplication> application;
};

std::function<objc::Ref<UIApplication>()>& factory() {
    static std::function<objc::Ref<UIApplication>()> f;
    return f;
}

}  // namespace

OBJC_CLASS_DEFINE_WITH(UIApplication, UIResponder, registerOperations)

objc::Ref<UIApplication> UIApplication::sharedApplication() {
    auto& holder = Process::shared().attached<ApplicationHolder>();
    if (!holder.application) {
        if (factory()) holder.application = factory()();
        if (!holder.application) holder.application = objc::make<UIApplication>();
    }
    return holder.application;
}

void UIApplication::setSharedApplicationFactory(std::function<objc::Ref<UIApplication>()> f) {
    factory() = std::move(f);
}

void UIApplication::installSharedApplication(const objc::Ref<UIApplication>& application) {
    if (!application) return;
    Process::shared().attached<ApplicationHolder>().application = application;
}

std::vector<UIWindow*> UIApplication::windows() const { return UIScreen::mainScreen()->windows(); }

UIWindow* UIApplication::keyWindow() const { return UIScreen::mainScreen()->keyWindow(); }

bool UIApplication::sendAction(objc::SEL action, const objc::id& target, const objc::id& sender, const UIEvent*) {
    if (!action) return false;
    if (target) {
        objc::msgSendAction(target, action, sender);
        return true;
    }
    UIResponder* responder = UIResponder::currentFirstResponder();
    if (!responder) responder = dynamic_cast<UIResponder*>(sender.get());
    for (; responder; responder = responder->nextResponder())
        if (objc::respondsToSelector(responder, action)) {
            objc::msgSendAction(responder->shared_from_this(), action, sender);
            return true;
        }
    return false;
}

bool UIApplication::launchApplicationWithIdentifier(const std::string& bundleIdentifier, bool suspended) {
    NSLogLine("UIApplication: launchApplicationWithIdentifier:" + bundleIdentifier +
              " suspended:" + (suspended ? "YES" : "NO") + " is not handled in this process");
    return false;
}

bool UIApplication::canOpenURL(const std::string& url) { return false; }

bool UIApplication::openURL(const std::string& url) {
    NSLogLine("UIApplication: openURL:" + url + " is not handled in this process");
    return false;
}

void UIApplication::openURL(const std::string& url, const Dictionary&, std::function<void(bool)> completion) {
    bool opened = openURL(url);
    if (!completion) return;
    Process::shared().runLoop().post([completion = std::move(completion), opened] { completion(opened); });
}

void UIApplication::takeScreenshot() { NSLogLine("UIApplication: takeScreenshot is not handled in this process"); }

void UIApplication::_simulateLockButtonPress() {
    NSLogLine("UIApplication: _simulateLockButtonPress is not handled in this process");
}

}  // namespace ios
