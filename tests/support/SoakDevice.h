#pragma once
// A booted home screen with the library loaded (the panel's wave on) and the soak's three
// phases, each driven through touches and time as a person would: the quick panel opened and
// dismissed; the Showcase editor launched, used and dismissed; pen strokes with undo and redo in
// the drawing sandbox. Shared by the leak test (a few dozen repetitions) and the soak benchmark
// (thousands). A step that cannot be done (a view not where a finger would find it) is a failure
// with its reason, never skipped.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/bsd/Backend.h"
#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIImage.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "controls/FlintColorSlider.h"
#include "controls/FlintDragView.h"
#include "drawing/FlintDrawingView.h"
#include "showcase/ShowcaseSupport.h"
#include "sim/device/Device.h"
#include "sim/sandboxes/DrawingSandbox.h"
#include "startup/FlintHost.h"
#include "startup/FlintPreferences.h"
#include "startup/UIColor+Container.h"
#include "startup/entry/LoadRoutine.h"

namespace flint::soak {

// Resident memory of this process in KiB (VmRSS), 0 when unknown.
inline long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

class SoakDevice {
public:
    SoakDevice()
        : m_process([] {
              ios::Process::Options o;
              o.executablePath = "/System/Library/CoreServices/SpringBoard.app/SpringBoard";
              return o;
          }()),
          m_network(std::make_shared<bsd::SimulatedBackend>(bsd::DeviceNetwork::typicalPhone())) {
        flint::resetFlintForTesting();
        flint::resetThemeColorsForTesting();
        sim::installBundle(m_process.root());
        // A countdown of one second, so the tenth opening's countdown ends within its repetition.
        ios::writeDictionaryToFile({{"enableAll", true}, {"enableWave", true}, {"screenshotTimerString", "1"}},
                                   flint::kSlotFilePath);
        flint::flintLoadRoutine();
        ios::HomeScreen::shared().boot();
        m_bar = ios::HomeScreen::shared().statusBar();
        ios::HomeScreen::shared().layoutStatusBar();
        if (!m_bar->window()) ios::addTouchableRoot(m_bar, ios::UIWindowLevelStatusBar);
        // One photo to pick in the editor.
        std::string error;
        auto photo = ios::UIImage::imageWithSize(ios::CGSizeMake(40, 60), 1, [](ios::CGContext& c) {
            c.setFillColor(0.9, 0.3, 0.1, 1);
            c.fillRect(ios::CGRectMake(0, 0, 40, 60));
        });
        ios::UIPhotoLibrary::shared().saveImage(photo, error);
        loop().runUntilIdle();
    }
    ~SoakDevice() { flint::resetFlintForTesting(); }
    SoakDevice(const SoakDevice&) = delete;
    SoakDevice& operator=(const SoakDevice&) = delete;

    ios::RunLoop& loop() { return m_process.runLoop(); }
    FlintHost host() const { return FlintHost(*m_bar); }
    const std::string& failure() const { return m_failure; }

    // Opens the panel by the status bar, lets the wave run, on every tenth opening starts the
    // screenshot countdown, and dismisses the panel by its lower dismiss area. `n` counts from 0.
    bool panelRepetition(int n) {
        if (!tapView(m_bar, "status bar")) return false;
        loop().runUntilIdle();
        if (!panelVisible()) return fail("the panel did not open");
        loop().advanceBy(0.5);  // the wave moves
        const bool countdown = n % 10 == 9;
        if (countdown && !tapView(host().screenshotButton(), "screenshot button")) return false;
        if (!tapView(host().bottomDismissView(), "dismiss area")) return false;
        loop().advanceBy(countdown ? 2.0 : 1.0);  // the closing animation, and the countdown's end
        if (panelVisible()) return fail("the panel did not close");
        return true;
    }

