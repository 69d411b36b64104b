#include "platform/uikit/UIViewController.h"

#include <algorithm>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

OBJC_CLASS_DEFINE(UIViewController, UIResponder)

namespace {

std::string describe(const objc::Object* object) {
    if (!object) return "(null)";
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(object));
    return "<" + object->objcClass().name() + ": " + address + ">";
}

void postCompletion(std::function<void()> completion) {
    if (!completion) return;
    if (Process* p = Process::current())
        p->runLoop().post(std::move(completion));
    else
        completion();
}

}  // namespace

UIViewController::~UIViewController() {
    if (m_view && m_view->m_viewController == this) m_view->m_viewController = nullptr;
    for (auto& child : m_children) child->m_parent = nullptr;
    if (m_presented && m_presented->m_presenting == this) m_presented->m_presenting = nullptr;
}

const objc::Ref<UIView>& UIViewController::view() {
    if (!m_view) {
        auto keep = shared_from_this();
        loadView();
        if (!m_view) {
            NSLogLine("UIViewController: " + describe(this) + " made no view in loadView; using a plain one");
            setView(objc::make<UIView>(UIScreen::mainScreen()->bounds()));
        }
        viewDidLoad();
    }
    return m_view;
}

void UIViewController::setView(const objc::Ref<UIView>& view) {
    if (view == m_view) return;
    if (m_view && m_view->m_viewController == this) m_view->m_viewController = nullptr;
    m_view = view;
    if (m_view) m_view->m_viewController = this;
}

void UIViewController::loadView() { setView(objc::make<UIView>(UIScreen::mainScreen()->bounds())); }

UIResponder* UIViewController::nextResponder() const {
    if (m_view && m_view->superview()) return m_view->superview();
    if (m_presenting) return m_presenting;
    return m_parent;
}

// --- children ---------------------------------------------------------------------------------

void UIViewController::addChildViewController(const objc::Ref<UIViewController>& child) {
    if (!child || child.get() == this || child->m_parent == this) return;
    auto keep = child;
    child->removeFromParentViewController();
    m_children.push_back(child);
    child->m_parent = this;
}

void UIViewController::removeFromParentViewController() {
    if (!m_parent) return;
    auto keep = shared_from_this();
    std::erase_if(m_parent->m_children, [&](auto& c) { return c.get() == this; });
    m_parent = nullptr;
}

// --- presentation -----------------------------------------------------------------------------

bool UIViewController::coversPresenter() const {
    switch (m_presentationStyle) {
    case UIModalPresentationStyle::FullScreen:
    case UIModalPresentationStyle::PageSheet:
    case UIModalPresentationStyle::FormSheet:
    case UIModalPresentationStyle::CurrentContext:
    case UIModalPresentationStyle::Automatic: return true;
    default: return false;
    }
}

