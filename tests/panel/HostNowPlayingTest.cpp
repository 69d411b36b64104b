// The music card over the host back end: media players on a bus of the test's own, each a small
// MPRIS service on a thread of its own as a separate program would be.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "controls/FlintWaveView.h"
#include "panel/PanelFixture.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/services/MPRISPlayers.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "tests/support/FakeBusService.h"

namespace flint {
namespace {

using testing::FakeBusService;
using testing::PanelTest;
using testing::PrivateBus;

constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kInterface = "org.mpris.MediaPlayer2.Player";

struct Track {
    std::string title;
    std::string artist;
    std::string artUrl;
};

GVariant* metadataOf(const Track& track) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&builder, "{sv}", "mpris:trackid", g_variant_new_object_path("/org/flint/track/1"));
    if (!track.title.empty())
        g_variant_builder_add(&builder, "{sv}", "xesam:title", g_variant_new_string(track.title.c_str()));
    if (!track.artist.empty()) {
        const gchar* artists[] = {track.artist.c_str(), nullptr};
        g_variant_builder_add(&builder, "{sv}", "xesam:artist", g_variant_new_strv(artists, -1));
    }
    if (!track.artUrl.empty())
        g_variant_builder_add(&builder, "{sv}", "mpris:artUrl", g_variant_new_string(track.artUrl.c_str()));
    return g_variant_builder_end(&builder);
}

// A player with a list of tracks: PlayPause toggles, Next and Previous move through the list
// (wrapping), each change announced as a desktop player does.
class TestPlayer {
public:
    TestPlayer(const std::string& address, const std::string& name, std::vector<Track> tracks, bool playing)
        : m_tracks(std::move(tracks)), m_playing(playing) {
        FakeBusService::Object object{kPath,
                                      kInterface,
                                      {{"PlaybackStatus", g_variant_new_string(playing ? "Playing" : "Paused")},
                                       {"Metadata", metadataOf(m_tracks[0])}},
                                      {{"PlayPause", {"", ""}}, {"Next", {"", ""}}, {"Previous", {"", ""}}}};
        m_service = std::make_unique<FakeBusService>(
            address, "org.mpris.MediaPlayer2." + name, std::vector<FakeBusService::Object>{object},
            [this](const std::string&, const std::string& method, GVariant*) { return carryOut(method); });
    }
    bool running() const { return m_service->running(); }
    FakeBusService& service() { return *m_service; }
    void quit() { m_service->quit(); }
    std::vector<std::string> commands() {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

private:
    GVariant* carryOut(const std::string& method) {
        bool playing;
        Track track;
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(method);
            if (method == "PlayPause") m_playing = !m_playing;
            if (method == "Next") m_index = (m_index + 1) % m_tracks.size();
            if (method == "Previous") m_index = (m_index + m_tracks.size() - 1) % m_tracks.size();
            playing = m_playing;
            track = m_tracks[m_index];
        }
        if (method == "PlayPause")
            m_service->setProperty(kPath, kInterface, "PlaybackStatus",
                                   g_variant_new_string(playing ? "Playing" : "Paused"));
        else
            m_service->setProperty(kPath, kInterface, "Metadata", metadataOf(track));
        return g_variant_new("()");
    }

    std::vector<Track> m_tracks;
    std::mutex m_mutex;
    std::size_t m_index = 0;
    bool m_playing;
    std::vector<std::string> m_commands;
    std::unique_ptr<FakeBusService> m_service;
};

// A PNG of one colour in a folder of the host (not the device root: a desktop player's cache).
std::string writeArtwork(const std::filesystem::path& folder, const std::string& name, double r, double g, double b) {
    auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(20, 20), 1, [&](ios::CGContext& c) {
        c.setFillColor(r, g, b, 1);
        c.fillRect(ios::CGRectMake(0, 0, 20, 20));
    });
    std::filesystem::path file = folder / name;
    EXPECT_TRUE(image->writePNG(file));
    gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
    std::string text = uri;
    g_free(uri);
    return text;
}

class HostNowPlayingTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start (./dev setup installs it)";
        m_art = ios::Process::shared().deviceRoot() / "host-art";
        std::filesystem::create_directories(m_art);
    }

    void bootOnBus() {
        boot("iphone-x", 2, {{"enableWave", true}});
        ios::MRNowPlayingPlayer::shared().useHostPlayers(bus.address());
        loop().runUntilIdle();
    }
    // Turns the run loop (and so the back end's polling) until `done`, for at most ten seconds
    // of wall time: the players answer on threads of their own.
    bool settle(const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            loop().advanceBy(ios::MPRISPlayers::kPollInterval);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        loop().runUntilIdle();
        return true;
    }
    bool titleIs(const std::optional<std::string>& title) { return host().titleLabel()->text() == title; }
    ios::UIImage::RGBA artworkPixel() {
        auto image = host().artworkImage()->image();
        return image ? image->pixelAt(image->pixelWidth() / 2, image->pixelHeight() / 2) : ios::UIImage::RGBA{};
    }
    bool showsImage(const objc::Ref<ios::UIImageView>& view, const char* file) {
        auto expected =
            ios::UIImage::imageWithContentsOfFile(std::string("/Library/Application Support/Flint.bundle/") + file);
        auto shown = view->image();
        if (!expected || !shown || shown->pixelWidth() != expected->pixelWidth()) return false;
        for (int y = 0; y < shown->pixelHeight(); y += 3)
            for (int x = 0; x < shown->pixelWidth(); x += 3)
                if (!(shown->pixelAt(x, y) == expected->pixelAt(x, y))) return false;
        return true;
    }
    std::size_t logLinesStarting(const std::string& prefix) {
        std::size_t n = 0;
        for (const auto& line : ios::Process::shared().log().lines()) n += line.rfind(prefix, 0) == 0;
        return n;
    }

    PrivateBus bus;
    std::filesystem::path m_art;
};

TEST_F(HostNowPlayingTest, TheCardShowsThePlayersTrackAndItsButtonsReachThePlayer) {
    TestPlayer player(bus.address(), "flintaudio",
                      {{"Red Song", "Red Band", writeArtwork(m_art, "red.png", 1, 0, 0)},
                       {"Blue Song", "Blue Band", writeArtwork(m_art, "blue.png", 0, 0, 1)},
                       {"Plain Song", "Nobody", ""}},
                      true);
    ASSERT_TRUE(player.running());
    bootOnBus();
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.titleLabel()->text(), "Red Song");
    EXPECT_EQ(h.artistLabel()->text(), "Red Band");
    ios::UIImage::RGBA p = artworkPixel();
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.b, 0);
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));
    EXPECT_EQ(h.waterView()->alpha(), 1);

    tapView(*h.nextImage());
    ASSERT_TRUE(settle([&] { return titleIs("Blue Song"); }));
    EXPECT_EQ(h.artistLabel()->text(), "Blue Band");
    EXPECT_EQ(artworkPixel().b, 255);
    tapView(*h.nextImage());
    ASSERT_TRUE(settle([&] { return titleIs("Plain Song"); }));
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    tapView(*h.backImage());
    ASSERT_TRUE(settle([&] { return titleIs("Blue Song"); }));

    tapView(*h.playImage());
    ASSERT_TRUE(settle([&] { return showsImage(h.playImage(), "play.png"); }));
    EXPECT_EQ(h.waterView()->alpha(), 0);
    EXPECT_FALSE(ios::MRNowPlayingPlayer::shared().isPlaying());
    tapView(*h.playImage());
    ASSERT_TRUE(settle([&] { return showsImage(h.playImage(), "pause.png"); }));
    EXPECT_EQ(player.commands(), (std::vector<std::string>{"Next", "Next", "Previous", "PlayPause", "PlayPause"}));
    EXPECT_EQ(ios::MRNowPlayingPlayer::shared().commandLog(), (std::vector<unsigned>{4, 4, 5, 2, 2}));
    EXPECT_EQ(hapticCount(), 5u);
}

