#include <gtest/gtest.h>

#include <fstream>

#include "controls/FlintWaveView.h"
#include "panel/PanelFixture.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

namespace flint {
namespace {

using testing::PanelTest;

// A PNG of one colour, written under the device root.
std::string writeArtwork(const std::string& name, double r, double g, double b) {
    auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(20, 20), 1, [&](ios::CGContext& c) {
        c.setFillColor(r, g, b, 1);
        c.fillRect(ios::CGRectMake(0, 0, 20, 20));
    });
    std::string path = "/var/mobile/Media/Artwork/" + name;
    std::filesystem::create_directories(ios::devicePath("/var/mobile/Media/Artwork"));
    EXPECT_TRUE(image->writePNG(ios::devicePath(path)));
    return path;
}

class NowPlayingTest : public PanelTest {
protected:
    void bootWithLibrary(ios::Dictionary preferences = {{"enableWave", true}}) {
        boot("iphone-x", 2, std::move(preferences));
        ios::MRNowPlayingPlayer::shared().setLibrary({
            {"Red Song", "Red Band", writeArtwork("red.png", 1, 0, 0)},
            {"Plain Song", "Nobody", ""},
        });
        loop().runUntilIdle();
    }
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
};

TEST_F(NowPlayingTest, TheCardShowsTheTrackAndFallsBackToTheBannerWithoutArtwork) {
    bootWithLibrary();
    openPanel();
    FlintHost h = host();
    EXPECT_EQ(h.titleLabel()->text(), "Red Song");
    EXPECT_EQ(h.artistLabel()->text(), "Red Band");
    ios::UIImage::RGBA p = artworkPixel();
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));
    EXPECT_EQ(h.playImage()->image()->renderingMode(), ios::UIImageRenderingMode::AlwaysTemplate);
    EXPECT_EQ(h.waterView()->alpha(), 1);

    tapView(*h.nextImage());
    EXPECT_EQ(hapticCount(), 1u);
    loop().runUntilIdle();
    EXPECT_EQ(h.titleLabel()->text(), "Plain Song");
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));

    tapView(*h.backImage());
    loop().runUntilIdle();
    EXPECT_EQ(h.titleLabel()->text(), "Red Song");
    EXPECT_EQ(ios::MRNowPlayingPlayer::shared().commandLog(), (std::vector<unsigned>{4, 5}));
}

TEST_F(NowPlayingTest, ArtworkThatDoesNotDecodeShowsTheBanner) {
    boot("iphone-x", 2);
    const std::string broken = "/var/mobile/Media/Artwork/broken.png";
    std::filesystem::create_directories(ios::devicePath("/var/mobile/Media/Artwork"));
    std::ofstream(ios::devicePath(broken), std::ios::binary) << "\x89PNG\r\n\x1a\n truncated";
    ios::MRNowPlayingPlayer::shared().setLibrary({
        {"Red Song", "Red Band", writeArtwork("red.png", 1, 0, 0)},
        {"Broken Song", "Nobody", broken},
    });
    loop().runUntilIdle();
    openPanel();
    FlintHost h = host();
    ASSERT_EQ(artworkPixel().r, 255);
    tapView(*h.nextImage());
    loop().runUntilIdle();
    EXPECT_EQ(h.titleLabel()->text(), "Broken Song");
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
}

TEST_F(NowPlayingTest, NothingPlayingShowsTheBannerEmptyLabelsThePlayImageAndNoWave) {
    boot("iphone-x", 2, {{"enableWave", true}});
    ios::MRNowPlayingPlayer::shared().setLibrary({});
    openPanel();
    FlintHost h = host();
    EXPECT_TRUE(showsImage(h.artworkImage(), "music-banner.png"));
    EXPECT_EQ(h.titleLabel()->text(), std::nullopt);
    EXPECT_EQ(h.artistLabel()->text(), std::nullopt);
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    EXPECT_EQ(h.waterView()->alpha(), 0);
    // Commands change nothing when nothing is loaded.
    tapView(*h.playImage());
    loop().runUntilIdle();
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    EXPECT_EQ(hapticCount(), 1u);
}

