#include <fstream>

#include <zlib.h>

#include <gtest/gtest.h>

#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/foundation/SideThreads.h"
#include "platform/graphics/ImageResample.h"
#include "platform/graphics/UIGraphics.h"

using namespace ios;
using ios::testing::kOpaqueBlue;
using ios::testing::kOpaqueRed;
using ios::testing::kOpaqueWhite;
using ios::testing::kTransparent;
using ios::testing::pixelNear;

namespace {

// Left half red, right half half-transparent blue, a white pixel block at the top left.
objc::Ref<UIImage> sampleImage(CGFloat scale = 1) {
    return UIImage::imageWithSize({40, 20}, scale, [](CGContext& c) {
        c.setFillColor(1, 0, 0, 1);
        c.fillRect(CGRectMake(0, 0, 20, 20));
        c.setFillColor(0, 0, 1, 0.5);
        c.fillRect(CGRectMake(20, 0, 20, 20));
        c.setFillColor(1, 1, 1, 1);
        c.fillRect(CGRectMake(0, 0, 4, 4));
    });
}

void writeFile(const std::filesystem::path& path, const UIImage::Data& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A solid square whose colour tells which file it came from.
UIImage::Data solidPNG(int pixels, CGFloat r, CGFloat g, CGFloat b) {
    auto image = UIImage::imageWithSize({double(pixels), double(pixels)}, 1, [&](CGContext& c) {
        c.setFillColor(r, g, b, 1);
        c.fillRect(CGRectMake(0, 0, pixels, pixels));
    });
    return image->pngRepresentation();
}

}  // namespace

TEST(UIImage, PNGRoundTripKeepsPixelsAndAlpha) {
    auto image = sampleImage();
    UIImage::Data png = UIImagePNGRepresentation(image);
    ASSERT_GT(png.size(), 8u);
    auto decoded = UIImage::imageWithData(png);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixelWidth(), 40);
    EXPECT_EQ(decoded->pixelHeight(), 20);
    EXPECT_TRUE(pixelNear(decoded->pixelAt(10, 10), kOpaqueRed, 0));
    EXPECT_TRUE(pixelNear(decoded->pixelAt(30, 10), {0, 0, 255, 128}, 2));
    EXPECT_TRUE(pixelNear(decoded->pixelAt(1, 1), kOpaqueWhite, 0));
    EXPECT_EQ(decoded->scale(), 1);
}

// Every alpha level comes back with its colour (within rounding); the file says it is sRGB and
// stores three channels for an opaque bitmap, four otherwise.
TEST(UIImage, PNGKeepsEveryAlphaLevelAndSaysItIsSRGB) {
    auto ramp = UIImage::imageWithSize({256, 2}, 1, [](CGContext& c) {
        for (int a = 0; a < 256; ++a) {
            c.setFillColor(0.9, 0.5, 0.1, a / 255.0);
            c.fillRect(CGRectMake(a, 0, 1, 1));
            c.setFillColor(0.1, 0.3, 1.0, a / 255.0);
            c.fillRect(CGRectMake(a, 1, 1, 1));
        }
    });
    const auto png = ramp->pngRepresentation();
    ASSERT_GT(png.size(), 8u + 25 + 13);
    EXPECT_EQ(png[8 + 8 + 9], 6) << "RGBA";
    EXPECT_EQ(std::string(png.begin() + 8 + 25 + 4, png.begin() + 8 + 25 + 8), "sRGB") << "right after the header";
    auto decoded = UIImage::imageWithData(png);
    ASSERT_TRUE(decoded);
    for (int y = 0; y < 2; ++y)
        for (int a = 0; a < 256; ++a)
            ASSERT_TRUE(pixelNear(decoded->pixelAt(a, y), ramp->pixelAt(a, y), 1)) << "alpha " << a << " row " << y;

    auto opaque = UIImage::imageWithSize(
        {3, 3}, 1,
        [](CGContext& c) {
            c.setFillColor(0.2, 0.4, 0.6, 1);
            c.fillRect(CGRectMake(0, 0, 3, 3));
        },
        true);
    const auto rgb = opaque->pngRepresentation();
    ASSERT_GT(rgb.size(), 8u + 25);
    EXPECT_EQ(rgb[8 + 8 + 9], 2) << "RGB";
    auto back = UIImage::imageWithData(rgb);
    ASSERT_TRUE(back);
    EXPECT_TRUE(pixelNear(back->pixelAt(1, 1), opaque->pixelAt(1, 1), 0));
}

