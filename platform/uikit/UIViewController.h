#pragma once
// View controllers: a root view loaded lazily (loadView, then viewDidLoad, on the first call to
// view()), appearance callbacks, children, and modal presentation.
//
// Presentation: presentViewController puts the presented controller's view in the presenting
// controller's window, above everything in it, covering the window's bounds (animated: sliding
// up from the bottom edge over UIViewControllerTransitionDuration). For the full-screen styles
// (full screen, page and form sheet, automatic) the presenting views underneath leave the window
// once the transition ends and come back when the presented controller is dismissed; the "over"
// styles and custom presentations leave them in place. Completions run on the run loop once the
// transition has ended. A controller that is already presenting, or whose view is not in a
// window, presents nothing and logs why.

#include <functional>
#include <string>
#include <vector>

#include "platform/uikit/UIView.h"

namespace ios {

enum class UIModalPresentationStyle {
    FullScreen = 0,
    PageSheet = 1,
    FormSheet = 2,
    CurrentContext = 3,
    Custom = 4,
    OverFullScreen = 5,
    OverCurrentContext = 6,
    Popover = 7,
    None = -1,
    Automatic = -2,
};

inline constexpr double UIViewControllerTransitionDuration = 0.3;  // our choice

class UIViewController : public UIResponder {
    OBJC_CLASS_DECLARE(UIViewController)
public:
    ~UIViewController() override;
    void init() override {}

    // The root view, loaded on first use.
    const objc::Ref<UIView>& view();
    objc::Ref<UIView> viewIfLoaded() const { return m_view; }
    bool isViewLoaded() const { return m_view != nullptr; }
    void setView(const objc::Ref<UIView>& view);
    void loadViewIfNeeded() { view(); }
    // Makes the root view; the default is a plain view covering the screen.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) {}
    virtual void viewDidAppear(bool animated) {}
    virtual void viewWillDisappear(bool animated) {}
    virtual void viewDidDisappear(bool animated) {}
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}
    virtual void traitCollectionDidChange(const UITraitCollection* previous) {}

    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title) { m_title = title; }

    // --- children ---
    void addChildViewController(const objc::Ref<UIViewController>& child);
    void removeFromParentViewController();
    const std::vector<objc::Ref<UIViewController>>& childViewControllers() const { return m_children; }
    UIViewController* parentViewController() const { return m_parent; }

    // --- presentation ---
    UIModalPresentationStyle modalPresentationStyle() const { return m_presentationStyle; }
    void setModalPresentationStyle(UIModalPresentationStyle style) { m_presentationStyle = style; }
    void presentViewController(const objc::Ref<UIViewController>& controller, bool animated,
                               std::function<void()> completion = nullptr);
    // Dismisses the controller this one presented (and any it presented in turn); called on a
    // presented controller that presents nothing, dismisses that controller itself.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = nullptr);
    UIViewController* presentedViewController() const { return m_presented.get(); }
    UIViewController* presentingViewController() const { return m_presenting; }
    bool isBeingPresented() const { return m_transition == Transition::Presenting; }
    bool isBeingDismissed() const { return m_transition == Transition::Dismissing; }

    UIResponder* nextResponder() const override;

protected:
    UIViewController() = default;

private:
    friend class UIView;
    enum class Transition { None, Presenting, Dismissing };
    bool coversPresenter() const;
    void finishDismissal(bool animated, std::function<void()> completion);

    objc::Ref<UIView> m_view;
    std::string m_title;
    UIViewController* m_parent = nullptr;
    std::vector<objc::Ref<UIViewController>> m_children;
    UIModalPresentationStyle m_presentationStyle = UIModalPresentationStyle::FullScreen;
    objc::Ref<UIViewController> m_presented;
    UIViewController* m_presenting = nullptr;
    Transition m_transition = Transition::None;
    // The views the presentation took out of the window, with their superview and index.
    struct Covered {
        objc::Ref<UIView> view;
        objc::WeakRef<objc::Object> superview;
        std::size_t index = 0;
    };
    std::vector<Covered> m_covered;
};

}  // namespace ios
