#include "sim/live/LiveServer.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <boost/asio/ip/address.hpp>

#include <algorithm>
#include <fstream>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "sim/live/HttpSession.h"
#include "sim/live/ViewerSession.h"

namespace flint::live {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {
constexpr auto kFrameInterval = std::chrono::microseconds(1000000 / 60);
// A screen with nothing moving and no task due within this many seconds is at rest.
constexpr double kIdleHorizon = 0.25;
}  // namespace

LiveServer::LiveServer(asio::io_context& io, LiveDevice& device, const LiveOptions& options)
    : m_io(io), m_device(device), m_options(options), m_acceptor(io), m_timer(io) {}

LiveServer::~LiveServer() {
    if (m_spoolWatch) m_spoolWatch.reset();  // closes the inotify descriptor
}

bool LiveServer::listen(std::string& error) {
    boost::system::error_code ec;
    if (m_options.listenDescriptor >= 0) {
        int fd = m_options.listenDescriptor;
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_acceptor.assign(address.ss_family == AF_INET6 ? tcp::v6() : tcp::v4(), fd, ec);
    } else {
        auto address = asio::ip::make_address(m_options.host, ec);
        if (ec) {
            error = "--host " + m_options.host + " is not an IP address";
            return false;
        }
        tcp::endpoint endpoint(address, static_cast<unsigned short>(m_options.port));
        m_acceptor.open(endpoint.protocol(), ec);
        if (!ec) m_acceptor.set_option(asio::socket_base::reuse_address(true), ec);
        if (!ec) m_acceptor.bind(endpoint, ec);
        if (!ec) m_acceptor.listen(asio::socket_base::max_listen_connections, ec);
    }
    if (ec) {
        error = "cannot listen on " + m_options.host + ":" + std::to_string(m_options.port) + ": " + ec.message();
        return false;
    }
    auto local = m_acceptor.local_endpoint(ec);
    m_port = local.port();
    auto address = local.address();
    m_wildcardHost = address.is_unspecified();
    std::string port = ":" + std::to_string(m_port);
    m_ownHosts = {"127.0.0.1" + port, "localhost" + port, "[::1]" + port};
    if (!m_wildcardHost)
        m_ownHosts.push_back((address.is_v6() ? "[" + address.to_string() + "]" : address.to_string()) + port);
    return true;
}

int LiveServer::listenDescriptor() { return m_acceptor.native_handle(); }

bool LiveServer::hostAllowed(std::string_view host) const {
    // Bound to every address, the server cannot know its names; the Origin check still holds.
    if (m_wildcardHost) return !host.empty();
    return std::find(m_ownHosts.begin(), m_ownHosts.end(), host) != m_ownHosts.end();
}

bool LiveServer::originAllowed(std::string_view origin) const {
    constexpr std::string_view scheme = "http://";
    if (origin.substr(0, scheme.size()) != scheme) return false;
    std::string_view host = origin.substr(scheme.size());
    if (m_wildcardHost) {
        auto colon = host.rfind(':');
        return colon != std::string_view::npos && host.substr(colon + 1) == std::to_string(m_port);
    }
    return std::find(m_ownHosts.begin(), m_ownHosts.end(), host) != m_ownHosts.end();
}

void LiveServer::start() {
    accept();
    watchSpool();
    scheduleTick(Clock::now());
}

void LiveServer::stop() {
    m_stopped = true;
    boost::system::error_code ec;
    m_acceptor.cancel(ec);
    m_timer.cancel();
    if (m_spoolWatch) m_spoolWatch->cancel(ec);
    for (auto& viewer : viewers()) viewer->close();
    // Idle keep-alive connections would hold the loop for their timeouts.
    m_io.stop();
}

void LiveServer::accept() {
    m_acceptor.async_accept([this](boost::system::error_code ec, tcp::socket socket) {
        if (m_stopped) return;
        if (!ec) std::make_shared<HttpSession>(std::move(socket), *this)->start();
        accept();
    });
}

std::vector<std::shared_ptr<ViewerSession>> LiveServer::viewers() {
    std::vector<std::shared_ptr<ViewerSession>> live;
    std::erase_if(m_viewers, [](const auto& weak) { return weak.expired(); });
    for (auto& weak : m_viewers)
        if (auto viewer = weak.lock()) live.push_back(std::move(viewer));
    return live;
}

void LiveServer::viewerOpened(const std::shared_ptr<ViewerSession>& viewer) {
    m_viewers.push_back(viewer);
    viewer->sendText(stateText());
    // A new viewer first gets the whole screen.
    if (m_differ.hasFrame()) viewer->addDamage(fullFrame());
    m_reportIdle = true;
    kick();
}

void LiveServer::viewerClosed(ViewerSession& viewer) {
    // A finger of a viewer that went away is cancelled, as a lost connection lifts nothing.
    for (int finger : viewer.fingersDown()) m_device.apply(TouchMessage{TouchPhase::Cancelled, 0, 0, finger});
    viewer.fingersDown().clear();
    std::erase_if(m_viewers, [&](const auto& weak) {
        auto locked = weak.lock();
        return !locked || locked.get() == &viewer;
    });
    kick();
}

void LiveServer::receive(ViewerSession& viewer, std::string_view text) {
    auto decoded = decodeInputMessage(text);
    if (!decoded.message) {
        viewer.sendText(nlohmann::json{{"type", "error"}, {"message", decoded.error}}.dump());
        return;
    }
    if (auto* profile = std::get_if<ProfileMessage>(&*decoded.message)) {
        if (profile->name == m_device.profile()) return;
        m_rebootProfile = profile->name;
        broadcast(nlohmann::json{{"type", "reboot"}, {"profile", profile->name}}.dump());
        // Let the notice go out, then stop; the serve command boots the new profile.
        auto timer = std::make_shared<asio::steady_timer>(m_io, std::chrono::milliseconds(100));
        timer->async_wait([this, timer](boost::system::error_code) { stop(); });
        return;
    }
    if (auto* touch = std::get_if<TouchMessage>(&*decoded.message)) {
        if (touch->phase == TouchPhase::Began)
            viewer.fingersDown().insert(touch->finger);
        else if (touch->phase != TouchPhase::Moved)
            viewer.fingersDown().erase(touch->finger);
    }
    m_reportIdle = true;
    m_lastInput = viewer.weak_from_this();
    std::string problem = m_device.apply(*decoded.message);
    if (!problem.empty()) viewer.sendText(nlohmann::json{{"type", "error"}, {"message", problem}}.dump());
    if (std::holds_alternative<PreferenceMessage>(*decoded.message) ||
        std::holds_alternative<AppearanceMessage>(*decoded.message))
        m_stateDirty = true;
    kick();
}

void LiveServer::broadcast(const std::string& text) {
    for (auto& viewer : viewers()) viewer->sendText(text);
}

std::string LiveServer::addPhoto(const Bytes& bytes) {
    std::string problem = m_device.addPhoto(bytes);
    if (problem.empty()) kick();
    return problem;
}

std::shared_ptr<const LiveServer::Bytes> LiveServer::frameMessage(const PixelRect& rect) {
    if (!m_differ.hasFrame()) return nullptr;
    PixelRect clipped = rect;
    clipped.width = std::min(clipped.x + clipped.width, m_differ.width()) - clipped.x;
    clipped.height = std::min(clipped.y + clipped.height, m_differ.height()) - clipped.y;
    if (clipped.empty()) return nullptr;
    if (m_cached && m_cachedSequence == m_sequence && m_cachedRect == clipped) return m_cached;
    m_cached = std::make_shared<const Bytes>(
        encodeFrameMessage(m_differ.pixels(), m_differ.width(), m_differ.height(), clipped, m_sequence));
    m_cachedRect = clipped;
    m_cachedSequence = m_sequence;
    return m_cached;
}

void LiveServer::kick() {
    if (m_stopped) return;
    scheduleTick(std::max(Clock::now(), m_lastFrame + kFrameInterval));
}

void LiveServer::scheduleTick(Clock::time_point when) {
    if (m_stopped) return;
    if (m_tickPending && m_tickAt <= when) return;
    m_tickPending = true;
    m_tickAt = when;
    m_timer.expires_at(when);
    m_timer.async_wait([this, when](boost::system::error_code ec) {
        if (ec || m_stopped || m_tickAt != when) return;
        m_tickPending = false;
        tick();
    });
}

void LiveServer::tick() {
    bool changed = m_device.advanceToWallClock();
    if (changed || !m_differ.hasFrame()) {
        m_lastFrame = Clock::now();
        ios::CARetainedRenderer& frame = m_device.compose();
        cairo_surface_t* surface = frame.surface();
        if (surface) {
            cairo_surface_flush(surface);
            std::vector<PixelRect> damage;
            for (const auto& d : frame.damage()) damage.push_back({d.x, d.y, d.width, d.height});
            auto rect = m_differ.update(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface)),
                                        cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                                        cairo_image_surface_get_stride(surface), damage);
            if (rect) {
                m_reportIdle = true;
                ++m_sequence;
                for (auto& viewer : viewers()) viewer->addDamage(*rect);
            }
        }
    }
    for (const auto& event : m_device.takeEvents()) {
        if (auto asked = m_lastInput.lock(); asked && event["type"] == "download") {
            asked->sendText(event.dump());
            continue;
        }
        broadcast(event.dump());
        if (event["type"] == "photos") m_stateDirty = true;
    }
    if (m_stateDirty) {
        m_stateDirty = false;
        broadcast(stateText());
    }
    // Full rate while something moves; otherwise sleep until the run loop's next task or input.
    bool animating = m_device.isAnimating();
    double next = m_device.secondsUntilNextTask();
    if (m_reportIdle && !animating && (next < 0 || next > kIdleHorizon)) {
        // The page (and its tests) learn that the screen has come to rest at this frame.
        m_reportIdle = false;
        broadcast(nlohmann::json{{"type", "idle"}, {"sequence", m_sequence}}.dump());
    }
    if (animating) {
        scheduleTick(m_lastFrame + kFrameInterval);
    } else if (next >= 0) {
        auto due = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(next));
        scheduleTick(std::max(due, m_lastFrame + kFrameInterval));
    }
}

