// The Showcase composer driven by touch through flint-sim: the demo's walk from the panel to a
// saved mock-up, probed in the two PNGs it writes, and scenario lines that pick a photo, save, and
// answer the alert, with the photo library refusing and then allowing the save.

#include <gtest/gtest.h>

#include "tests/sim/DemoRun.h"
#include "tests/sim/SimRunner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "platform/foundation/Value.h"
#include "platform/graphics/UIImage.h"

namespace {

using flint::testing::SimResult;

objc::Ref<ios::UIImage> readPNG(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    ios::Data bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.empty() ? nullptr : ios::UIImage::imageWithData(bytes);
}

bool near(const ios::UIImage::RGBA& p, int r, int g, int b, int a, int tolerance) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance &&
           std::abs(p.a - a) <= tolerance;
}

std::string describe(const ios::UIImage::RGBA& p) {
    return std::to_string(p.r) + " " + std::to_string(p.g) + " " + std::to_string(p.b) + " " + std::to_string(p.a);
}

// The background colour the demo reports, "#RRGGBB" after the slider line.
std::optional<ios::UIImage::RGBA> reportedBackground(const std::string& out) {
    const std::string marker = "background colour slider dragged: #";
    auto at = out.find(marker);
    if (at == std::string::npos) return std::nullopt;
    const unsigned long rgb = std::strtoul(out.substr(at + marker.size(), 6).c_str(), nullptr, 16);
    return ios::UIImage::RGBA{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                              static_cast<std::uint8_t>(rgb), 255};
}

TEST(SimShowcaseDemo, WalksFromThePanelToASavedMockupByTouch) {
    const auto& demo = flint::testing::demoRun();
    const std::string& out = demo.result.out;
    ASSERT_EQ(demo.result.status, 0) << out;
    for (const char* step :
         {"7 swipes to page 8", "rose-gold home-button bezel",
          "(the countdown's screenshot, 1125 × 2436) is in the bezel", "bezel tilted: X 0º, Y 35º, Z -12º",
          "an arrow drawn by finger", "\"Made with Flint\" typed",
          "alert \"Showcase\": \"Successfully saved photo to your photo library :)\"", "mock-up of 375 × 731 pixels"})
        EXPECT_NE(out.find(step), std::string::npos) << step << "\n" << out;

    // The canvas is 375 × 730.8 points (0.9 of the screen under the navigation bar), exported at
    // one pixel per point, rounded up.
    auto mockup = readPNG(demo.out / "showcase-mockup.png");
    ASSERT_TRUE(mockup) << out;
    EXPECT_EQ(mockup->pixelWidth(), 375);
    EXPECT_EQ(mockup->pixelHeight(), 731);

    // A corner far from the tilted bezel shows the chosen background colour, opaque: a sky blue.
    auto background = reportedBackground(out);
    ASSERT_TRUE(background) << out;
    const auto corner = mockup->pixelAt(5, 5);
    EXPECT_TRUE(near(corner, background->r, background->g, background->b, 255, 3)) << describe(corner);
    EXPECT_GT(corner.b, corner.r + 100) << describe(corner);
    // The arrow's middle carries the ink (a red at the slider's far end); the bezel's centre shows
    // the phone, not the background.
    const auto arrow = mockup->pixelAt(130, 540);
    EXPECT_GT(arrow.r, 200) << describe(arrow);
    EXPECT_LT(arrow.g, 80) << describe(arrow);
    const auto middle = mockup->pixelAt(187, 365);
    EXPECT_FALSE(near(middle, background->r, background->g, background->b, 255, 40)) << describe(middle);
    EXPECT_EQ(middle.a, 255);

    // The editor on screen at the device's scale: its navigation bar on top, then the same canvas.
    auto editor = readPNG(demo.out / "showcase-editor.png");
    ASSERT_TRUE(editor) << out;
    EXPECT_EQ(editor->pixelWidth(), 1125);
    EXPECT_EQ(editor->pixelHeight(), 2436);
    EXPECT_TRUE(near(editor->pixelAt(15, 300), background->r, background->g, background->b, 255, 3))
        << describe(editor->pixelAt(15, 300));
    EXPECT_FALSE(near(editor->pixelAt(15, 30), background->r, background->g, background->b, 255, 40));
}

class ShowcaseScenario : public flint::testing::SimFolderTest {
protected:
    SimResult run(const std::string& name, const std::string& script) { return runScript(name, script); }
};

// A screenshot in the library, the editor of template 1 (the silver edge-to-edge bezel) open
// with its tool card up, and the screenshot picked from the photo picker by its thumbnail.
constexpr const char* kEditorWithScreenshot =
    "pref enableAll=true\n"
    "boot\n"
    "screenshot\n"
    "expect photos 1\n"
    "tap 187 20\n"
    "wait 1\n"
    "tap-property showcaseView\n"
    "wait 1\n"
    "tap-property customizeView1\n"
    "wait 1\n"
    "tap-property toolCardView 187 20\n"
    "wait 1\n"
    "tap-property screenshotImageButton\n"
    "wait 1\n"
    "pick-photo last\n"
    "wait 1\n";

