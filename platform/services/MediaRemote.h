#pragma once
// The media-remote service: what is playing now, whether it plays, and the transport commands,
// over a simulated player (MRNowPlayingPlayer) that plays the device configuration's library.
//
// Queries answer on the given queue, which is always the main queue here: the completion runs at
// a later turn of the run loop, never inside the call. After each change the service posts its
// change notifications on the process's default centre, also at a later turn.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/springboard/DeviceConfiguration.h"

namespace ios {

// Information keys.
inline constexpr const char* kMRMediaRemoteNowPlayingInfoTitle = "kMRMediaRemoteNowPlayingInfoTitle";
inline constexpr const char* kMRMediaRemoteNowPlayingInfoArtist = "kMRMediaRemoteNowPlayingInfoArtist";
inline constexpr const char* kMRMediaRemoteNowPlayingInfoArtworkData = "kMRMediaRemoteNowPlayingInfoArtworkData";
inline constexpr const char* kMRMediaRemoteNowPlayingInfoPlaybackRate = "kMRMediaRemoteNowPlayingInfoPlaybackRate";

// Change notifications, on the default centre.
inline constexpr const char* kMRMediaRemoteNowPlayingInfoDidChangeNotification =
    "kMRMediaRemoteNowPlayingInfoDidChangeNotification";
inline constexpr const char* kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification =
    "kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification";

// The commands the player carries out; every other number is ignored.
enum MRMediaRemoteCommand : unsigned {
    kMRTogglePlayPause = 2,
    kMRNextTrack = 4,
    kMRPreviousTrack = 5,
};

// The only queue of this one-threaded process: the main queue, i.e. the run loop.
struct dispatch_queue_s;
using dispatch_queue_t = dispatch_queue_s*;
dispatch_queue_t dispatch_get_main_queue();

void MRMediaRemoteGetNowPlayingInfo(dispatch_queue_t queue,
                                    std::function<void(const Dictionary& information)> completion);
void MRMediaRemoteGetNowPlayingApplicationIsPlaying(dispatch_queue_t queue,
                                                    std::function<void(bool playing)> completion);
// False when the command number is not one the player knows (nothing happens then).
bool MRMediaRemoteSendCommand(unsigned command, const Dictionary* options);

class MPRISPlayers;

// The player of the current process. Simulated by default: it loads the library from the device
// configuration on first use and starts playing its first track; with an empty library nothing
// plays and the information is empty. With the host back end in use, the information, the
// playing flag and the commands are those of this machine's media players instead.
class MRNowPlayingPlayer {
public:
    static MRNowPlayingPlayer& shared();
    MRNowPlayingPlayer();
    ~MRNowPlayingPlayer();

    // Switches to this machine's media players on the session bus (or the bus at `busAddress`)
    // and announces the change; the simulated library stays as it is, unused.
    void useHostPlayers(const std::string& busAddress = "");
    // The host back end, or null while simulated.
    MPRISPlayers* hostPlayers() { return m_host.get(); }

    const std::vector<MediaTrack>& library();
    // Replaces the library (the first track, playing; nothing when empty) and announces the change.
    void setLibrary(std::vector<MediaTrack> tracks);
    bool isPlaying();
    // None when nothing is loaded.
    const MediaTrack* currentTrack();
    std::size_t currentIndex() {
        library();
        return m_index;
    }

    // The information dictionary: title, artist, artwork bytes (when the track's artwork file can
    // be read) and playback rate; empty when nothing is loaded. The commands below go to the
    // current host player when there is a host back end.
    Dictionary nowPlayingInformation();

    void togglePlayPause();
    void nextTrack();      // wraps to the first track after the last
    void previousTrack();  // wraps to the last track before the first

    // Every command carried out, for tests and the simulator.
    const std::vector<unsigned>& commandLog() const { return m_commands; }
    void recordCommand(unsigned command) { m_commands.push_back(command); }

private:
    void loadIfNeeded();
    void announce(bool information, bool playing);

    bool m_loaded = false;
    std::vector<MediaTrack> m_library;
    std::size_t m_index = 0;
    bool m_playing = false;
    std::vector<unsigned> m_commands;
    std::unique_ptr<MPRISPlayers> m_host;
};

}  // namespace ios
