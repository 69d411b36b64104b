// Decoding images as people have them: the PNG suite, colour profiles, camera orientation and
// headers that claim more pixels than any screen needs.

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lcms2.h>
#include <png.h>
#include <zlib.h>

#include "platform/foundation/SystemLog.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/PNGQuickDecoder.h"
#include "tests/support/TestProcess.h"
#include "tests/support/PixelProbe.h"
#include "platform/graphics/UIGraphics.h"

using namespace ios;
using ios::testing::pixelNear;
using ios::testing::TestProcess;

namespace {

const std::filesystem::path kSuite = std::filesystem::path(FLINT_TEST_DATA) / "pngsuite";

UIImage::Data readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t bigEndian32(const std::uint8_t* p) { return (p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

bool hasChunk(const UIImage::Data& png, const char* type) {
    for (std::size_t at = 8; at + 8 <= png.size();) {
        if (std::memcmp(&png[at + 4], type, 4) == 0) return true;
        at += 12 + bigEndian32(&png[at]);
    }
    return false;
}

::testing::AssertionResult samePixels(const UIImage& a, const UIImage& b, int tolerance) {
    if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight())
        return ::testing::AssertionFailure() << "sizes differ";
    int worst = 0, differing = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x) {
            auto p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            int d = std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b), std::abs(p.a - q.a)});
            if (p.a == 0 && q.a == 0) d = 0;
            if (d > tolerance) ++differing;
            worst = std::max(worst, d);
        }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, by up to " << worst;
}

// --- PNG writing for the tests, through libpng ---

struct RawPNG {
    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0;
    std::vector<std::vector<std::uint8_t>> rows;
    double gamma = 0;
    bool hasTransparency = false;
    UIImage::Data icc;
};

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<UIImage::Data*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

RawPNG readRaw(const UIImage::Data& bytes) {
    RawPNG raw;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    struct Source {
        const UIImage::Data* bytes;
        std::size_t at;
    } source{&bytes, 0};
    png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t n) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        std::memcpy(out, s->bytes->data() + s->at, n);
        s->at += n;
    });
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    raw.width = png_get_image_width(png, info);
    raw.height = png_get_image_height(png, info);
    raw.depth = png_get_bit_depth(png, info);
    raw.type = png_get_color_type(png, info);
    raw.hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS);
    if (!png_get_gAMA(png, info, &raw.gamma)) raw.gamma = 0;
    png_bytepp rows = png_get_rows(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    for (png_uint_32 y = 0; y < raw.height; ++y) raw.rows.emplace_back(rows[y], rows[y] + rowBytes);
    png_destroy_read_struct(&png, &info, nullptr);
    return raw;
}

// The raw image through libpng; with `filters`, only those (PNG_FILTER_…, adaptively when several),
// and with `chunk`, in IDAT chunks of at most that many bytes.
UIImage::Data writeRaw(const RawPNG& raw, std::optional<int> filters = std::nullopt, std::size_t chunk = 0) {
    UIImage::Data out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_IHDR(png, info, raw.width, raw.height, raw.depth, raw.type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (filters) png_set_filter(png, PNG_FILTER_TYPE_BASE, *filters);
    if (chunk) png_set_compression_buffer_size(png, chunk);
    if (raw.gamma > 0) png_set_gAMA(png, info, raw.gamma);
    if (!raw.icc.empty())
        png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE, raw.icc.data(),
                     static_cast<png_uint_32>(raw.icc.size()));
    std::vector<png_bytep> rows;
    for (const auto& row : raw.rows) rows.push_back(const_cast<png_bytep>(row.data()));
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The same image with every 16-bit sample rounded to 8 bits.
RawPNG reducedTo8Bits(const RawPNG& raw) {
    RawPNG reduced = raw;
    reduced.depth = 8;
    for (auto& row : reduced.rows) {
        std::vector<std::uint8_t> narrow(row.size() / 2);
        for (std::size_t i = 0; i < narrow.size(); ++i) {
            const unsigned v = (row[2 * i] << 8) | row[2 * i + 1];
            narrow[i] = static_cast<std::uint8_t>((v * 255 + 32767) / 65535);
        }
        row = narrow;
    }
    return reduced;
}

bool logMentions(TestProcess& process, const std::string& what) {
    for (const auto& line : process.process().log().lines())
        if (line.find(what) != std::string::npos) return true;
    return false;
}

}  // namespace

