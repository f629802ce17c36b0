#pragma once

#include "check/verdict_reason.h"

#include <string>
#include <string_view>

namespace lomarind {

class DesktopServices;
struct HttpResult;

// The search address up to and including "wd="; the URL text follows it byte for byte.
inline constexpr std::string_view SEARCH_PREFIX = "http://www.baidu.com/s?wd=";
// The engine puts this into a result page that has no results.
inline constexpr std::string_view NO_RESULT_MARKER = "div class=\"nors\"";
// The container of the result list, on every result page of the engine, with results or without.
// A page without it is some other page (the engine has answered with a script that switches
// scheme and a refresh to its home page) and says nothing about the index.
inline constexpr std::string_view RESULT_PAGE_SIGN = "content_left";

inline constexpr std::string_view MARK_INDEXED = "\xA1\xCC";     // √
inline constexpr std::string_view MARK_NOT_INDEXED = "\xA1\xC1"; // ×
inline constexpr std::string_view MARK_QUERY_FAILED =
    "\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC"; // 查询失败

inline constexpr std::string_view SUFFIX_INDEXED = "  ----\xD2\xD1\xCA\xD5\xC2\xBC\r\n"; // 已收录
inline constexpr std::string_view SUFFIX_NOT_INDEXED =
    "  ----\xCE\xB4\xCA\xD5\xC2\xBC\r\n"; // 未收录
inline constexpr std::string_view SUFFIX_QUERY_FAILED =
    "  ----\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC\r\n"; // 查询失败

enum class IndexVerdict { Indexed, NotIndexed, QueryFailed };

// The verdict on one answer and why: the detail is the first result's address for Indexed, the
// status code, or the host the request was sent on to (see VerdictReason).
struct CheckOutcome {
    IndexVerdict verdict = IndexVerdict::QueryFailed;
    VerdictReason reason = VerdictReason::RequestFailed;
    std::string detail;

    friend bool operator==(const CheckOutcome&, const CheckOutcome&) = default;
};

// SEARCH_PREFIX followed by the URL text, unchanged.
std::string build_search_url(std::string_view url_text);

// The verdict on one answer to `search_address`. A verdict is drawn only from a 2xx final answer
// of the search page itself (same host and path) that is not the engine's verification page;
// there the marker means NotIndexed, and a whole result page without it means Indexed.
// Anything else is QueryFailed, with the reason it failed.
CheckOutcome judge_result_page(const HttpResult& response, std::string_view search_address);

// Queries the engine for one URL text; blocks for one exchange, never fails.
CheckOutcome check_url(DesktopServices& services, std::string_view url_text);

std::string_view status_mark(IndexVerdict verdict);

// The URL text followed by the verdict's suffix (which ends in CR LF).
std::string verdict_line(std::string_view url_text, IndexVerdict verdict);

} // namespace lomarind