// A large image is written as two halves deflated side by side: the file must still be one valid
// zlib stream (the checksum of the whole at its end), every chunk's CRC right, and the rows on
// both sides of the seam predicted from their true neighbours.
TEST(UIImage, ALargePNGWrittenInTwoHalvesIsOneValidImage) {
    auto parse = [](const UIImage::Data& png, std::vector<std::uint8_t>& idat) {
        int idats = 0;
        for (std::size_t at = 8; at + 12 <= png.size();) {
            const std::uint32_t length = (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
            if (at + 12 + length > png.size()) return -1;
            const std::uint32_t crc = (png[at + 8 + length] << 24) | (png[at + 9 + length] << 16) |
                                      (png[at + 10 + length] << 8) | png[at + 11 + length];
            if (crc32(0, &png[at + 4], 4 + length) != crc) return -1;
            if (std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT") {
                idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
                ++idats;
            }
            at += 12 + length;
        }
        return idats;
    };
    for (bool opaque : {false, true}) {
        const int w = 600, h = 501;  // an odd height: the halves differ by a row
        auto image = UIImage::imageWithSize(
            {double(w), double(h)}, 1,
            [&](CGContext& c) {
                // Bands seven rows high, so one ends right at the seam, with a column ramp of alpha.
                for (int y = 0; y < h; y += 7) {
                    c.setFillColor((y * 37 % 255) / 255.0, (y * 11 % 255) / 255.0, 0.5, 1);
                    c.fillRect(CGRectMake(0, y, w, 7));
                }
                for (int x = 0; x < w; x += 3) {
                    c.setFillColor(0.1, 0.8, (x % 256) / 255.0, opaque ? 1 : (x % 256) / 255.0);
                    c.fillRect(CGRectMake(x, h / 3, 2, h / 3));
                }
            },
            opaque);
        const auto png = image->pngRepresentation();
        EXPECT_EQ(png, image->pngRepresentation()) << "the same bytes every time";
        setSideThreadsAllowed(false);
        const auto onOneThread = image->pngRepresentation();
        setSideThreadsAllowed(true);
        EXPECT_EQ(png, onOneThread) << "other bytes when both halves are deflated on the calling thread";
        std::vector<std::uint8_t> idat;
        ASSERT_EQ(parse(png, idat), 2) << "a chunk's CRC is wrong, or not two halves";
        const std::size_t rowBytes = std::size_t(w) * (opaque ? 3 : 4) + 1;
        std::vector<std::uint8_t> rows(rowBytes * h + 1);
        uLongf size = rows.size();
        ASSERT_EQ(uncompress(rows.data(), &size, idat.data(), idat.size()), Z_OK) << "not one zlib stream";
        EXPECT_EQ(size, rowBytes * h);

        auto decoded = UIImage::imageWithData(png);
        ASSERT_TRUE(decoded);
        ASSERT_EQ(decoded->pixelWidth(), w);
        for (int y : {0, 1, 167, 249, 250, 251, 334, 500})
            for (int x = 0; x < w; x += 7)
                ASSERT_TRUE(pixelNear(decoded->pixelAt(x, y), image->pixelAt(x, y), opaque ? 0 : 1))
                    << x << "," << y << (opaque ? " opaque" : "");
    }
}

TEST(UIImage, JPEGRoundTripIsCloseAndOpaque) {
    auto image = UIImage::imageWithSize({32, 32}, 1, [](CGContext& c) {
        c.setFillColor(1, 0, 0, 1);
        c.fillRect(CGRectMake(0, 0, 16, 32));
        c.setFillColor(0.2, 0.6, 0.3, 1);
        c.fillRect(CGRectMake(16, 0, 16, 32));
    });
    UIImage::Data jpeg = UIImageJPEGRepresentation(image, 0.9);
    ASSERT_GT(jpeg.size(), 3u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    auto decoded = UIImage::imageWithData(jpeg, 2);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->isOpaque());
    EXPECT_EQ(decoded->scale(), 2);
    EXPECT_EQ(decoded->size(), (CGSize{16, 16}));
    EXPECT_TRUE(pixelNear(decoded->pixelAt(4, 16), kOpaqueRed, 12));
    EXPECT_TRUE(pixelNear(decoded->pixelAt(27, 16), {51, 153, 77, 255}, 12));
}

TEST(UIImage, UndecodableBytesGiveNone) {
    EXPECT_FALSE(UIImage::imageWithData(UIImage::Data{}));
    EXPECT_FALSE(UIImage::imageWithData(UIImage::Data{'h', 'e', 'l', 'l', 'o'}));
    UIImage::Data png = sampleImage()->pngRepresentation();
    // Truncated in the middle of the pixel data.
    UIImage::Data cut(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    EXPECT_FALSE(UIImage::imageWithData(cut));
    // A PNG signature followed by noise.
    UIImage::Data noise(png.begin(), png.begin() + 8);
    for (int i = 0; i < 200; ++i) noise.push_back(static_cast<std::uint8_t>(i * 37));
    EXPECT_FALSE(UIImage::imageWithData(noise));
    // A JPEG start marker followed by noise.
    UIImage::Data badJpeg{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00};
    EXPECT_FALSE(UIImage::imageWithData(badJpeg));
}

TEST(UIImage, ContentsOfFilePrefersTheScreenScaleVariant) {
    ios::testing::TestProcess process;  // iphone-x, scale 3
    const std::string folder = "/Library/Application Support/Flint.bundle/";
    writeFile(devicePath(folder + "icon.png"), solidPNG(10, 1, 0, 0));
    writeFile(devicePath(folder + "icon@2x.png"), solidPNG(20, 0, 1, 0));
    writeFile(devicePath(folder + "icon@3x.png"), solidPNG(30, 0, 0, 1));

    auto image = UIImage::imageWithContentsOfFile(folder + "icon.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 3);
    EXPECT_EQ(image->size(), (CGSize{10, 10}));
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), kOpaqueBlue));

    process.process().mutableProfile().scale = 2;
    image = UIImage::imageWithContentsOfFile(folder + "icon.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size(), (CGSize{10, 10}));

    // Without the screen's variant, @3x comes before @2x and the plain file.
    std::filesystem::remove(devicePath(folder + "icon@2x.png"));
    EXPECT_EQ(UIImage::imageWithContentsOfFile(folder + "icon.png")->scale(), 3);
    std::filesystem::remove(devicePath(folder + "icon@3x.png"));
    image = UIImage::imageWithContentsOfFile(folder + "icon.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 1);
    EXPECT_TRUE(pixelNear(image->pixelAt(5, 5), kOpaqueRed));

    // An explicit variant loads at its own scale.
    writeFile(devicePath(folder + "other@2x.png"), solidPNG(20, 0, 1, 0));
    EXPECT_EQ(UIImage::imageWithContentsOfFile(folder + "other@2x.png")->scale(), 2);
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(folder + "missing.png"));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(folder));
}

