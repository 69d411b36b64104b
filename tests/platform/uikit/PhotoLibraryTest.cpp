#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIPhotoLibrary.h"

namespace ios::testing {
namespace {

class PhotoLibraryTest : public ::testing::Test {
protected:
    TestProcess process;
    UIPhotoLibrary& library = UIPhotoLibrary::shared();

    static objc::Ref<UIImage> image(double width) {
        return UIImage::imageWithSize({width, 4}, 1, [](CGContext& c) {
            c.setFillColor(0.2, 0.4, 0.6, 1);
            c.fillRect({{0, 0}, {1000, 1000}});
        });
    }
    void writeFile(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(library.folder());
        std::ofstream(library.folder() / name, std::ios::binary) << bytes;
    }
    std::string bytesOf(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    int logLinesAbout(const std::string& name) {
        int n = 0;
        for (const auto& line : process.process().log().lines()) n += line.find(name) != std::string::npos;
        return n;
    }
};

TEST_F(PhotoLibraryTest, FilesThatAreNotWholeImagesAreLeftOutOfTheListingWithOneLogLine) {
    std::string error;
    auto saved = library.saveImage(image(6), error);
    ASSERT_FALSE(saved.empty()) << error;
    const std::string png = bytesOf(saved);
    writeFile("IMG_0100.PNG", "not an image at all");
    writeFile("IMG_0101.PNG", png.substr(0, png.size() - 12));  // cut inside the end chunk
    writeFile("IMG_0102.JPG", "\xFF\xD8\xFF\xE0 a start but no end");
    writeFile("IMG_0103.PNG", "");   // a claimed name still being written
    writeFile("IMG_0104.PNG", png);  // a whole copy
    auto listed = library.photoPaths();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0], saved);
    EXPECT_EQ(listed[1].filename(), "IMG_0104.PNG");
    EXPECT_EQ(library.imageAtIndex(1)->pixelWidth(), 6);
    library.photoPaths();
    EXPECT_EQ(logLinesAbout("IMG_0100.PNG"), 1) << "logged once, not at every listing";
    EXPECT_EQ(logLinesAbout("IMG_0101.PNG"), 1);
    EXPECT_EQ(logLinesAbout("IMG_0102.JPG"), 1);
    EXPECT_EQ(logLinesAbout("IMG_0103.PNG"), 0);
    // A damaged file made whole again is listed again.
    writeFile("IMG_0101.PNG", png);
    EXPECT_EQ(library.photoCount(), 3u);
}

TEST_F(PhotoLibraryTest, SavingTakesTheNumberAfterEveryNameInTheFolderAndLeavesNothingElse) {
    writeFile("IMG_0007.PNG", "");      // claimed by another writer
    writeFile("IMG_0009.PNG", "junk");  // damaged, not listed, but its name is taken
    std::string error;
    auto first = library.saveImage(image(3), error);
    auto second = library.saveImage(image(5), error);
    EXPECT_EQ(first.filename(), "IMG_0010.PNG");
    EXPECT_EQ(second.filename(), "IMG_0011.PNG");
    EXPECT_EQ(bytesOf(library.folder() / "IMG_0009.PNG"), "junk");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(library.folder())) ++files;
    EXPECT_EQ(files, 4) << "no temporary file left behind";
    ASSERT_EQ(library.photoCount(), 2u);
    EXPECT_EQ(library.imageAtIndex(0)->pixelWidth(), 3);
    EXPECT_EQ(library.imageAtIndex(1)->pixelWidth(), 5);
}

// What a photo just added decodes to is handed out without decoding the file again, as long as
// the file is what was added; only an image whose pixels the file keeps exactly is handed out.
TEST_F(PhotoLibraryTest, ThePhotoAddedLastIsNotDecodedAgainUntilItsFileChanges) {
    auto red = UIImage::imageWithSize({6, 6}, 1, [](CGContext& c) {
        c.setFillColor(1, 0, 0, 1);
        c.fillRect({{0, 0}, {6, 6}});
    });
    const auto png = red->pngRepresentation();
    auto decoded = UIImage::imageWithData(png);
    ASSERT_TRUE(decoded);
    std::string error;
    const auto path = library.addPNGData(png, error, decoded);
    ASSERT_FALSE(path.empty()) << error;
    EXPECT_EQ(library.imageOfPhoto(path).get(), decoded.get());
    EXPECT_EQ(bytesOf(path), std::string(png.begin(), png.end())) << "the bytes are stored as they came";

    // The file written again (another size, so the change shows even within one clock tick).
    auto blue = UIImage::imageWithSize({8, 6}, 1, [](CGContext& c) {
        c.setFillColor(0, 0, 1, 1);
        c.fillRect({{0, 0}, {8, 6}});
    });
    const auto bluePNG = blue->pngRepresentation();
    writeFile(path.filename().string(), std::string(bluePNG.begin(), bluePNG.end()));
    auto now = library.imageOfPhoto(path);
    ASSERT_TRUE(now);
    EXPECT_NE(now.get(), decoded.get());
    EXPECT_EQ(now->pixelWidth(), 8);
    EXPECT_EQ(now->pixelAt(2, 2).b, 255);

    // Half-transparent pixels do not survive the PNG exactly, so a saved image of them is decoded.
    auto glass = UIImage::imageWithSize({5, 5}, 1, [](CGContext& c) {
        c.setFillColor(0.3, 0.6, 0.9, 0.3);
        c.fillRect({{0, 0}, {5, 5}});
    });
    const auto glassPath = library.saveImage(glass, error);
    ASSERT_FALSE(glassPath.empty()) << error;
    auto glassImage = library.imageOfPhoto(glassPath);
    ASSERT_TRUE(glassImage);
    EXPECT_NE(glassImage->surface(), glass->surface());
    // An opaque one is, at scale 1 whatever its own scale.
    auto wall = UIImage::imageWithSize(
        {3, 3}, 2,
        [](CGContext& c) {
            c.setFillColor(0.1, 0.5, 0.2, 1);
            c.fillRect({{0, 0}, {3, 3}});
        },
        true);
    const auto wallPath = library.saveImage(wall, error);
    auto wallImage = library.imageOfPhoto(wallPath);
    ASSERT_TRUE(wallImage);
    EXPECT_EQ(wallImage->surface(), wall->surface());
    EXPECT_EQ(wallImage->scale(), 1);
    EXPECT_EQ(library.imageOfPhoto(glassPath)->pixelWidth(), 5) << "an older photo is still read from its file";
}

}  // namespace
}  // namespace ios::testing
