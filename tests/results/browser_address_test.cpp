#include "results/browser_address.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using namespace lomarind;

namespace {

TEST(AddressForUrl, PutsHttpInFrontUnlessTheTextBeginsWithExactlyIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://a.com/x", "http://a.com/x"},          {"http://", "http://"},
        {"https://a.com", "http://https://a.com"},     {"HTTP://A.COM", "http://HTTP://A.COM"},
        {"http:/a.com", "http://http:/a.com"},         {"a.b", "http://a.b"},
        {" a.com/\xC4\xE3", "http:// a.com/\xC4\xE3"},
    };
    for (const auto& [url, address] : cases)
        EXPECT_EQ(address_for_url(url), address) << url;
}

} // namespace