// One pass over the whole suite: valid files decode at their header's size, corrupt ones ("x…")
// are refused with a log line, interlaced files equal their non-interlaced twins, 16-bit files
// equal their own 8-bit reduction, and transparency is where the files say.
TEST(ImageDecoderTest, PNGSuite) {
    TestProcess process;
    std::map<std::string, objc::Ref<UIImage>> decoded;
    int valid = 0, corrupt = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
        if (entry.path().extension() != ".png") continue;
        const std::string name = entry.path().stem().string();
        const auto bytes = readBytes(entry.path());
        process.process().log().clear();
        auto image = UIImage::imageWithData(bytes);
        if (name[0] == 'x') {
            ++corrupt;
            EXPECT_FALSE(image) << name;
            EXPECT_FALSE(process.process().log().lines().empty()) << name << " was refused without a log line";
            continue;
        }
        ++valid;
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->pixelWidth(), int(bigEndian32(&bytes[16]))) << name;
        EXPECT_EQ(image->pixelHeight(), int(bigEndian32(&bytes[20]))) << name;
        decoded[name] = image;
    }
    EXPECT_EQ(valid, 161);
    EXPECT_EQ(corrupt, 14);

    int twins = 0;
    for (const auto& [name, image] : decoded) {
        if (name.size() < 4 || name[3] != 'i') continue;
        auto twin = decoded.find(name.substr(0, 3) + "n" + name.substr(4));
        if (twin == decoded.end()) continue;
        ++twins;
        EXPECT_TRUE(samePixels(*image, *twin->second, 0)) << name << " and its twin " << twin->first;
    }
    EXPECT_GE(twins, 30);

    int wide = 0;
    for (const auto& [name, image] : decoded) {
        const auto bytes = readBytes(kSuite / (name + ".png"));
        if (bytes[24] != 16) continue;
        RawPNG raw = readRaw(bytes);
        if (raw.hasTransparency) continue;  // a reduced key colour could match other pixels
        ++wide;
        auto narrow = UIImage::imageWithData(writeRaw(reducedTo8Bits(raw)));
        ASSERT_TRUE(narrow) << name;
        EXPECT_TRUE(samePixels(*image, *narrow, 1)) << name << " against its 8-bit reduction";
    }
    EXPECT_GE(wide, 20);

    for (const auto& [name, image] : decoded) {
        bool seeThrough = false;
        for (int y = 0; y < image->pixelHeight() && !seeThrough; ++y)
            for (int x = 0; x < image->pixelWidth() && !seeThrough; ++x) seeThrough = image->pixelAt(x, y).a < 255;
        const bool keyed = name.starts_with("tb") || name.starts_with("tp1") || name.starts_with("tm3");
        if (keyed || name.starts_with("tp0")) {
            EXPECT_EQ(seeThrough, keyed) << name;
        }
    }
}

