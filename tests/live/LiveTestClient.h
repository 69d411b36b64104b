#pragma once
// For the live view's tests: flint-sim serve as a program of its own on a temporary device root,
// and a real WebSocket client (Beast's) that keeps its own copy of the screen from the frames.

#include <gtest/gtest.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <nlohmann/json.hpp>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/UIImage.h"
#include "sim/live/FrameDiffer.h"
#include "tests/support/TempFolder.h"

namespace flint::testing {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = boost::asio::ip::tcp;

// flint-sim serve on port 0 (any free one) and a fresh device root.
class LiveServerProcess {
public:
    explicit LiveServerProcess(const std::vector<std::string>& extra = {}) {
        if (!m_folder) return;
        root = m_folder.path();
        int fds[2];
        if (pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<std::string> args = {"flint-sim", "serve", "--port", "0", "--root", root.string()};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(FLINT_SIM_PATH, argv.data());
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
        // "Flint live at http://127.0.0.1:PORT/  (...)"
        std::string line = readLine(std::chrono::seconds(60));
        auto at = line.find("127.0.0.1:");
        if (at != std::string::npos) port = static_cast<unsigned short>(std::stoi(line.substr(at + 10)));
        banner = line;
    }
    ~LiveServerProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
        if (m_out >= 0) close(m_out);
    }
    LiveServerProcess(const LiveServerProcess&) = delete;
    LiveServerProcess& operator=(const LiveServerProcess&) = delete;

    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port); }
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }

    std::filesystem::path root;
    unsigned short port = 0;
    std::string banner;

private:
    std::string readLine(std::chrono::seconds timeout) {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            char c;
            if (read(m_out, &c, 1) != 1) break;
            if (c == '\n') break;
            line += c;
        }
        return line;
    }
    ios::testing::TempFolder m_folder{"flint-livetest"};  // removed after the server has stopped
    pid_t m_pid = -1;
    int m_out = -1;
};

struct HttpAnswer {
    unsigned status = 0;
    std::string body;
};

inline HttpAnswer httpRequest(unsigned short port, http::verb verb, const std::string& target,
                              const std::string& body = {},
                              const std::vector<std::pair<std::string, std::string>>& headers = {},
                              std::string host = {}) {
    boost::asio::io_context io;
    beast::tcp_stream stream(io);
    beast::error_code ec;
    stream.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port), ec);
    if (ec) return {};
    http::request<http::string_body> request{verb, target, 11};
    request.set(http::field::host, host.empty() ? "127.0.0.1:" + std::to_string(port) : host);
    for (const auto& [name, value] : headers) request.set(name, value);
    request.body() = body;
    request.prepare_payload();
    http::write(stream, request, ec);
    if (ec) return {};
    beast::flat_buffer buffer;
    http::response_parser<http::string_body> parser;
    parser.body_limit(64 * 1024 * 1024);
    http::read(stream, buffer, parser, ec);
    if (ec && ec != http::error::end_of_stream) return {};
    return {parser.get().result_int(), parser.get().body()};
}

// One viewer: connects to /live with an Origin, keeps the screen from the frames it is sent.
class LiveViewer {
public:
    LiveViewer(unsigned short port, const std::string& origin) : m_ws(m_io) {
        beast::error_code ec;
        m_ws.next_layer().connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port), ec);
        if (ec) return;
        m_ws.set_option(websocket::stream_base::decorator([origin](websocket::request_type& request) {
            if (!origin.empty()) request.set(http::field::origin, origin);
        }));
        m_ws.handshake(m_response, "127.0.0.1:" + std::to_string(port), "/live", ec);
        handshakeError = ec;
        connected = !ec;
        if (connected) read();
    }

    // Reads messages until `done` says so or the time runs out; false on timeout or a closed socket.
    template <class Done>
    bool readUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (connected && !done()) {
            auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return false;
            m_io.restart();
            m_io.run_one_for(deadline - now);
        }
        return connected && done();
    }

    bool send(const std::string& text) {
        beast::error_code ec;
        m_ws.text(true);
        m_ws.write(boost::asio::buffer(text), ec);
        return !ec;
    }
    bool touch(const char* phase, double x, double y) {
        return send(nlohmann::json{{"type", "touch"}, {"phase", phase}, {"x", x}, {"y", y}}.dump());
    }
    // Waits until no frame has come for `quiet`.
    void settle(std::chrono::milliseconds quiet = std::chrono::milliseconds(1500)) {
        for (int i = 0; i < 30; ++i) {
            std::size_t before = frames.size();
            readUntil([] { return false; }, quiet);
            if (frames.size() == before) return;
        }
    }
    std::optional<nlohmann::json> lastText(const std::string& type) const {
        for (auto it = texts.rbegin(); it != texts.rend(); ++it)
            if (it->is_object() && (*it)["type"] == type) return *it;
        return std::nullopt;
    }

    std::uint32_t pixel(int x, int y) const { return screen[std::size_t(y) * width + x]; }

    bool connected = false;
    beast::error_code handshakeError, closeReason;
    std::vector<nlohmann::json> texts;
    std::vector<live::PixelRect> frames;
    std::vector<std::size_t> frameBytes;
    int width = 0, height = 0;
    std::vector<std::uint32_t> screen;

private:
    // One read is always outstanding; readUntil runs the loop that completes it.
    void read() {
        m_ws.async_read(m_buffer, [this](beast::error_code ec, std::size_t) {
            if (ec) {
                closeReason = ec;
                connected = false;
                return;
            }
            std::string bytes = beast::buffers_to_string(m_buffer.data());
            m_buffer.consume(m_buffer.size());
            if (m_ws.got_text())
                texts.push_back(nlohmann::json::parse(bytes, nullptr, false));
            else
                applyFrame(bytes);
            read();
        });
    }

    void applyFrame(const std::string& bytes) {
        ASSERT_GT(bytes.size(), live::kFrameHeaderBytes);
        auto u = [&](int at) { return int(std::uint8_t(bytes[at])) | (int(std::uint8_t(bytes[at + 1])) << 8); };
        live::PixelRect rect{u(4), u(6), u(8), u(10)};
        if (u(12) != width || u(14) != height) {
            width = u(12);
            height = u(14);
            screen.assign(std::size_t(width) * height, 0);
        }
        auto image =
            ios::UIImage::imageWithData(reinterpret_cast<const std::uint8_t*>(bytes.data()) + live::kFrameHeaderBytes,
                                        bytes.size() - live::kFrameHeaderBytes);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->pixelWidth(), rect.width);
        ASSERT_EQ(image->pixelHeight(), rect.height);
        for (int y = 0; y < rect.height; ++y)
            for (int x = 0; x < rect.width; ++x) {
                auto p = image->pixelAt(x, y);
                screen[std::size_t(rect.y + y) * width + rect.x + x] = (std::uint32_t(p.r) << 16) | (p.g << 8) | p.b;
            }
        frames.push_back(rect);
        frameBytes.push_back(bytes.size());
    }

    boost::asio::io_context m_io;
    beast::flat_buffer m_buffer;
    websocket::stream<tcp::socket> m_ws;
    websocket::response_type m_response;
};

}  // namespace flint::testing
