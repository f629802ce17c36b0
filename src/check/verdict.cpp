#include "check/verdict.h"

#include "platform/address_parts.h"
#include "platform/desktop_services.h"
#include "platform/url_encoding.h"
#include "text/text.h"

namespace lomarind {
namespace {

// Whether the answer came from the search page itself. A redirect may change scheme, port and
// query (the engine moves http to https); another host or path is some other page, such as the
// check the engine puts in front of queries it distrusts.
bool is_search_page(std::string_view final_url, std::string_view search_address) {
    const auto final_parts = split_address(final_url);
    const auto search_parts = split_address(search_address);
    if (!final_parts || !search_parts)
        return false;
    const auto path_of = [](const AddressParts& parts) {
        return parts.path.empty() ? std::string("/") : percent_encode_unsafe(parts.path);
    };
    return same_host(final_parts->host, search_parts->host) &&
           path_of(*final_parts) == path_of(*search_parts);
}

} // namespace

std::string build_search_url(std::string_view url_text) {
    std::string address(SEARCH_PREFIX);
    address += url_text;
    return address;
}

IndexVerdict judge_result_page(const HttpResult& response, std::string_view search_address) {
    // An error answer proves nothing: the engine's own error page carries the marker too.
    if (response.status < 200 || response.status > 299)
        return IndexVerdict::QueryFailed;
    if (!is_search_page(response.final_url, search_address))
        return IndexVerdict::QueryFailed;
    const std::string_view page = cut_at_zero(response.body);
    // The marker is proof even in a page cut short; its absence is proof only in a whole page.
    if (find_text(page, NO_RESULT_MARKER) > 0)
        return IndexVerdict::NotIndexed;
    if (response.complete && find_text(page, RESULT_PAGE_SIGN) > 0)
        return IndexVerdict::Indexed;
    return IndexVerdict::QueryFailed;
}

IndexVerdict check_url(DesktopServices& services, std::string_view url_text) {
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