TEST(UIImage, FilesDecodedAheadAreTakenOnceAndOnlyWhileUnchanged) {
    ios::testing::TestProcess process;  // scale 3
    const std::string folder = "/Library/Application Support/Flint.bundle/";
    writeFile(devicePath(folder + "bezel@3x.png"), solidPNG(30, 0, 0, 1));
    writeFile(devicePath(folder + "mask.png"), solidPNG(10, 1, 0, 0));
    writeFile(devicePath(folder + "broken.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3});
    writeFile(devicePath(folder + "changed.png"), solidPNG(10, 1, 0, 0));
    UIImage::decodeContentsOfFilesAhead({folder + "bezel.png", folder + "mask.png", folder + "missing.png",
                                         folder + "broken.png", folder + "changed.png", folder + "unclaimed.png", ""});
    writeFile(devicePath(folder + "unclaimed.png"), solidPNG(4, 0, 1, 0));

    // The variant a load prefers is the one decoded ahead, at its own scale.
    auto bezel = UIImage::imageWithContentsOfFile(folder + "bezel.png");
    ASSERT_TRUE(bezel);
    EXPECT_EQ(bezel->scale(), 3);
    EXPECT_EQ(bezel->size(), (CGSize{10, 10}));
    EXPECT_TRUE(pixelNear(bezel->pixelAt(5, 5), kOpaqueBlue, 0));
    auto mask = UIImage::imageWithContentsOfFile(folder + "mask.png");
    ASSERT_TRUE(mask);
    EXPECT_TRUE(pixelNear(mask->pixelAt(5, 5), kOpaqueRed, 0));
    // A second load reads the file again, and gets the same image.
    auto again = UIImage::imageWithContentsOfFile(folder + "bezel.png");
    ASSERT_TRUE(again);
    EXPECT_NE(again->surface(), bezel->surface());
    EXPECT_TRUE(pixelNear(again->pixelAt(5, 5), kOpaqueBlue, 0));

    EXPECT_FALSE(UIImage::imageWithContentsOfFile(folder + "missing.png"));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(folder + "broken.png"));

    // A file written again after it was read is read again: its new size tells.
    writeFile(devicePath(folder + "changed.png"), solidPNG(12, 0, 1, 0));
    auto changed = UIImage::imageWithContentsOfFile(folder + "changed.png");
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->pixelWidth(), 12);
    EXPECT_TRUE(pixelNear(changed->pixelAt(5, 5), {0, 255, 0, 255}, 0));
    // A file that did not exist when the decodes started was never among them.
    auto late = UIImage::imageWithContentsOfFile(folder + "unclaimed.png");
    ASSERT_TRUE(late);
    EXPECT_EQ(late->pixelWidth(), 4);
}

