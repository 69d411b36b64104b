// The composer's photo picker over a library of real size, driven by touch through flint-sim:
// the grid opens at the newest photo, and `pick-photo` drags it to an old photo as a finger would.

#include <gtest/gtest.h>

#include "tests/sim/SimRunner.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"

namespace {

using flint::testing::SimResult;

class PhotoLibraryScenario : public flint::testing::SimFolderTest {
protected:
    // A device root whose library holds `count` solid photos; photo n (from 1) is grey n.
    std::filesystem::path libraryOf(int count) {
        const auto root = dir / "device";
        const auto folder = root / "var/mobile/Media/DCIM/100APPLE";
        std::filesystem::create_directories(folder);
        for (int n = 1; n <= count; ++n) {
            auto photo = ios::UIImage::imageWithSize(
                {60, 90}, 1,
                [&](ios::CGContext& c) {
                    c.setFillColor(n / 255.0, n / 255.0, n / 255.0, 1);
                    c.fillRect(ios::CGRectMake(0, 0, 60, 90));
                },
                true);
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.PNG", n);
            EXPECT_TRUE(photo->writePNG(folder / name));
        }
        return root;
    }
};

// The editor of template 1 with its tool card up and the screenshot picker open.
std::string editorPickingFrom(const std::filesystem::path& root) {
    return "root " + root.string() +
           "\n"
           "pref enableAll=true\n"
           "boot\n"
           "tap 187 20\nwait 1\n"
           "tap-property showcaseView\nwait 1\n"
           "tap-property customizeView1\nwait 1\n"
           "tap-property toolCardView 187 20\nwait 1\n"
           "tap-property screenshotImageButton\nwait 1\n";
}

// In a library of 120 photos the newest is in reach as the picker opens, and the oldest is
// reached by dragging the grid (past the saved mock-up, now the newest); each lands in the
// bezel's screen.
TEST_F(PhotoLibraryScenario, PickPhotoReachesTheOldestAndTheNewestOf120) {
    const auto root = libraryOf(120);
    const std::string save = "tap-property saveImageButton\nwait 1\nalert-press \"Got it!\"\nwait 1\n";
    SimResult r = runScript("library.flint", editorPickingFrom(root) + "pick-photo last\nwait 1\n" + save +
                                                 "expect export-pixel 187 600 120 120 120 255 2\n"
                                                 "tap-property screenshotImageButton\nwait 1\n"
                                                 "pick-photo 1\nwait 1\n" +
                                                 save + "expect export-pixel 187 600 1 1 1 255 2\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("pick-photo photo 1 at"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("pick-photo photo 120 at"), std::string::npos) << r.out;
}

}  // namespace
