#include "platform/http_client.h"

// Placeholder until the libcurl client lands: every request fails without network activity.
namespace lomarind {

struct HttpClient::Impl {};

HttpClient::HttpClient(HttpLimits) : impl_(std::make_unique<Impl>()) {}
HttpClient::~HttpClient() = default;
HttpResult HttpClient::get(std::string_view) { return {}; }
void HttpClient::abort() {}

} // namespace lomarind