TEST(UIImage, DecodesAheadNotTakenEndWithTheProcess) {
    // Run under the leak checker: the decoded pixels nobody asked for are freed with the process.
    ios::testing::TestProcess process;
    const std::string file = "/Library/Application Support/Flint.bundle/big.png";
    writeFile(devicePath(file), solidPNG(300, 1, 0, 0));
    UIImage::decodeContentsOfFilesAhead({file, file});
}

TEST(UIImage, JPEGFilesAreRecognisedByContent) {
    ios::testing::TestProcess process;
    auto jpeg = sampleImage()->jpegRepresentation(0.8);
    writeFile(devicePath("/var/mobile/photo.png"), jpeg);  // misleading extension
    auto image = UIImage::imageWithContentsOfFile("/var/mobile/photo.png");
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isOpaque());
}

TEST(UIImage, TemplateImagesDrawTheirAlphaInTheTint) {
    auto glyph = sampleImage()->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate);
    EXPECT_EQ(glyph->renderingMode(), UIImageRenderingMode::AlwaysTemplate);
    auto tint = UIColor::colorWithRed(0, 1, 0, 1);
    auto out = UIImage::imageWithSize(
        {40, 20}, 1, [&](CGContext& c) { glyph->paint(c.cairo(), CGRectMake(0, 0, 40, 20), 1, tint.get()); });
    // Colour comes from the tint, coverage from the image's alpha.
    EXPECT_TRUE(pixelNear(out->pixelAt(10, 10), {0, 255, 0, 255}));
    EXPECT_TRUE(pixelNear(out->pixelAt(1, 1), {0, 255, 0, 255}));
    EXPECT_TRUE(pixelNear(out->pixelAt(30, 10), {0, 255, 0, 128}));
    // Without a tint the image keeps its own colours.
    auto plain =
        UIImage::imageWithSize({40, 20}, 1, [&](CGContext& c) { glyph->paint(c.cairo(), CGRectMake(0, 0, 40, 20)); });
    EXPECT_TRUE(pixelNear(plain->pixelAt(10, 10), kOpaqueRed));
}

TEST(UIImage, DrawInRectScalesTheWholeImage) {
    auto image = sampleImage(2);  // 80 × 40 pixels, 40 × 20 points
    EXPECT_EQ(image->size(), (CGSize{40, 20}));
    UIGraphicsBeginImageContextWithOptions({100, 100}, false, 1);
    image->drawInRect(CGRectMake(0, 0, 100, 50));
    image->drawInRect(CGRectMake(0, 60, 40, 20), kCGBlendModeNormal, 0.5);
    auto out = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    EXPECT_TRUE(pixelNear(out->pixelAt(25, 25), kOpaqueRed));
    EXPECT_TRUE(pixelNear(out->pixelAt(75, 25), {0, 0, 255, 128}));
    EXPECT_TRUE(pixelNear(out->pixelAt(50, 55), kTransparent));
    EXPECT_TRUE(pixelNear(out->pixelAt(10, 70), {255, 0, 0, 128}));
}

