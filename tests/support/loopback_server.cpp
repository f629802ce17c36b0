#include "loopback_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lomarind::test {
namespace {

constexpr std::string_view HEAD_END = "\r\n\r\n";

void close_fd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool send_all(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace

LoopbackServer::LoopbackServer(std::vector<ConnectionScript> scripts)
    : scripts_(std::move(scripts)) {
    start();
}

LoopbackServer::LoopbackServer(Handler handler, RequestLog log)
    : handler_(std::move(handler)), log_(log) {
    start();
}

LoopbackServer::~LoopbackServer() {
    stop();
}

std::string LoopbackServer::origin() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackServer::start() {
    if (::pipe2(stop_pipe_, O_CLOEXEC) != 0)
        return;
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_fd_, 16) != 0 ||
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close_fd(listen_fd_);
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

void LoopbackServer::stop() {
    if (stop_pipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(stop_pipe_[1], &byte, 1);
    }
    if (thread_.joinable())
        thread_.join();
    close_fd(listen_fd_);
    close_fd(stop_pipe_[0]);
    close_fd(stop_pipe_[1]);
}

bool LoopbackServer::stop_requested() const {
    pollfd stop_fd{stop_pipe_[0], POLLIN, 0};
    return ::poll(&stop_fd, 1, 0) > 0;
}

// Waits until the socket is readable (or closed); false on a stop or when the time is up.
// A negative timeout waits without limit.
bool LoopbackServer::wait_readable(int socket, int timeout_ms) const {
    pollfd fds[2] = {{socket, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, timeout_ms);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || fds[1].revents != 0)
            return false;
        return fds[0].revents != 0;
    }
}

void LoopbackServer::serve() {
    for (;;) {
        if (!wait_readable(listen_fd_, -1))
            return;
        int socket = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        const int index = connections_.fetch_add(1);
        const int one = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

        const bool greets = !handler_ && index < static_cast<int>(scripts_.size()) &&
                            scripts_[static_cast<std::size_t>(index)].before_request;
        if (greets) {
            answer(socket, {}, index);
            close_fd(socket);
            continue;
        }
        std::string request;
        char buffer[4096];
        while (request.find(HEAD_END) == std::string::npos && wait_readable(socket, -1)) {
            const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        if (log_ == RequestLog::Kept) {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (request.find(HEAD_END) != std::string::npos)
            answer(socket, request, index);
        close_fd(socket);
        if (stop_requested())
            return;
    }
}

// Sends the scripted answer; leaves the socket for the caller to close (unless reset).
void LoopbackServer::answer(int socket, const std::string& request, int index) {
    if (handler_) {
        send_all(socket, handler_(request));
        ::shutdown(socket, SHUT_WR);
        return;
    }
    if (index >= static_cast<int>(scripts_.size()))
        return;
    const ConnectionScript& script = scripts_[static_cast<std::size_t>(index)];
    for (const Chunk& chunk : script.chunks) {
        if (chunk.delay.count() > 0) {
            pollfd stop_fd{stop_pipe_[0], POLLIN, 0};
            if (::poll(&stop_fd, 1, static_cast<int>(chunk.delay.count())) != 0)
                return;
        }
        if (!send_all(socket, chunk.bytes))
            return;
    }
    switch (script.end) {
    case ConnectionEnd::Close:
        ::shutdown(socket, SHUT_WR);
        break;
    case ConnectionEnd::Reset: {
        const linger abortive{1, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        break;
    }
    case ConnectionEnd::Stall: {
        pollfd stop_fd{stop_pipe_[0], POLLIN, 0};
        while (::poll(&stop_fd, 1, -1) < 0 && errno == EINTR) {
        }
        break;
    }
    }
}

std::string response_head(int status, std::string_view extra_headers) {
    std::string head = "HTTP/1.0 " + std::to_string(status) + " Scripted\r\n";
    head += "Content-Type: text/html\r\n";
    head += extra_headers;
    head += "\r\n";
    return head;
}

std::string http_response(int status, std::string_view body, std::string_view extra_headers) {
    std::string headers = "Content-Length: " + std::to_string(body.size()) + "\r\n";
    headers += extra_headers;
    std::string answer = response_head(status, headers);
    answer += body;
    return answer;
}

} // namespace lomarind::test
