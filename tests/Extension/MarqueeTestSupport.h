#pragma once
// A simulated process with a visible window whose root controller's view holds the marquee labels
// under test, and a recorder for marquee assertion failures.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "Extension/MarqueeAssertion.h"
#include "Extension/MarqueeLabel.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

namespace marquee_testing {

inline const std::string kLongText = "The quick brown fox jumps over the lazy dog";

class MarqueeTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;
    objc::Ref<ios::UIWindow> window = objc::make<ios::UIWindow>();
    objc::Ref<ios::UIViewController> controller = objc::make<ios::UIViewController>();
    std::vector<std::pair<std::string, std::string>> assertions;

    void SetUp() override {
        window->setRootViewController(controller);
        window->makeKeyAndVisible();
        setMarqueeAssertionHandler(
            [this](const std::string& file, const std::string& text) { assertions.emplace_back(file, text); });
        settle();
    }
    void TearDown() override { setMarqueeAssertionHandler(nullptr); }

    ios::RunLoop& loop() { return process.runLoop(); }
    // Lets the layout passes run; a label that keeps asking for layout (a relayout loop) fails.
    void settle() {
        int tasks = loop().runUntilIdle();
        if (tasks > 50) ADD_FAILURE() << "the run loop did not settle: " << tasks << " tasks";
    }
    const std::vector<std::string>& log() { return process.process().log().lines(); }

    // A label in the controller's view, laid out; the clock still reads the same time.
    MarqueeLabelRef addLabel(double width, unsigned type, const std::string& text = kLongText,
                             double scrollDuration = 2.0, double fade = 0) {
        auto label = objc::make<MarqueeLabel>(ios::CGRect{{10, 100}, {width, 30}}, scrollDuration, fade);
        label->setMarqueeType(type);
        label->setText(text);
        controller->view()->addSubview(label);
        settle();
        return label;
    }

    // The measured (whole-point) width of the text in the default label font.
    static double textWidth(const std::string& text = kLongText) {
        auto probe = objc::make<ios::UILabel>(ios::CGRect{});
        probe->setText(text);
        return probe->sizeThatFits({0, 0}).width;
    }

    static double presentedX(const MarqueeLabel& label) {
        return label.subLabel()->layer()->presentationLayer()->position().x;
    }
};

}  // namespace marquee_testing