namespace {

// 8-bit RGB or RGBA rows of noise over gradients, so that every filter is worth choosing somewhere.
RawPNG patterned(png_uint_32 width, png_uint_32 height, bool alpha) {
    RawPNG raw;
    raw.width = width;
    raw.height = height;
    raw.depth = 8;
    raw.type = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    std::uint32_t seed = 12345;
    const int channels = alpha ? 4 : 3;
    for (png_uint_32 y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row(width * channels);
        for (png_uint_32 x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                seed = seed * 1103515245 + 12345;
                const unsigned noise = (y / 7 + x / 5) % 3 == 0 ? (seed >> 16) & 0xFF : (seed >> 16) & 3;
                row[x * channels + c] = static_cast<std::uint8_t>(x * (c + 1) + y * 2 + noise);
            }
        raw.rows.push_back(row);
    }
    return raw;
}

cairo_surface_t* quickDecode(const UIImage::Data& bytes) {
    return decodePlainPNG(bytes.data(), bytes.size(), ImageDecoder::kMaxSide, ImageDecoder::kMaxPixels, false);
}

// The quick decoder's B, G, R, A bytes against the rows libpng reads.
::testing::AssertionResult sameAsLibpng(cairo_surface_t* surface, const UIImage::Data& bytes) {
    const RawPNG raw = readRaw(bytes);
    const int channels = raw.type == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 3;
    if (cairo_image_surface_get_width(surface) != int(raw.width) ||
        cairo_image_surface_get_height(surface) != int(raw.height))
        return ::testing::AssertionFailure() << "sizes differ";
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (png_uint_32 y = 0; y < raw.height; ++y)
        for (png_uint_32 x = 0; x < raw.width; ++x) {
            const unsigned char* p = data + y * stride + x * 4;
            const std::uint8_t* q = raw.rows[y].data() + x * channels;
            if (p[2] != q[0] || p[1] != q[1] || p[0] != q[2] || p[3] != (channels == 4 ? q[3] : 255))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
        }
    return ::testing::AssertionSuccess();
}

// A PNG of the given header fields whose image data is `rows` (filter bytes included), deflated.
UIImage::Data assembled(std::uint32_t width, std::uint32_t height, std::uint8_t type, const UIImage::Data& rows) {
    UIImage::Data out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* name, const UIImage::Data& body) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(body.size() >> shift));
        const std::size_t start = out.size();
        out.insert(out.end(), name, name + 4);
        out.insert(out.end(), body.begin(), body.end());
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start)));
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(crc >> shift));
    };
    UIImage::Data header;
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<std::uint8_t>(v >> shift));
    header.insert(header.end(), {8, type, 0, 0, 0});
    chunk("IHDR", header);
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    UIImage::Data deflated(size);
    compress(deflated.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
    deflated.resize(size);
    chunk("IDAT", deflated);
    chunk("IEND", {});
    return out;
}

}  // namespace

