#include "sim/sandboxes/DrawingSandbox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "drawing/FlintDrawingLabelView.h"
#include "platform/foundation/Process.h"
#include "sim/device/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIScreen.h"

using namespace ios;

namespace flint::sim {

namespace {

// A canvas point in screen points (the window fills the screen).
CGPoint onCanvas(const DrawingSandbox& box, double x, double y) {
    CGPoint origin = box.canvas->frame().origin;
    return {origin.x + x, origin.y + y};
}

void drawWith(DrawingSandbox& box, std::int32_t tool, std::vector<CGPoint> path) {
    box.canvas->setDrawTool(tool);
    for (auto& p : path) p = onCanvas(box, p.x, p.y);
    drag(path, 0.3);
}

bool snapshot(const std::filesystem::path& path, std::ostream& out) {
    if (!UIScreen::mainScreen()->writeSnapshotPNG(path)) {
        out << "drawing: cannot write " << path.string() << "\n";
        return false;
    }
    out << path.string() << "\n";
    return true;
}

}  // namespace

DrawingSandbox makeDrawingSandbox() {
    const CGRect screen = UIScreen::mainScreen()->bounds();
    const double w = screen.size.width, h = screen.size.height;
    DrawingSandbox box;
    box.window = objc::make<UIWindow>();
    box.window->setWindowLevel(UIWindowLevelStatusBar + 10);

    box.background = objc::make<UIView>(screen);
    box.background->setBackgroundColor(UIColor::colorWithRed(0.96, 0.95, 0.92, 1));
    box.window->addSubview(box.background);

    box.canvas =
        objc::make<FlintDrawingView>(CGRect{{0, kSandboxCanvasTop}, {w, h - kSandboxCanvasTop - kSandboxBottomArea}});
    box.canvas->setClipsToBounds(true);
    box.canvas->setEdgeSnapThreshold(20);
    box.background->addSubview(box.canvas);

    box.slider = objc::make<FlintColorSlider>(CGRect{{24, h - kSandboxBottomArea + 20}, {w - 48, 31}});
    box.background->addSubview(box.slider);

    const double dragHeight = 200;
    box.dragView = objc::make<FlintDragView>(CGRect{{0, h - 90}, {w, dragHeight}});
    box.dragView->setBackgroundColor(UIColor::colorWithRed(1, 1, 1, 1));
    box.dragView->setClosedCenter({w / 2, h - 90 + dragHeight / 2});
    box.dragView->setOpenedCenter({w / 2, h - dragHeight / 2});
    box.background->addSubview(box.dragView);

    box.window->makeKeyAndVisible();
    return box;
}

int runDrawingDemo(const std::string& outDir, std::ostream& out) {
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        out << "drawing: cannot create " << outDir << ": " << ec.message() << "\n";
        return 1;
    }
    // Run on its own, the demo boots a device as a scenario's `boot` does, so the bundle images
    // (the slider's track, the text boxes' handles) are where the screens look for them.
    std::unique_ptr<Device> device;
    if (!Process::current()) {
        try {
            device = std::make_unique<Device>(BootOptions{});
        } catch (const std::exception& e) {
            out << "drawing: cannot boot a device: " << e.what() << "\n";
            return 1;
        }
    }

