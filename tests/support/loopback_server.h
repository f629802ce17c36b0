#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lomarind::test {

// Part of an answer: a pause, then the bytes (which may be empty, for a pause alone).
struct Chunk {
    std::string bytes;
    std::chrono::milliseconds delay{0};
};

enum class ConnectionEnd {
    Close, // an orderly close once the last chunk is out
    Reset, // an abortive close: the client sees a reset
    Stall, // the connection stays open and silent until the server stops
};

// What the server does on one connection once the request head has arrived.
struct ConnectionScript {
    std::vector<Chunk> chunks;
    ConnectionEnd end = ConnectionEnd::Close;
    // Answer as soon as the connection is accepted, without waiting for a request: a plain
    // server where the client expects a TLS handshake.
    bool before_request = false;
};

// A real HTTP server on 127.0.0.1 and an ephemeral port, on its own thread, for tests and
// benchmarks. It serves one connection at a time, records the raw bytes of every request head
// and answers with scripted bytes; every connection is closed after its answer. Each chunk is
// written with its own send and Nagle is off, so chunks leave as separate TCP writes.
class LoopbackServer {
  public:
    using Handler = std::function<std::string(std::string_view request)>;
    // Whether requests() keeps every request head: a benchmark's memory figures must not count
    // the server's own log.
    enum class RequestLog { Kept, Discarded };

    // The n-th connection gets the n-th script; connections beyond them are closed unanswered.
    explicit LoopbackServer(std::vector<ConnectionScript> scripts);
    // Every request is answered with handler(raw request head), then the connection is closed.
    // The handler runs on the server's thread.
    explicit LoopbackServer(Handler handler, RequestLog log = RequestLog::Kept);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // 0 when the server could not listen.
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string origin() const;
    // The raw bytes of each request received, in order.
    std::vector<std::string> requests() const;
    int connections() const { return connections_.load(); }

    // Ends every stall and pause, closes the sockets and joins the thread. Idempotent.
    void stop();

  private:
    void start();
    void serve();
    void answer(int socket, const std::string& request, int index);
    bool wait_readable(int socket, int timeout_ms) const;
    bool stop_requested() const;

    std::vector<ConnectionScript> scripts_;
    Handler handler_;
    RequestLog log_ = RequestLog::Kept;
    int listen_fd_ = -1;
    int stop_pipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// An answer head without Content-Length (the body ends at the close), e.g.
// response_head(302, "Location: http://x/\r\n").
std::string response_head(int status, std::string_view extra_headers = {});
// A whole answer with Content-Length.
std::string http_response(int status, std::string_view body, std::string_view extra_headers = {});

} // namespace lomarind::test