// The quick path takes 8-bit RGB and RGBA files with any filters, in one or many IDAT chunks,
// and gives exactly the bytes libpng reads; everything else, and anything irregular, it leaves
// to libpng, which still decodes or refuses it as before.
TEST(ImageDecoderTest, QuickPNGPathReadsExactlyWhatLibpngReads) {
    TestProcess process;
    for (bool alpha : {false, true})
        for (int filters :
             {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH, PNG_ALL_FILTERS})
            for (std::size_t chunk : {std::size_t(1) << 20, std::size_t(333)}) {
                const auto bytes = writeRaw(patterned(61, 47, alpha), filters, chunk);
                cairo_surface_t* quick = quickDecode(bytes);
                ASSERT_TRUE(quick) << alpha << " " << filters << " " << chunk;
                EXPECT_TRUE(sameAsLibpng(quick, bytes)) << alpha << " " << filters << " " << chunk;
                cairo_surface_destroy(quick);
            }
    // The encoder's own kept PNGs, in two halves, are among them.
    auto wide = UIImage::imageWithSize({600, 501}, 1, [](CGContext& c) {
        c.setFillColor(0.2, 0.5, 0.9, 0.7);
        c.fillRect(CGRectMake(0, 0, 600, 300));
    });
    const auto kept = wide->pngRepresentation();
    cairo_surface_t* quick = quickDecode(kept);
    ASSERT_TRUE(quick);
    EXPECT_TRUE(sameAsLibpng(quick, kept));
    cairo_surface_destroy(quick);

    // Of the suite, the plain 8-bit colour files, and no other kind.
    int taken = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
        if (entry.path().extension() != ".png") continue;
        const auto bytes = readBytes(entry.path());
        cairo_surface_t* surface = quickDecode(bytes);
        const std::string name = entry.path().stem().string();
        const bool plain = name[0] != 'x' && bytes[24] == 8 && (bytes[25] == 2 || bytes[25] == 6) && bytes[28] == 0 &&
                           !hasChunk(bytes, "tRNS") && !hasChunk(bytes, "PLTE");
        EXPECT_EQ(surface != nullptr, plain) << name;
        if (surface) {
            ++taken;
            EXPECT_TRUE(sameAsLibpng(surface, bytes)) << name;
            cairo_surface_destroy(surface);
        }
    }
    EXPECT_GE(taken, 20);

    // Irregular files: a filter type that does not exist, a stream cut short, a checksum wrong,
    // no IEND. libpng refuses the first and the third with a log line as before.
    UIImage::Data rows;
    for (int y = 0; y < 4; ++y) rows.insert(rows.end(), {std::uint8_t(y == 2 ? 5 : 1), 10, 20, 30, 1, 1, 1});
    const auto badFilter = assembled(2, 4, PNG_COLOR_TYPE_RGB, rows);
    EXPECT_FALSE(quickDecode(badFilter));
    process.process().log().clear();
    EXPECT_FALSE(UIImage::imageWithData(badFilter));
    EXPECT_FALSE(process.process().log().lines().empty());

    rows.resize(rows.size() - 3);
    EXPECT_FALSE(quickDecode(assembled(2, 4, PNG_COLOR_TYPE_RGB, rows)));

    auto badChecksum = writeRaw(patterned(20, 20, false), PNG_ALL_FILTERS, 1 << 20);
    badChecksum[50] ^= 0x40;  // inside the image data
    EXPECT_FALSE(quickDecode(badChecksum));
    process.process().log().clear();
    EXPECT_FALSE(UIImage::imageWithData(badChecksum));
    EXPECT_FALSE(process.process().log().lines().empty());

    auto noEnd = writeRaw(patterned(20, 20, true), PNG_ALL_FILTERS, 1 << 20);
    noEnd.resize(noEnd.size() - 12);
    EXPECT_FALSE(quickDecode(noEnd));
}

// A file gamma of 1.0 stores linear light: it is shown through the sRGB curve.
TEST(ImageDecoderTest, LinearGammaBecomesSRGB) {
    const auto bytes = readBytes(kSuite / "g10n2c08.png");
    RawPNG raw = readRaw(bytes);
    auto image = UIImage::imageWithData(bytes);
    ASSERT_TRUE(image);
    auto encode = [](double linear) {
        const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        return static_cast<std::uint8_t>(std::lround(v * 255));
    };
    int checked = 0;
    for (png_uint_32 y = 0; y < raw.height; y += 7)
        for (png_uint_32 x = 0; x < raw.width; x += 5, ++checked) {
            const std::uint8_t* p = &raw.rows[y][x * 3];
            UIImage::RGBA expected{encode(p[0] / 255.0), encode(p[1] / 255.0), encode(p[2] / 255.0), 255};
            ASSERT_TRUE(pixelNear(image->pixelAt(int(x), int(y)), expected, 2)) << x << ", " << y;
        }
    EXPECT_GT(checked, 20);
}

