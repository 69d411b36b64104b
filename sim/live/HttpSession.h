#pragma once
// One HTTP connection: the page's assets (from the binary's table), the device state, the
// photos of the device root and photo uploads (at most 32 MiB, checked before the body is read).
// A WebSocket upgrade from the server's own page becomes a viewer.

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <memory>
#include <optional>

namespace flint::live {

class LiveServer;

class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    HttpSession(boost::asio::ip::tcp::socket&& socket, LiveServer& server);
    void start() { readHeader(); }

private:
    using Request = boost::beast::http::request<boost::beast::http::string_body>;
    using Response = boost::beast::http::response<boost::beast::http::string_body>;

    void readHeader();
    void onHeader();
    void onRequest();
    Response respond(const Request& request);
    void send(Response response);
    Response error(unsigned status, const std::string& message, bool json) const;

    boost::beast::tcp_stream m_stream;
    LiveServer& m_server;
    boost::beast::flat_buffer m_buffer;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> m_parser;
};

}  // namespace flint::live
