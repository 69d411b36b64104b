#pragma once
// A home-screen process with the library loaded (enableAll on), the bundle images installed, a
// simulated network and the home screen booted; the panel is opened and used through touches.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/bsd/Backend.h"
#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/RunLoop.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UIWindow.h"
#include "sim/device/Device.h"
#include "startup/FlintFixture.h"
#include "startup/FlintHost.h"
#include "startup/UIColor+Container.h"

namespace flint::testing {

class PanelTest : public FlintTest {
protected:
    void SetUp() override {
        FlintTest::SetUp();
        resetThemeColorsForTesting();
        ios::HapticsLog::shared().clear();
    }
    void TearDown() override {
        resetThemeColorsForTesting();
        FlintTest::TearDown();
    }

    // Boots on a device profile and appearance style with the given preferences (enableAll is
    // always on) and network.
    void boot(const std::string& profile = "iphone-x", int style = 2, ios::Dictionary preferences = {},
              bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone()) {
        auto& p = process.process().mutableProfile();
        p = *ios::deviceProfileNamed(profile);
        p.userInterfaceStyle = style;
        m_network = std::make_unique<bsd::ScopedBackend>(std::make_shared<bsd::SimulatedBackend>(std::move(network)));
        sim::installBundle(process.root());
        preferences["enableAll"] = true;
        writePreferences(preferences);
        flintLoadRoutine();
        ios::HomeScreen::shared().boot();
        bar = ios::HomeScreen::shared().statusBar();
        ios::HomeScreen::shared().layoutStatusBar();
        if (!bar->window()) ios::addTouchableRoot(bar, ios::UIWindowLevelStatusBar);
    }

    FlintHost host() const { return FlintHost(*bar); }
    ios::RunLoop& loop() { return process.runLoop(); }

    static ios::CGPoint centreOf(const ios::UIView& view) {
        return ios::convertPointToScreen(view,
                                         ios::CGPointMake(view.bounds().size.width / 2, view.bounds().size.height / 2));
    }
    // A finger on the status bar, then the turn that delivers the now-playing answers.
    void openPanel() {
        ios::tap(centreOf(*bar));
        loop().runUntilIdle();
    }
    // A finger on the view's centre; the run loop is not turned afterwards.
    void tapView(const ios::UIView& view) { ios::tap(centreOf(view)); }

    std::size_t hapticCount(ios::UIImpactFeedbackStyle style = ios::UIImpactFeedbackStyle::Medium) const {
        std::size_t n = 0;
        for (const auto& e : ios::HapticsLog::shared().events()) n += e.style == style;
        return n;
    }
    bool panelVisible() const {
        auto window = host().flintWindow();
        return window && !window->isHidden();
    }

    objc::Ref<ios::_UIStatusBar> bar;

private:
    std::unique_ptr<bsd::ScopedBackend> m_network;
};

}  // namespace flint::testing