void UIViewController::presentViewController(const objc::Ref<UIViewController>& controller, bool animated,
                                             std::function<void()> completion) {
    if (!controller) return;
    if (m_presented) {
        NSLogLine("Warning: Attempt to present " + describe(controller.get()) + " on " + describe(this) +
                  " which is already presenting " + describe(m_presented.get()));
        return;
    }
    if (controller->m_presenting || controller.get() == this) {
        NSLogLine("Warning: Attempt to present " + describe(controller.get()) + " which is already presented");
        return;
    }
    UIWindow* window = m_view ? m_view->window() : nullptr;
    if (!window) {
        NSLogLine("Warning: Attempt to present " + describe(controller.get()) + " on " + describe(this) +
                  " whose view is not in the window hierarchy!");
        return;
    }
    auto self = std::static_pointer_cast<UIViewController>(shared_from_this());
    auto windowRef = std::static_pointer_cast<UIView>(window->shared_from_this());
    m_presented = controller;
    controller->m_presenting = this;
    controller->m_transition = Transition::Presenting;

    const auto& presentedView = controller->view();
    CGRect target = window->bounds();
    UIView::performWithoutAnimation([&] {
        presentedView->setFrame(target);
        presentedView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        if (animated)
            presentedView->setCenter(CGPointMake(CGRectGetMidX(target), CGRectGetMidY(target) + target.size.height));
    });
    bool covers = controller->coversPresenter();
    controller->viewWillAppear(animated);
    if (covers) viewWillDisappear(animated);
    window->addSubview(presentedView);
    presentedView->layoutIfNeeded();

    auto finish = [self, controller, windowRef, covers, animated](std::function<void()> done) {
        controller->m_transition = Transition::None;
        if (covers && controller->m_presenting == self.get()) {
            // The views beneath the full-screen presentation leave the window until dismissal.
            const auto& shownView = controller->m_view;
            auto siblings = windowRef->subviews();
            for (std::size_t i = 0; i < siblings.size(); ++i) {
                if (siblings[i] == shownView) break;
                controller->m_covered.push_back({siblings[i], windowRef, i});
            }
            for (auto it = controller->m_covered.rbegin(); it != controller->m_covered.rend(); ++it)
                it->view->removeFromSuperview();
        }
        controller->viewDidAppear(animated);
        if (covers) self->viewDidDisappear(animated);
        if (done) done();
    };
    if (animated) {
        UIView* v = presentedView.get();
        UIView::animateWithDuration(
            UIViewControllerTransitionDuration, 0, UIViewAnimationOptionCurveEaseInOut,
            [v, target] { v->setCenter(CGPointMake(CGRectGetMidX(target), CGRectGetMidY(target))); },
            [finish, completion = std::move(completion)](bool) { finish(completion); });
    } else {
        finish(nullptr);
        postCompletion(std::move(completion));
    }
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion) {
    if (!m_presented) {
        if (m_presenting) return m_presenting->dismissViewControllerAnimated(animated, std::move(completion));
        postCompletion(std::move(completion));
        return;
    }
    auto self = std::static_pointer_cast<UIViewController>(shared_from_this());
    auto presented = m_presented;
    if (presented->m_transition == Transition::Dismissing) return;
    // Whatever the presented controller presents in turn goes first, at once.
    if (presented->m_presented) presented->dismissViewControllerAnimated(false, nullptr);
    finishDismissal(animated, std::move(completion));
}

void UIViewController::finishDismissal(bool animated, std::function<void()> completion) {
    auto self = std::static_pointer_cast<UIViewController>(shared_from_this());
    auto presented = m_presented;
    if (!presented) return;
    presented->m_transition = Transition::Dismissing;
    bool covers = presented->coversPresenter();
    // The covered views come back beneath the presented one before it leaves.
    for (auto& covered : presented->m_covered) {
        auto superview = objc::cast<UIView>(covered.superview.lock());
        if (!superview || covered.view->superview()) continue;
        superview->insertSubview(covered.view, covered.index);
    }
    presented->m_covered.clear();
    presented->viewWillDisappear(animated);
    if (covers) viewWillAppear(animated);

    auto finish = [self, presented, covers, animated](std::function<void()> done) {
        if (presented->m_view) presented->m_view->removeFromSuperview();
        presented->m_transition = Transition::None;
        if (presented->m_presenting == self.get()) presented->m_presenting = nullptr;
        if (self->m_presented == presented) self->m_presented = nullptr;
        presented->viewDidDisappear(animated);
        if (covers) self->viewDidAppear(animated);
        if (done) done();
    };
    UIView* v = presented->m_view.get();
    if (animated && v && v->window()) {
        CGRect b = v->window()->bounds();
        UIView::animateWithDuration(
            UIViewControllerTransitionDuration, 0, UIViewAnimationOptionCurveEaseInOut,
            [v, b] { v->setCenter(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b) + b.size.height)); },
            [finish, completion = std::move(completion)](bool) { finish(completion); });
    } else {
        finish(nullptr);
        postCompletion(std::move(completion));
    }
}

}  // namespace ios
