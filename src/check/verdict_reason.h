#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lomarind {

// Why a row got its verdict. One byte, so a million rows can keep theirs; the values are stable
// for as long as the process lives and are stored as such in the list.
enum class VerdictReason : std::uint8_t {
    None,              // not judged
    ResultsShown,      // √: the engine's result page for the query, with results
    NoResults,         // ×: the result page with its no-result block
    Verification,      // the engine asked for a verification (detail: its host, when moved)
    HttpStatus,        // an error status (detail: its decimal code)
    ForeignRedirect,   // redirected to a host that is not the engine's (detail: that host)
    NameLookupFailed,  // no connection: the host name did not resolve
    ConnectionRefused, // no connection: refused
    TlsFailed,         // no connection: the secure connection failed
    ConnectFailed,     // no connection, for another reason
    TimedOut,          // no answer in time
    CutShort,          // the answer broke off, or was too large
    RedirectLoop,      // redirects without end
    NotResultPage,     // an answer of the search page that is not a result page
    AddressTooLong,    // not sent: the address is too long
    RequestFailed,     // the request failed otherwise
};

// The longest detail kept with a verdict; longer ones are cut at a character boundary.
constexpr std::size_t MAX_REASON_DETAIL = 100;

// The reason as the user reads it in a count: "安全验证", "HTTP 503".
QString reason_label(VerdictReason reason, std::string_view detail);

// The status cell's tooltip: the label, and what the detail adds to it, e.g. the first result of
// a √ as "首条结果：www.example.com/a.html". The detail holds bytes of the engine's page (UTF-8)
// or of an address.
QString reason_tooltip(VerdictReason reason, std::string_view detail);

// `text` cut to at most `limit` bytes, not inside a UTF-8 character.
std::string_view clip_utf8(std::string_view text, std::size_t limit);

// `text` cut to at most MAX_REASON_DETAIL bytes, not inside a UTF-8 character.
std::string_view clip_detail(std::string_view text);

} // namespace lomarind