TEST(UIImage, StrongReductionsAverageAndKeepEdgesInPlace) {
    // One-pixel black and white stripes beside a red block: drawn at an eighth, the stripes
    // average to grey rather than aliasing to one of the two, and the block keeps its place.
    auto image = UIImage::imageWithSize({800, 800}, 1, [](CGContext& c) {
        c.setFillColor(1, 1, 1, 1);
        c.fillRect(CGRectMake(0, 0, 400, 800));
        c.setFillColor(0, 0, 0, 1);
        for (int x = 0; x < 400; x += 2) c.fillRect(CGRectMake(x, 0, 1, 800));
        c.setFillColor(1, 0, 0, 1);
        c.fillRect(CGRectMake(400, 0, 400, 800));
    });
    for (int pass = 0; pass < 2; ++pass) {  // the second draws from the halved copies kept with the image
        UIGraphicsBeginImageContextWithOptions({100, 100}, false, 1);
        image->drawInRect(CGRectMake(0, 0, 100, 100));
        auto out = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        for (int x : {5, 25, 45}) EXPECT_TRUE(pixelNear(out->pixelAt(x, 50), {128, 128, 128, 255}, 12)) << x;
        EXPECT_TRUE(pixelNear(out->pixelAt(52, 50), kOpaqueRed, 4));
        EXPECT_TRUE(pixelNear(out->pixelAt(95, 50), kOpaqueRed, 4));
    }
    // A copy in another rendering mode draws the same.
    UIGraphicsBeginImageContextWithOptions({100, 100}, false, 1);
    image->imageWithRenderingMode(UIImageRenderingMode::AlwaysOriginal)->drawInRect(CGRectMake(0, 0, 100, 100));
    auto out = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    EXPECT_TRUE(pixelNear(out->pixelAt(25, 50), {128, 128, 128, 255}, 12));
}

TEST(UIImage, UprightReductionsAreAreaAveragedToThePixelsCovered) {
    // Columns of 2 white and 1 black pixel, 600 wide, beside a red block 300 wide, all drawn into
    // 600 pixels: at two thirds each drawn pixel covers one and a half source pixels, so the
    // stripes give greys of a third and two thirds, and nothing at all of the red.
    auto image = UIImage::imageWithSize({900, 300}, 1, [](CGContext& c) {
        c.setFillColor(1, 1, 1, 1);
        c.fillRect(CGRectMake(0, 0, 600, 300));
        c.setFillColor(0, 0, 0, 1);
        for (int x = 2; x < 600; x += 3) c.fillRect(CGRectMake(x, 0, 1, 300));
        c.setFillColor(1, 0, 0, 1);
        c.fillRect(CGRectMake(600, 0, 300, 300));
    });
    for (int pass = 0; pass < 2; ++pass) {  // the second draws from the copy kept with the image
        auto out = UIImage::imageWithSize({600, 200}, 1,
                                          [&](CGContext& c) { image->paint(c.cairo(), CGRectMake(0, 0, 600, 200)); });
        // Pixel 2k covers source 3k to 3k + 1.5 (white, half of white); 2k + 1 the rest.
        for (int x : {0, 100, 398}) {
            EXPECT_TRUE(pixelNear(out->pixelAt(x, 100), kOpaqueWhite, 1)) << x;
            EXPECT_TRUE(pixelNear(out->pixelAt(x + 1, 100), {85, 85, 85, 255}, 1)) << x + 1;
        }
        EXPECT_TRUE(pixelNear(out->pixelAt(399, 0), {85, 85, 85, 255}, 1));
        EXPECT_TRUE(pixelNear(out->pixelAt(400, 199), kOpaqueRed, 0));
        EXPECT_TRUE(pixelNear(out->pixelAt(599, 100), kOpaqueRed, 0));
    }
}

TEST(UIImage, AReductionPreparedAheadDrawsTheSameAsOneMadeWhenDrawn) {
    auto stripes = [] {
        return UIImage::imageWithSize({900, 300}, 1, [](CGContext& c) {
            c.setFillColor(0.1, 0.8, 0.3, 1);
            c.fillRect(CGRectMake(0, 0, 900, 300));
            c.setFillColor(0, 0, 0, 0.5);
            for (int x = 1; x < 900; x += 4) c.fillRect(CGRectMake(x, 0, 2, 300));
        });
    };
    auto draw = [](const UIImage& image) {
        return UIImage::imageWithSize({600, 200}, 1,
                                      [&](CGContext& c) { image.paint(c.cairo(), CGRectMake(0, 0, 600, 200)); });
    };
    auto plain = stripes(), prepared = stripes(), elsewhere = stripes();
    UIImage::prepareReduction(prepared->surface(), 600, 200);
    UIImage::prepareReduction(elsewhere->surface(), 450, 150);  // another size: not what is drawn
    UIImage::prepareReduction(elsewhere->surface(), 900, 300);  // no reduction: nothing made
    auto expected = draw(*plain);
    for (const auto& image : {prepared, elsewhere}) {
        auto out = draw(*image);
        for (int x = 0; x < 600; x += 7) ASSERT_EQ(out->pixelAt(x, 100), expected->pixelAt(x, 100)) << x;
    }
}

