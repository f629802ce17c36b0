#include "loopback_server.h"
#include "ui/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace lomarind;
using namespace lomarind::test;
using namespace std::chrono_literals;

namespace {

constexpr std::string_view AGENT = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

HttpLimits short_limits() {
    HttpLimits limits;
    limits.connect_timeout = 5s;
    limits.idle_timeout = 300ms;
    return limits;
}

ConnectionScript send(std::string bytes, ConnectionEnd end = ConnectionEnd::Close) {
    return {{{std::move(bytes)}}, end};
}

std::string request_line(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

std::ptrdiff_t line_count(const std::string& request) {
    std::ptrdiff_t count = 0;
    for (std::size_t at = request.find("\r\n"); at != std::string::npos;
         at = request.find("\r\n", at + 2))
        ++count;
    return count;
}

} // namespace

TEST(HttpClient, SendsOneHttp10GetWithTheOldAgentAcceptAnyAndNoCache) {
    LoopbackServer server({send(http_response(200, "the page"))});
    ASSERT_NE(server.port(), 0);
    HttpClient client(short_limits());

    const HttpResult result = client.get(server.origin() + "/s?wd=example.com");

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "GET /s?wd=example.com HTTP/1.0\r\n"
                                    "Host: 127.0.0.1:" +
                                        std::to_string(server.port()) +
                                        "\r\n"
                                        "User-Agent: " +
                                        std::string(AGENT) +
                                        "\r\n"
                                        "Accept: */*\r\n"
                                        "Pragma: no-cache\r\n"
                                        "\r\n");
    EXPECT_EQ(result.body, "the page");
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.final_url, server.origin() + "/s?wd=example.com");
}

// What follows the origin in the address, and the request target that must reach the wire.
TEST(HttpClient, SendsUnsafeBytesPercentEncodedAndEverythingElseAsItStands) {
    struct Case {
        std::string_view rest;
        std::string_view target;
    };
    const Case cases[] = {
        {"/s?wd=example.com#top", "/s?wd=example.com"},
        {"/s?wd=#top", "/s?wd="},
        {"/s?wd=", "/s?wd="},
        {"/s?wd=example.com/x.php?p=1&q=2", "/s?wd=example.com/x.php?p=1&q=2"},
        {"/s?wd=a b.com", "/s?wd=a%20b.com"},
        {"/s?wd=\xB0\xD9\xB6\xC8.com/\xD6\xD0", "/s?wd=%B0%D9%B6%C8.com/%D6%D0"},
        {"/s?wd=a.com\r\nX-Injected: 1", "/s?wd=a.com%0D%0AX-Injected:%201"},
        {"/s?wd=a.com\t\x7F", "/s?wd=a.com%09%7F"},
        {"/s?wd=\"<>\\^`{|}", "/s?wd=%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {"/s?wd=100%25%", "/s?wd=100%25%"},
        {"/a/../s?wd=./x/../y", "/a/../s?wd=./x/../y"},
    };
    LoopbackServer server([](std::string_view) { return http_response(200, "ok"); });
    ASSERT_NE(server.port(), 0);
    HttpClient client(short_limits());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rest));
        const HttpResult result = client.get(server.origin() + std::string(c.rest));
        EXPECT_TRUE(result.complete);
        const std::string request = server.requests().back();
        EXPECT_EQ(request_line(request), "GET " + std::string(c.target) + " HTTP/1.0");
        EXPECT_EQ(line_count(request), 6) << "no header added or lost: " << request;
    }
    EXPECT_EQ(server.requests().size(), std::size(cases));
}

TEST(HttpClient, ReportsWhatArrivedAndWhetherTheExchangeWasWhole) {
    const std::string head = response_head(200);
    struct Case {
        const char* name;
        ConnectionScript script;
        std::string body;
        bool complete;
        long status;
        HttpFailure failure;
    };
    using enum HttpFailure;
    const Case cases[] = {
        {"length given", send(http_response(200, "whole")), "whole", true, 200, None},
        {"ends at close", send(head + "whole"), "whole", true, 200, None},
        {"error status", send(http_response(404, "gone")), "gone", true, 404, None},
        {"short of its length", send(response_head(200, "Content-Length: 100\r\n") + "part"),
         "part", false, 200, CutShort},
        {"reset mid-body",
         {{{head + "part"}, {"", 100ms}}, ConnectionEnd::Reset},
         "part",
         false,
         200,
         CutShort},
        {"stalls mid-body", send(head + "part", ConnectionEnd::Stall), "part", false, 200,
         TimedOut},
        {"stalls before answering", {{}, ConnectionEnd::Stall}, "", false, 0, TimedOut},
        {"closes without answering", {}, "", false, 0, CutShort},
        {"not HTTP", send("hello\r\n\r\n"), "", false, 0, Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.script});
        ASSERT_NE(server.port(), 0);
        HttpClient client(short_limits());
        const auto start = std::chrono::steady_clock::now();
        const HttpResult result = client.get(server.origin() + "/s?wd=a.com");
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_EQ(result.body, c.body);
        EXPECT_EQ(result.complete, c.complete);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.failure, c.failure);
    }
}

