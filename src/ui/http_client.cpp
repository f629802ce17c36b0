#include "ui/http_client.h"

#include "net/address_parts.h"
#include "net/url_encoding.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>

namespace lomarind {
namespace {

constexpr const char* USER_AGENT = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
// Longest wait in one poll, so a missed wake-up can never hang a request for long.
constexpr int MAX_POLL_MS = 1000;

using Clock = std::chrono::steady_clock;

void global_init_once() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

curl_slist* make_list(const std::vector<std::string>& lines) {
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
        curl_slist* longer = curl_slist_append(list, line.c_str());
        if (longer == nullptr) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = longer;
    }
    return list;
}

// How a transfer that libcurl ended with `code` failed. `os_errno` tells a refused connection
// from other failures to connect.
HttpFailure failure_of(CURLcode code, long os_errno) {
    switch (code) {
    case CURLE_OK:
        return HttpFailure::None;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpFailure::NameLookup;
    case CURLE_COULDNT_CONNECT:
        return os_errno == ECONNREFUSED ? HttpFailure::Refused : HttpFailure::Connect;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
        return HttpFailure::Tls;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::TimedOut;
    case CURLE_TOO_MANY_REDIRECTS:
        return HttpFailure::TooManyRedirects;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WRITE_ERROR: // the body cap, or no memory for the body
        return HttpFailure::CutShort;
    default:
        return HttpFailure::Other;
    }
}

HttpResult failed_with(HttpFailure failure) {
    HttpResult result;
    result.failure = failure;
    return result;
}

// How run_transfer ended.
enum class TransferEnd { Done, Aborted, TimedOut, Error };

} // namespace

struct HttpClient::Impl {
    HttpLimits limits;
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    curl_slist* connect_to = nullptr;
    std::atomic<bool> aborted{false};

    // The exchange under way; touched by the requesting thread only.
    std::string body;
    bool capped = false;
    bool connected = false;
    Clock::time_point started;
    Clock::time_point last_activity;

    explicit Impl(HttpLimits l) : limits(l) {
        global_init_once();
        multi = curl_multi_init();
        easy = curl_easy_init();
        headers = make_list({"Accept: */*", "Pragma: no-cache"});
        if (multi == nullptr || easy == nullptr || headers == nullptr) {
            release();
            return;
        }
        configure();
    }

    ~Impl() { release(); }

    void release() {
        if (easy != nullptr)
            curl_easy_cleanup(easy);
        if (multi != nullptr)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
        curl_slist_free_all(connect_to);
        easy = nullptr;
        multi = nullptr;
        headers = nullptr;
        connect_to = nullptr;
    }

