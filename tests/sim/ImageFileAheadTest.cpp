// A screenshot read and decoded on another thread while the device boots: the same bytes and
// pixels as a decode on the spot, and each failure with the reason the batch reports.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/graphics/CGContext.h"
#include "sim/batch/PhotoImport.h"
#include "tests/sim/SimRunner.h"

namespace {

using flint::sim::ImageFileAhead;

class ImageFileAheadTest : public flint::testing::SimFolderTest {
protected:
    // Red above, green below, so a row off by one or a swapped channel shows.
    std::filesystem::path picture(const std::string& name) {
        auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(64, 48), 1, [](ios::CGContext& c) {
            c.setFillColor(1, 0, 0, 1);
            c.fillRect(ios::CGRectMake(0, 0, 64, 24));
            c.setFillColor(0, 1, 0, 1);
            c.fillRect(ios::CGRectMake(0, 24, 64, 24));
        });
        image->writePNG(dir / name);
        return dir / name;
    }
    static ios::UIImage::Data bytesOf(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(ImageFileAheadTest, GivesTheFileAndThePixelsADecodeOnTheSpotGivesOnce) {
    const auto path = picture("shot.png");
    ImageFileAhead ahead(path);
    EXPECT_EQ(ahead.path(), path);
    ios::UIImageRef image;
    std::string error;
    auto file = ahead.take(image, error);
    ASSERT_TRUE(file) << error;
    EXPECT_TRUE(file->png);
    EXPECT_EQ(file->width, 64);
    EXPECT_EQ(file->height, 48);
    EXPECT_EQ(file->bytes, bytesOf(path));
    ASSERT_TRUE(image);
    auto here = ios::UIImage::imageWithData(file->bytes);
    ASSERT_TRUE(here);
    ASSERT_EQ(image->pixelWidth(), 64);
    ASSERT_EQ(image->pixelHeight(), 48);
    for (int y : {0, 23, 24, 47})
        for (int x : {0, 63}) EXPECT_TRUE(image->pixelAt(x, y) == here->pixelAt(x, y)) << x << "," << y;
    EXPECT_EQ(image->pixelAt(5, 5).r, 255);
    EXPECT_EQ(image->pixelAt(5, 40).g, 255);

    ios::UIImageRef again;
    EXPECT_FALSE(ahead.take(again, error));
    EXPECT_FALSE(again);
    EXPECT_NE(error.find("already taken"), std::string::npos) << error;

    // One never taken frees its image with itself (a leak would fail the sanitizer build).
    ImageFileAhead dropped(picture("other.png"));
}

TEST_F(ImageFileAheadTest, ReportsAMissingFileAndAFileWhosePixelsDoNotDecode) {
    {
        ImageFileAhead ahead(dir / "missing.png");
        ios::UIImageRef image;
        std::string error;
        EXPECT_FALSE(ahead.take(image, error));
        EXPECT_EQ(error, (dir / "missing.png").string() + ": not found");
    }
    // A whole header and the first half of the image data: the size is known, the pixels are not.
    auto bytes = bytesOf(picture("whole.png"));
    bytes.resize(bytes.size() / 2);
    std::ofstream(dir / "cut.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ImageFileAhead ahead(dir / "cut.png");
    ios::UIImageRef image;
    std::string error;
    auto file = ahead.take(image, error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->width, 64);
    EXPECT_FALSE(image);
}

TEST_F(ImageFileAheadTest, AScreenshotWhosePixelsDoNotDecodeFailsItsMockupWithTheReason) {
    auto bytes = bytesOf(picture("whole.png"));
    bytes.resize(bytes.size() / 2);
    std::ofstream(dir / "cut.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    auto r = flint::testing::runSim("showcase --screenshot " + (dir / "cut.png").string() + " --template 1 -o " +
                                    (dir / "out.png").string());
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("screenshot " + (dir / "cut.png").string() + ": the image cannot be decoded"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

}  // namespace