TEST_F(HostNowPlayingTest, ThePlayingPlayerWinsAndTheCardFollowsPlayersQuittingAndAppearing) {
    auto paused = std::make_unique<TestPlayer>(bus.address(), "paused",
                                               std::vector<Track>{{"Quiet Song", "Paused Band", ""}}, false);
    auto playing = std::make_unique<TestPlayer>(bus.address(), "loud",
                                                std::vector<Track>{{"Loud Song", "Playing Band", ""}}, true);
    bootOnBus();
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.titleLabel()->text(), "Loud Song") << "the one playing, though it appeared later";
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));

    playing->quit();
    ASSERT_TRUE(settle([&] { return titleIs("Quiet Song"); }));
    EXPECT_EQ(h.artistLabel()->text(), "Paused Band");
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    // Commands now go to the one left.
    tapView(*h.playImage());
    ASSERT_TRUE(settle([&] { return showsImage(h.playImage(), "pause.png"); }));
    EXPECT_EQ(paused->commands(), (std::vector<std::string>{"PlayPause"}));

    // A new player that is not playing does not take over from one that is.
    TestPlayer newcomer(bus.address(), "newcomer", {{"New Song", "New Band", ""}}, false);
    ASSERT_TRUE(newcomer.running());
    ASSERT_TRUE(settle([&] { return ios::MRNowPlayingPlayer::shared().hostPlayers()->players().size() == 2; }));
    EXPECT_EQ(h.titleLabel()->text(), "Quiet Song");
    // Once the one playing pauses it stays the one shown: pausing is activity too.
    tapView(*h.playImage());
    ASSERT_TRUE(settle([&] { return showsImage(h.playImage(), "play.png"); }));
    EXPECT_EQ(h.titleLabel()->text(), "Quiet Song");
    // The newcomer starts playing: it becomes current.
    newcomer.service().setProperty(kPath, kInterface, "PlaybackStatus", g_variant_new_string("Playing"));
    ASSERT_TRUE(settle([&] { return titleIs("New Song"); }));
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));

    paused->quit();
    newcomer.quit();
    ASSERT_TRUE(settle([&] { return titleIs(std::nullopt); }));
    EXPECT_EQ(h.artistLabel()->text(), std::nullopt);
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    EXPECT_EQ(h.waterView()->alpha(), 0);
    EXPECT_EQ(logLinesStarting("MediaRemote: no media player on the session bus"), 1u);
    // With nobody to take them, the buttons do nothing and say nothing more.
    tapView(*h.nextImage());
    loop().advanceBy(0.5);
    EXPECT_EQ(logLinesStarting("MediaRemote:"), 1u);
}

