#pragma once

#include "platform/desktop_services.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string_view>

namespace lomarind {

// Limits that keep one bad answer from stalling a run for ever.
struct HttpLimits {
    std::chrono::milliseconds connect_timeout{60'000};
    std::chrono::milliseconds idle_timeout{60'000}; // no byte arrived for this long
    std::size_t max_body = std::size_t{64} << 20;
    long max_redirects = 10;
};

// GET over libcurl. One client serves every request of the process, so DNS answers,
// connections, TLS sessions and cookies (kept in memory only) are reused. Thread-compatible:
// one request at a time; abort() may be called from any thread.
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

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace lomarind
