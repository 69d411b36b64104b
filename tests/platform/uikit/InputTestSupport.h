#pragma once
// A process with one visible full-screen window, and a target that counts the actions it gets.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/TestProcess.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIWindow.h"

namespace ios::testing {

class ActionCounter : public objc::Object {
    OBJC_CLASS_DECLARE(ActionCounter)
public:
    int count = 0;
    std::vector<objc::id> senders;
    std::vector<UIGestureRecognizerState> states;  // of recogniser senders

protected:
    ActionCounter() = default;
};

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = objc::make<UIWindow>();
        window->setHidden(false);
        counter = objc::make<ActionCounter>();
    }
    objc::Ref<UIView> addView(const CGRect& frame, UIView* parent = nullptr) {
        auto view = objc::make<UIView>(frame);
        (parent ? parent : window.get())->addSubview(view);
        return view;
    }
    RunLoop& runLoop() { return process.runLoop(); }

    TestProcess process;
    objc::Ref<UIWindow> window;
    objc::Ref<ActionCounter> counter;
    const objc::SEL fire = objc::sel("fire:");
};

}  // namespace ios::testing
