#include "platform/http_client.h"

#include "platform/address_parts.h"
#include "platform/url_encoding.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
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
        HttpResult result;
        if (address.empty() || easy == nullptr || aborted.load())
            return result;
        const std::optional<AddressParts> parts = split_address(address);
        if (!parts)
            return result;
        std::string url(parts->scheme);
        url += "://";
        url += parts->authority;
        url += percent_encode_unsafe(parts->target);

        body.clear();
        capped = false;
        connected = false;
        last_activity = Clock::now();
        if (curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) != CURLE_OK ||
            curl_multi_add_handle(multi, easy) != CURLM_OK)
            return result;

        const bool ran = run_transfer();
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
        curl_multi_remove_handle(multi, easy);

        result.complete = ran && done && code == CURLE_OK && !capped;
        result.status = status;
        if (final_url != nullptr)
            result.final_url = final_url;
        result.body = std::move(body);
        body = {};
        return result;
    }

    // Drives the transfer until it ends; false when it was cut off (abort, idle limit, error).
    bool run_transfer() {
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK)
                return false;
            if (running == 0)
                return true;
            if (aborted.load())
                return false;
            int wait_ms = MAX_POLL_MS;
            if (connected) {
                const auto deadline = last_activity + limits.idle_timeout;
                const auto now = Clock::now();
                if (now >= deadline)
                    return false;
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
                wait_ms = static_cast<int>(std::min<long long>(wait_ms, left));
            }
            if (curl_multi_poll(multi, nullptr, 0, wait_ms, nullptr) != CURLM_OK)
                return false;
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
        return {};
    }
}

void HttpClient::abort() {
    impl_->abort();
}

void HttpClient::set_connect_to(std::vector<std::string> rules) {
    impl_->set_connect_to(rules);
}

} // namespace lomarind
