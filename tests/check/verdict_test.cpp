#include "check/verdict.h"
#include "fake_services.h"
#include "loopback_server.h"
#include "platform/http_client.h"
#include "text/gbk.h"

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

std::string page_with(std::string_view inner) {
    return "<html><body><div id=\"content_left\">" + std::string(inner) + "</div></body></html>";
}

ConnectionScript send(std::string bytes, ConnectionEnd end = ConnectionEnd::Close) {
    return {{{std::move(bytes)}}, end};
}

// The client of the program with the engine's host routed to loopback servers: the request is
// the one the engine would get, Host header included.
struct FakeEngine {
    LoopbackServer engine;
    LoopbackServer other;
    HttpClient client;
    FakeServices services;

    FakeEngine(std::vector<ConnectionScript> engine_scripts,
               std::vector<ConnectionScript> other_scripts)
        : engine(std::move(engine_scripts)), other(std::move(other_scripts)), client([] {
              HttpLimits limits;
              limits.connect_timeout = 5s;
              limits.idle_timeout = 300ms;
              return limits;
          }()) {
        const std::string other_port = std::to_string(other.port());
        client.set_connect_to({"www.baidu.com:80:127.0.0.1:" + std::to_string(engine.port()),
                               "www.baidu.com:8080:127.0.0.1:" + other_port,
                               "wappass.baidu.com:80:127.0.0.1:" + other_port});
        services.http_handler = [this](std::string_view address) { return client.get(address); };
    }
};

} // namespace

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

