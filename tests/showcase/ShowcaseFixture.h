#pragma once
// The quick panel opened on a booted device, then the Showcase composer driven through touches:
// the picker from the panel's Showcase card, a template by its "Customize" pill, the editor's
// controls by taps and drags.

#include <string>

#include "controls/FlintColorSlider.h"
#include "controls/FlintDragView.h"
#include "drawing/FlintDrawingView.h"
#include "panel/PanelFixture.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UIViewController.h"
#include "showcase/ShowcaseSupport.h"
#include "tests/support/GeometryExpectations.h"

namespace flint::testing {

inline constexpr const char* kBundleFolderForTesting = "/Library/Application Support/Flint.bundle/";

using flint::testing::rectNear;

class ShowcaseTest : public PanelTest {
protected:
    // Lays out every visible window, as the next frame would.
    void layout() { ios::UIScreen::mainScreen()->layoutVisibleWindows(); }
    // Lets every animation and delayed call of the next seconds run.
    void settle(double seconds = 1.0) {
        loop().advanceBy(seconds);
        layout();
    }

    void openPicker() {
        openPanel();
        tapView(*host().showcaseView());
        loop().runUntilIdle();
        layout();
    }
    objc::Ref<ios::UIView> pill(int k) const {
        return objc::cast<ios::UIView>(showcase::getNumbered(host(), "customizeView", k));
    }
    // Pages the gallery to template k without a finger.
    void showTemplatePage(int k) {
        auto scroll = host().showcaseScrollView();
        scroll->setContentOffset(ios::CGPointMake(scroll->bounds().size.width * (k - 1), 0));
        layout();
    }
    // Pages to template k and taps its pill.
    void chooseTemplate(int k) {
        showTemplatePage(k);
        tapView(*pill(k));
        settle();
    }
    // Closes the editor by its "Dismiss" button and opens the picker again from the panel.
    void backToPicker() {
        press(host().showcaseDismissButton());
        settle();
        tapView(*host().showcaseView());
        loop().runUntilIdle();
        layout();
    }
    // Panel, picker, template k, and the editor built and laid out.
    void openEditor(int k = 1) {
        openPicker();
        chooseTemplate(k);
    }
    // Pages the tool card to page `tag` (1 to 6) and opens it.
    void showToolPage(int tag) {
        auto card = host().toolCardView();
        card->setOpened(true, false);
        auto scroll = host().toolScrollView();
        scroll->setContentOffset(ios::CGPointMake(scroll->bounds().size.width * (tag - 1), 0));
        layout();
    }
    // A finger on the control's centre.
    void press(const objc::Ref<ios::UIView>& view) {
        tapView(*view);
        loop().runUntilIdle();
        layout();
    }
    // A finger dragging a slider's thumb to the value; the finger lifts at the end.
    void slideTo(const objc::Ref<ios::UISlider>& slider, float value) {
        ios::CGRect track = slider->trackRectForBounds(slider->bounds());
        ios::CGRect thumb = slider->thumbRectForBounds(slider->bounds(), track, slider->value());
        auto xFor = [&](float v) {
            ios::CGRect t = slider->thumbRectForBounds(slider->bounds(), track, v);
            return t.origin.x + t.size.width / 2;
        };
        const double y = slider->bounds().size.height / 2;
        auto from = ios::convertPointToScreen(*slider, ios::CGPointMake(thumb.origin.x + thumb.size.width / 2, y));
        auto to = ios::convertPointToScreen(*slider, ios::CGPointMake(xFor(value), y));
        ios::drag({from, to}, 0.3);
        loop().runUntilIdle();
        layout();
    }
    // Whether the image is the bundle's file (pixel for pixel on a sparse grid).
    static bool showsBundleImage(const ios::UIImageRef& shown, const std::string& file) {
        auto expected = ios::UIImage::imageWithContentsOfFile(std::string(kBundleFolderForTesting) + file);
        if (!expected || !shown || shown->pixelWidth() != expected->pixelWidth() ||
            shown->pixelHeight() != expected->pixelHeight())
            return false;
        for (int y = 0; y < shown->pixelHeight(); y += 7)
            for (int x = 0; x < shown->pixelWidth(); x += 7)
                if (!(shown->pixelAt(x, y) == expected->pixelAt(x, y))) return false;
        return true;
    }
    ios::CGRect frameInCanvas(const ios::UIView& view) const {
        return view.convertRectToView(view.bounds(), host().showcaseCanvasView().get());
    }
};

}  // namespace flint::testing
