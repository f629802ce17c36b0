#pragma once

#include "services/desktop_services.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lomarind {

// Limits that keep one bad answer from stalling a run for ever.
struct HttpLimits {
    std::chrono::milliseconds connect_timeout{60'000}; // name lookup, TCP and TLS handshakes
    // Once a connection is up: no byte arrived for this long.
    std::chrono::milliseconds idle_timeout{60'000};
    // The whole exchange, from the start of the request to the end of the body, redirects
    // included: a server that trickles its answer cannot hold a request for ever.
    std::chrono::milliseconds total_timeout{120'000};
    std::size_t max_body = std::size_t{64} << 20; // the body is cut here and counts as incomplete
    long max_redirects = 10;
};

// GET over libcurl. One client serves every request of the process, so DNS answers,
// connections, TLS sessions and cookies (kept in memory only) are reused. Thread-compatible:
// one request at a time; abort() may be called from any thread.
//
// The request is one HTTP/1.0 GET with the agent of the old desktop browser, "Accept: */*" and
// "Pragma: no-cache", and nothing else of note. Bytes an address cannot carry raw are sent
// percent-encoded; everything from the first "#" on is not sent, and a path with query longer
// than MAX_REQUEST_TARGET is not sent at all. Redirects are followed over http and https only.
class HttpClient {
  public:
    explicit HttpClient(HttpLimits limits = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    HttpResult get(std::string_view address);

    // Ends the request under way at once and makes every later one fail without network
    // activity.
    void abort();

    // Sends the requests for one host and port to another, e.g.
    // "www.baidu.com:80:127.0.0.1:8080", while the request itself (its Host header, its address)
    // stays as it is. For tests and benchmarks that stand in for a remote server.
    void set_connect_to(std::vector<std::string> rules);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace lomarind
