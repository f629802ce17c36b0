#include "net/address_parts.h"

#include <gtest/gtest.h>

using namespace lomarind;

TEST(AddressParts, SplitsAnAbsoluteAddressIntoItsPieces) {
    struct Case {
        std::string_view address, scheme, authority, host, port, path, query, target;
    };
    const Case cases[] = {
        {"http://www.baidu.com/s?wd=a.com", "http", "www.baidu.com", "www.baidu.com", "", "/s",
         "wd=a.com", "/s?wd=a.com"},
        {"https://u:p@Host.cn:8443/s?wd=x?y=1&z#frag?no", "https", "u:p@Host.cn:8443", "Host.cn",
         "8443", "/s", "wd=x?y=1&z", "/s?wd=x?y=1&z"},
        {"http://a@b@host/", "http", "a@b@host", "host", "", "/", "", "/"},
        {"http://[::1]:8080/p", "http", "[::1]:8080", "[::1]", "8080", "/p", "", "/p"},
        {"http://host:?q", "http", "host:", "host", "", "", "q", "?q"},
        {"http://host#/not/a/path", "http", "host", "host", "", "", "", ""},
        {"HTTP://host/a b/\xB0\xD9", "HTTP", "host", "host", "", "/a b/\xB0\xD9", "",
         "/a b/\xB0\xD9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address));
        const auto parts = split_address(c.address);
        ASSERT_TRUE(parts.has_value());
        EXPECT_EQ(parts->scheme, c.scheme);
        EXPECT_EQ(parts->authority, c.authority);
        EXPECT_EQ(parts->host, c.host);
        EXPECT_EQ(parts->port, c.port);
        EXPECT_EQ(parts->path, c.path);
        EXPECT_EQ(parts->query, c.query);
        EXPECT_EQ(parts->target, c.target);
    }
    for (const std::string_view bad : {"", "www.baidu.com/s?wd=a", "://host/", "http:///s",
                                       "http://user@/s", "1http://host/", "ht tp://host/"}) {
        SCOPED_TRACE(std::string(bad));
        EXPECT_FALSE(split_address(bad).has_value());
    }
}

TEST(AddressParts, HostsCompareWithoutRegardToAsciiCase) {
    EXPECT_TRUE(same_host("WWW.Baidu.COM", "www.baidu.com"));
    EXPECT_FALSE(same_host("www.baidu.com.", "www.baidu.com"));
    EXPECT_FALSE(same_host("www.baidu.co", "www.baidu.com"));
    EXPECT_FALSE(same_host("\xC1", "\xE1")); // no case folding beyond ASCII
}
