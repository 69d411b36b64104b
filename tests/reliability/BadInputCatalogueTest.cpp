// A catalogue of bad inputs, end to end: for each, flint-sim boots a device whose root holds the
// bad file, opens the quick panel and checks the outcome. None may crash; each gives the fallback
// the system names or a clear log line; the stored file is left byte for byte as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "tests/sim/SimRunner.h"

namespace {

using flint::testing::SimResult;

constexpr const char* kPreferences = "var/mobile/Library/Preferences/com.quillmoth.FlintPrefs.plist";
constexpr const char* kColors = "var/mobile/Library/Preferences/com.quillmoth.FlintPrefs.color.plist";
constexpr const char* kConfiguration = "var/mobile/Library/Flint/DeviceConfiguration.plist";
constexpr const char* kNetwork = "Library/Preferences/SystemConfiguration/FlintDeviceNetwork.json";
constexpr const char* kArtwork = "var/mobile/Media/Artwork/broken.png";
constexpr const char* kPhoto = "var/mobile/Media/DCIM/100APPLE/IMG_0001";

std::string xmlOf(const ios::Dictionary& dictionary) {
    auto bytes = ios::propertyListData(ios::Value(dictionary), ios::PlistFormat::XML);
    return {bytes.begin(), bytes.end()};
}

const std::string kPanelOn = xmlOf({{"enableAll", true}});

// A small JPEG cut in half: a start, part of the picture, no end.
std::string truncatedJPEG() {
    ios::testing::TestProcess process;
    auto image = ios::UIImage::imageWithSize({32, 32}, 1, [](ios::CGContext& c) {
        c.setFillColor(0.8, 0.2, 0.2, 1);
        c.fillRect({{0, 0}, {32, 32}});
    });
    auto jpeg = image->jpegRepresentation(0.9);
    return std::string(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
}

// A small real image whose header claims 20000 × 20000 pixels: a PNG (its header's check value
// recomputed, so only the size is wrong) or a JPEG (its frame header's size rewritten).
std::uint32_t crc32Of(const unsigned char* bytes, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void putBigEndian(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
}

std::string giantClaiming(bool png) {
    ios::testing::TestProcess process;
    auto image = ios::UIImage::imageWithSize({4, 4}, 1, [](ios::CGContext& c) {
        c.setFillColor(0.2, 0.6, 0.3, 1);
        c.fillRect({{0, 0}, {4, 4}});
    });
    auto bytes = png ? image->pngRepresentation() : image->jpegRepresentation(0.9);
    if (png) {
        // Signature, then the header chunk: length, "IHDR", width, height, ...; its check value
        // covers the type and the 13 data bytes.
        putBigEndian(&bytes[16], 20000, 4);
        putBigEndian(&bytes[20], 20000, 4);
        putBigEndian(&bytes[29], crc32Of(&bytes[12], 17), 4);
    } else {
        for (std::size_t i = 2; i + 9 < bytes.size(); ++i)
            if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
                putBigEndian(&bytes[i + 5], 20000, 2);  // height, then width
                putBigEndian(&bytes[i + 7], 20000, 2);
                break;
            }
    }
    return {bytes.begin(), bytes.end()};
}

std::string onePixelPNG() {
    ios::testing::TestProcess process;
    auto image = ios::UIImage::imageWithSize({1, 1}, 1, [](ios::CGContext& c) {
        c.setFillColor(1, 1, 1, 1);
        c.fillRect({{0, 0}, {1, 1}});
    });
    auto bytes = image->pngRepresentation();
    return {bytes.begin(), bytes.end()};
}

ios::Data dataOf(const std::string& bytes) { return ios::Data(bytes.begin(), bytes.end()); }

std::string configurationWithArtwork() {
    return xmlOf(
        {{"NowPlaying", ios::Array{ios::Value(ios::Dictionary{
                            {"Title", "Broken"}, {"Artist", "Art"}, {"Artwork", std::string("/") + kArtwork}})}}});
}

struct BadInput {
    const char* name;
    std::string file;         // device-root relative path of the bad file
    std::string bytes;        // its contents
    std::string preferences;  // the preference file beside it, when the bad file is another
    std::string checks;       // scenario lines run after the panel was asked to open
    std::string otherFile = {}, otherBytes = {};
};

class BadInputCatalogue : public flint::testing::SimFolderTest {
protected:
    void put(const std::filesystem::path& root, const std::string& file, const std::string& bytes) {
        std::filesystem::create_directories((root / file).parent_path());
        std::ofstream(root / file, std::ios::binary) << bytes;
    }
    std::string contents(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(BadInputCatalogue, EachBadInputGetsItsFallbackAndStaysAsStored) {
    const std::string cutPreferences = kPanelOn.substr(0, kPanelOn.size() / 2);
    const std::string arrayRoot = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><true/></array></plist>";
    const std::string panelOpens = "expect text \"iCloud\"\n";
    const std::string panelClosed = "expect recognizer none\n";
    const std::string refusedGiant = "expect log \"image too large (20000 × 20000)\"\n";
    // The editor's screenshot picker shows the library's photos as thumbnails.
    const std::string photoPicker =
        "tap-property showcaseView\nwait 1\ntap-property customizeView1\nwait 1\n"
        "tap-property toolCardView 187 20\nwait 1\ntap-property screenshotImageButton\nwait 1\n";
    const std::string giantPNG = giantClaiming(true), giantJPEG = giantClaiming(false);
    const std::vector<BadInput> inputs = {
        {"corrupt preferences", kPreferences, "\x01\x02 not a property list \xFF", "", panelClosed},
        {"truncated preferences", kPreferences, cutPreferences, "", panelClosed},
        {"empty preferences", kPreferences, "", "", panelClosed},
        {"preferences of the wrong root type", kPreferences, arrayRoot, "", panelClosed},
        {"corrupt colours", kColors, "<plist><dict><key>flintBannerColor</key><strin", kPanelOn, panelOpens},
        {"empty colours", kColors, "", kPanelOn, panelOpens},
        {"colours of the wrong root type", kColors, arrayRoot, kPanelOn, panelOpens},
        {"colours of the wrong types", kColors, xmlOf({{"flintContainerColor", 7}, {"flintLabelColor", ios::Array{}}}),
         kPanelOn, panelOpens},
        {"device configuration of wrong types", kConfiguration,
         xmlOf({{"Profile", 8}, {"Appearance", ios::Array{}}, {"Applications", "Music"}, {"NowPlaying", true}}),
         kPanelOn, panelOpens + "expect log \"Applications is not an array; using the defaults\"\n"},
        {"network file of wrong types", kNetwork, "{\"interfaces\": {\"en0\": 1}, \"cellular\": []}", kPanelOn,
         panelOpens + "expect log \"interfaces must be an array; using a typical phone's network\"\n"},
        {"network file with a provider that is not true or false", kNetwork, "{\"cellular\": {\"provider\": \"yes\"}}",
         kPanelOn, panelOpens + "expect log \"cellular.provider must be true or false\"\n"},
        {"a user name of 1 MB", kPreferences,
         xmlOf({{"enableAll", true}, {"userNameString", std::string(1 << 20, 'n')}}), "",
         "expect log \"userNameString in\"\nexpect text \"Dismiss\"\n"},
        {"an avatar that is not an image", kPreferences,
         xmlOf(
             {{"enableAll", true}, {"icloudAvatarImage", ios::Data{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'g'}}}),
         "", panelOpens},
        {"artwork that is not an image", kArtwork, "GIF89a? no, just text", kPanelOn, panelOpens, kConfiguration,
         configurationWithArtwork()},
        {"artwork that is a truncated JPEG", kArtwork, truncatedJPEG(), kPanelOn, panelOpens, kConfiguration,
         configurationWithArtwork()},
        {"an avatar of 1 × 1 pixel", kPreferences,
         xmlOf({{"enableAll", true}, {"icloudAvatarImage", dataOf(onePixelPNG())}}), "", panelOpens},
        {"an avatar PNG claiming 20000 × 20000 pixels", kPreferences,
         xmlOf({{"enableAll", true}, {"icloudAvatarImage", dataOf(giantPNG)}}), "", panelOpens + refusedGiant},
        {"an avatar JPEG claiming 20000 × 20000 pixels", kPreferences,
         xmlOf({{"enableAll", true}, {"icloudAvatarImage", dataOf(giantJPEG)}}), "", panelOpens + refusedGiant},
        {"artwork PNG claiming 20000 × 20000 pixels", kArtwork, giantPNG, kPanelOn, panelOpens + refusedGiant,
         kConfiguration, configurationWithArtwork()},
        {"artwork JPEG claiming 20000 × 20000 pixels", kArtwork, giantJPEG, kPanelOn, panelOpens + refusedGiant,
         kConfiguration, configurationWithArtwork()},
        {"a photo PNG claiming 20000 × 20000 pixels", kPhoto + std::string(".PNG"), giantPNG, kPanelOn,
         photoPicker + refusedGiant},
        {"a photo JPEG claiming 20000 × 20000 pixels", kPhoto + std::string(".JPG"), giantJPEG, kPanelOn,
         photoPicker + refusedGiant},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        const auto root = dir / "root";
        std::filesystem::remove_all(root);
        if (!input.preferences.empty()) put(root, kPreferences, input.preferences);
        if (!input.otherFile.empty()) put(root, input.otherFile, input.otherBytes);
        put(root, input.file, input.bytes);
        SimResult r = runScript("bad.flint", "root " + root.string() + "\nboot\ntap 187 20\nwait 1\n" + input.checks);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_TRUE(contents(root / input.file) == input.bytes) << "the stored file changed";
    }
}

// A preference rewrite (the settings pane setting one key) keeps the dates of every year stored
// beside it.
TEST_F(BadInputCatalogue, SettingAPreferenceKeepsFarDatesStoredBesideIt) {
    const auto root = dir / "root";
    put(root, kPreferences,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
        "\t<key>future</key>\n\t<date>2100-01-01T00:00:00Z</date>\n"
        "\t<key>past</key>\n\t<date>1900-06-01T12:00:00Z</date>\n</dict>\n</plist>\n");
    SimResult r = flint::testing::runSim("prefs --root " + root.string() + " set enableAll=true");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string rewritten = contents(root / kPreferences);
    EXPECT_NE(rewritten.find("<date>2100-01-01T00:00:00Z</date>"), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("<date>1900-06-01T12:00:00Z</date>"), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("<key>enableAll</key>"), std::string::npos) << rewritten;
}

}  // namespace
