// The answer door: any page a server, proxy or captive portal may send, with the status, the
// completeness, the failure and the final address of the exchange taken from the first bytes,
// judged as the query run judges it.
#include "check/verdict.h"
#include "check/verdict_reason.h"
#include "fuzz_check.h"
#include "services/desktop_services.h"

#include <QString>
#include <QStringDecoder>
#include <string>
#include <string_view>

using namespace lomarind;

namespace {

constexpr std::string_view URL_TEXT = "www.example.com/a.html";

// Where the final answer came from, as the search host and path see it.
struct Final {
    std::string_view address;
    bool same_host;
    bool same_path;
};
constexpr Final FINALS[] = {
    {"http://www.baidu.com/s?wd=www.example.com/a.html", true, true},
    {"https://www.baidu.com/s?wd=www.example.com/a.html&rsv=1", true, true},
    {"https://WWW.Baidu.COM:443/s?ie=utf-8", true, true},
    {"https://www.baidu.com/", true, false},
    {"https://www.baidu.com/s/x", true, false},
    {"https://wappass.baidu.com/static/captcha/tuxing.html", false, false},
    {"http://portal.example.net/login", false, false},
    {"http://www.baidu.com.example.net/s?wd=x", false, true},
    {"http://baidu.com/s?wd=x", false, true},
    {"", false, false},
    {"not an address", false, false},
};
constexpr long STATUSES[] = {200, 200, 200, 200, 204, 299, 0,   100,
                             199, 300, 302, 304, 404, 500, 503, 999};
constexpr int FAILURES = static_cast<int>(HttpFailure::Other) + 1;

// The marker where a character begins: a byte of 0x80 or more starts a two-byte character.
bool holds_marker(std::string_view page) {
    for (std::size_t i = 0; i < page.size();
         i += static_cast<unsigned char>(page[i]) >= 0x80 ? 2 : 1)
        if (page[i] == NO_RESULT_MARKER[0] && page.substr(i).starts_with(NO_RESULT_MARKER))
            return true;
    return false;
}

bool holds_verification_title(std::string_view page) {
    return page.find("\xE7\x99\xBE\xE5\xBA\xA6\xE5\xAE\x89\xE5\x85\xA8\xE9\xAA\x8C\xE8\xAF\x81") !=
               std::string_view::npos ||
           page.find("\xB0\xD9\xB6\xC8\xB0\xB2\xC8\xAB\xD1\xE9\xD6\xA4") != std::string_view::npos;
}

bool is_utf8(std::string_view text) {
    // A mark that begins the text is a character of it, and as valid as any other.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = utf8.decode(QByteArrayView(text.data(), std::ssize(text)));
    return !utf8.hasError();
}

// The bytes as valid UTF-8: what stands in no valid sequence becomes "?".
std::string as_utf8(std::string_view bytes) {
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString repaired;
    repaired.reserve(text.size());
    for (const QChar c : text)
        repaired += c == QChar::ReplacementCharacter ? QChar(u'?') : c;
    const QByteArray valid = repaired.toUtf8();
    return std::string(valid.constData(), static_cast<std::size_t>(valid.size()));
}

// Whether the address is http(s) on a plain host name (letters, digits, "." and "-" only, no port
// or user) other than the engine's search host, in any case.
bool plain_foreign_host(std::string_view address) {
    for (const std::string_view scheme :
         {std::string_view("http://"), std::string_view("https://")}) {
        if (!address.starts_with(scheme))
            continue;
        const std::string_view rest = address.substr(scheme.size());
        const std::string_view host =
            rest.substr(0, std::min(rest.find_first_of("/?#"), rest.size()));
        if (host.empty() ||
            host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                   "0123456789.-") != std::string_view::npos)
            return false;
        constexpr std::string_view SEARCH_HOST = "www.baidu.com";
        if (host.size() != SEARCH_HOST.size())
            return true;
        for (std::size_t i = 0; i < host.size(); ++i)
            if ((host[i] | 0x20) != SEARCH_HOST[i])
                return true;
        return false;
    }
    return false;
}