TEST_F(ShowcaseScenario, ARefusedSaveIsReportedThenAnAllowedOneExportsTheCanvas) {
    SimResult r =
        run("save.flint", std::string(kEditorWithScreenshot) +
                              "photos deny\n"
                              "tap-property saveImageButton\n"
                              "wait 1\n"
                              "expect alert \"Showcase\" \"Could not save photo to your photo library\"\n"
                              "expect photos 1\n"
                              "alert-press \"Got it!\"\n"
                              "wait 1\n"
                              "expect no-text \"Got it!\"\n"
                              "photos allow\n"
                              "tap-property saveImageButton\n"
                              "wait 1\n"
                              "expect alert \"Showcase\" \"Successfully saved photo to your photo library :)\"\n"
                              "alert-press \"Got it!\"\n"
                              "wait 1\n"
                              "expect photos 2\n"
                              "expect export-size 375 731\n"
                              // Transparent where the canvas has no colour, the notch
                              // black, the picked screenshot's purple wallpaper in the screen.
                              "expect export-pixel 5 5 0 0 0 0 0\n"
                              "expect export-pixel 187 95 0 0 0 255 20\n"
                              "expect export-pixel 187 600 56 29 74 255 12\n"
                              "write-export mockup.png\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("pick-photo photo 1 at (45.5, 135.5)"), std::string::npos) << r.out;
    auto written = readPNG(dir / "mockup.png");
    ASSERT_TRUE(written) << r.out;
    EXPECT_EQ(written->pixelHeight(), 731);
    EXPECT_TRUE(near(written->pixelAt(187, 600), 56, 29, 74, 255, 12)) << describe(written->pixelAt(187, 600));
}

TEST_F(ShowcaseScenario, LinesSayWhatTheyCouldNotReach) {
    // The closed tool card's centre lies below the screen; a missing photo, a wrong button and a
    // pixel outside the export each stop the run with their reason.
    const std::string editor =
        "pref enableAll=true\nboot\nscreenshot\ntap 187 20\nwait 1\ntap-property showcaseView\nwait 1\n"
        "tap-property customizeView1\nwait 1\n";
    const std::string cardUp = "tap-property toolCardView 187 20\nwait 1\n";
    const std::string saved = cardUp + "tap-property saveImageButton\nwait 1\n";
    const std::pair<std::string, std::string> cases[] = {
        {"tap-property toolCardView\n", "tap-property: toolCardView at (187.5, 982) is out of a finger's reach"},
        {cardUp + "tap-property screenshotImageButton\nwait 1\npick-photo 2\n",
         "pick-photo: there is no photo 2 (the library holds 1)"},
        {saved + "alert-press \"OK\"\n", "alert-press: the alert has no button \"OK\" (it has \"Got it!\")"},
        {saved + "expect export-pixel 375 0 0 0 0 0\n",
         "expect export-pixel: (375, 0) lies outside the 375 × 731 photo"},
    };
    for (const auto& [lines, reason] : cases) {
        SimResult r = run("fails.flint", editor + lines);
        EXPECT_EQ(r.status, 1) << lines << r.out;
        EXPECT_NE(r.out.find(reason), std::string::npos) << lines << r.out;
    }
}

TEST_F(ShowcaseScenario, ThePersonCancelsTheShareSheetTapsOutsideItCopiesAndSaves) {
    SimResult r = run("share.flint", std::string(kEditorWithScreenshot) +
                                         "scale 1\n"
                                         "tap-property shareImageButton\n"
                                         "wait 1\n"
                                         "expect share-sheet shown\n"
                                         "expect text \"Save Image\"\n"
                                         "expect text \"Copy\"\n"
                                         "snapshot sheet.png\n"
                                         "share-press \"Cancel\"\n"
                                         "wait 1\n"
                                         "expect share-sheet hidden\n"
                                         "expect shared cancelled\n"
                                         "tap-property shareImageButton\n"
                                         "wait 1\n"
                                         "tap 187 150\n"  // above the sheet, where the canvas shows
                                         "wait 1\n"
                                         "expect share-sheet hidden\n"
                                         "expect shared cancelled\n"
                                         "expect pasteboard empty\n"
                                         "tap-property shareImageButton\n"
                                         "wait 1\n"
                                         "share-press \"Copy\"\n"
                                         "wait 1\n"
                                         "expect shared \"Copy\"\n"
                                         "expect pasteboard image 375 731\n"
                                         "expect photos 1\n"
                                         "tap-property shareImageButton\n"
                                         "wait 1\n"
                                         "share-press \"Save Image\"\n"
                                         "wait 1\n"
                                         "expect share-sheet hidden\n"
                                         "expect shared \"Save Image\"\n"
                                         "expect photos 2\n"
                                         "expect export-pixel 187 600 56 29 74 255 12\n"
                                         "photos deny\n"
                                         "tap-property shareImageButton\n"
                                         "wait 1\n"
                                         "share-press \"Save Image\"\n"
                                         "wait 1\n"
                                         "expect shared \"Save Image\" failed\n"
                                         "expect photos 2\n"
                                         "snapshot after.png\n"
                                         "tap-property showcaseDismissButton\n"
                                         "wait 1\n"
                                         "expect no-text \"Add Image\"\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("share-press \"Cancel\" at (187.5, 774)"), std::string::npos) << r.out;
    // The sheet dims the editor and shows the canvas's thumbnail; once it has gone the editor
    // shows undimmed again.
    auto sheet = readPNG(dir / "sheet.png"), after = readPNG(dir / "after.png");
    ASSERT_TRUE(sheet && after) << r.out;
    const auto dimmed = sheet->pixelAt(5, 100), plain = after->pixelAt(5, 100);
    EXPECT_LT(dimmed.r + 10, plain.r) << describe(dimmed) << " / " << describe(plain);
    const auto card = after->pixelAt(5, 440);  // the opened tool card
    EXPECT_TRUE(near(after->pixelAt(12, 640), card.r, card.g, card.b, 255, 0)) << "no sheet left at the bottom";
    EXPECT_TRUE(near(sheet->pixelAt(12, 640), 247, 247, 247, 255, 8)) << describe(sheet->pixelAt(12, 640));
    const auto thumbnail = sheet->pixelAt(47, 596);  // the screenshot's purple inside the thumbnail's bezel
    EXPECT_TRUE(near(thumbnail, 56, 29, 74, 255, 24)) << describe(thumbnail);
}

