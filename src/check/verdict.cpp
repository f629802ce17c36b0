#include "check/verdict.h"

#include "check/first_result.h"
#include "net/address_parts.h"
#include "net/url_encoding.h"
#include "services/desktop_services.h"
#include "text/text.h"

namespace lomarind {
namespace {

// The engine's own hosts end in this; a query sent on to one of them (wappass.baidu.com) has
// been sent to the check the engine puts in front of queries it distrusts.
constexpr std::string_view ENGINE_DOMAIN = "baidu.com";
// The title of that check when the engine serves it at the search address itself, in UTF-8 (the
// engine's pages) and in GBK.
constexpr std::string_view VERIFICATION_TITLE_UTF8 =
    "\xE7\x99\xBE\xE5\xBA\xA6\xE5\xAE\x89\xE5\x85\xA8\xE9\xAA\x8C\xE8\xAF\x81"; // 百度安全验证
constexpr std::string_view VERIFICATION_TITLE_GBK =
    "\xB0\xD9\xB6\xC8\xB0\xB2\xC8\xAB\xD1\xE9\xD6\xA4";

bool is_engine_host(std::string_view host) {
    if (host.size() == ENGINE_DOMAIN.size())
        return same_host(host, ENGINE_DOMAIN);
    return host.size() > ENGINE_DOMAIN.size() &&
           host[host.size() - ENGINE_DOMAIN.size() - 1] == '.' &&
           same_host(host.substr(host.size() - ENGINE_DOMAIN.size()), ENGINE_DOMAIN);
}

std::string path_of(const AddressParts& parts) {
    return parts.path.empty() ? std::string("/") : percent_encode_unsafe(parts.path);
}

bool has_verification_title(std::string_view page) {
    const std::size_t open = page.find("<title");
    if (open == std::string_view::npos)
        return false;
    const std::size_t start = page.find('>', open);
    const std::size_t end = page.find("</title", open);
    if (start == std::string_view::npos || end == std::string_view::npos || end < start)
        return false;
    std::string_view title = page.substr(start + 1, end - start - 1);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!title.empty() && blank(title.front()))
        title.remove_prefix(1);
    while (!title.empty() && blank(title.back()))
        title.remove_suffix(1);
    return title == VERIFICATION_TITLE_UTF8 || title == VERIFICATION_TITLE_GBK;
}

// The reason for an exchange that brought no answer at all.
VerdictReason reason_of(HttpFailure failure) {
    switch (failure) {
    case HttpFailure::AddressTooLong:
        return VerdictReason::AddressTooLong;
    case HttpFailure::NameLookup:
        return VerdictReason::NameLookupFailed;
    case HttpFailure::Refused:
        return VerdictReason::ConnectionRefused;
    case HttpFailure::Tls:
        return VerdictReason::TlsFailed;
    case HttpFailure::Connect:
        return VerdictReason::ConnectFailed;
    case HttpFailure::TimedOut:
        return VerdictReason::TimedOut;
    case HttpFailure::CutShort:
        return VerdictReason::CutShort;
    case HttpFailure::TooManyRedirects:
        return VerdictReason::RedirectLoop;
    case HttpFailure::None:
    case HttpFailure::BadAddress:
    case HttpFailure::Aborted:
    case HttpFailure::Other:
        break;
    }
    return VerdictReason::RequestFailed;
}

CheckOutcome failed(VerdictReason reason, std::string detail = {}) {
    return {IndexVerdict::QueryFailed, reason, std::move(detail)};
}

} // namespace

std::string build_search_url(std::string_view url_text) {
    std::string address(SEARCH_PREFIX);
    address += url_text;
    return address;
}

CheckOutcome judge_result_page(const HttpResult& response, std::string_view search_address) {
    using enum VerdictReason;
    if (response.failure == HttpFailure::AddressTooLong)
        return failed(AddressTooLong);
    // A redirect may change scheme, port and query (the engine moves http to https); another
    // host is not the search page, whatever it answers.
    const auto final_parts = split_address(response.final_url);
    const auto search_parts = split_address(search_address);
    if (final_parts && search_parts && !same_host(final_parts->host, search_parts->host))
        return failed(is_engine_host(final_parts->host) ? Verification : ForeignRedirect,
                      std::string(clip_detail(final_parts->host)));
    // A failure to connect leaves the status of an earlier answer (a redirect) behind.
    switch (response.failure) {
    case HttpFailure::NameLookup:
    case HttpFailure::Refused:
    case HttpFailure::Tls:
    case HttpFailure::Connect:
    case HttpFailure::TooManyRedirects:
        return failed(reason_of(response.failure));
    default:
        break;
    }
    if (response.status == 0)
        return failed(reason_of(response.failure));
    // An error answer proves nothing: the engine's own error page carries the marker too.
    if (response.status < 200 || response.status > 299)
        return failed(HttpStatus, decimal(response.status));
    if (!final_parts || !search_parts || path_of(*final_parts) != path_of(*search_parts))
        return failed(NotResultPage);
    const std::string_view page = cut_at_zero(response.body);
    // The check may come with the whole frame of a result page, "content_left" and all.
    if (has_verification_title(page))
        return failed(Verification);
    // The marker is proof even in a page cut short; its absence is proof only in a whole page.
    if (find_text(page, NO_RESULT_MARKER) > 0)
        return {IndexVerdict::NotIndexed, NoResults, {}};
    if (!response.complete)
        return failed(response.failure == HttpFailure::TimedOut ? TimedOut : CutShort);
    if (find_text(page, RESULT_PAGE_SIGN) > 0)
        return {IndexVerdict::Indexed, ResultsShown, first_result_address(page)};
    return failed(NotResultPage);
}

CheckOutcome check_url(DesktopServices& services, std::string_view url_text) {
    const std::string address = build_search_url(url_text);
    return judge_result_page(services.http_get(address), address);
}

std::string_view status_mark(IndexVerdict verdict) {
    switch (verdict) {
    case IndexVerdict::Indexed:
        return MARK_INDEXED;
    case IndexVerdict::NotIndexed:
        return MARK_NOT_INDEXED;
    case IndexVerdict::QueryFailed:
        break;
    }
    return MARK_QUERY_FAILED;
}

std::string verdict_line(std::string_view url_text, IndexVerdict verdict) {
    std::string_view suffix = SUFFIX_QUERY_FAILED;
    switch (verdict) {
    case IndexVerdict::Indexed:
        suffix = SUFFIX_INDEXED;
        break;
    case IndexVerdict::NotIndexed:
        suffix = SUFFIX_NOT_INDEXED;
        break;
    case IndexVerdict::QueryFailed:
        break;
    }
    std::string line(url_text);
    line += suffix;
    return line;
}

} // namespace lomarind
