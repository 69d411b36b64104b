#include "sim/sandboxes/SimScreens.h"

#include <iostream>

#include "sim/sandboxes/DrawingSandbox.h"
#include "sim/sandboxes/MarqueeSandbox.h"

namespace {

int runDrawingDemo(const std::string& outDir) { return flint::sim::runDrawingDemo(outDir, std::cout); }

int writeMarqueeFrames(const std::string& outDir) { return flint::sim::writeMarqueeFrames(outDir, 8, 0.5, std::cout); }

const flint::sim::FlintSimScreens kScreens{
    .version = flint::sim::kFlintSimScreensVersion,
    .size = sizeof(flint::sim::FlintSimScreens),
    .runDrawingDemo = runDrawingDemo,
    .drawingCommand = flint::sim::drawingSandboxCommand,
    .writeMarqueeFrames = writeMarqueeFrames,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const flint::sim::FlintSimScreens* FlintSimScreensTable() {
    return &kScreens;
}