TEST_F(NowPlayingTest, ThePlayImageFollowsTheNotificationNotTheTap) {
    bootWithLibrary();
    openPanel();
    FlintHost h = host();
    ASSERT_TRUE(showsImage(h.playImage(), "pause.png"));
    objc::msgSend(h.self(), objc::sel("musicPlayTrack"));
    EXPECT_EQ(hapticCount(), 1u);
    EXPECT_FALSE(ios::MRNowPlayingPlayer::shared().isPlaying());
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));  // nothing changes until the service says so
    loop().runUntilIdle();
    EXPECT_TRUE(showsImage(h.playImage(), "play.png"));
    EXPECT_EQ(h.waterView()->alpha(), 0);

    // A change that did not come from the card shows too.
    ios::MRNowPlayingPlayer::shared().togglePlayPause();
    loop().runUntilIdle();
    EXPECT_TRUE(showsImage(h.playImage(), "pause.png"));
    EXPECT_EQ(h.waterView()->alpha(), 1);
}

TEST_F(NowPlayingTest, EachChangeRefreshesOnceHoweverOftenThePanelOpened) {
    bootWithLibrary({});
    for (int i = 0; i < 6; ++i) {
        openPanel();
        ios::tap(centreOf(*host().bottomDismissView()));
        loop().runUntilIdle();
    }
    auto& center = ios::NSNotificationCenter::defaultCenter();
    EXPECT_EQ(center.observerCountForTesting(bar.get(), ios::kMRMediaRemoteNowPlayingInfoDidChangeNotification), 1u);
    EXPECT_EQ(center.observerCountForTesting(bar.get(),
                                             ios::kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification),
              1u);

    int artworkRefreshes = 0;
    objc::IMP previous;
    objc::MSHookMessageEx(
        objc::objc_getClass("_UIStatusBar"), objc::sel("refreshMusicArtwork"),
        [&](objc::Object& self, objc::SEL cmd, std::span<const objc::id> args) -> objc::id {
            ++artworkRefreshes;
            return previous(self, cmd, args);
        },
        &previous);
    ios::MRMediaRemoteSendCommand(ios::kMRNextTrack, nullptr);
    loop().runUntilIdle();
    EXPECT_EQ(artworkRefreshes, 1);
    // The closed panel's labels still follow.
    EXPECT_EQ(host().titleLabel()->text(), "Plain Song");
}

TEST_F(NowPlayingTest, TheServiceAnswersOnALaterTurnAndIgnoresUnknownCommands) {
    boot("iphone-x", 2);
    ios::MRNowPlayingPlayer::shared().setLibrary({{"Only", "One", ""}});
    loop().runUntilIdle();
    bool answered = false;
    ios::MRMediaRemoteGetNowPlayingApplicationIsPlaying(ios::dispatch_get_main_queue(), [&](bool playing) {
        answered = true;
        EXPECT_TRUE(playing);
    });
    EXPECT_FALSE(answered);
    loop().runUntilIdle();
    EXPECT_TRUE(answered);

    int posts = 0;
    auto token = ios::NSNotificationCenter::defaultCenter().addObserverForName(
        std::nullopt, nullptr,
        [&](const ios::NSNotification& n) { posts += n.name().rfind("kMRMediaRemote", 0) == 0; });
    EXPECT_FALSE(ios::MRMediaRemoteSendCommand(7, nullptr));
    EXPECT_FALSE(ios::MRMediaRemoteSendCommand(0, nullptr));
    loop().runUntilIdle();
    EXPECT_EQ(posts, 0);
    EXPECT_TRUE(ios::MRMediaRemoteSendCommand(2, nullptr));
    loop().runUntilIdle();
    EXPECT_EQ(posts, 2);
}

}  // namespace
}  // namespace flint
