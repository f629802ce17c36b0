#include "check/first_result.h"
#include "check/verdict.h"
#include "fake_services.h"
#include "loopback_server.h"
#include "text/gbk.h"
#include "ui/http_client.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace lomarind;
using namespace lomarind::test;
using namespace std::chrono_literals;

namespace {

constexpr std::string_view AGENT = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
const std::string SEARCH = "http://www.baidu.com/s?wd=example.com";
const std::string MARKER(NO_RESULT_MARKER);

std::string fixture(const char* name) {
    std::ifstream in(std::string(LOMARIND_FIXTURES) + "/engine-pages/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string request_target(const std::string& request) {
    const std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

std::string page_with(std::string_view inner) {
    return "<html><body><div id=\"content_left\">" + std::string(inner) + "</div></body></html>";
}

ConnectionScript send(std::string bytes, ConnectionEnd end = ConnectionEnd::Close) {
    return {{{std::move(bytes)}}, end};
}

HttpLimits test_limits() {
    HttpLimits limits;
    limits.connect_timeout = 5s;
    limits.idle_timeout = 300ms;
    limits.total_timeout = 3s;
    return limits;
}

// The client of the program with the engine's host routed to loopback servers: the request is
// the one the engine would get, Host header included. `other` stands for the engine on another
// port, its verification host, its https port and a foreign host.
struct FakeEngine {
    LoopbackServer engine;
    LoopbackServer other;
    HttpClient client;
    FakeServices services;

    FakeEngine(std::vector<ConnectionScript> engine_scripts,
               std::vector<ConnectionScript> other_scripts, HttpLimits limits = test_limits())
        : engine(std::move(engine_scripts)), other(std::move(other_scripts)), client(limits) {
        const std::string other_port = std::to_string(other.port());
        client.set_connect_to({"www.baidu.com:80:127.0.0.1:" + std::to_string(engine.port()),
                               "www.baidu.com:8080:127.0.0.1:" + other_port,
                               "www.baidu.com:443:127.0.0.1:" + other_port,
                               "wappass.baidu.com:80:127.0.0.1:" + other_port,
                               "elsewhere.example:80:127.0.0.1:" + other_port});
        services.http_handler = [this](std::string_view address) { return client.get(address); };
    }
};

CheckOutcome indexed(std::string evidence = {}) {
    return {IndexVerdict::Indexed, VerdictReason::ResultsShown, std::move(evidence)};
}

CheckOutcome not_indexed() {
    return {IndexVerdict::NotIndexed, VerdictReason::NoResults, {}};
}

CheckOutcome failed(VerdictReason reason, std::string detail = {}) {
    return {IndexVerdict::QueryFailed, reason, std::move(detail)};
}

const std::string VERIFICATION_PAGE =
    "<html><head><title>\xE7\x99\xBE\xE5\xBA\xA6\xE5\xAE\x89\xE5\x85\xA8\xE9\xAA\x8C\xE8\xAF"
    "\x81</title></head><body><div id=\"content_left\"><div class=\"result c-container\" "
    "mu=\"http://a.example/\"></div></div></body></html>";

} // namespace

namespace lomarind {
// For readable failures of EXPECT_EQ on outcomes.
void PrintTo(const CheckOutcome& o, std::ostream* out) {
    *out << "{verdict " << static_cast<int>(o.verdict) << ", reason " << static_cast<int>(o.reason)
         << ", \"" << o.detail << "\"}";
}
} // namespace lomarind

TEST(Verdict, MarksAndLinesAreTheGbkTextsOfEachVerdict) {
    struct Case {
        IndexVerdict verdict;
        QString mark;
        QString word;
    };
    const Case cases[] = {
        {IndexVerdict::Indexed, QStringLiteral("√"), QStringLiteral("已收录")},
        {IndexVerdict::NotIndexed, QStringLiteral("×"), QStringLiteral("未收录")},
        {IndexVerdict::QueryFailed, QStringLiteral("查询失败"), QStringLiteral("查询失败")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word.toStdString());
        const std::string suffix = "  ----" + encode_gbk(c.word) + "\r\n";
        EXPECT_EQ(status_mark(c.verdict), encode_gbk(c.mark));
        EXPECT_EQ(verdict_line("example.com/a.html", c.verdict), "example.com/a.html" + suffix);
        EXPECT_EQ(verdict_line("\xB0\xD9 a#b", c.verdict), "\xB0\xD9 a#b" + suffix);
        EXPECT_EQ(verdict_line("", c.verdict), suffix);
    }
    EXPECT_EQ(NO_RESULT_MARKER.size(), 16u);
}

TEST(Verdict, SearchAddressIsThePrefixAndTheUrlTextUnchanged) {
    EXPECT_EQ(build_search_url("example.com/x.php?p=1&q=2#top \xB0\xD9"),
              "http://www.baidu.com/s?wd=example.com/x.php?p=1&q=2#top \xB0\xD9");
    EXPECT_EQ(build_search_url(""), SEARCH_PREFIX);
}

TEST(Verdict, JudgesOnlyAWholeOrMarkedSuccessfulAnswerOfTheSearchPageItselfAndSaysWhy) {
    struct Case {
        const char* name;
        HttpResult response;
        CheckOutcome expected;
    };
    using enum VerdictReason;
    using F = HttpFailure;
    const std::string results = page_with("<h3>example.com</h3>");
    const std::string no_results = page_with("<" + MARKER + ">none</div>");
    const std::string first_result =
        page_with("<div class=\"result c-container\" mu=\"http://example.com/a.html\"></div>");
    const std::string gbk_verification =
        "<title> \xB0\xD9\xB6\xC8\xB0\xB2\xC8\xAB\xD1\xE9\xD6\xA4 </title>" + no_results;
    const Case cases[] = {
        {"results", {results, true, 200, SEARCH}, indexed()},
        {"results with a first result",
         {first_result, true, 200, SEARCH},
         indexed("http://example.com/a.html")},
        {"no results", {no_results, true, 200, SEARCH}, not_indexed()},
        {"marker in a page cut short",
         {no_results.substr(0, 60), false, 200, SEARCH, F::CutShort},
         not_indexed()},
        {"marker in a page that timed out",
         {no_results.substr(0, 60), false, 200, SEARCH, F::TimedOut},
         not_indexed()},
        {"page cut short without marker",
         {results, false, 200, SEARCH, F::CutShort},
         failed(CutShort)},
        {"page that timed out without marker",
         {results, false, 200, SEARCH, F::TimedOut},
         failed(TimedOut)},
        {"empty page", {"", true, 200, SEARCH}, failed(NotResultPage)},
        {"nothing arrived, nothing known", {"", false, 0, ""}, failed(RequestFailed)},
        {"page starts with a zero byte",
         {std::string(1, '\0') + no_results, true, 200, SEARCH},
         failed(NotResultPage)},
        {"marker after a zero byte",
         {results + std::string(1, '\0') + MARKER, true, 200, SEARCH},
         indexed()},
        {"marker after a lead byte", {page_with("\xB0" + MARKER), true, 200, SEARCH}, indexed()},
        {"marker after a whole character", {"\xB0\xA1" + MARKER, true, 200, SEARCH}, not_indexed()},
        {"marker after <", {"<" + MARKER, true, 200, SEARCH}, not_indexed()},
        {"upper-case DIV", {page_with("<DIV class=\"nors\">"), true, 200, SEARCH}, indexed()},
        {"upper-case NORS", {page_with("<div class=\"NORS\">"), true, 200, SEARCH}, indexed()},
        {"a whole page that is no result page",
         {"<html><body><h1>hello</h1></body></html>", true, 200, SEARCH},
         failed(NotResultPage)},
        {"verification page with the result frame",
         {VERIFICATION_PAGE, true, 200, SEARCH},
         failed(Verification)},
        {"verification page in GBK, with marker",
         {gbk_verification, true, 200, SEARCH},
         failed(Verification)},
        {"204", {"", true, 204, SEARCH}, failed(NotResultPage)},
        {"404 with marker", {no_results, true, 404, SEARCH}, failed(HttpStatus, "404")},
        {"404 without marker", {results, true, 404, SEARCH}, failed(HttpStatus, "404")},
        {"500 with marker", {no_results, true, 500, SEARCH}, failed(HttpStatus, "500")},
        {"503", {results, true, 503, SEARCH}, failed(HttpStatus, "503")},
        {"redirect not followed", {results, true, 302, SEARCH}, failed(HttpStatus, "302")},
        {"redirect loop", {"", false, 302, SEARCH, F::TooManyRedirects}, failed(RedirectLoop)},
        {"https, port and query changed",
         {no_results, true, 200, "https://WWW.Baidu.com:443/s?wd=example.com&rsv_spt=1"},
         not_indexed()},
        {"https results",
         {results, true, 200, "https://www.baidu.com/s?wd=example.com"},
         indexed()},
        {"verification host with marker",
         {no_results, true, 200, "https://wappass.baidu.com/static/captcha?wd=1"},
         failed(Verification, "wappass.baidu.com")},
        {"verification host that does not answer",
         {"", false, 0, "http://wappass.baidu.com/static/captcha", F::Refused},
         failed(Verification, "wappass.baidu.com")},
        {"the engine's bare domain",
         {results, true, 200, "http://Baidu.COM/s?wd=example.com"},
         failed(Verification, "Baidu.COM")},
        {"host that only ends like the engine's",
         {results, true, 200, "http://notbaidu.com/s?wd=example.com"},
         failed(ForeignRedirect, "notbaidu.com")},
        {"host that only begins like the engine's",
         {results, true, 200, "http://www.baidu.com.evil/s?wd=example.com"},
         failed(ForeignRedirect, "www.baidu.com.evil")},
        {"foreign host that does not answer",
         {"", false, 0, "http://a.example/x", F::TimedOut},
         failed(ForeignRedirect, "a.example")},
        {"other path with marker",
         {no_results, true, 200, "http://www.baidu.com/search/error"},
         failed(NotResultPage)},
        {"home page", {results, true, 200, "http://www.baidu.com/"}, failed(NotResultPage)},
        {"path differs in case",
         {results, true, 200, "http://www.baidu.com/S?wd=example.com"},
         failed(NotResultPage)},
        {"no final address", {results, true, 200, ""}, failed(NotResultPage)},
        {"name lookup", {"", false, 0, SEARCH, F::NameLookup}, failed(NameLookupFailed)},
        {"refused", {"", false, 0, SEARCH, F::Refused}, failed(ConnectionRefused)},
        {"TLS", {"", false, 0, SEARCH, F::Tls}, failed(TlsFailed)},
        {"TLS after a redirect answered", {"", false, 302, SEARCH, F::Tls}, failed(TlsFailed)},
        {"other connection failure", {"", false, 0, SEARCH, F::Connect}, failed(ConnectFailed)},
        {"no answer in time", {"", false, 0, SEARCH, F::TimedOut}, failed(TimedOut)},
        {"closed without an answer", {"", false, 0, SEARCH, F::CutShort}, failed(CutShort)},
        {"address too long", {"", false, 0, "", F::AddressTooLong}, failed(AddressTooLong)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(judge_result_page(c.response, SEARCH), c.expected);
    }
}

TEST(Verdict, RealPagesOfTheEngine) {
    struct Case {
        const char* file;
        long status;
        CheckOutcome expected;
    };
    const Case cases[] = {
        {"baidu-noresult-1.html", 200, not_indexed()},
        {"baidu-noresult-2.html", 200, not_indexed()},
        // The first result carries only its displayed address, cut short by the engine.
        {"baidu-results-1.html", 200, indexed("tieba.baidu.com/p/2367...")},
        // The first result carries its real address.
        {"baidu-results-2.html", 200, indexed("https://baike.baidu.com/item/Python/407313")},
        // Its error block is a "nors" div too: on an error answer the marker proves nothing.
        {"baidu-error-1.html", 404, failed(VerdictReason::HttpStatus, "404")},
        // A script to switch to http and a refresh to the home page, served as the search page.
        {"baidu-redirect-1.html", 200, failed(VerdictReason::NotResultPage)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string page = fixture(c.file);
        ASSERT_GT(page.size(), 200u);
        EXPECT_EQ(judge_result_page({page, true, c.status, SEARCH}, SEARCH), c.expected);
    }
}

TEST(FirstResult, TakesTheFirstContainerOfTheLeftColumnItsRealAddressElseTheShownOne) {
    struct Case {
        const char* name;
        std::string page;
        std::string expected;
    };
    const std::string left = "<div id=\"content_left\">";
    const std::string long_address = "http://a.example/" + std::string(82, 'x') + "\xC3\xA9/more";
    const Case cases[] = {
        {"real address, entities decoded",
         left + "<div class=\"result c-container \" id=\"1\" mu=\"http://a.example/?p=1&amp;q=2\">",
         "http://a.example/?p=1&q=2"},
        {"real address in single quotes, attribute names around it",
         left + "<div data-x='a>b' class='result-op c-container xpath-log' mu='http://b.example/'>",
         "http://b.example/"},
        {"shown address with inner tags and a trailing space",
         left + "<div class=\"result c-container\"><h3>t</h3><a class=\"c-showurl \" href=\"x\">"
                "www.<b>python</b>.org/&nbsp;</a></div>",
         "www.python.org/"},
        {"shown address in a span, style inside skipped",
         left + "<div class=\"result c-container\"><span class=\"c-showurl\"><style>.s{a:b}</style>"
                "baike.baidu.com/ </span></div>",
         "baike.baidu.com/"},
        {"an empty real address falls back to the shown one",
         left + "<div class=\"result c-container\" mu=\"\"><a class=\"c-showurl\">s.example</a>",
         "s.example"},
        {"mu inside another attribute is no real address",
         left + "<div class=\"result c-container\" data-click='{\"mu\":\"http://x/\"}'>"
                "<a class=\"c-showurl\">shown.example</a></div>",
         "shown.example"},
        {"the right column and scripts before the left one are skipped",
         "<script>o=\"&mu=\"+t</script><div id=\"content_right\"><div class=\"c-container\" "
         "mu=\"http://right.example/\"></div></div>" +
             left + "<div class=\"c-container\" mu=\"http://left.example/\">",
         "http://left.example/"},
        {"a class that only begins like it",
         left + "<div class=\"c-container-x\" mu=\"http://no/\"></div><div class=\"c-container\" "
                "mu=\"http://yes/\">",
         "http://yes/"},
        {"the name in text, not in a tag",
         left +
             "<p>c-container mu=\"http://no/\"</p><div class=\"c-container\" mu=\"http://yes/\">",
         "http://yes/"},
        {"a first result without an address gives none, not the second's",
         left + "<div class=\"c-container\"><h3>t</h3></div><div class=\"c-container\">"
                "<a class=\"c-showurl\">second.example</a></div>",
         ""},
        {"cut at 100 bytes, not inside a character",
         left + "<div class=\"c-container\" mu=\"" + long_address + "\">",
         long_address.substr(0, 99)},
        {"cut at 100 bytes just after a space, the space dropped",
         left + "<div class=\"c-container\" mu=\"" + std::string(99, 'x') + " y\">",
         std::string(99, 'x')},
        {"the scan of the shown address ends inside a character, which is left out",
         left + "<div class=\"c-container\"><a class=\"c-showurl\">a.example/" +
             std::string(4085, ' ') + "\xE6\x96\xB0</a>",
         "a.example/"},
        {"no container", left + "<div class=\"result\">x</div>", ""},
        {"a tag that never closes", left + "<div class=\"c-container\" mu=\"http://x/", ""},
        // Each place the name stands is looked at briefly, and only so many of them: a page
        // that repeats it without end costs no more than a real one.
        {"megabytes of the name in one open tag",
         left + "<div title=\"" +
             [] {
                 std::string many;
                 for (int i = 0; i < 200'000; ++i)
                     many += "c-container ";
                 return many;
             }(),
         ""},
        {"empty page", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(first_result_address(c.page), c.expected);
    }
}

TEST(CheckUrl, AsksTheEngineExactlyOnceWithTheUrlTextAsTheQuery) {
    FakeEngine fake({send(http_response(200, page_with("<h3>result</h3>")))}, {});
    ASSERT_NE(fake.engine.port(), 0);

    EXPECT_EQ(check_url(fake.services, "example.com/x.php?p=1&q=2#top"), indexed());

    ASSERT_EQ(fake.engine.requests().size(), 1u);
    EXPECT_EQ(fake.engine.requests()[0], "GET /s?wd=example.com/x.php?p=1&q=2 HTTP/1.0\r\n"
                                         "Host: www.baidu.com\r\n"
                                         "User-Agent: " +
                                             std::string(AGENT) +
                                             "\r\n"
                                             "Accept: */*\r\n"
                                             "Pragma: no-cache\r\n"
                                             "\r\n");
}

TEST(CheckUrl, VerdictAndReasonFromTheAnswerOnTheWire) {
    struct Case {
        const char* name;
        std::vector<ConnectionScript> engine;
        std::vector<ConnectionScript> other;
        CheckOutcome expected;
    };
    using enum VerdictReason;
    const std::string head = response_head(200);
    const std::string results = page_with("<h3>result</h3>");
    const std::string no_results = page_with("<" + MARKER + ">none</div>");
    const std::string real_no_results = fixture("baidu-noresult-1.html");
    const std::size_t real_split = real_no_results.find(MARKER) + 7;
    const std::string to_engine_elsewhere =
        response_head(302, "Location: http://www.baidu.com:8080/s?wd=example.com&rsv_t=9\r\n");
    const std::string to_verification =
        response_head(302, "Location: http://wappass.baidu.com/static/captcha?ref=1\r\n");
    const std::string to_foreign_host =
        response_head(302, "Location: http://elsewhere.example/s?wd=example.com\r\n");
    const std::string to_https =
        response_head(302, "Location: https://www.baidu.com/s?wd=example.com\r\n");
    const ConnectionScript loop = send(response_head(302, "Location: /s?wd=example.com\r\n"));
    std::vector<Chunk> trickle{{head + "<html>"}};
    for (int i = 0; i < 60; ++i)
        trickle.push_back({"x", 100ms}); // each byte well within the idle limit

    const Case cases[] = {
        {"marker split over two writes",
         {{{{head + "<div cla"}, {"ss=\"nors\">none</div>", 50ms}}}},
         {},
         not_indexed()},
        {"real no-result page split inside the marker",
         {{{{head + real_no_results.substr(0, real_split)},
            {real_no_results.substr(real_split), 50ms}}}},
         {},
         not_indexed()},
        {"real result page",
         {send(http_response(200, fixture("baidu-results-2.html")))},
         {},
         indexed("https://baike.baidu.com/item/Python/407313")},
        {"marker after a zero byte",
         {send(head + results + std::string(1, '\0') + "<" + MARKER)},
         {},
         indexed()},
        {"marker after lead byte B0", {send(head + page_with("\xB0" + MARKER))}, {}, indexed()},
        {"marker after <", {send(head + "\xB0\xA1<" + MARKER)}, {}, not_indexed()},
        {"upper-case DIV", {send(head + page_with("<DIV class=\"nors\">"))}, {}, indexed()},
        {"upper-case NORS", {send(head + page_with("<div class=\"NORS\">"))}, {}, indexed()},
        {"empty 200", {send(http_response(200, ""))}, {}, failed(NotResultPage)},
        {"verification page with the result frame",
         {send(http_response(200, VERIFICATION_PAGE))},
         {},
         failed(Verification)},
        {"404 with marker", {send(http_response(404, no_results))}, {}, failed(HttpStatus, "404")},
        {"500 without marker", {send(http_response(500, results))}, {}, failed(HttpStatus, "500")},
        {"503", {send(http_response(503, results))}, {}, failed(HttpStatus, "503")},
        {"reset after the marker",
         {{{{head + no_results.substr(0, 70)}, {"", 100ms}}, ConnectionEnd::Reset}},
         {},
         not_indexed()},
        {"reset mid-body",
         {{{{head + results.substr(0, 30)}, {"", 100ms}}, ConnectionEnd::Reset}},
         {},
         failed(CutShort)},
        {"closed without an answer", {{{}, ConnectionEnd::Close}}, {}, failed(CutShort)},
        {"stalls mid-body",
         {send(head + results.substr(0, 30), ConnectionEnd::Stall)},
         {},
         failed(TimedOut)},
        {"stalls before answering", {{{}, ConnectionEnd::Stall}}, {}, failed(TimedOut)},
        {"trickles past the limit on the whole exchange", {{trickle}}, {}, failed(TimedOut)},
        {"redirect to the search page on another port, with marker",
         {send(to_engine_elsewhere)},
         {send(http_response(200, no_results))},
         not_indexed()},
        {"redirect to the search page on another port, results",
         {send(to_engine_elsewhere)},
         {send(http_response(200, results))},
         indexed()},
        {"verification by redirect, with marker",
         {send(to_verification)},
         {send(http_response(200, no_results))},
         failed(Verification, "wappass.baidu.com")},
        {"verification by redirect, results",
         {send(to_verification)},
         {send(http_response(200, results))},
         failed(Verification, "wappass.baidu.com")},
        {"redirect to a foreign host",
         {send(to_foreign_host)},
         {send(http_response(200, results))},
         failed(ForeignRedirect, "elsewhere.example")},
        {"redirect to https where a plain server answers",
         {send(to_https)},
         {{{{"HTTP/1.0 200 OK\r\n\r\n"}}, ConnectionEnd::Close, true}},
         failed(TlsFailed)},
        {"redirect to another path, with marker",
         {send(response_head(302, "Location: /search/error.html\r\n")),
          send(http_response(200, no_results))},
         {},
         failed(NotResultPage)},
        {"redirect to ftp",
         {send(response_head(302, "Location: ftp://www.baidu.com/s\r\n"))},
         {},
         failed(HttpStatus, "302")},
        {"redirect loop", std::vector<ConnectionScript>(12, loop), {}, failed(RedirectLoop)},
    };
    HttpLimits limits = test_limits();
    limits.total_timeout = 1500ms;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeEngine fake(c.engine, c.other, limits);
        ASSERT_NE(fake.engine.port(), 0);
        ASSERT_NE(fake.other.port(), 0);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(check_url(fake.services, "example.com"), c.expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    }
}

TEST(CheckUrl, AnAnswerLargerThanTheCapIsCutShort) {
    HttpLimits limits = test_limits();
    limits.max_body = 1000;
    FakeEngine fake({send(http_response(200, page_with(std::string(5000, 'x'))))}, {}, limits);
    EXPECT_EQ(check_url(fake.services, "example.com"), failed(VerdictReason::CutShort));
}

TEST(CheckUrl, AnAddressWhosePathWithQueryPassesTheLimitIsNeverSent) {
    // "/s?wd=" and the URL text make the path with query; the limit counts the bytes before they
    // are percent-encoded, up to the "#".
    const std::string at_limit = std::string(2048 - 6 - 4, '\xB0') + ".com";
    const std::string over_limit = at_limit + "x";
    FakeEngine fake({send(http_response(200, page_with("<h3>result</h3>"))),
                     send(http_response(200, page_with("<h3>result</h3>")))},
                    {});

    EXPECT_EQ(check_url(fake.services, over_limit), failed(VerdictReason::AddressTooLong));
    EXPECT_EQ(fake.engine.connections(), 0);

    EXPECT_EQ(check_url(fake.services, at_limit + "#" + std::string(100, 'y')), indexed());
    EXPECT_EQ(check_url(fake.services, at_limit), indexed());
    const auto requests = fake.engine.requests();
    ASSERT_EQ(requests.size(), 2u);
    std::string encoded;
    for (int i = 0; i < 2048 - 6 - 4; ++i)
        encoded += "%B0";
    EXPECT_EQ(request_target(requests[0]), "/s?wd=" + encoded + ".com");
    EXPECT_EQ(request_target(requests[1]), "/s?wd=" + encoded + ".com");
}

TEST(CheckUrl, UnreachableEngineIsAFailedQueryBecauseRefused) {
    FakeEngine fake({}, {});
    fake.engine.stop();
    fake.client.set_connect_to(
        {"www.baidu.com:80:127.0.0.1:" + std::to_string(fake.engine.port())});
    EXPECT_EQ(check_url(fake.services, "example.com"), failed(VerdictReason::ConnectionRefused));
}