TEST_F(ShowcaseScenario, TouchesTakenAwaySettleTheToolCardAndBringItBack) {
    // The card is dragged up by less than half its way and the touch cancelled: it goes back
    // closed; more than half: it opens. A slider touch cancelled mid-drag unfades the card.
    const std::string editor =
        "pref enableAll=true\nboot\nscale 1\ntap 187 20\nwait 1\n"
        "tap-property showcaseView\nwait 1\ntap-property customizeView1\nwait 1\n";
    SimResult r = run("cancel.flint", editor +
                                          "hold 187 760 187 660 --seconds 0.3\n"
                                          "snapshot held.png\n"
                                          "cancel-touch\n"
                                          "wait 1\n"
                                          "snapshot closed.png\n"
                                          "hold 187 760 187 560 --seconds 0.3\n"
                                          "cancel-touch\n"
                                          "wait 1\n"
                                          "expect haptics 2 light\n"
                                          "swipe 300 600 60 600\n"
                                          "wait 1\n"
                                          "snapshot opened.png\n"
                                          "hold 78 628 200 628 --seconds 0.3\n"
                                          "wait 0.5\n"
                                          "snapshot faded.png\n"
                                          "cancel-touch\n"
                                          "wait 1\n"
                                          "snapshot back.png\n"
                                          "lift\n");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("lift: no finger is down"), std::string::npos) << r.out;
    auto held = readPNG(dir / "held.png"), closed = readPNG(dir / "closed.png"), opened = readPNG(dir / "opened.png");
    auto faded = readPNG(dir / "faded.png"), back = readPNG(dir / "back.png");
    ASSERT_TRUE(held && closed && opened && faded && back) << r.out;
    // The card's top edge: at 638 while held 100 points up, back at 738 once closed, at 406 opened.
    const auto canvas = closed->pixelAt(5, 500), card = opened->pixelAt(5, 500);
    ASSERT_FALSE(near(canvas, card.r, card.g, card.b, card.a, 4)) << describe(canvas);
    EXPECT_TRUE(near(held->pixelAt(5, 700), card.r, card.g, card.b, 255, 2)) << describe(held->pixelAt(5, 700));
    EXPECT_TRUE(near(closed->pixelAt(5, 700), canvas.r, canvas.g, canvas.b, 255, 2))
        << describe(closed->pixelAt(5, 700));
    EXPECT_TRUE(near(closed->pixelAt(5, 780), card.r, card.g, card.b, 255, 2)) << describe(closed->pixelAt(5, 780));
    // Faded to 0.3 while the slider is held, whole again after the cancel.
    EXPECT_FALSE(near(faded->pixelAt(5, 500), card.r, card.g, card.b, 255, 4)) << describe(faded->pixelAt(5, 500));
    EXPECT_TRUE(near(back->pixelAt(5, 500), card.r, card.g, card.b, 255, 2)) << describe(back->pixelAt(5, 500));
}

}  // namespace