namespace {

// The linear-light matrix from RGB to XYZ of a space with these primaries and a D65 white.
using Matrix = std::array<std::array<double, 3>, 3>;

Matrix invert(const Matrix& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix inverse{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inverse[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return inverse;
}

Matrix toXYZ(const double (&xy)[3][2]) {
    const double wx = 0.3127, wy = 0.3290;
    Matrix m{};
    for (int c = 0; c < 3; ++c) {
        m[0][c] = xy[c][0] / xy[c][1];
        m[1][c] = 1;
        m[2][c] = (1 - xy[c][0] - xy[c][1]) / xy[c][1];
    }
    // Scale each primary so that RGB (1, 1, 1) is the white point (Y = 1).
    const double white[3] = {wx / wy, 1, (1 - wx - wy) / wy};
    const Matrix inverse = invert(m);
    double s[3];
    for (int r = 0; r < 3; ++r) s[r] = inverse[r][0] * white[0] + inverse[r][1] * white[1] + inverse[r][2] * white[2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] *= s[c];
    return m;
}

double srgbDecode(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double srgbEncode(double v) { return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }

const double kP3Primaries[3][2] = {{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}};
const double kSRGBPrimaries[3][2] = {{0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}};

// Display P3: the P3 primaries, a D65 white and the sRGB curve, as a phone's screenshot carries it.
UIImage::Data displayP3Profile() {
    cmsCIExyY white{0.3127, 0.3290, 1};
    cmsCIExyYTRIPLE primaries{{kP3Primaries[0][0], kP3Primaries[0][1], 1},
                              {kP3Primaries[1][0], kP3Primaries[1][1], 1},
                              {kP3Primaries[2][0], kP3Primaries[2][1], 1}};
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    UIImage::Data bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

// A 16 × 8 image: the left half `left`, the right half `right` (8-bit RGB).
RawPNG twoPatches(std::array<std::uint8_t, 3> left, std::array<std::uint8_t, 3> right) {
    RawPNG raw;
    raw.width = 16;
    raw.height = 8;
    raw.depth = 8;
    raw.type = PNG_COLOR_TYPE_RGB;
    for (int y = 0; y < 8; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < 16; ++x) {
            const auto& colour = x < 8 ? left : right;
            row.insert(row.end(), colour.begin(), colour.end());
        }
        raw.rows.push_back(row);
    }
    return raw;
}

UIImage::Data jpegWithProfile(const RawPNG& raw, const UIImage::Data& icc) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = raw.width;
    info.image_height = raw.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    jpeg_write_icc_profile(&info, icc.data(), static_cast<unsigned>(icc.size()));
    for (const auto& row : raw.rows) {
        JSAMPROW pointer = const_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    UIImage::Data out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace

// A Display P3 image (iCCP in a PNG, ICC_PROFILE in a JPEG) comes out in sRGB: grey stays grey,
// and a saturated colour inside the sRGB gamut lands on the value its primaries give.
TEST(ImageDecoderTest, DisplayP3ConvertsToSRGB) {
    TestProcess process;
    const std::array<std::uint8_t, 3> grey{128, 128, 128}, p3{200, 90, 60};
    // The expected sRGB value, from the two spaces' primaries.
    const Matrix m = toXYZ(kP3Primaries), toSRGB = invert(toXYZ(kSRGBPrimaries));
    double linear[3], xyz[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) linear[i] = srgbDecode(p3[i] / 255.0);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) xyz[r] += m[r][c] * linear[c];
    std::uint8_t expected[3];
    for (int r = 0; r < 3; ++r) {
        const double v = toSRGB[r][0] * xyz[0] + toSRGB[r][1] * xyz[1] + toSRGB[r][2] * xyz[2];
        ASSERT_GT(v, 0.0);
        ASSERT_LT(v, 1.0);  // inside the sRGB gamut
        expected[r] = static_cast<std::uint8_t>(std::lround(srgbEncode(v) * 255));
    }
    ASSERT_GT(std::abs(int(expected[0]) - int(p3[0])), 12) << "the test colour must move noticeably";

    RawPNG raw = twoPatches(grey, p3);
    raw.icc = displayP3Profile();
    const UIImage::Data png = writeRaw(raw), jpeg = jpegWithProfile(raw, raw.icc);
    for (const auto& bytes : {png, jpeg}) {
        auto image = UIImage::imageWithData(bytes);
        ASSERT_TRUE(image);
        const int tolerance = ImageDecoder::isPNG(bytes.data(), bytes.size()) ? 1 : 3;
        EXPECT_TRUE(pixelNear(image->pixelAt(3, 4), {128, 128, 128, 255}, tolerance));
        EXPECT_TRUE(pixelNear(image->pixelAt(12, 4), {expected[0], expected[1], expected[2], 255}, tolerance));
    }
}

TEST(ImageDecoderTest, ExportedPNGsSayTheyAreSRGB) {
    auto image = UIImage::imageWithSize({4, 4}, 1, [](CGContext& c) {
        c.setFillColor(0.2, 0.4, 0.6, 1);
        c.fillRect(CGRectMake(0, 0, 4, 4));
    });
    const auto bytes = image->pngRepresentation();
    EXPECT_TRUE(hasChunk(bytes, "sRGB"));
    auto again = UIImage::imageWithData(bytes);  // a chunk with a wrong CRC would be refused
    ASSERT_TRUE(again);
    EXPECT_TRUE(pixelNear(again->pixelAt(2, 2), {51, 102, 153, 255}, 1));
}

namespace {

// How a camera stored an upright scene, for each EXIF orientation: the stored pixels are the
// scene under this transform (the inverse of the one that shows them upright).
struct StoredAs {
    int exif;
    UIImageOrientation orientation;
    bool turned;               // stored with width and height exchanged
    cairo_matrix_t fromScene;  // scene point → stored point, for a w × h scene (xx, yx, xy, yy, x0, y0)
};

std::vector<StoredAs> storedAs(double w, double h) {
    return {
        {1, UIImageOrientation::Up, false, {1, 0, 0, 1, 0, 0}},
        // mirrored left-right
        {2, UIImageOrientation::UpMirrored, false, {-1, 0, 0, 1, w, 0}},
        // turned 180°
        {3, UIImageOrientation::Down, false, {-1, 0, 0, -1, w, h}},
        // mirrored top-bottom
        {4, UIImageOrientation::DownMirrored, false, {1, 0, 0, -1, 0, h}},
        // mirrored about the diagonal
        {5, UIImageOrientation::LeftMirrored, true, {0, 1, 1, 0, 0, 0}},
        // turned a quarter counter-clockwise
        {6, UIImageOrientation::Right, true, {0, -1, 1, 0, 0, w}},
        // mirrored about the other diagonal
        {7, UIImageOrientation::RightMirrored, true, {0, -1, -1, 0, h, w}},
        // turned a quarter clockwise
        {8, UIImageOrientation::Left, true, {0, 1, -1, 0, h, 0}},
    };
}

// Red top left, green top right, blue bottom left, white bottom right.
void paintScene(cairo_t* cr, double w, double h) {
    const double colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    for (int q = 0; q < 4; ++q) {
        cairo_set_source_rgb(cr, colours[q][0], colours[q][1], colours[q][2]);
        cairo_rectangle(cr, (q % 2) * w / 2, (q / 2) * h / 2, w / 2, h / 2);
        cairo_fill(cr);
    }
}

// A JPEG of the scene stored as `how` says, with an EXIF block naming its orientation.
UIImage::Data cameraJPEG(const StoredAs& how, int w, int h, bool bigEndianExif) {
    const CGSize size{double(how.turned ? h : w), double(how.turned ? w : h)};
    auto stored = UIImage::imageWithSize(size, 1, [&](CGContext& c) {
        cairo_t* cr = c.cairo();
        cairo_transform(cr, &how.fromScene);
        paintScene(cr, w, h);
    });
    UIImage::Data jpeg = stored->jpegRepresentation(0.95);
    const std::uint8_t v = static_cast<std::uint8_t>(how.exif);
    std::vector<std::uint8_t> tiff = bigEndianExif
                                         ? std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0,
                                                                     3,   0,   0, 0,  1, 0, v, 0, 0, 0, 0,    0,    0}
                                         : std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                                                                     0,   1,   0,  0, 0, v, 0, 0, 0, 0, 0,    0,    0};
    std::vector<std::uint8_t> app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    app1[2] = static_cast<std::uint8_t>((app1.size() - 2) >> 8);
    app1[3] = static_cast<std::uint8_t>(app1.size() - 2);
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    return jpeg;
}

}  // namespace

// Each of the eight EXIF orientations comes out upright, full size and as a thumbnail, and the
// image reports the orientation the file stored.
TEST(ImageDecoderTest, CameraOrientationIsDrawnUpright) {
    TestProcess process;
    const int w = 96, h = 64;
    for (const auto& how : storedAs(w, h)) {
        const auto bytes = cameraJPEG(how, w, h, how.exif % 2 == 0);
        auto full = UIImage::imageWithData(bytes);
        auto thumbnail = UIImage::thumbnailWithData(bytes.data(), bytes.size(), 16);
        for (const auto& image : {full, thumbnail}) {
            ASSERT_TRUE(image) << "orientation " << how.exif;
            EXPECT_EQ(image->imageOrientation(), how.orientation) << "orientation " << how.exif;
            const int iw = image->pixelWidth(), ih = image->pixelHeight();
            EXPECT_GT(iw, ih) << "orientation " << how.exif;
            EXPECT_NEAR(double(iw) / ih, 1.5, 0.1);
            const std::pair<double, double> probes[4] = {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};
            const UIImage::RGBA expected[4] = {
                {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
            for (int q = 0; q < 4; ++q)
                EXPECT_TRUE(
                    pixelNear(image->pixelAt(int(probes[q].first * iw), int(probes[q].second * ih)), expected[q], 40))
                    << "orientation " << how.exif << ", quadrant " << q << ", " << iw << " × " << ih;
        }
        EXPECT_EQ(full->pixelWidth(), w);
        EXPECT_LT(thumbnail->pixelHeight(), h / 2);
        EXPECT_GE(thumbnail->pixelHeight(), 16);
    }
}

namespace {

std::uint32_t pngCRC(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

void setBigEndian(UIImage::Data& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

// A small PNG whose header claims w × h (with a correct header CRC).
UIImage::Data pngClaiming(std::uint32_t w, std::uint32_t h) {
    auto bytes = UIImage::imageWithSize({4, 4}, 1, [](CGContext&) {})->pngRepresentation();
    setBigEndian(bytes, 16, w, 4);
    setBigEndian(bytes, 20, h, 4);
    setBigEndian(bytes, 29, pngCRC(&bytes[12], 17), 4);
    return bytes;
}

// A small JPEG whose frame header claims w × h.
UIImage::Data jpegClaiming(std::uint16_t w, std::uint16_t h) {
    auto bytes = UIImage::imageWithSize(
                     {16, 16}, 1, [](CGContext&) {}, true)
                     ->jpegRepresentation(0.8);
    for (std::size_t at = 2; at + 9 < bytes.size(); ++at)
        if (bytes[at] == 0xFF && bytes[at + 1] == 0xC0) {
            setBigEndian(bytes, at + 5, h, 2);
            setBigEndian(bytes, at + 7, w, 2);
            break;
        }
    return bytes;
}

}  // namespace

// A header that claims more than 8192 pixels on a side, or more pixels than memory allows, is
// refused from the header alone (the claimed sizes would need gigabytes).
TEST(ImageDecoderTest, DecompressionBombsAreRefused) {
    TestProcess process;
    for (auto [w, h] : {std::pair<std::uint32_t, std::uint32_t>{8193, 1}, {1, 8193}, {8192, 8192}, {60000, 60000}}) {
        process.process().log().clear();
        EXPECT_FALSE(UIImage::imageWithData(pngClaiming(w, h))) << w << " × " << h;
        EXPECT_TRUE(logMentions(process, "too large")) << w << " × " << h;
        process.process().log().clear();
        EXPECT_FALSE(UIImage::imageWithData(jpegClaiming(std::uint16_t(w), std::uint16_t(h)))) << w << " × " << h;
        EXPECT_TRUE(logMentions(process, "too large")) << w << " × " << h;
    }
    // Right at the side limit, a real image still decodes.
    auto wide = UIImage::imageWithSize({8192, 2}, 1, [](CGContext& c) {
        c.setFillColor(0, 1, 0, 1);
        c.fillRect(CGRectMake(0, 0, 8192, 2));
    });
    auto decoded = UIImage::imageWithData(wide->pngRepresentation());
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(pixelNear(decoded->pixelAt(8191, 1), {0, 255, 0, 255}, 0));
}