    int status = 0;
    {
        RunLoop& loop = Process::shared().runLoop();
        DrawingSandbox box = makeDrawingSandbox();
        loop.runUntilIdle();
        FlintDrawingView& canvas = *box.canvas;

        // Pick a colour on the slider with the finger, from the thumb to a third of the track.
        CGRect thumb = box.slider->currentThumbRect();
        CGPoint from = box.slider->convertPointToView(
            {thumb.origin.x + thumb.size.width / 2, thumb.origin.y + thumb.size.height / 2}, nullptr);
        CGPoint to = box.slider->convertPointToView(
            {box.slider->bounds().size.width / 3, thumb.origin.y + thumb.size.height / 2}, nullptr);
        drag({from, to}, 0.3);
        loop.advanceBy(0.5);
        if (UIColorRef color = box.slider->color()) canvas.setLineColor(color);

        canvas.setLineWidth(8);
        drawWith(box, FlintDrawingToolTypePen, {{40, 60}, {90, 30}, {140, 80}, {190, 40}, {240, 90}});
        canvas.setLineColor(UIColor::colorWithRed(0.1, 0.3, 0.8, 1));
        drawWith(box, FlintDrawingToolTypeRectangleStroke, {{40, 140}, {100, 160}, {160, 230}});
        canvas.setLineColor(UIColor::colorWithRed(0.1, 0.65, 0.3, 1));
        drawWith(box, FlintDrawingToolTypeEllipseFill, {{200, 140}, {260, 200}, {320, 230}});
        canvas.setLineColor(UIColor::colorWithRed(0.85, 0.4, 0.05, 1));
        canvas.setLineWidth(6);
        drawWith(box, FlintDrawingToolTypeArrow, {{60, 320}, {150, 330}, {260, 340}});
        canvas.setLineColor(UIColor::colorWithRed(0.15, 0.15, 0.15, 1));
        canvas.setDrawTool(FlintDrawingToolTypeDraggableText);
        tap(onCanvas(box, 120, 400));
        typeText("Flint");
        tap(onCanvas(box, 300, 500));  // ends the editing
        loop.advanceBy(0.5);
        canvas.prepareForSnapshot();

        const std::filesystem::path dir(outDir);
        if (!snapshot(dir / "drawing-1.png", out)) status = 1;
        canvas.undoLatestStep();  // the text box
        canvas.undoLatestStep();  // the arrow
        loop.advanceBy(0.5);
        if (status == 0 && !snapshot(dir / "drawing-2.png", out)) status = 1;
        canvas.redoLatestStep();
        canvas.redoLatestStep();
        loop.advanceBy(0.5);
        canvas.prepareForSnapshot();
        if (status == 0 && !snapshot(dir / "drawing-3.png", out)) status = 1;
        // A tap on the text box selects it: its handles and dashed border show.
        for (const auto& view : canvas.subviews())
            if (auto* label = dynamic_cast<FlintDrawingLabelView*>(view.get()))
                tap(canvas.convertPointToView(label->center(), nullptr));
        loop.advanceBy(0.5);
        if (status == 0 && !snapshot(dir / "drawing-4.png", out)) status = 1;
        out << "drawing: " << canvas.pathArray().size() << " tools, " << canvas.undoStates().size() << " undo states\n";
        box.window->setHidden(true);
    }

    return status;
}

}  // namespace flint::sim

namespace {

struct ScenarioSandbox {
    flint::sim::DrawingSandbox sandbox;
};

}  // namespace

bool flint::sim::drawingSandboxCommand(const std::string& command, std::string& reply) {
    auto answer = [&reply](const std::string& text, bool ok) {
        reply = text;
        return ok;
    };
    static const std::map<std::string, std::int32_t> tools = {
        {"pen", FlintDrawingToolTypePen},
        {"line", FlintDrawingToolTypeLine},
        {"arrow", FlintDrawingToolTypeArrow},
        {"rectangle", FlintDrawingToolTypeRectangleStroke},
        {"filled-rectangle", FlintDrawingToolTypeRectangleFill},
        {"ellipse", FlintDrawingToolTypeEllipseStroke},
        {"filled-ellipse", FlintDrawingToolTypeEllipseFill},
        {"eraser", FlintDrawingToolTypeEraser},
        {"text", FlintDrawingToolTypeDraggableText},
    };
    if (!ios::Process::current()) return answer("no device is booted", false);
    std::istringstream in(command);
    std::string verb, argument;
    in >> verb >> argument;
    auto& held = ios::Process::shared().attached<ScenarioSandbox>();
    if (verb == "open") {
        held.sandbox = flint::sim::makeDrawingSandbox();
        return answer("", true);
    }
    auto canvas = held.sandbox.canvas;
    if (!canvas) return answer("the drawing sandbox is not open (sandbox drawing)", false);
    if (verb == "tool") {
        auto it = tools.find(argument);
        if (it == tools.end()) return answer("unknown tool \"" + argument + "\"", false);
        canvas->setDrawTool(it->second);
    } else if (verb == "undo") {
        canvas->undoLatestStep();
    } else if (verb == "redo") {
        canvas->redoLatestStep();
    } else if (verb == "clear") {
        canvas->clear();
    } else if (verb == "steps") {
        return answer(std::to_string(canvas->undoStates().size()), true);
    } else if (verb == "boxes" || verb == "box") {
        std::vector<FlintDrawingLabelView*> boxes;
        for (const auto& view : canvas->subviews())
            if (auto* box = dynamic_cast<FlintDrawingLabelView*>(view.get())) boxes.push_back(box);
        if (verb == "boxes") return answer(std::to_string(boxes.size()), true);
        if (boxes.empty()) return answer("none", true);
        const FlintDrawingLabelView& front = *boxes.back();
        CGPoint centre = canvas->convertPointToView(front.center(), nullptr);
        char text[160];
        std::snprintf(text, sizeof text, "%.3f %.3f %.3f %.3f %.3f", centre.x, centre.y, front.bounds().size.width,
                      front.bounds().size.height, front.fontSize());
        return answer(text, true);
    } else {
        return answer("unknown drawing command \"" + verb + "\"", false);
    }
    return answer("", true);
}
