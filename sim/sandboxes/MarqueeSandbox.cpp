#include "sim/sandboxes/MarqueeSandbox.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "Extension/MarqueeLabel.h"
#include "platform/foundation/Process.h"
#include "sim/device/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;

namespace flint::sim {

namespace {

constexpr const char* kTypeNames[] = {"MLLeftRight",         "MLRightLeft", "MLContinuous",
                                      "MLContinuousReverse", "MLLeft",      "MLRight"};
constexpr double kRowTop = 110;
constexpr double kRowPitch = 100;
constexpr double kSide = 24;
constexpr double kLabelHeight = 36;

class SandboxController : public UIViewController {
public:
    void loadView() override {
        const CGRect screen = UIScreen::mainScreen()->bounds();
        auto root = objc::make<UIView>(screen);
        root->setBackgroundColor(UIColor::colorWithRed(0.95, 0.95, 0.97, 1));
        setView(root);

        auto title = objc::make<UILabel>(CGRect{{kSide, 50}, {screen.size.width - 2 * kSide, 40}});
        title->setText("Marquee sandbox");
        title->setFont(UIFont::boldSystemFontOfSize(24));
        root->addSubview(title);

        const double width = screen.size.width - 2 * kSide;
        for (unsigned type = 0; type < 6; ++type) {
            const double top = kRowTop + type * kRowPitch;
            auto caption = objc::make<UILabel>(CGRect{{kSide, top}, {width, 22}});
            caption->setText(std::string(kTypeNames[type]) + "  ·  fade 24, buffers 12 / 30");
            caption->setFont(UIFont::systemFontOfSize(13));
            caption->setTextColor(UIColor::colorWithRed(0.35, 0.35, 0.4, 1));
            root->addSubview(caption);

            // Leg of 3 s after a 1 s wait, so that a few frames a second show each phase.
            auto label = objc::make<MarqueeLabel>(CGRect{{kSide, top + 26}, {width, kLabelHeight}}, 3.0, 24.0);
            label->setTag(static_cast<int>(type) + 1);
            label->setMarqueeType(type);
            label->setLeadingBuffer(12);
            label->setTrailingBuffer(30);
            label->setBackgroundColor(UIColor::colorWithRed(1, 1, 1, 1));
            label->setTextColor(UIColor::colorWithRed(0.1 + 0.12 * type, 0.2, 0.55 - 0.06 * type, 1));
            label->setFont(UIFont::systemFontOfSize(20));
            label->setText("Scroll type " + std::to_string(type) + ": " + kTypeNames[type] +
                           " — the quick brown fox jumps over the lazy dog");
            root->addSubview(label);
        }
    }
};

}  // namespace

objc::Ref<UIViewController> makeMarqueeSandboxController() { return objc::make<SandboxController>(); }

int writeMarqueeFrames(const std::string& outDir, int frames, double interval, std::ostream& out) {
    if (frames <= 0 || !(interval >= 0) || !std::isfinite(interval)) {
        out << "marquee: need a positive frame count and a non-negative interval\n";
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        out << "marquee: cannot create " << outDir << ": " << ec.message() << "\n";
        return 1;
    }

    ScratchProcess scratch("flint-marquee");
    if (!scratch.ok()) return 1;

    int status = 0;
    {
        RunLoop& loop = Process::shared().runLoop();
        auto window = objc::make<UIWindow>();
        window->setWindowLevel(UIWindowLevelStatusBar + 10);
        window->setRootViewController(makeMarqueeSandboxController());
        window->makeKeyAndVisible();
        // The first layout passes place the labels and start their scrolls.
        loop.runUntilIdle();
        const double start = loop.now();
        for (int frame = 0; frame < frames; ++frame) {
            loop.advanceTo(start + frame * interval);
            char name[32];
            std::snprintf(name, sizeof name, "marquee-%03d.png", frame);
            const std::filesystem::path path = std::filesystem::path(outDir) / name;
            if (!UIScreen::mainScreen()->writeSnapshotPNG(path)) {
                out << "marquee: cannot write " << path.string() << "\n";
                status = 1;
                break;
            }
            out << path.string() << "  t=" << (loop.now() - start) << " s\n";
        }
        window->setHidden(true);
    }

    return status;
}

}  // namespace flint::sim
