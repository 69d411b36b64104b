#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/quartz/CACompositor.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

OBJC_CLASS_DEFINE(UIScreen, objc::Object)

namespace {

UIScreen* g_liveScreen = nullptr;

struct ScreenHolder {
    objc::Ref<UIScreen> screen;
    ~ScreenHolder() {
        if (g_liveScreen == screen.get()) g_liveScreen = nullptr;
    }
};

}  // namespace

objc::Ref<UIScreen> UIScreen::mainScreen() {
    auto& holder = Process::shared().attached<ScreenHolder>();
    if (!holder.screen) {
        holder.screen = objc::make<UIScreen>();
        g_liveScreen = holder.screen.get();
    }
    return holder.screen;
}

UIScreen* UIScreen::mainScreenIfExists() { return g_liveScreen; }

CGRect UIScreen::bounds() const {
    const auto& profile = Process::shared().profile();
    return CGRectMake(0, 0, profile.width, profile.height);
}

double UIScreen::scale() const {
    double s = Process::shared().profile().scale;
    return s > 0 ? s : 1;
}

objc::Ref<UITraitCollection> UIScreen::traitCollection() const { return UITraitCollection::currentTraitCollection(); }

std::vector<UIWindow*> UIScreen::windows() const {
    std::vector<UIWindow*> out;
    for (const auto& e : m_windows)
        if (!e.weak.expired()) out.push_back(e.window);
    return out;
}

std::vector<UIWindow*> UIScreen::visibleWindows() const {
    std::vector<UIWindow*> out;
    for (UIWindow* w : windows())
        if (!w->isHidden()) out.push_back(w);
    std::stable_sort(out.begin(), out.end(), [](const UIWindow* a, const UIWindow* b) {
        if (a->windowLevel() != b->windowLevel()) return a->windowLevel() < b->windowLevel();
        return a->m_orderSerial < b->m_orderSerial;
    });
    return out;
}

UIWindow* UIScreen::keyWindow() const {
    for (const auto& e : m_windows)
        if (e.window == m_keyWindow && !e.weak.expired()) return m_keyWindow;
    return nullptr;
}

void UIScreen::windowCreated(UIWindow* window) {
    std::erase_if(m_windows, [](const Entry& e) { return e.weak.expired(); });
    m_windows.push_back({window, window->weak_from_this()});
}

void UIScreen::windowDestroyed(UIWindow* window) {
    std::erase_if(m_windows, [&](const Entry& e) { return e.window == window; });
    if (m_keyWindow == window) m_keyWindow = nullptr;
}

void UIScreen::windowShown(UIWindow* window) {
    window->m_orderSerial = m_nextSerial++;
    scheduleLayout();
}

void UIScreen::setKeyWindow(UIWindow* window) {
    UIWindow* old = keyWindow();
    if (old == window) return;
    m_keyWindow = window;
    if (old) old->resignKeyWindow();
    if (window) window->becomeKeyWindow();
}

void UIScreen::keyWindowResigned(UIWindow* window) {
    if (m_keyWindow == window) m_keyWindow = nullptr;
}

void UIScreen::layoutVisibleWindows() {
    std::vector<objc::id> keep;
    auto visible = visibleWindows();
    for (UIWindow* w : visible) keep.push_back(w->shared_from_this());
    for (UIWindow* w : visible) w->layoutIfNeeded();
}

void UIScreen::scheduleLayout() {
    if (m_layoutScheduled) return;
    Process* p = Process::current();
    if (!p) return;
    m_layoutScheduled = true;
    objc::WeakRef<objc::Object> weak = weak_from_this();
    p->runLoop().post([weak] {
        auto self = objc::cast<UIScreen>(weak.lock());
        if (!self) return;
        self->m_layoutScheduled = false;
        self->layoutVisibleWindows();
    });
}

objc::Ref<UIImage> UIScreen::snapshot(double scale) {
    if (!(scale > 0) || !std::isfinite(scale)) scale = this->scale();
    layoutVisibleWindows();
    std::vector<objc::id> keep;
    std::vector<CALayer*> roots;
    for (UIWindow* w : visibleWindows()) {
        keep.push_back(w->shared_from_this());
        roots.push_back(w->layer().get());
    }
    return CACompositor::render(roots, bounds().size, scale, UIColor::blackColor());
}

bool UIScreen::writeSnapshotPNG(const std::filesystem::path& path, double scale) {
    auto image = snapshot(scale);
    return image && image->writePNG(path);
}

}  // namespace ios