    // Opens the panel and the Showcase picker, chooses the first template, opens the tool card by
    // its handle, picks the newest photo for the screenshot, moves the drawing colour, draws one stroke
    // and undoes it, then dismisses the editor and the panel.
    bool showcaseRepetition(int n) {
        if (!tapView(m_bar, "status bar")) return false;
        loop().runUntilIdle();
        if (!tapView(host().showcaseView(), "Showcase card")) return false;
        settle();
        if (!tapView(objc::cast<ios::UIView>(showcase::getNumbered(host(), "customizeView", 1)), "Customize pill"))
            return false;
        settle();
        auto card = host().toolCardView();
        if (!card) return fail("the editor has no tool card");
        const double visibleTop = card->frame().origin.y;
        const double screenHeight = ios::UIScreen::mainScreen()->bounds().size.height;
        ios::tap(ios::CGPointMake(card->center().x, (visibleTop + screenHeight) / 2));
        settle();
        if (!card->opened()) return fail("the tool card's handle did not open it");

        showToolPage(1);
        if (!tapView(host().screenshotImageButton(), "screenshot image button")) return false;
        settle();
        auto* presented = host().showcaseController()->presentedViewController();
        auto picker = presented ? objc::cast<ios::UIImagePickerController>(presented->self()) : nullptr;
        if (!picker) return fail("no photo picker came up");
        // The picker opens on the newest photos (the countdowns' screenshots among them).
        const std::size_t photos = ios::UIPhotoLibrary::shared().photoCount();
        auto* cell = photos ? picker->cellForPhotoAtIndex(photos - 1) : nullptr;
        if (!cell) return fail("the picker shows no cell for the newest photo");
        ios::tap(centreOf(*cell));
        settle();
        if (host().showcaseController()->presentedViewController()) return fail("the picker stayed up");

        showToolPage(3);
        auto slider = host().drawingColorSlider();
        if (!slider) return fail("the editor has no colour slider");
        slideTo(slider, n % 2 ? 0.3f : 0.7f);

        card->setOpened(false, false);
        layout();
        auto canvas = host().showcaseCanvasView();
        auto drawing = host().drawingView();
        const std::size_t strokes = drawing->pathArray().size();
        ios::drag({ios::convertPointToScreen(*canvas, ios::CGPointMake(20, 40)),
                   ios::convertPointToScreen(*canvas, ios::CGPointMake(300, 60))},
                  0.3);
        loop().runUntilIdle();
        if (drawing->pathArray().size() != strokes + 1) return fail("the stroke was not drawn");
        card->setOpened(true, false);
        layout();
        if (!tapView(host().drawingUndoButton(), "undo button")) return false;
        settle(0.1);
        if (drawing->pathArray().size() != strokes) return fail("undo did not take the stroke away");

        if (!tapView(host().showcaseDismissButton(), "Dismiss button")) return false;
        settle();
        if (!host().showcaseWindow()->isHidden()) return fail("the editor did not close");
        if (!tapView(host().bottomDismissView(), "dismiss area")) return false;
        loop().advanceBy(1.0);
        if (panelVisible()) return fail("the panel did not close");
        return true;
    }

    // The drawing sandbox, shown for one phase.
    void openSandbox() {
        m_sandbox = std::make_unique<sim::DrawingSandbox>(sim::makeDrawingSandbox());
        layout();
    }
    void closeSandbox() {
        if (!m_sandbox) return;
        m_sandbox->window->setHidden(true);
        m_sandbox.reset();
        loop().runUntilIdle();
    }
    // One pen stroke (a different path each time), undone and redone.
    bool sandboxRepetition(int n) {
        if (!m_sandbox) return fail("the sandbox is not open");
        auto& canvas = *m_sandbox->canvas;
        canvas.setDrawTool(FlintDrawingToolTypePen);
        const ios::CGRect frame = canvas.frame();
        const double y = frame.origin.y + 20 + (n * 37) % static_cast<int>(frame.size.height - 40);
        const double x = frame.origin.x + 20 + (n * 53) % static_cast<int>(frame.size.width / 2);
        const std::size_t strokes = canvas.pathArray().size();
        ios::drag({{x, y}, {x + 60, y + 15}, {x + 120, y - 10}}, 0.2);
        loop().runUntilIdle();
        if (canvas.pathArray().size() != strokes + 1) return fail("the pen stroke was not drawn");
        canvas.undoLatestStep();
        canvas.redoLatestStep();
        if (canvas.pathArray().size() != strokes + 1) return fail("undo and redo lost the stroke");
        return true;
    }

private:
    bool fail(std::string why) {
        m_failure = std::move(why);
        return false;
    }
    void layout() { ios::UIScreen::mainScreen()->layoutVisibleWindows(); }
    void settle(double seconds = 1.0) {
        loop().advanceBy(seconds);
        layout();
    }
    static ios::CGPoint centreOf(const ios::UIView& view) {
        return ios::convertPointToScreen(view,
                                         ios::CGPointMake(view.bounds().size.width / 2, view.bounds().size.height / 2));
    }
    template <class V>
    bool tapView(const objc::Ref<V>& view, const char* what) {
        if (!view) return fail(std::string("there is no ") + what);
        ios::tap(centreOf(*view));
        loop().runUntilIdle();
        layout();
        return true;
    }
    bool panelVisible() const {
        auto window = host().flintWindow();
        return window && !window->isHidden();
    }
    // Pages the tool card to page `page` (1 to 6), as its paging scroll view comes to rest there.
    void showToolPage(int page) {
        auto scroll = host().toolScrollView();
        scroll->setContentOffset(ios::CGPointMake(scroll->bounds().size.width * (page - 1), 0));
        layout();
    }
    // A finger dragging the slider's thumb to `value`.
    void slideTo(const objc::Ref<ios::UISlider>& slider, float value) {
        ios::CGRect track = slider->trackRectForBounds(slider->bounds());
        auto xFor = [&](float v) {
            ios::CGRect t = slider->thumbRectForBounds(slider->bounds(), track, v);
            return t.origin.x + t.size.width / 2;
        };
        const double y = slider->bounds().size.height / 2;
        ios::drag({ios::convertPointToScreen(*slider, ios::CGPointMake(xFor(slider->value()), y)),
                   ios::convertPointToScreen(*slider, ios::CGPointMake(xFor(value), y))},
                  0.3);
        loop().runUntilIdle();
        layout();
    }

    ios::testing::TestProcess m_process;
    bsd::ScopedBackend m_network;
    objc::Ref<ios::_UIStatusBar> m_bar;
    std::unique_ptr<sim::DrawingSandbox> m_sandbox;
    std::string m_failure;
};

}  // namespace flint::soak
