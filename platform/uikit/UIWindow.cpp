#include "platform/uikit/UIWindow.h"

#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"

namespace ios {

OBJC_CLASS_DEFINE(UIWindow, UIView)

UIWindow::~UIWindow() {
    // The screen may already be gone when the process ends before the window.
    if (UIScreen* screen = UIScreen::mainScreenIfExists()) screen->windowDestroyed(this);
}

void UIWindow::init() { init(UIScreen::mainScreen()->bounds()); }

void UIWindow::init(const CGRect& frame) {
    UIView::init(frame);
    UIView::setHidden(true);
    screen().windowCreated(this);
}

UIScreen& UIWindow::screen() const { return *UIScreen::mainScreen(); }

void UIWindow::setWindowLevel(UIWindowLevel level) {
    if (!std::isfinite(level)) return;
    m_windowLevel = level;
}

void UIWindow::setHidden(bool hidden) {
    bool wasHidden = isHidden();
    UIView::setHidden(hidden);
    if (!hidden) {
        // Showing (again) orders the window in front of its level.
        if (wasHidden || m_orderSerial == 0) screen().windowShown(this);
    } else if (isKeyWindow()) {
        screen().setKeyWindow(nullptr);
    }
}

void UIWindow::makeKeyAndVisible() {
    setHidden(false);
    makeKeyWindow();
}

void UIWindow::makeKeyWindow() { screen().setKeyWindow(this); }

bool UIWindow::isKeyWindow() const {
    UIScreen* screen = UIScreen::mainScreenIfExists();
    return screen && screen->keyWindow() == this;
}

void UIWindow::resignKeyWindow() {
    if (UIScreen* screen = UIScreen::mainScreenIfExists()) screen->keyWindowResigned(this);
}

void UIWindow::setRootViewController(const objc::Ref<UIViewController>& controller) {
    if (controller == m_rootViewController) return;
    auto keep = shared_from_this();
    if (m_rootViewController) {
        if (auto old = m_rootViewController->viewIfLoaded(); old && old->superview() == this)
            old->removeFromSuperview();
    }
    m_rootViewController = controller;
    if (!controller) return;
    const auto& view = controller->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    insertSubview(view, 0);
}

UIResponder* UIWindow::nextResponder() const {
    if (!Process::current()) return nullptr;
    return UIApplication::sharedApplication().get();
}

CGPoint UIWindow::convertPointToWindow(const CGPoint& point, const UIWindow* window) const {
    CGPoint screenPoint = layer()->convertPointToLayer(point, nullptr);
    return window ? window->layer()->convertPointFromLayer(screenPoint, nullptr) : screenPoint;
}

CGPoint UIWindow::convertPointFromWindow(const CGPoint& point, const UIWindow* window) const {
    CGPoint screenPoint = window ? window->layer()->convertPointToLayer(point, nullptr) : point;
    return layer()->convertPointFromLayer(screenPoint, nullptr);
}

}  // namespace ios