void LiveServer::watchSpool() {
    auto folder = m_device.root() / "private/var/run/notifyd";
    auto file = folder / "spool";
    std::error_code error;
    m_spoolOffset = std::filesystem::exists(file, error) ? std::filesystem::file_size(file, error) : 0;
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0) return;
    if (inotify_add_watch(m_inotify, folder.c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO) < 0) {
        close(m_inotify);
        m_inotify = -1;
        return;
    }
    m_spoolWatch = std::make_unique<asio::posix::stream_descriptor>(m_io, m_inotify);
    readSpool();
}

void LiveServer::readSpool() {
    m_spoolWatch->async_wait(asio::posix::stream_descriptor::wait_read, [this](boost::system::error_code ec) {
        if (ec || m_stopped) return;
        char events[4096];
        while (read(m_inotify, events, sizeof events) > 0) {}
        auto file = m_device.root() / "private/var/run/notifyd/spool";
        std::ifstream in(file, std::ios::binary);
        in.seekg(0, std::ios::end);
        auto size = static_cast<std::uintmax_t>(std::max<std::streamoff>(0, in.tellg()));
        if (size < m_spoolOffset) m_spoolOffset = 0;  // truncated: start over
        in.seekg(static_cast<std::streamoff>(m_spoolOffset));
        std::string line;
        const std::string self = std::to_string(getpid()) + " ";
        bool posted = false;
        while (std::getline(in, line)) {
            if (in.eof()) break;  // a line still being written
            m_spoolOffset += line.size() + 1;
            auto space = line.find(' ');
            if (space == std::string::npos || line.compare(0, self.size(), self) == 0) continue;
            std::string name = line.substr(space + 1);
            ios::NSLogLine("notifyd: " + name + " from process " + line.substr(0, space));
            ios::Process::shared().darwinNotifyCenter().postLocally(name);
            posted = true;
        }
        if (posted) {
            m_stateDirty = true;
            kick();
        }
        readSpool();
    });
}

}  // namespace flint::live