TEST_F(HostNowPlayingTest, MalformedMetadataShowsWhatIsUsableAndNeverTheBrokenParts) {
    std::ofstream(m_art / "notes.txt") << "not an image";
    TestPlayer player(bus.address(), "odd", {{"Fine", "Fine Band", writeArtwork(m_art, "red.png", 1, 0, 0)}}, true);
    bootOnBus();
    openPanel();
    FlintHost h = host();
    ASSERT_EQ(h.titleLabel()->text(), "Fine");
    auto change = [&](std::initializer_list<std::pair<const char*, GVariant*>> entries) {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
        for (auto& [key, value] : entries) g_variant_builder_add(&builder, "{sv}", key, value);
        player.service().setProperty(kPath, kInterface, "Metadata", g_variant_builder_end(&builder));
    };

    // Wrong types: a number for the title, numbers for the artists, a list for the artwork.
    const gchar* urls[] = {"file:///x.png", nullptr};
    const gint32 numbers[] = {1, 2};
    change({{"xesam:title", g_variant_new_int32(7)},
            {"xesam:artist", g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, numbers, 2, sizeof(gint32))},
            {"mpris:artUrl", g_variant_new_strv(urls, -1)}});
    ASSERT_TRUE(settle([&] { return titleIs(std::nullopt); }));
    EXPECT_EQ(h.artistLabel()->text(), std::nullopt);
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png")) << "still playing";

    // A huge title is cut at a character boundary; artwork that is missing shows the banner.
    std::string huge;
    while (huge.size() < 200'000) huge += "\xC3\xA9t\xC3\xA9 ";
    std::string missing = "file://" + (m_art / "missing.png").string();
    change({{"xesam:title", g_variant_new_string(huge.c_str())},
            {"xesam:artist", g_variant_new_string("Single Artist")},
            {"mpris:artUrl", g_variant_new_string(missing.c_str())}});
    ASSERT_TRUE(settle([&] { return h.artistLabel()->text() == std::optional<std::string>("Single Artist"); }));
    auto title = h.titleLabel()->text();
    ASSERT_TRUE(title);
    EXPECT_LE(title->size(), ios::MPRISPlayers::kMaxTextBytes);
    EXPECT_GE(title->size(), ios::MPRISPlayers::kMaxTextBytes - 3);
    EXPECT_EQ(title->compare(0, 12, huge, 0, 12), 0);
    EXPECT_TRUE(g_utf8_validate(title->data(), static_cast<gssize>(title->size()), nullptr));
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    EXPECT_EQ(logLinesStarting("MediaRemote: artwork " + (m_art / "missing.png").string() + " cannot be read"), 1u);

    // A file that is not an image, and an address that is not a file: no artwork either.
    std::string notes = "file://" + (m_art / "notes.txt").string();
    change({{"xesam:title", g_variant_new_string("Notes")}, {"mpris:artUrl", g_variant_new_string(notes.c_str())}});
    ASSERT_TRUE(settle([&] { return titleIs("Notes"); }));
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    EXPECT_EQ(logLinesStarting("MediaRemote: artwork " + (m_art / "notes.txt").string() + " is not an image"), 1u);
    change({{"xesam:title", g_variant_new_string("Web")},
            {"mpris:artUrl", g_variant_new_string("https://example.com/a.png")}});
    ASSERT_TRUE(settle([&] { return titleIs("Web"); }));
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));

    // Metadata that is not a dictionary at all, and a status of the wrong type.
    GVariantBuilder raw;
    g_variant_builder_init(&raw, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&raw, "{sv}", "Metadata", g_variant_new_string("Title: Sneaky"));
    g_variant_builder_add(&raw, "{sv}", "PlaybackStatus", g_variant_new_boolean(FALSE));
    player.service().emitPropertiesChanged(kPath, kInterface, g_variant_builder_end(&raw));
    ASSERT_TRUE(settle([&] { return titleIs(std::nullopt); }));
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));

    // A well-formed change afterwards is shown whole.
    change({{"xesam:title", g_variant_new_string("Fine Again")},
            {"mpris:artUrl", g_variant_new_string(writeArtwork(m_art, "green.png", 0, 1, 0).c_str())}});
    ASSERT_TRUE(settle([&] { return titleIs("Fine Again"); }));
    EXPECT_EQ(artworkPixel().g, 255);
}

TEST_F(HostNowPlayingTest, WithoutABusNothingPlaysAndOneLineSaysWhy) {
    boot("iphone-x", 2, {{"enableWave", true}});
    ios::MRNowPlayingPlayer::shared().useHostPlayers("unix:path=/nonexistent/flint-bus");
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.titleLabel()->text(), std::nullopt);
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    EXPECT_TRUE(ios::MRMediaRemoteSendCommand(ios::kMRTogglePlayPause, nullptr));
    loop().advanceBy(1);
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    EXPECT_EQ(logLinesStarting("MediaRemote: no session bus ("), 1u);
    EXPECT_EQ(logLinesStarting("MediaRemote:"), 1u);
}

}  // namespace
}  // namespace flint
