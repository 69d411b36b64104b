#include "sysinfo/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

int listenOnLoopback(int& port, bool listening) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || (listening && ::listen(fd, 8) != 0) ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(std::string body, int status, Mode mode)
    : m_body(std::move(body)), m_status(status), m_mode(mode) {
    m_listener = listenOnLoopback(m_port, true);
    if (m_listener >= 0) m_thread = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_listener >= 0) ::close(m_listener);
}

std::string LoopbackServer::url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

std::string LoopbackServer::refusingURL() {
    // Bound but not listening: connections are refused, and the port stays ours.
    static const int port = [] {
        int bound = 0;
        listenOnLoopback(bound, false);
        return bound;
    }();
    return "http://127.0.0.1:" + std::to_string(port) + "/";
}

int LoopbackServer::connections() const {
    std::lock_guard lock(m_mutex);
    int count = m_connections;
    // A connection still in the listen queue has been made; count it without taking it.
    if (m_listener >= 0) {
        pollfd pending{m_listener, POLLIN, 0};
        if (::poll(&pending, 1, 0) > 0) ++count;
    }
    return count;
}

void LoopbackServer::serve() {
    std::vector<int> held;
    while (!m_stop) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0) continue;
        int client;
        {
            std::lock_guard lock(m_mutex);
            client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0) continue;
            ++m_connections;
        }
        if (m_mode == Mode::Silent) {
            held.push_back(client);
            continue;
        }
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 1000) <= 0) break;
            ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
            if (got <= 0) break;
            request.append(chunk, static_cast<std::size_t>(got));
        }
        std::string response = "HTTP/1.1 " + std::to_string(m_status) + " Answer\r\nContent-Type: text/plain\r\n" +
                               "Content-Length: " + std::to_string(m_body.size()) + "\r\nConnection: close\r\n\r\n" +
                               m_body;
        ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
        ::close(client);
    }
    for (int fd : held) ::close(fd);
}
