// The simulator's marquee sandbox: six labels, one per type, whose frames show the text moving.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "Extension/MarqueeLabel.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/UIImage.h"
#include "sim/sandboxes/MarqueeSandbox.h"

using namespace ios;

TEST(MarqueeSandboxTest, FramesShowEveryTypeMoving) {
    ios::testing::TestProcess process;
    const auto dir = process.root() / "frames";
    std::ostringstream out;
    ASSERT_EQ(flint::sim::writeMarqueeFrames(dir.string(), 3, 2.5, out), 0) << out.str();
    std::vector<objc::Ref<UIImage>> frames;
    for (const char* name : {"marquee-000.png", "marquee-001.png", "marquee-002.png"}) {
        auto image = UIImage::imageWithContentsOfHostFile(dir / name, 1);
        ASSERT_TRUE(image) << name;
        frames.push_back(image);
    }
    // Along each label's row, the picture at 2.5 s (mid-leg) differs from the one at rest.
    const double k = frames[0]->size().width / 375;  // pixels per point of the written frames
    for (int type = 0; type < 6; ++type) {
        const double y = 110 + type * 100 + 26 + 18;
        int changed = 0;
        for (double x = 30; x < 345; x += 1) {
            auto a = frames[0]->pixelAtPoint({x * k, y * k}), b = frames[1]->pixelAtPoint({x * k, y * k});
            if (std::abs(int(a.r) - int(b.r)) + std::abs(int(a.g) - int(b.g)) + std::abs(int(a.b) - int(b.b)) > 60)
                ++changed;
        }
        EXPECT_GT(changed, 10) << "type " << type;
    }
    EXPECT_NE(out.str().find("marquee-002.png"), std::string::npos);
    EXPECT_EQ(flint::sim::writeMarqueeFrames(dir.string(), 0, 1, out), 1);
}
