// The URL lines of an import file.
#include "urls/url_lines.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

using namespace lomarind;
using namespace std::string_view_literals;

namespace {

using Lines = std::vector<std::string>;

Lines owned(const std::vector<std::string_view>& views) {
    return {views.begin(), views.end()};
}

// "中文" in GBK.
constexpr std::string_view ZHONGWEN = "\xD6\xD0\xCE\xC4";

TEST(UrlLines, TakesTheDottedLinesOfTheTextBeforeTheFirstZeroByte) {
    struct Case {
        const char* name;
        std::string_view bytes;
        Lines expected;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"CR LF lines", "a.com\r\nb.com\r\n", {"a.com", "b.com"}},
        {"empty and undotted lines skipped", "a.com\r\n\r\nnodot\r\nb.com", {"a.com", "b.com"}},
        {"LF lines", "a.com\nb.com\n", {"a.com", "b.com"}},
        {"zero byte in the middle", "a.com\r\n\0b.com\r\n"sv, {"a.com"}},
        {"zero byte first", "\0a.com"sv, {}},
        {"UTF-16LE", "a\0.\0c\0o\0m\0\r\0\n\0"sv, {}},
        {"UTF-16LE with BOM",
         "\xFF\xFE"
         "a\0.\0c\0"sv,
         {}},
        {"UTF-8 BOM kept",
         "\xEF\xBB\xBF"
         "a.com\r\nb.com",
         {"\xEF\xBB\xBF"
          "a.com",
          "b.com"}},
        {"only separators", "\r\n\n\r\n\n", {}},
        {"GBK line", "\xD6\xD0\xCE\xC4.cn\r\nnodot", {"\xD6\xD0\xCE\xC4.cn"}},
        {"invalid GBK", "\x81.com\r\nb\xFF\xFF.com\r\n\x80", {"\x81.com", "b\xFF\xFF.com"}},
        {"blanks kept", " a.com \r\n", {" a.com "}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(owned(url_lines(c.bytes)), c.expected) << c.name;
}

TEST(UrlLines, AFileThatIsOneLongLineIsOneUrl) {
    std::string bytes(4 << 20, 'a');
    bytes += ".com";
    const auto lines = url_lines(bytes);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), bytes.size());
    EXPECT_EQ(lines[0].data(), bytes.data()); // a view, not a copy
}

TEST(UrlLines, NoLineIsLostToAnOddRunOfHighBytes) {
    // A UTF-8 line ending in one Chinese character (three bytes) is a line of its own; the same
    // for GBK characters, whose bytes come in pairs.
    const std::string bytes =
        "www.example.com/a\nwww.example.com/\xE6\x96\xB0\nwww.example.org/b\n" +
        std::string(ZHONGWEN) + ".cn\r\n.x" + std::string(ZHONGWEN) + "\n";
    EXPECT_EQ(owned(url_lines(bytes)),
              (Lines{"www.example.com/a", "www.example.com/\xE6\x96\xB0", "www.example.org/b",
                     std::string(ZHONGWEN) + ".cn", ".x" + std::string(ZHONGWEN)}));
}

} // namespace
