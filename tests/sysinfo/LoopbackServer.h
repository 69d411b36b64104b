#pragma once
// A one-thread HTTP server on 127.0.0.1 for the public-address fetch: answers every request with
// a fixed status and body, or (silent) accepts and never answers. Counts the connections it got.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class LoopbackServer {
public:
    enum class Mode { Answer, Silent };
    explicit LoopbackServer(std::string body, int status = 200, Mode mode = Mode::Answer);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string url() const;
    // The connections clients have made: those served, plus one still waiting in the listen queue
    // (a waiting connection is seen at once, however busy the machine is).
    int connections() const;

    // An address on loopback where nothing listens, on a port held for the life of the process so
    // that nothing else can take it.
    static std::string refusingURL();

private:
    void serve();

    std::string m_body;
    int m_status;
    Mode m_mode;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;  // held around each accept and its count
    int m_connections = 0;
    std::thread m_thread;
};
