#pragma once
// Windows: the roots of the view trees on the screen. A window starts hidden; it shows once
// setHidden(false) or makeKeyAndVisible is called, above every visible window of its level that
// showed earlier. The screen composites the visible windows by level, then in that order.
//
// The screen keeps only weak references to windows: a window must be held by someone to stay
// alive (a window that goes away leaves the screen, and resigns key if it was key).

#include <cstdint>

#include "platform/uikit/UIView.h"

namespace ios {

using UIWindowLevel = double;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

class UIScreen;

class UIWindow : public UIView {
    OBJC_CLASS_DECLARE(UIWindow)
public:
    ~UIWindow() override;
    // A window made without a frame covers the screen.
    void init() override;
    void init(const CGRect& frame) override;

    UIWindowLevel windowLevel() const { return m_windowLevel; }
    void setWindowLevel(UIWindowLevel level);

    // Shows the window (above the others of its level) and makes it the key window.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    // Sent to the window that becomes key, and to the one that stops being key.
    virtual void becomeKeyWindow() {}
    virtual void resignKeyWindow();

    void setHidden(bool hidden) override;

    // Setting the root controller puts its view in the window, covering the bounds (and
    // following the window's size); the previous root view leaves.
    const objc::Ref<UIViewController>& rootViewController() const { return m_rootViewController; }
    void setRootViewController(const objc::Ref<UIViewController>& controller);

    UIScreen& screen() const;
    UIResponder* nextResponder() const override;  // the shared application

    // Converts between this window's coordinates and the screen's (or another window's when
    // `window` is not null).
    CGPoint convertPointToWindow(const CGPoint& point, const UIWindow* window) const;
    CGPoint convertPointFromWindow(const CGPoint& point, const UIWindow* window) const;

    // Order among the visible windows of one level: later shown is higher.
    std::uint64_t orderingSerialForTesting() const { return m_orderSerial; }

protected:
    UIWindow() = default;

private:
    friend class UIScreen;
    UIWindowLevel m_windowLevel = UIWindowLevelNormal;
    objc::Ref<UIViewController> m_rootViewController;
    std::uint64_t m_orderSerial = 0;
};

}  // namespace ios