bool is_reason_of(IndexVerdict verdict, VerdictReason reason) {
    switch (verdict) {
    case IndexVerdict::Indexed:
        return reason == VerdictReason::ResultsShown;
    case IndexVerdict::NotIndexed:
        return reason == VerdictReason::NoResults;
    case IndexVerdict::QueryFailed:
        return reason != VerdictReason::None && reason != VerdictReason::ResultsShown &&
               reason != VerdictReason::NoResults &&
               static_cast<int>(reason) <= static_cast<int>(VerdictReason::RequestFailed);
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::begin_input(data, size);
    if (size < 3)
        return 0;
    // Byte 0: the status; byte 1: complete (bit 0), the page made valid UTF-8 (bit 1) and the
    // failure; byte 2: the final address, from the table or (past it) from the page's first line.
    std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    HttpResult answer;
    answer.status = STATUSES[data[0] % std::size(STATUSES)];
    if (data[0] >= 0xF0)
        answer.status = 200 + (data[0] - 0xF8); // around the edge of 2xx: 192..207
    answer.complete = (data[1] & 1) != 0;
    const bool utf8_page = (data[1] & 2) != 0;
    answer.failure = static_cast<HttpFailure>((data[1] >> 2) % FAILURES);
    const std::size_t pick = data[2] % (std::size(FINALS) + 1);
    std::optional<Final> final;
    if (pick < std::size(FINALS)) {
        final = FINALS[pick];
        answer.final_url = final->address;
    } else {
        const std::size_t line_end = std::min(rest.find('\n'), rest.size());
        answer.final_url = rest.substr(0, line_end);
        rest.remove_prefix(std::min(line_end + 1, rest.size()));
    }
    answer.body = utf8_page ? as_utf8(rest) : std::string(rest);

    const std::string search = build_search_url(URL_TEXT);
    const CheckOutcome outcome = judge_result_page(answer, search);
    FUZZ_CHECK(judge_result_page(answer, search) == outcome, "the same answer, the same verdict");

    FUZZ_CHECK(outcome.verdict == IndexVerdict::Indexed ||
                   outcome.verdict == IndexVerdict::NotIndexed ||
                   outcome.verdict == IndexVerdict::QueryFailed,
               "the verdict is one of the three");
    FUZZ_CHECK(is_reason_of(outcome.verdict, outcome.reason), "the reason belongs to the verdict");
    FUZZ_CHECK(!reason_label(outcome.reason, outcome.detail).isEmpty(), "every reason has a text");
    if (answer.status < 200 || answer.status > 299)
        FUZZ_CHECK(outcome.verdict == IndexVerdict::QueryFailed, "a non-2xx status is 查询失败");
    if ((final && !final->same_host) || plain_foreign_host(answer.final_url))
        FUZZ_CHECK(outcome.verdict == IndexVerdict::QueryFailed,
                   "a foreign final address is 查询失败");

    FUZZ_CHECK(outcome.detail.size() <= MAX_REASON_DETAIL, "the detail keeps its bound");
    const std::string_view page =
        std::string_view(answer.body)
            .substr(0, std::min(answer.body.find('\0'), answer.body.size()));
    if (outcome.verdict == IndexVerdict::Indexed) {
        FUZZ_CHECK(answer.complete, "a √ comes from a whole page");
        FUZZ_CHECK(!holds_marker(page), "a √ page has no marker");
        FUZZ_CHECK(page.find(RESULT_PAGE_SIGN) != std::string_view::npos,
                   "a √ page is a result page");
        const std::string& evidence = outcome.detail;
        FUZZ_CHECK(evidence.find_first_of("\t\n\r\f") == std::string::npos &&
                       !evidence.starts_with(' ') && !evidence.ends_with(' ') &&
                       evidence.find("  ") == std::string::npos,
                   "the evidence is one line of single-spaced text");
        if (is_utf8(page))
            FUZZ_CHECK(is_utf8(evidence), "the evidence of a UTF-8 page is valid UTF-8");
        if (!evidence.empty())
            FUZZ_CHECK(reason_tooltip(outcome.reason, evidence)
                           .contains(QString::fromUtf8(evidence.data(),
                                                       static_cast<qsizetype>(evidence.size()))),
                       "the tooltip shows the evidence");
    }
    if (outcome.verdict == IndexVerdict::NotIndexed)
        FUZZ_CHECK(holds_marker(page), "a × page holds the marker");

    // The marker decides, whatever else the page holds, once the answer is the search page's own
    // 2xx answer. The one page that overrides it is the engine's verification page, which may
    // carry anything of a result page and says nothing about the index.
    const bool connected =
        answer.failure != HttpFailure::AddressTooLong &&
        answer.failure != HttpFailure::NameLookup && answer.failure != HttpFailure::Refused &&
        answer.failure != HttpFailure::Tls && answer.failure != HttpFailure::Connect &&
        answer.failure != HttpFailure::TooManyRedirects;
    const bool search_page_answer = final && final->same_host && final->same_path && connected &&
                                    answer.status >= 200 && answer.status <= 299;
    if (search_page_answer && holds_marker(page)) {
        if (holds_verification_title(page))
            FUZZ_CHECK(outcome.verdict == IndexVerdict::NotIndexed ||
                           outcome.reason == VerdictReason::Verification,
                       "the marker means × unless the page is the verification page");
        else
            FUZZ_CHECK(outcome.verdict == IndexVerdict::NotIndexed, "the marker means ×");
    }
    return 0;
}
