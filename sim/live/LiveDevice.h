#pragma once
// The device behind the live view: boots the home screen on a device root, applies decoded input,
// follows the wall clock with its media clock, renders the screen and reports what the system
// asked of the outside world. Everything runs on the thread that made it.

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/UIImage.h"
#include "platform/quartz/CARetainedRenderer.h"
#include "sim/live/LiveMessage.h"

namespace flint::sim {
class Device;
}

namespace flint::live {

struct LiveOptions {
    std::filesystem::path root;  // empty: a fresh temporary device root
    std::string profile = "iphone-x";
    std::optional<int> appearance;  // none: the profile's
    double scale = 0;               // pixels per point; 0: the profile's scale
    std::string host = "127.0.0.1";
    int port = 8080;
    int listenDescriptor = -1;          // an inherited listening socket (after a reboot)
    std::string backend = "simulated";  // "host": this machine's network, Wi-Fi and media players
};

class LiveDevice {
public:
    explicit LiveDevice(const LiveOptions& options);
    ~LiveDevice();
    LiveDevice(const LiveDevice&) = delete;
    LiveDevice& operator=(const LiveDevice&) = delete;

    const std::filesystem::path& root() const;
    const std::string& profile() const { return m_profile; }
    int appearance() const { return m_appearance; }
    double renderScale() const { return m_scale; }
    int pixelWidth() const;
    int pixelHeight() const;

    // Applies a message; empty on success, else why nothing changed. Profile messages are the
    // server's (it reboots) and are refused here.
    std::string apply(const InputMessage& message);

    // Moves the media clock up to the wall clock, running what falls due. True when the screen
    // may have changed since the last frame (input, a task that ran, an animation in flight).
    bool advanceToWallClock();
    // Whether the next frames are wanted at the full rate (animations running, a finger down).
    bool isAnimating() const;
    // Seconds until the run loop's next task, or a negative number when none is scheduled.
    double secondsUntilNextTask() const;
    // Brings the screen's retained frame at the render scale up to date; its damage() lists what
    // changed since the last call (the whole frame the first time).
    ios::CARetainedRenderer& compose();

    // A photo upload: decoded, size-checked and saved as the next photo. Empty on success.
    std::string addPhoto(const std::vector<std::uint8_t>& bytes);
    std::size_t photoCount() const;
    // The host path of photo `index` (from 0), or empty.
    std::filesystem::path photoPath(std::size_t index) const;

    // What the share sheet's "Save to Downloads" target handed over, by number: PNG bytes, or
    // none when there is no such download or it was forgotten (the newest few are kept).
    const std::vector<std::uint8_t>* download(std::size_t number) const;

    // The side panel's picture of the device: profile, appearance, photos, preferences, log tail.
    nlohmann::json state() const;
    // What happened since the last call, as event messages for the page (log lines, haptics,
    // openings, lock changes, photo count, downloads).
    std::vector<nlohmann::json> takeEvents();

private:
    std::string applyPreference(const PreferenceMessage& pref);
    void followWallClock();
    void offerDownload(const objc::Ref<ios::UIImage>& image);

    std::map<std::size_t, std::vector<std::uint8_t>> m_downloads;
    std::size_t m_nextDownload = 1;
    std::vector<nlohmann::json> m_events;  // waiting for takeEvents
    std::unique_ptr<sim::Device> m_device;
    std::string m_profile;
    int m_appearance = 2;
    double m_scale = 2;
    bool m_changed = true;
    double m_mediaStart = 0;
    std::chrono::steady_clock::time_point m_wallStart;
    std::size_t m_logSeen = 0, m_hapticsSeen = 0, m_openingsSeen = 0, m_photosSeen = 0;
    bool m_lockedSeen = false;
};

}  // namespace flint::live
