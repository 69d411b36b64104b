#include "sim/live/HttpSession.h"

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "sim/live/LiveAssets.h"
#include "sim/live/LiveMessage.h"
#include "sim/live/LiveServer.h"
#include "sim/live/ViewerSession.h"

namespace flint::live {

namespace beast = boost::beast;
namespace http = beast::http;

namespace {

constexpr std::size_t kMaxRequestBodyBytes = 64 * 1024;
constexpr auto kRequestTimeout = std::chrono::seconds(30);
constexpr auto kUploadTimeout = std::chrono::seconds(120);

std::string_view view(beast::string_view text) { return {text.data(), text.size()}; }

// "<prefix>N.png" → N; none for anything else (no other path reaches a photo or a download).
std::optional<std::size_t> numberedPng(std::string_view target, std::string_view prefix) {
    constexpr std::string_view suffix = ".png";
    if (target.size() <= prefix.size() + suffix.size() || target.substr(0, prefix.size()) != prefix ||
        target.substr(target.size() - suffix.size()) != suffix)
        return std::nullopt;
    std::string_view digits = target.substr(prefix.size(), target.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 6) return std::nullopt;
    std::size_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    return n;
}

}  // namespace

HttpSession::HttpSession(boost::asio::ip::tcp::socket&& socket, LiveServer& server)
    : m_stream(std::move(socket)), m_server(server) {}

HttpSession::Response HttpSession::error(unsigned status, const std::string& message, bool json) const {
    Response response{static_cast<http::status>(status), 11};
    response.set(http::field::content_type, json ? "application/json" : "text/plain; charset=utf-8");
    response.body() = json ? nlohmann::json{{"error", message}}.dump() : message + "\n";
    response.prepare_payload();
    return response;
}

void HttpSession::readHeader() {
    m_parser.emplace();
    m_parser->header_limit(16 * 1024);
    m_parser->body_limit(kMaxRequestBodyBytes);
    m_stream.expires_after(kRequestTimeout);
    http::async_read_header(m_stream, m_buffer, *m_parser,
                            [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                if (ec) return;  // closed, timed out or malformed: nothing to answer
                                self->onHeader();
                            });
}

void HttpSession::onHeader() {
    auto& request = m_parser->get();
    if (request.method() == http::verb::post && request.target() == "/photos") {
        // Refused before the body is read: a wrong type or an oversized upload costs nothing.
        std::optional<std::uint64_t> length;
        if (auto declared = m_parser->content_length()) length = *declared;
        auto header = decodeUploadHeader(view(request[http::field::content_type]), length);
        if (!header.header) {
            unsigned status = length && *length > kMaxUploadBytes ? 413 : 400;
            auto response = error(status, header.error, true);
            response.keep_alive(false);
            return send(std::move(response));
        }
        m_parser->body_limit(kMaxUploadBytes);
        m_stream.expires_after(kUploadTimeout);
    }
    http::async_read(m_stream, m_buffer, *m_parser, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec == http::error::body_limit) {
            auto response = self->error(413, "the request is too large", true);
            response.keep_alive(false);
            return self->send(std::move(response));
        }
        if (ec) return;  // a dropped upload is simply forgotten: nothing was saved
        self->onRequest();
    });
}

void HttpSession::onRequest() {
    Request request = m_parser->release();
    if (!m_server.hostAllowed(view(request[http::field::host])))
        return send(error(421, "this server answers only to its own address", false));
    if (beast::websocket::is_upgrade(request)) {
        if (request.target() != "/live" || !m_server.originAllowed(view(request[http::field::origin]))) {
            auto response = error(403, "WebSocket refused: the page is not this server's own", false);
            response.keep_alive(false);
            return send(std::move(response));
        }
        m_stream.expires_never();
        std::make_shared<ViewerSession>(std::move(m_stream), m_server)->start(std::move(request));
        return;
    }
    send(respond(request));
}

HttpSession::Response HttpSession::respond(const Request& request) {
    std::string_view target(request.target().data(), request.target().size());
    if (auto query = target.find('?'); query != std::string_view::npos) target = target.substr(0, query);
    bool get = request.method() == http::verb::get || request.method() == http::verb::head;

    if (request.method() == http::verb::post && target == "/photos") {
        auto origin = view(request[http::field::origin]);
        if (!m_server.originAllowed(origin)) return error(403, "uploads come from this server's own page", true);
        const auto& body = request.body();
        std::string problem = m_server.addPhoto(LiveServer::Bytes(body.begin(), body.end()));
        if (!problem.empty()) return error(422, problem, true);
        Response response{http::status::ok, request.version()};
        response.set(http::field::content_type, "application/json");
        response.body() = nlohmann::json{{"photos", m_server.device().photoCount()}}.dump();
        response.prepare_payload();
        return response;
    }
    if (!get) return error(405, "method not allowed", false);
    Response response{http::status::ok, request.version()};
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
    if (target == "/state") {
        response.set(http::field::content_type, "application/json");
        response.body() = m_server.stateText();
    } else if (auto number = numberedPng(target, "/downloads/flint-")) {
        const auto* bytes = m_server.device().download(*number);
        if (!bytes) return error(404, "no such download", false);
        response.set(http::field::content_type, "image/png");
        response.set(http::field::content_disposition,
                     "attachment; filename=\"flint-" + std::to_string(*number) + ".png\"");
        response.body().assign(bytes->begin(), bytes->end());
    } else if (auto index = numberedPng(target, "/photos/")) {
        auto path = m_server.device().photoPath(*index);
        std::ifstream file(path, std::ios::binary);
        if (path.empty() || !file) return error(404, "no such photo", false);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        response.set(http::field::content_type, "image/png");
        response.body() = bytes.str();
    } else if (const LiveAsset* asset = findLiveAsset(target)) {
        response.set(http::field::content_type, std::string(asset->contentType));
        response.body() = std::string(asset->bytes);
    } else {
        return error(404, "not found", false);
    }
    response.keep_alive(request.keep_alive());
    response.prepare_payload();
    if (request.method() == http::verb::head) response.body().clear();
    return response;
}

void HttpSession::send(Response response) {
    auto shared = std::make_shared<Response>(std::move(response));
    m_stream.expires_after(kRequestTimeout);
    http::async_write(m_stream, *shared, [self = shared_from_this(), shared](beast::error_code ec, std::size_t) {
        if (ec || !shared->keep_alive()) {
            beast::error_code ignored;
            self->m_stream.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_send, ignored);
            return;
        }
        self->readHeader();
    });
}

}  // namespace flint::live
