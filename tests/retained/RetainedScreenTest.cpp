// The screen's retained frame on a booted device, used as a person would use it: the panel with
// the wave running, a pen stroke in the Showcase editor, the countdown banner coming and going,
// the tool card opening. At every frame the retained frame equals a full render of the screen,
// byte for byte, and repaints far less than the screen.

#include <cmath>
#include <cstring>

#include "controls/FlintWaveView.h"
#include "panel/CountdownTimers.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIScreenRetainedFrame.h"
#include "showcase/ShowcaseFixture.h"

namespace flint {
namespace {

// The device's own scale: pictures kept at it (backing stores, bundle images) are drawn one pixel
// per pixel, which is what lets small changes be repaired in small pieces.
constexpr double kScale = 3;

class RetainedScreenTest : public testing::ShowcaseTest {
protected:
    ios::UIScreen& screen() { return *ios::UIScreen::mainScreen(); }

    // The retained frame brought up to date; fails when it differs from a full render.
    ::testing::AssertionResult frameMatches() {
        ios::CARetainedRenderer& retained = ios::UIScreenRetainedFrame(m_scale);
        m_lastDamage = 0;
        for (auto& r : retained.damage()) m_lastDamage += static_cast<long long>(r.width) * r.height;
        auto full = screen().snapshot(m_scale);
        cairo_surface_t* a = retained.surface();
        cairo_surface_t* b = full->surface();
        cairo_surface_flush(a);
        int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
        if (w != full->pixelWidth() || h != full->pixelHeight()) return ::testing::AssertionFailure() << "sizes differ";
        int count = 0, fx = 0, fy = 0;
        for (int y = 0; y < h; ++y) {
            const auto* ra = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(a) +
                                                                    y * cairo_image_surface_get_stride(a));
            const auto* rb = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(b) +
                                                                    y * cairo_image_surface_get_stride(b));
            for (int x = 0; x < w; ++x)
                if (ra[x] != rb[x] && count++ == 0) fx = x, fy = y;
        }
        if (count) {
            int minx = w, miny = h, maxx = 0, maxy = 0;
            for (int y = 0; y < h; ++y) {
                const auto* ra = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(a) +
                                                                        y * cairo_image_surface_get_stride(a));
                const auto* rb = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(b) +
                                                                        y * cairo_image_surface_get_stride(b));
                for (int x = 0; x < w; ++x)
                    if (ra[x] != rb[x])
                        minx = std::min(minx, x), maxx = std::max(maxx, x), miny = std::min(miny, y),
                        maxy = std::max(maxy, y);
            }
            std::string rects;
            for (auto& r : retained.damage())
                rects += " [" + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
                         std::to_string(r.height) + "]";
            return ::testing::AssertionFailure()
                   << count << " pixels differ, first at (" << fx << ", " << fy << ") box " << minx << "," << miny
                   << "-" << maxx << "," << maxy << " damage" << rects;
        }
        return ::testing::AssertionSuccess();
    }
    // Frames of `dt` seconds for `seconds`; each must match. Returns the frames that repainted.
    int runFrames(double seconds, double dt, long long maxDamage) {
        int repainted = 0;
        for (double t = 0; t < seconds; t += dt) {
            loop().advanceBy(dt);
            EXPECT_TRUE(frameMatches()) << "at " << t << " s";
            if (m_lastDamage) ++repainted;
            EXPECT_LE(m_lastDamage, maxDamage) << "at " << t << " s";
            if (::testing::Test::HasFailure()) break;
        }
        return repainted;
    }
    long long screenArea() const {
        return static_cast<long long>(375 * m_scale) * static_cast<long long>(812 * m_scale);
    }

    double m_scale = kScale;
    long long m_lastDamage = 0;
};

TEST_F(RetainedScreenTest, ThePanelWithTheWaveRunning) {
    boot("iphone-x", 2, {{"enableWave", true}});
    ios::MRNowPlayingPlayer::shared().setLibrary({{"Red Song", "Red Band", ""}});
    loop().runUntilIdle();
    openPanel();
    settle();
    ASSERT_EQ(host().waterView()->alpha(), 1) << "the wave shows while music plays";
    ASSERT_TRUE(frameMatches());
    EXPECT_EQ(m_lastDamage, screenArea()) << "the first frame paints everything";
    int repainted = runFrames(3, 1.0 / 30, screenArea() / 3);
    EXPECT_GE(repainted, 80) << "the wave moves every frame";
}

TEST_F(RetainedScreenTest, APenStrokeInTheEditor) {
    boot("iphone-x");
    openEditor(1);
    showToolPage(3);
    slideTo(host().drawingColorSlider(), 0.6f);  // a visible pen colour
    host().toolCardView()->setOpened(false, false);
    settle();
    ASSERT_TRUE(frameMatches());
    auto canvas = host().showcaseCanvasView();
    auto at = [&](double x, double y) { return ios::convertPointToScreen(*canvas, ios::CGPointMake(x, y)); };
    ios::sendTouch(ios::UITouchPhase::Began, at(40, 200));
    loop().advanceBy(1.0 / 60);
    ASSERT_TRUE(frameMatches());
    int moves = 0;
    for (double x = 44; x < 300; x += 7, ++moves) {
        ios::sendTouch(ios::UITouchPhase::Moved, at(x, 200 + 40 * std::sin(x / 30)));
        loop().advanceBy(1.0 / 60);
        ASSERT_TRUE(frameMatches()) << "move " << moves;
        EXPECT_GT(m_lastDamage, 0) << "move " << moves;
        EXPECT_LT(m_lastDamage, screenArea() / 8) << "move " << moves;
    }
    ios::sendTouch(ios::UITouchPhase::Ended, at(300, 200));
    loop().runUntilIdle();
    EXPECT_TRUE(frameMatches());
    EXPECT_EQ(host().drawingView()->pathArray().size(), 1u);
}

TEST_F(RetainedScreenTest, TheCountdownBannerAppearsAndHides) {
    boot("iphone-x", 2, {{"screenshotTimerString", "3"}});
    openPanel();
    settle();
    ASSERT_TRUE(frameMatches());
    tapView(*host().screenshotButton());
    ASSERT_FALSE(host().screenshotWindow()->isHidden());
    EXPECT_TRUE(frameMatches());
    EXPECT_GT(m_lastDamage, 0) << "the banner shows";
    EXPECT_LT(m_lastDamage, screenArea() / 2);
    runFrames(2.5, 0.05, screenArea());
    EXPECT_TRUE(host().screenshotWindow()->isHidden());
}

TEST_F(RetainedScreenTest, TheToolCardOpening) {
    boot("iphone-x");
    openEditor(1);
    auto card = host().toolCardView();
    card->setOpened(false, false);
    settle();
    ASSERT_TRUE(frameMatches());
    card->setOpened(true, true);
    int repainted = runFrames(0.8, 1.0 / 30, screenArea());
    EXPECT_GE(repainted, 5) << "the card slides up over several frames";
    EXPECT_TRUE(card->opened());
    EXPECT_TRUE(frameMatches());
}

}  // namespace
}  // namespace flint
