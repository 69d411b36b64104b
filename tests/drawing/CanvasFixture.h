#pragma once
// A home-screen process with the bundle images installed and a full-screen window holding a
// drawing canvas, driven through touches.

#include <gtest/gtest.h>

#include "drawing/FlintDrawingView.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIWindow.h"
#include "sim/device/Device.h"

namespace flint::testing {

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::installBundle(process.root());
        window = objc::make<ios::UIWindow>();
        window->setHidden(false);
        canvas = makeCanvas(ios::CGRectMake(0, 0, 375, 812));
    }
    objc::Ref<FlintDrawingView> makeCanvas(const ios::CGRect& frame) {
        auto view = objc::make<FlintDrawingView>(frame);
        view->setClipsToBounds(true);
        window->addSubview(view);
        return view;
    }
    void stroke(std::vector<ios::CGPoint> path, double duration = 0.2) { ios::drag(path, duration); }
    ios::RunLoop& loop() { return process.runLoop(); }

    ios::testing::TestProcess process;
    objc::Ref<ios::UIWindow> window;
    objc::Ref<FlintDrawingView> canvas;
};

// Every pixel equal (for comparing two renderings that must be identical).
inline bool samePixels(const ios::UIImage& a, const ios::UIImage& b) {
    if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight()) return false;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x)
            if (!(a.pixelAt(x, y) == b.pixelAt(x, y))) return false;
    return true;
}

// Renders a tool on its own into a transparent bitmap at scale 1.
inline objc::Ref<ios::UIImage> renderTool(FlintDrawingTool& tool, ios::CGSize size = {300, 300}) {
    ios::UIGraphicsBeginImageContextWithOptions(size, false, 1);
    tool.draw();
    auto image = ios::UIGraphicsGetImageFromCurrentImageContext();
    ios::UIGraphicsEndImageContext();
    return image;
}

}  // namespace flint::testing
