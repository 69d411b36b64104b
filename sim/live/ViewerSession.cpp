#include "sim/live/ViewerSession.h"

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/websocket.hpp>

#include "sim/live/LiveMessage.h"
#include "sim/live/LiveServer.h"

namespace flint::live {

namespace beast = boost::beast;
namespace websocket = beast::websocket;

namespace {
// A viewer that lets this many event texts pile up is not reading; it is dropped.
constexpr std::size_t kMaxQueuedTexts = 4096;
}  // namespace

ViewerSession::ViewerSession(beast::tcp_stream&& stream, LiveServer& server)
    : m_ws(std::move(stream)), m_server(server) {}

void ViewerSession::start(beast::http::request<beast::http::string_body> request) {
    m_ws.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    m_ws.read_message_max(kMaxInputMessageBytes);
    m_ws.auto_fragment(false);  // a frame goes out as one WebSocket frame, not 4 KiB pieces
    m_ws.async_accept(request, [self = shared_from_this()](beast::error_code ec) {
        if (ec) return self->finished();
        self->m_open = true;
        self->m_server.viewerOpened(self);
        self->read();
    });
}

void ViewerSession::read() {
    m_ws.async_read(m_buffer, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) {
            // An oversized message ends here too: Beast closes with "message too big".
            return self->finished();
        }
        if (!self->m_ws.got_text()) {
            self->m_buffer.consume(self->m_buffer.size());
            self->sendText(R"({"type":"error","message":"input messages are JSON text"})");
        } else {
            std::string text = beast::buffers_to_string(self->m_buffer.data());
            self->m_buffer.consume(self->m_buffer.size());
            self->m_server.receive(*self, text);
        }
        if (!self->m_closed) self->read();
    });
}

void ViewerSession::sendText(std::string text) {
    if (m_closed) return;
    if (m_texts.size() >= kMaxQueuedTexts) return close();
    m_texts.push_back(std::make_shared<const std::string>(std::move(text)));
    pump();
}

void ViewerSession::addDamage(const PixelRect& rect) {
    m_damage = m_damage.united(rect);
    pump();
}

void ViewerSession::pump() {
    if (!m_open || m_writing || m_closed) return;
    auto done = [self = shared_from_this()](beast::error_code ec, std::size_t) {
        self->m_writing = false;
        self->m_writingText.reset();
        self->m_writingFrame.reset();
        if (ec) return self->finished();
        self->pump();
    };
    if (!m_texts.empty()) {
        m_writingText = std::move(m_texts.front());
        m_texts.pop_front();
        m_writing = true;
        m_ws.text(true);
        m_ws.async_write(boost::asio::buffer(*m_writingText), std::move(done));
        return;
    }
    if (!m_damage.empty()) {
        m_writingFrame = m_server.frameMessage(m_damage);
        m_damage = {};
        if (!m_writingFrame || m_writingFrame->empty()) return;
        m_writing = true;
        m_ws.binary(true);
        m_ws.async_write(boost::asio::buffer(*m_writingFrame), std::move(done));
    }
}

void ViewerSession::close() {
    if (m_closed) return;
    m_closed = true;
    m_texts.clear();
    beast::error_code ignored;
    beast::get_lowest_layer(m_ws).socket().shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
    beast::get_lowest_layer(m_ws).close();
    m_server.viewerClosed(*this);
}

void ViewerSession::finished() {
    if (m_closed) return;
    m_closed = true;
    m_texts.clear();
    if (m_open) m_server.viewerClosed(*this);
}

}  // namespace flint::live
