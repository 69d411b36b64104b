#include "panel/NowPlayingCard.h"

#include "controls/FlintWaveView.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

namespace flint {

namespace {

void applyInformation(FlintHost& host, const ios::Dictionary& info) {
    auto find = [&](const char* key) -> const ios::Value* {
        auto it = info.find(key);
        return it == info.end() ? nullptr : &it->second;
    };
    if (auto artwork = host.artworkImage()) {
        const ios::Value* bytes = find(ios::kMRMediaRemoteNowPlayingInfoArtworkData);
        ios::UIImageRef image;
        if (bytes && bytes->data()) image = ios::UIImage::imageWithData(*bytes->data());
        // Artwork that does not decode shows the banner, as no artwork does.
        artwork->setImage(image ? image : screens::bundleImage("music-banner.png"));
    }
    auto text = [&](const char* key) -> std::optional<std::string> {
        const ios::Value* v = find(key);
        return v ? v->stringValue() : std::nullopt;
    };
    if (auto title = host.titleLabel()) title->setText(text(ios::kMRMediaRemoteNowPlayingInfoTitle));
    if (auto artist = host.artistLabel()) artist->setText(text(ios::kMRMediaRemoteNowPlayingInfoArtist));
}

void applyPlaying(FlintHost& host, bool playing) {
    if (auto play = host.playImage()) play->setImage(screens::bundleTemplateImage(playing ? "pause.png" : "play.png"));
    if (auto wave = host.waterView()) wave->setAlpha(playing ? 1 : 0);
}

}  // namespace

void refreshMusicArtwork(FlintHost& host) {
    objc::id bar = host.self();
    ios::MRMediaRemoteGetNowPlayingInfo(ios::dispatch_get_main_queue(), [bar](const ios::Dictionary& info) {
        FlintHost h(*bar);
        applyInformation(h, info);
    });
}

void refreshMusicButton(FlintHost& host) {
    objc::id bar = host.self();
    ios::MRMediaRemoteGetNowPlayingApplicationIsPlaying(ios::dispatch_get_main_queue(), [bar](bool playing) {
        FlintHost h(*bar);
        applyPlaying(h, playing);
    });
}

void musicPreviousTrack(FlintHost&) {
    ios::MRMediaRemoteSendCommand(ios::kMRPreviousTrack, nullptr);
    screens::fireMediumImpact();
}

void musicPlayTrack(FlintHost&) {
    ios::MRMediaRemoteSendCommand(ios::kMRTogglePlayPause, nullptr);
    screens::fireMediumImpact();
}

void musicNextTrack(FlintHost&) {
    ios::MRMediaRemoteSendCommand(ios::kMRNextTrack, nullptr);
    screens::fireMediumImpact();
}

void subscribeToNowPlaying(FlintHost& host) {
    auto& center = ios::NSNotificationCenter::defaultCenter();
    center.removeObserver(&host.object(), ios::kMRMediaRemoteNowPlayingInfoDidChangeNotification);
    center.removeObserver(&host.object(), ios::kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification);
    center.addObserver(host.self(), objc::sel("refreshMusicArtwork"),
                       ios::kMRMediaRemoteNowPlayingInfoDidChangeNotification, nullptr);
    center.addObserver(host.self(), objc::sel("refreshMusicButton"),
                       ios::kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification, nullptr);
}

const ActionTable nowPlayingActions FLINT_ACTION_TABLE = {
    {"refreshMusicArtwork", refreshMusicArtwork}, {"refreshMusicButton", refreshMusicButton},
    {"musicPreviousTrack", musicPreviousTrack},   {"musicPlayTrack", musicPlayTrack},
    {"musicNextTrack", musicNextTrack},
};

}  // namespace flint
