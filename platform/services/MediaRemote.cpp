#include "platform/services/MediaRemote.h"

#include <fstream>
#include <iterator>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/services/MPRISPlayers.h"

namespace ios {

namespace {

// The main queue's identity: the address of a tag, never dereferenced.
char g_mainQueueTag;
dispatch_queue_t mainQueue() { return reinterpret_cast<dispatch_queue_t>(&g_mainQueueTag); }

std::optional<Data> readFile(const std::string& devicePathText) {
    std::ifstream in(devicePath(devicePathText), std::ios::binary);
    if (!in) return std::nullopt;
    Data bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes;
}

// Work for the given queue: every queue is the main queue in this process.
void enqueue(dispatch_queue_t queue, RunLoop::Task task) {
    if (queue != mainQueue() && queue != nullptr) NSLogLine("MediaRemote: unknown queue; answering on the main queue");
    Process::shared().runLoop().post(std::move(task));
}

}  // namespace

dispatch_queue_t dispatch_get_main_queue() { return mainQueue(); }

MRNowPlayingPlayer& MRNowPlayingPlayer::shared() { return Process::shared().attached<MRNowPlayingPlayer>(); }

MRNowPlayingPlayer::MRNowPlayingPlayer() = default;
MRNowPlayingPlayer::~MRNowPlayingPlayer() = default;

void MRNowPlayingPlayer::useHostPlayers(const std::string& busAddress) {
    m_host.reset();
    m_host = std::make_unique<MPRISPlayers>(busAddress,
                                            [this](bool information, bool playing) { announce(information, playing); });
    announce(true, true);
}

void MRNowPlayingPlayer::loadIfNeeded() {
    if (m_loaded) return;
    m_loaded = true;
    m_library = DeviceConfiguration::load().nowPlaying;
    m_index = 0;
    m_playing = !m_library.empty();
}

const std::vector<MediaTrack>& MRNowPlayingPlayer::library() {
    loadIfNeeded();
    return m_library;
}

void MRNowPlayingPlayer::setLibrary(std::vector<MediaTrack> tracks) {
    m_loaded = true;
    m_library = std::move(tracks);
    m_index = 0;
    m_playing = !m_library.empty();
    announce(true, true);
}

bool MRNowPlayingPlayer::isPlaying() {
    if (m_host) return m_host->isPlaying();
    loadIfNeeded();
    return m_playing;
}

const MediaTrack* MRNowPlayingPlayer::currentTrack() {
    loadIfNeeded();
    return m_index < m_library.size() ? &m_library[m_index] : nullptr;
}

Dictionary MRNowPlayingPlayer::nowPlayingInformation() {
    if (m_host) return m_host->nowPlayingInformation();
    const MediaTrack* track = currentTrack();
    if (!track) return {};
    Dictionary info{{kMRMediaRemoteNowPlayingInfoTitle, track->title},
                    {kMRMediaRemoteNowPlayingInfoPlaybackRate, m_playing ? 1.0 : 0.0}};
    if (!track->artist.empty()) info[kMRMediaRemoteNowPlayingInfoArtist] = track->artist;
    if (!track->artworkPath.empty()) {
        if (auto bytes = readFile(track->artworkPath))
            info[kMRMediaRemoteNowPlayingInfoArtworkData] = std::move(*bytes);
        else
            NSLogLine("MediaRemote: artwork " + track->artworkPath + " cannot be read; the track has none");
    }
    return info;
}

void MRNowPlayingPlayer::togglePlayPause() {
    if (m_host) {
        m_host->send(kMRTogglePlayPause);
        return;
    }
    if (!currentTrack()) return;
    m_playing = !m_playing;
    announce(true, true);
}

void MRNowPlayingPlayer::nextTrack() {
    if (m_host) {
        m_host->send(kMRNextTrack);
        return;
    }
    if (!currentTrack()) return;
    m_index = (m_index + 1) % m_library.size();
    announce(true, false);
}

void MRNowPlayingPlayer::previousTrack() {
    if (m_host) {
        m_host->send(kMRPreviousTrack);
        return;
    }
    if (!currentTrack()) return;
    m_index = (m_index + m_library.size() - 1) % m_library.size();
    announce(true, false);
}

void MRNowPlayingPlayer::announce(bool information, bool playing) {
    // Posted after the change, at the next turn, as the service does from its own queue.
    Process::shared().runLoop().post([information, playing] {
        auto& center = NSNotificationCenter::defaultCenter();
        if (information) center.postNotificationName(kMRMediaRemoteNowPlayingInfoDidChangeNotification);
        if (playing) center.postNotificationName(kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification);
    });
}

void MRMediaRemoteGetNowPlayingInfo(dispatch_queue_t queue, std::function<void(const Dictionary&)> completion) {
    if (!completion) return;
    enqueue(queue,
            [completion = std::move(completion)] { completion(MRNowPlayingPlayer::shared().nowPlayingInformation()); });
}

void MRMediaRemoteGetNowPlayingApplicationIsPlaying(dispatch_queue_t queue, std::function<void(bool)> completion) {
    if (!completion) return;
    enqueue(queue, [completion = std::move(completion)] { completion(MRNowPlayingPlayer::shared().isPlaying()); });
}

bool MRMediaRemoteSendCommand(unsigned command, const Dictionary*) {
    auto& player = MRNowPlayingPlayer::shared();
    switch (command) {
    case kMRTogglePlayPause: player.togglePlayPause(); break;
    case kMRNextTrack: player.nextTrack(); break;
    case kMRPreviousTrack: player.previousTrack(); break;
    default: return false;
    }
    player.recordCommand(command);
    return true;
}

}  // namespace ios