TEST(HttpClient, EndsAnAnswerThatTricklesPastTheLimitOnTheWholeExchange) {
    // One byte every 100 ms keeps the idle limit from ever running out.
    std::vector<Chunk> trickle{{response_head(200)}};
    for (int i = 0; i < 100; ++i)
        trickle.push_back({"x", 100ms});
    LoopbackServer hop({send(response_head(302, "Location: /t?wd=a\r\n")), {trickle}});
    ASSERT_NE(hop.port(), 0);
    HttpLimits limits = short_limits();
    limits.total_timeout = 1s;
    HttpClient client(limits);

    const auto start = std::chrono::steady_clock::now();
    const HttpResult result = client.get(hop.origin() + "/s?wd=a");
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.failure, HttpFailure::TimedOut);
    EXPECT_EQ(result.status, 200);
    EXPECT_FALSE(result.body.empty());
    EXPECT_LT(result.body.size(), 20u);
    EXPECT_GE(took, 1s);
    EXPECT_LT(took, 3s);
    EXPECT_EQ(hop.connections(), 2); // the redirect counts towards the limit
}

TEST(HttpClient, SendsAPathWithQueryOfUpTo2048BytesAsWrittenAndNothingLonger) {
    LoopbackServer server([](std::string_view) { return http_response(200, "ok"); });
    ASSERT_NE(server.port(), 0);
    HttpClient client(short_limits());
    // Counted before percent-encoding and up to the "#".
    const std::string at_limit = "/s?wd=" + std::string(2048 - 6, '\xB0');
    struct Case {
        std::string target;
        bool sent;
    };
    const Case cases[] = {
        {at_limit + "x", false},
        {at_limit, true},
        {at_limit + "#" + std::string(5000, 'f'), true},
        {"/s?wd=" + std::string(100'000, 'a'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.size());
        const std::size_t before = server.requests().size();
        const HttpResult result = client.get(server.origin() + c.target);
        EXPECT_EQ(server.requests().size(), before + (c.sent ? 1 : 0));
        EXPECT_EQ(result.complete, c.sent);
        EXPECT_EQ(result.failure, c.sent ? HttpFailure::None : HttpFailure::AddressTooLong);
        if (c.sent) {
            EXPECT_EQ(request_line(server.requests().back()).size(),
                      std::string("GET  HTTP/1.0").size() + 6 + (2048 - 6) * 3);
        }
    }
    EXPECT_EQ(server.connections(), 2);
}

TEST(HttpClient, NamesATlsFailure) {
    // A plain server where the client expects a TLS handshake.
    LoopbackServer server({{{{"HTTP/1.0 200 OK\r\n\r\nplain"}}, ConnectionEnd::Close, true}});
    ASSERT_NE(server.port(), 0);
    HttpClient client(short_limits());
    const HttpResult result =
        client.get("https://127.0.0.1:" + std::to_string(server.port()) + "/s");
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.failure, HttpFailure::Tls);
    EXPECT_TRUE(result.body.empty());
}

TEST(HttpClient, CutsABodyAtTheCapAndCallsItIncomplete) {
    const std::string body(5000, 'x');
    LoopbackServer server({send(http_response(200, body)), send(response_head(200) + body)});
    ASSERT_NE(server.port(), 0);
    HttpLimits limits = short_limits();
    limits.max_body = 1000;
    HttpClient client(limits);
    for (int i = 0; i < 2; ++i) {
        const HttpResult result = client.get(server.origin() + "/s?wd=a.com");
        EXPECT_EQ(result.body, body.substr(0, 1000));
        EXPECT_FALSE(result.complete);
        EXPECT_EQ(result.failure, HttpFailure::CutShort);
    }
}

TEST(HttpClient, FailsAtOnceWithoutAServerOrAUsableAddress) {
    std::string refused;
    {
        LoopbackServer gone(std::vector<ConnectionScript>{});
        refused = gone.origin() + "/s?wd=a.com";
    }
    HttpClient client(short_limits());
    struct Case {
        std::string address;
        HttpFailure failure;
    };
    const Case cases[] = {
        {refused, HttpFailure::Refused},
        {"", HttpFailure::BadAddress},
        {"www.baidu.com/s?wd=a", HttpFailure::BadAddress},
        {"http:///s", HttpFailure::BadAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const HttpResult result = client.get(c.address);
        EXPECT_FALSE(result.complete);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.body.empty());
        EXPECT_EQ(result.failure, c.failure);
    }
}

TEST(HttpClient, FollowsARedirectWithTheSameRequestAndKeepsOnlyTheFinalBody) {
    LoopbackServer target({send(http_response(200, "final"))});
    ASSERT_NE(target.port(), 0);
    LoopbackServer hop({send(
        http_response(302, "moved away", "Location: " + target.origin() + "/t?wd=b#frag\r\n"))});
    ASSERT_NE(hop.port(), 0);
    HttpClient client(short_limits());

    const HttpResult result = client.get(hop.origin() + "/s?wd=a");

    EXPECT_EQ(result.body, "final");
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.final_url, target.origin() + "/t?wd=b#frag"); // as the Location said
    ASSERT_EQ(target.requests().size(), 1u);
    const std::string request = target.requests()[0];
    EXPECT_EQ(request_line(request), "GET /t?wd=b HTTP/1.0");
    EXPECT_EQ(request.find("Referer"), std::string::npos);
    EXPECT_NE(request.find("\r\nUser-Agent: " + std::string(AGENT) + "\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nPragma: no-cache\r\n"), std::string::npos);
}