    void configure() {
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        curl_easy_setopt(easy, CURLOPT_USERAGENT, USER_AGENT);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        // The address is sent as written: no squashing of "/../".
        curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.max_redirects);
        // Cookies in memory for the life of the handle; no jar, so nothing is ever written.
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(limits.connect_timeout.count()));
        // A name lookup that hangs must not hold up an abort or a time-out: its resolver thread
        // is left to finish on its own instead of being waited for.
        curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::on_body);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::on_header);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Impl::on_connected);
        curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    }

    static std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
        auto* self = static_cast<Impl*>(user);
        const std::size_t n = size * count;
        self->last_activity = Clock::now();
        const std::size_t room =
            self->limits.max_body - std::min(self->body.size(), self->limits.max_body);
        try {
            self->body.append(data, std::min(n, room));
        } catch (...) {
            return 0; // out of memory: a transfer error
        }
        if (n > room) {
            self->capped = true;
            return 0; // anything but n ends the transfer
        }
        return n;
    }

    static std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
        auto* self = static_cast<Impl*>(user);
        const std::size_t n = size * count;
        self->last_activity = Clock::now();
        // A new status line begins another response; only the final one's body is kept.
        if (std::string_view(data, n).starts_with("HTTP/"))
            self->body.clear();
        return n;
    }

    static int on_connected(void* user, char*, char*, int, int) {
        auto* self = static_cast<Impl*>(user);
        self->connected = true;
        self->last_activity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    HttpResult get(std::string_view address) {
        if (aborted.load())
            return failed_with(HttpFailure::Aborted);
        if (easy == nullptr)
            return failed_with(HttpFailure::Other);
        const std::optional<AddressParts> parts = split_address(address);
        if (!parts)
            return failed_with(HttpFailure::BadAddress);
        if (parts->target.size() > MAX_REQUEST_TARGET)
            return failed_with(HttpFailure::AddressTooLong);
        std::string url(parts->scheme);
        url += "://";
        url += parts->authority;
        url += percent_encode_unsafe(parts->target);

        body.clear();
        capped = false;
        connected = false;
        started = Clock::now();
        last_activity = started;
        if (curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) != CURLE_OK ||
            curl_multi_add_handle(multi, easy) != CURLM_OK)
            return failed_with(HttpFailure::Other);

        const TransferEnd end = run_transfer();
        HttpResult result;
        CURLcode code = CURLE_OK;
        bool done = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                code = message->data.result;
                done = true;
            }
        }
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        const char* final_url = nullptr;
        curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &final_url);
        long os_errno = 0;
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &os_errno);
        curl_multi_remove_handle(multi, easy);

        result.complete = end == TransferEnd::Done && done && code == CURLE_OK && !capped;
        switch (end) {
        case TransferEnd::Done:
            if (!done)
                result.failure = HttpFailure::Other;
            else if (capped)
                result.failure = HttpFailure::CutShort;
            else
                result.failure = failure_of(code, os_errno);
            break;
        case TransferEnd::Aborted:
            result.failure = HttpFailure::Aborted;
            break;
        case TransferEnd::TimedOut:
            result.failure = HttpFailure::TimedOut;
            break;
        case TransferEnd::Error:
            result.failure = HttpFailure::Other;
            break;
        }
        result.status = status;
        if (final_url != nullptr)
            result.final_url = final_url;
        result.body = std::move(body);
        body = {};
        return result;
    }

    // Drives the transfer until it ends, or cuts it off (abort, a time limit, an error).
    TransferEnd run_transfer() {
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK)
                return TransferEnd::Error;
            if (running == 0)
                return TransferEnd::Done;
            if (aborted.load())
                return TransferEnd::Aborted;
            auto deadline = started + limits.total_timeout;
            if (connected)
                deadline = std::min(deadline, last_activity + limits.idle_timeout);
            const auto now = Clock::now();
            if (now >= deadline)
                return TransferEnd::TimedOut;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            const int wait_ms = static_cast<int>(std::min<long long>(MAX_POLL_MS, left));
            if (curl_multi_poll(multi, nullptr, 0, wait_ms, nullptr) != CURLM_OK)
                return TransferEnd::Error;
        }
    }

    void abort() {
        aborted.store(true);
        if (multi != nullptr)
            curl_multi_wakeup(multi);
    }

    void set_connect_to(const std::vector<std::string>& rules) {
        if (easy == nullptr)
            return;
        curl_slist* list = make_list(rules);
        curl_easy_setopt(easy, CURLOPT_CONNECT_TO, list);
        curl_slist_free_all(connect_to);
        connect_to = list;
    }
};

HttpClient::HttpClient(HttpLimits limits) : impl_(std::make_unique<Impl>(limits)) {}

HttpClient::~HttpClient() = default;

HttpResult HttpClient::get(std::string_view address) {
    try {
        return impl_->get(address);
    } catch (...) {
        if (impl_->easy != nullptr)
            curl_multi_remove_handle(impl_->multi, impl_->easy);
        return failed_with(HttpFailure::Other);
    }
}

void HttpClient::abort() {
    impl_->abort();
}

void HttpClient::set_connect_to(std::vector<std::string> rules) {
    impl_->set_connect_to(rules);
}

} // namespace lomarind
