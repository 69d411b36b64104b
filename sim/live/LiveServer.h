#pragma once
// The live view's server: HTTP for the page's assets, the device state and its photos, and
// WebSocket for input and frames. It runs on the device's thread, in the same Asio loop as the
// frame timer and the notification spool's watch, so the device needs no locks.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/live/FrameDiffer.h"
#include "sim/live/LiveDevice.h"

namespace flint::live {

class ViewerSession;

class LiveServer {
public:
    using Clock = std::chrono::steady_clock;
    using Bytes = std::vector<std::uint8_t>;

    LiveServer(boost::asio::io_context& io, LiveDevice& device, const LiveOptions& options);
    ~LiveServer();

    // Binds the listening socket (or adopts the inherited one); false with a message.
    bool listen(std::string& error);
    unsigned short port() const { return m_port; }
    int listenDescriptor();
    // Starts accepting, the frame timer and the spool's watch.
    void start();
    // Closes the listening socket's watch and every viewer; the loop then runs dry.
    void stop();

    // A profile the page asked for; the serve command reboots into it once the loop has stopped.
    const std::optional<std::string>& rebootProfile() const { return m_rebootProfile; }

    // --- for the sessions ---
    LiveDevice& device() { return m_device; }
    // The request's Host header names this server (a DNS-rebound name does not).
    bool hostAllowed(std::string_view host) const;
    // A WebSocket or upload Origin of this server's own page.
    bool originAllowed(std::string_view origin) const;
    void viewerOpened(const std::shared_ptr<ViewerSession>& viewer);
    void viewerClosed(ViewerSession& viewer);
    // A text message from a viewer: decoded, applied, answered with an error when bad.
    void receive(ViewerSession& viewer, std::string_view text);
    // The current frame's pixels inside rect as a frame message (shared by viewers that ask for
    // the same rectangle of the same frame).
    std::shared_ptr<const Bytes> frameMessage(const PixelRect& rect);
    PixelRect fullFrame() const { return {0, 0, m_differ.width(), m_differ.height()}; }
    // A new photo from the page; empty on success.
    std::string addPhoto(const Bytes& bytes);
    // Runs a frame soon: input arrived or something else woke the device.
    void kick();
    std::string stateText() const { return m_device.state().dump(); }
    void broadcast(const std::string& text);

private:
    void accept();
    void tick();
    void scheduleTick(Clock::time_point when);
    void watchSpool();
    void readSpool();
    std::vector<std::shared_ptr<ViewerSession>> viewers();

    boost::asio::io_context& m_io;
    LiveDevice& m_device;
    LiveOptions m_options;
    boost::asio::ip::tcp::acceptor m_acceptor;
    boost::asio::steady_timer m_timer;
    bool m_tickPending = false;
    Clock::time_point m_tickAt{};
    Clock::time_point m_lastFrame{};
    unsigned short m_port = 0;
    bool m_wildcardHost = false;
    std::vector<std::string> m_ownHosts;  // "name:port" forms this server answers to

    FrameDiffer m_differ;
    std::uint32_t m_sequence = 0;
    PixelRect m_cachedRect;
    std::uint32_t m_cachedSequence = 0;
    std::shared_ptr<const Bytes> m_cached;

    std::vector<std::weak_ptr<ViewerSession>> m_viewers;
    std::weak_ptr<ViewerSession> m_lastInput;  // a download goes to the viewer that asked for it
    std::optional<std::string> m_rebootProfile;

    int m_inotify = -1;
    std::unique_ptr<boost::asio::posix::stream_descriptor> m_spoolWatch;
    std::uintmax_t m_spoolOffset = 0;
    bool m_stopped = false;
    bool m_stateDirty = false;
    bool m_reportIdle = true;
};

}  // namespace flint::live
