#include "net/url_encoding.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using namespace lomarind;

namespace {

TEST(BrowserAddress, IsWhatAnAddressBarMakesOfTheTextKeepingItsBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://www.baidu.com/s?wd=example.com/x.php?p=1&q=2",
         "http://www.baidu.com/s?wd=example.com/x.php?p=1&q=2"},
        {"http://a.com/a b", "http://a.com/a%20b"},
        {"http://a.com/\xC4\xE3\xBA\xC3", "http://a.com/%C4%E3%BA%C3"}, // GBK bytes kept
        {"http://a.com/x\r\ny", "http://a.com/x%0D%0Ay"},
        {"http://a.com/{a}|\"", "http://a.com/%7Ba%7D%7C%22"},
        {"http://a.com/100%", "http://a.com/100%25"},
        {"http://a.com/%E4%B8%AD", "http://a.com/%E4%B8%AD"},
        // White space around the text and around the host is what typing left there.
        {"http://a.com ", "http://a.com"},
        {"http:// a.com", "http://a.com"},
        {"http://a.com\t", "http://a.com"},
        {"http://www.example.com /x", "http://www.example.com/x"},
        {"http://www.baidu.com/s?wd= a.com", "http://www.baidu.com/s?wd=%20a.com"},
        // A Chinese host in its international form, the rest as bytes.
        {"http://\xC0\xFD\xD7\xD3.\xD6\xD0\xB9\xFA", "http://xn--fsqu00a.xn--fiqs8s"},
        {"http://\xCC\xD4\xB1\xA6\xCD\xF8.com/\xD0\xC2", "http://xn--pbt173bpxm.com/%D0%C2"},
        {"http://user@\xD6\xD0.cn:8080/x", "http://user@xn--fiq.cn:8080/x"},
        // Two schemes one after the other: a host "https" with an empty port, kept as it is.
        {"http://https://a.com", "http://https://a.com"},
        {"http://HTTP://A.COM", "http://HTTP://A.COM"},
        {"http://[::1]:8080/x", "http://[::1]:8080/x"},
        // Without "scheme://", completed as an address bar does.
        {"a.com", "http://a.com"},
        // No URL can express these.
        {"http://", ""},
        {"http:// ", ""},
        {"http://a b.com/", ""},
        {"http://\xFF\xFF.com", ""}, // not GBK: no host name
        {"", ""},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(browser_address(address), expected) << address;
}

TEST(BrowserAddress, AnAddressLongerThanTheDesktopTakesIsNone) {
    const std::string prefix = "http://a.com/";
    const std::string longest = prefix + std::string(BROWSER_ADDRESS_LIMIT - prefix.size(), 'x');
    EXPECT_EQ(browser_address(longest), longest);
    EXPECT_EQ(browser_address(longest + "x"), "");
    // Within the limit as text, beyond it once encoded.
    EXPECT_EQ(browser_address(prefix + std::string(BROWSER_ADDRESS_LIMIT / 2, ' ') + "x"), "");
}

} // namespace