TEST(Verdict, JudgesOnlyAWholeOrMarkedSuccessfulAnswerOfTheSearchPageItself) {
    struct Case {
        const char* name;
        HttpResult response;
        IndexVerdict expected;
    };
    using enum IndexVerdict;
    const std::string results = page_with("<h3>example.com</h3>");
    const std::string no_results = page_with("<" + MARKER + ">none</div>");
    const Case cases[] = {
        {"results", {results, true, 200, SEARCH}, Indexed},
        {"no results", {no_results, true, 200, SEARCH}, NotIndexed},
        {"marker in a page cut short", {no_results.substr(0, 60), false, 200, SEARCH}, NotIndexed},
        {"page cut short without marker", {results, false, 200, SEARCH}, QueryFailed},
        {"empty page", {"", true, 200, SEARCH}, QueryFailed},
        {"nothing arrived", {"", false, 0, ""}, QueryFailed},
        {"page starts with a zero byte",
         {std::string(1, '\0') + no_results, true, 200, SEARCH},
         QueryFailed},
        {"marker after a zero byte",
         {results + std::string(1, '\0') + MARKER, true, 200, SEARCH},
         Indexed},
        {"marker after a lead byte", {page_with("\xB0" + MARKER), true, 200, SEARCH}, Indexed},
        {"marker after a whole character", {"\xB0\xA1" + MARKER, true, 200, SEARCH}, NotIndexed},
        {"marker after <", {"<" + MARKER, true, 200, SEARCH}, NotIndexed},
        {"upper-case DIV", {page_with("<DIV class=\"nors\">"), true, 200, SEARCH}, Indexed},
        {"upper-case NORS", {page_with("<div class=\"NORS\">"), true, 200, SEARCH}, Indexed},
        {"a whole page that is no result page",
         {"<html><body><h1>hello</h1></body></html>", true, 200, SEARCH},
         QueryFailed},
        {"204", {"", true, 204, SEARCH}, QueryFailed},
        {"404 with marker", {no_results, true, 404, SEARCH}, QueryFailed},
        {"404 without marker", {results, true, 404, SEARCH}, QueryFailed},
        {"500 with marker", {no_results, true, 500, SEARCH}, QueryFailed},
        {"500 without marker", {results, true, 500, SEARCH}, QueryFailed},
        {"redirect not followed", {results, true, 302, SEARCH}, QueryFailed},
        {"https, port and query changed",
         {no_results, true, 200, "https://WWW.Baidu.com:443/s?wd=example.com&rsv_spt=1"},
         NotIndexed},
        {"https results", {results, true, 200, "https://www.baidu.com/s?wd=example.com"}, Indexed},
        {"other host with marker",
         {no_results, true, 200, "https://wappass.baidu.com/static/captcha?wd=1"},
         QueryFailed},
        {"other host",
         {results, true, 200, "http://www.baidu.com.evil/s?wd=example.com"},
         QueryFailed},
        {"other path with marker",
         {no_results, true, 200, "http://www.baidu.com/search/error"},
         QueryFailed},
        {"home page", {results, true, 200, "http://www.baidu.com/"}, QueryFailed},
        {"path differs in case",
         {results, true, 200, "http://www.baidu.com/S?wd=example.com"},
         QueryFailed},
        {"no final address", {results, true, 200, ""}, QueryFailed},
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
        IndexVerdict expected;
    };
    const Case cases[] = {
        {"baidu-noresult-1.html", 200, IndexVerdict::NotIndexed},
        {"baidu-noresult-2.html", 200, IndexVerdict::NotIndexed},
        {"baidu-results-1.html", 200, IndexVerdict::Indexed},
        {"baidu-results-2.html", 200, IndexVerdict::Indexed},
        // Its error block is a "nors" div too: on an error answer the marker proves nothing.
        {"baidu-error-1.html", 404, IndexVerdict::QueryFailed},
        // A script to switch to http and a refresh to the home page, served as the search page.
        {"baidu-redirect-1.html", 200, IndexVerdict::QueryFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string page = fixture(c.file);
        ASSERT_GT(page.size(), 200u);
        EXPECT_EQ(judge_result_page({page, true, c.status, SEARCH}, SEARCH), c.expected);
    }
}

TEST(CheckUrl, AsksTheEngineExactlyOnceWithTheUrlTextAsTheQuery) {
    FakeEngine fake({send(http_response(200, page_with("<h3>result</h3>")))}, {});
    ASSERT_NE(fake.engine.port(), 0);

    EXPECT_EQ(check_url(fake.services, "example.com/x.php?p=1&q=2#top"), IndexVerdict::Indexed);

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

TEST(CheckUrl, VerdictFromTheAnswerOnTheWire) {
    struct Case {
        const char* name;
        std::vector<ConnectionScript> engine;
        std::vector<ConnectionScript> other;
        IndexVerdict expected;
    };
    using enum IndexVerdict;
    const std::string head = response_head(200);
    const std::string results = page_with("<h3>result</h3>");
    const std::string no_results = page_with("<" + MARKER + ">none</div>");
    const std::string real_no_results = fixture("baidu-noresult-1.html");
    const std::size_t real_split = real_no_results.find(MARKER) + 7;
    const std::string to_engine_elsewhere =
        response_head(302, "Location: http://www.baidu.com:8080/s?wd=example.com&rsv_t=9\r\n");
    const std::string to_verification =
        response_head(302, "Location: http://wappass.baidu.com/static/captcha?ref=1\r\n");
    const ConnectionScript loop = send(response_head(302, "Location: /s?wd=example.com\r\n"));

    const Case cases[] = {
        {"marker split over two writes",
         {{{{head + "<div cla"}, {"ss=\"nors\">none</div>", 50ms}}}},
         {},
         NotIndexed},
        {"real no-result page split inside the marker",
         {{{{head + real_no_results.substr(0, real_split)},
            {real_no_results.substr(real_split), 50ms}}}},
         {},
         NotIndexed},
        {"real result page",
         {send(http_response(200, fixture("baidu-results-2.html")))},
         {},
         Indexed},
        {"marker after a zero byte",
         {send(head + results + std::string(1, '\0') + "<" + MARKER)},
         {},
         Indexed},
        {"marker after lead byte B0", {send(head + page_with("\xB0" + MARKER))}, {}, Indexed},
        {"marker after <", {send(head + "\xB0\xA1<" + MARKER)}, {}, NotIndexed},
        {"upper-case DIV", {send(head + page_with("<DIV class=\"nors\">"))}, {}, Indexed},
        {"upper-case NORS", {send(head + page_with("<div class=\"NORS\">"))}, {}, Indexed},
        {"empty 200", {send(http_response(200, ""))}, {}, QueryFailed},
        {"404 with marker", {send(http_response(404, no_results))}, {}, QueryFailed},
        {"404 without marker", {send(http_response(404, results))}, {}, QueryFailed},
        {"500 with marker", {send(http_response(500, no_results))}, {}, QueryFailed},
        {"500 without marker", {send(http_response(500, results))}, {}, QueryFailed},
        {"reset after the marker",
         {{{{head + no_results.substr(0, 70)}, {"", 100ms}}, ConnectionEnd::Reset}},
         {},
         NotIndexed},
        {"reset before any marker",
         {{{{head + results.substr(0, 30)}, {"", 100ms}}, ConnectionEnd::Reset}},
         {},
         QueryFailed},
        {"stalls mid-body",
         {send(head + results.substr(0, 30), ConnectionEnd::Stall)},
         {},
         QueryFailed},
        {"stalls before answering", {{{}, ConnectionEnd::Stall}}, {}, QueryFailed},
        {"redirect to the search page on another port, with marker",
         {send(to_engine_elsewhere)},
         {send(http_response(200, no_results))},
         NotIndexed},
        {"redirect to the search page on another port, results",
         {send(to_engine_elsewhere)},
         {send(http_response(200, results))},
         Indexed},
        {"redirect to another host, with marker",
         {send(to_verification)},
         {send(http_response(200, no_results))},
         QueryFailed},
        {"redirect to another host, without marker",
         {send(to_verification)},
         {send(http_response(200, results))},
         QueryFailed},
        {"redirect to another path, with marker",
         {send(response_head(302, "Location: /search/error.html\r\n")),
          send(http_response(200, no_results))},
         {},
         QueryFailed},
        {"redirect to ftp",
         {send(response_head(302, "Location: ftp://www.baidu.com/s\r\n"))},
         {},
         QueryFailed},
        {"redirect loop", std::vector<ConnectionScript>(12, loop), {}, QueryFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeEngine fake(c.engine, c.other);
        ASSERT_NE(fake.engine.port(), 0);
        ASSERT_NE(fake.other.port(), 0);
        EXPECT_EQ(check_url(fake.services, "example.com"), c.expected);
    }
}

TEST(CheckUrl, UnreachableEngineIsAFailedQuery) {
    FakeEngine fake({}, {});
    fake.engine.stop();
    fake.client.set_connect_to(
        {"www.baidu.com:80:127.0.0.1:" + std::to_string(fake.engine.port())});
    EXPECT_EQ(check_url(fake.services, "example.com"), IndexVerdict::QueryFailed);
}
