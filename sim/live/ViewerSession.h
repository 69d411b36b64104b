#pragma once
// One page watching the device over a WebSocket: reads input messages (at most 64 KiB each) and
// writes event texts and frames. Frames are never queued: the viewer keeps the union of the
// rectangles it has not yet been sent, and when its socket is free it gets that rectangle of the
// newest frame — a slow viewer skips frames.

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/websocket/stream.hpp>

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/live/FrameDiffer.h"

namespace flint::live {

class LiveServer;

class ViewerSession : public std::enable_shared_from_this<ViewerSession> {
public:
    ViewerSession(boost::beast::tcp_stream&& stream, LiveServer& server);
    // Completes the upgrade the request asked for, then reads.
    void start(boost::beast::http::request<boost::beast::http::string_body> request);

    void sendText(std::string text);
    void addDamage(const PixelRect& rect);
    void close();

    // Fingers of this viewer that are down (cancelled when it goes away).
    std::set<int>& fingersDown() { return m_fingers; }

private:
    void read();
    void pump();
    void finished();

    boost::beast::websocket::stream<boost::beast::tcp_stream> m_ws;
    LiveServer& m_server;
    boost::beast::flat_buffer m_buffer;
    std::deque<std::shared_ptr<const std::string>> m_texts;
    std::shared_ptr<const std::string> m_writingText;
    std::shared_ptr<const std::vector<std::uint8_t>> m_writingFrame;
    PixelRect m_damage;
    std::set<int> m_fingers;
    bool m_open = false;
    bool m_writing = false;
    bool m_closed = false;
};

}  // namespace flint::live