TEST(HttpClient, GivesUpOnARedirectLoopAndOnSchemesOtherThanHttp) {
    for (const std::string_view location : {"ftp://127.0.0.1/s", "file:///etc/passwd", "self"}) {
        SCOPED_TRACE(std::string(location));
        LoopbackServer server([&](std::string_view) {
            const std::string_view to = location == "self" ? "/s?wd=a" : location;
            return http_response(302, "", "Location: " + std::string(to) + "\r\n");
        });
        ASSERT_NE(server.port(), 0);
        HttpLimits limits = short_limits();
        limits.max_redirects = 3;
        HttpClient client(limits);

        const HttpResult result = client.get(server.origin() + "/s?wd=a");

        EXPECT_FALSE(result.complete);
        EXPECT_EQ(server.connections(), location == "self" ? 4 : 1);
    }
}

TEST(HttpClient, KeepsCookiesBetweenRequests) {
    LoopbackServer server({send(http_response(200, "", "Set-Cookie: BAIDUID=77AB; Path=/\r\n")),
                           send(http_response(200, ""))});
    ASSERT_NE(server.port(), 0);
    HttpClient client(short_limits());
    client.get(server.origin() + "/s?wd=a");
    client.get(server.origin() + "/s?wd=b");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_NE(server.requests()[1].find("\r\nCookie: BAIDUID=77AB\r\n"), std::string::npos);
}

TEST(HttpClient, AbortEndsARequestHangingOnASilentServerAndEveryLaterOne) {
    LoopbackServer server({{{}, ConnectionEnd::Stall}, send(http_response(200, "late"))});
    ASSERT_NE(server.port(), 0);
    HttpClient client; // the real limits: only abort() can end this request soon
    HttpResult result;
    result.complete = true;
    std::chrono::steady_clock::duration took{};
    std::thread requester([&] {
        const auto start = std::chrono::steady_clock::now();
        result = client.get(server.origin() + "/s?wd=a");
        took = std::chrono::steady_clock::now() - start;
    });
    for (int i = 0; i < 500 && server.requests().empty(); ++i)
        std::this_thread::sleep_for(10ms);
    client.abort();
    requester.join();

    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.failure, HttpFailure::Aborted);
    EXPECT_LT(took, 5s);
    const HttpResult later = client.get(server.origin() + "/s?wd=b");
    EXPECT_FALSE(later.complete);
    EXPECT_EQ(later.failure, HttpFailure::Aborted);
    EXPECT_EQ(server.connections(), 1);
}