TEST(ImageResample, FlatAreasStayExactAndTranslucencyStaysPremultiplied) {
    auto image = UIImage::imageWithSize({101, 37}, 1, [](CGContext& c) {
        c.setFillColor(0.2, 0.6, 0.9, 0.5);
        c.fillRect(CGRectMake(0, 0, 101, 37));
        c.setFillColor(1, 1, 1, 1);
        c.fillRect(CGRectMake(0, 0, 1, 1));
    });
    const UIImage::RGBA flat = image->pixelAt(50, 20);
    cairo_surface_t* reduced = areaAveraged(image->surface(), 33, 13);
    ASSERT_TRUE(reduced);
    auto out = UIImage::imageWithSurface(reduced, 1);
    cairo_surface_destroy(reduced);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pixelWidth(), 33);
    EXPECT_EQ(out->pixelHeight(), 13);
    for (int y = 1; y < 13; ++y)
        for (int x = 1; x < 33; ++x) ASSERT_TRUE(pixelNear(out->pixelAt(x, y), flat, 0)) << x << "," << y;
    // The white pixel is a ninth-odd of the first: lighter than the rest, and still translucent
    // colour no stronger than its alpha allows.
    const unsigned char* data = cairo_image_surface_get_data(out->surface());
    for (int i = 0; i < 33 * 4; i += 4) {
        const std::uint32_t p = *reinterpret_cast<const std::uint32_t*>(data + i);
        const unsigned a = p >> 24;
        EXPECT_LE((p >> 16) & 0xFF, a);
        EXPECT_LE((p >> 8) & 0xFF, a);
        EXPECT_LE(p & 0xFF, a);
    }
    EXPECT_GT(out->pixelAt(0, 0).r, flat.r);
    EXPECT_GT(out->pixelAt(0, 0).a, flat.a);

    // Only reductions of image surfaces are made.
    EXPECT_FALSE(areaAveraged(image->surface(), 102, 37));
    EXPECT_FALSE(areaAveraged(image->surface(), 0, 10));
    EXPECT_FALSE(areaAveraged(nullptr, 1, 1));
    cairo_surface_t* same = areaAveraged(image->surface(), 101, 37);
    ASSERT_TRUE(same);
    auto copy = UIImage::imageWithSurface(same, 1);
    cairo_surface_destroy(same);
    EXPECT_TRUE(pixelNear(copy->pixelAt(0, 0), image->pixelAt(0, 0), 0));
    EXPECT_TRUE(pixelNear(copy->pixelAt(70, 30), flat, 0));
}

TEST(UIImage, OpaqueContextsGiveOpaqueImages) {
    UIGraphicsBeginImageContextWithOptions({4, 4}, true, 1);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isOpaque());
    EXPECT_EQ(image->pixelAt(1, 1).a, 255);
    auto decoded = UIImage::imageWithData(image->pngRepresentation());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixelAt(1, 1).a, 255);
}

TEST(UIColor, HueRoundTripAndBothEndsOfTheHueScaleAreRed) {
    for (double hue : {0.0, 0.1, 0.35, 0.5, 0.8, 0.99}) {
        auto color = UIColor::colorWithHue(hue, 0.7, 0.9, 0.6);
        double h, s, b, a;
        ASSERT_TRUE(color->getHue(&h, &s, &b, &a));
        EXPECT_NEAR(h, hue, 1e-9);
        EXPECT_NEAR(s, 0.7, 1e-9);
        EXPECT_NEAR(b, 0.9, 1e-9);
        EXPECT_NEAR(a, 0.6, 1e-9);
    }
    EXPECT_TRUE(UIColor::colorWithHue(0, 1, 1, 1)->isEqual(*UIColor::redColor()));
    EXPECT_TRUE(UIColor::colorWithHue(1, 1, 1, 1)->isEqual(*UIColor::redColor()));
    auto cyan = UIColor::colorWithHue(0.5, 1, 1, 1);
    EXPECT_TRUE(cyan->isClose(*UIColor::colorWithRed(0, 1, 1, 1)));
}

TEST(UIColor, GreysHaveNoSaturation) {
    double h = -1, s = -1, b = -1;
    EXPECT_TRUE(UIColor::grayColor()->getHue(&h, &s, &b, nullptr));
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    EXPECT_NEAR(b, 0.5, 1e-12);
    EXPECT_FALSE(UIColor::whiteColor()->isEqual(*UIColor::colorWithWhite(1, 0.5)));
    EXPECT_TRUE(UIColor::clearColor()->isEqual(*UIColor::colorWithRed(0, 0, 0, 0)));
}
