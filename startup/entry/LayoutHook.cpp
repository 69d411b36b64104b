#include "startup/entry/LayoutHook.h"

#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIView.h"
#include "startup/FlintPreferences.h"

namespace flint {

namespace {

objc::IMP g_previousLayoutSubviews;
const char kHookRecognizerKey = 0;  // the hook's own recogniser, kept on the bar

bool matches(const ios::UIGestureRecognizer& recognizer, const GestureSetting& setting) {
    switch (setting.kind) {
    case GestureSetting::Kind::Tap:
        if (auto* tap = dynamic_cast<const ios::UITapGestureRecognizer*>(&recognizer))
            return tap->numberOfTapsRequired() == setting.value;
        return false;
    case GestureSetting::Kind::Swipe:
        if (auto* swipe = dynamic_cast<const ios::UISwipeGestureRecognizer*>(&recognizer))
            return swipe->direction() == static_cast<unsigned>(setting.value);
        return false;
    case GestureSetting::Kind::None: return false;
    }
    return false;
}

objc::Ref<ios::UIGestureRecognizer> makeRecognizer(const GestureSetting& setting, const objc::id& target) {
    static const objc::SEL action = objc::sel("launchFlintWindow");
    if (setting.kind == GestureSetting::Kind::Tap) {
        auto tap = objc::make<ios::UITapGestureRecognizer>(target, action);
        tap->setNumberOfTapsRequired(setting.value);
        return tap;
    }
    auto swipe = objc::make<ios::UISwipeGestureRecognizer>(target, action);
    swipe->setDirection(static_cast<unsigned>(setting.value));
    return swipe;
}

objc::id layoutHook(objc::Object& self, objc::SEL cmd, std::span<const objc::id> args) {
    if (g_previousLayoutSubviews) g_previousLayoutSubviews(self, cmd, args);
    updateOpeningGesture(static_cast<ios::UIView&>(self), gestureOption());
    return nullptr;
}

}  // namespace

GestureSetting gestureSettingForOption(std::int64_t option) {
    if (option >= 0 && option <= 3) return {GestureSetting::Kind::Tap, static_cast<int>(option) + 1};
    if (option == 4) return {GestureSetting::Kind::Swipe, ios::UISwipeGestureRecognizerDirectionLeft};
    if (option == 5) return {GestureSetting::Kind::Swipe, ios::UISwipeGestureRecognizerDirectionRight};
    return {};
}

void updateOpeningGesture(ios::UIView& bar, std::int64_t option) {
    GestureSetting setting = gestureSettingForOption(option);
    auto current = objc::cast<ios::UIGestureRecognizer>(bar.associatedObject(&kHookRecognizerKey));
    if (current && current->view() != &bar) current.reset();  // someone else took it off the bar

    if (current && matches(*current, setting)) return;
    if (current) bar.removeGestureRecognizer(current);
    if (setting.kind == GestureSetting::Kind::None) {
        bar.setAssociatedObject(&kHookRecognizerKey, nullptr);
        return;
    }
    auto recognizer = makeRecognizer(setting, bar.self());
    bar.addGestureRecognizer(recognizer);
    bar.setAssociatedObject(&kHookRecognizerKey, recognizer);
}

void installLayoutHook(objc::Class* cls) {
    objc::MSHookMessageEx(cls, objc::sel("layoutSubviews"), &layoutHook, &g_previousLayoutSubviews);
}

}  // namespace flint
