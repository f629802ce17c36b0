// The byte rules of both entry paths: the dot test, the line splitter and the URL lines of a file.
#include "text/text.h"
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

TEST(ContainsDot, FindsTheDotByteAnywhere) {
    struct Case {
        std::string_view text;
        bool expected;
    };
    const Case cases[] = {
        {"", false},
        {".", true},
        {"www.example.com", true},
        {"localhost", false},
        {"   ", false},
        {"\xD6\xD0\xCE\xC4.cn", true}, // GBK characters, then a dot
        // Not GBK (no GBK character ends in 0x2E), as UTF-8 leaves it: the dot still counts.
        {"\x81.", true},
        {"\xE6\xB7\x98\xE5\xAE\x9D\xE7\xBD\x91.com", true}, // 淘宝网.com in UTF-8
        {"abc\x81", false},
        {".\x81", true},
        {"a\0.b"sv, true}, // a view may hold a zero byte; the search does not stop
    };
    for (const Case& c : cases)
        EXPECT_EQ(contains_dot(c.text), c.expected) << testing::PrintToString(std::string(c.text));
}

TEST(SplitLines, EndsLinesAtLfWithTheCrBeforeIt) {
    struct Case {
        std::string_view text;
        Lines expected;
    };
    const Case cases[] = {
        {"", {}},
        {"a.com\r\nb.com\r\n", {"a.com", "b.com"}}, // a trailing line end adds no line
        {"a.com\r\nb.com", {"a.com", "b.com"}},     // the last line without a line end
        {"a.com\r\n\r\nnodot\r\nb.com", {"a.com", "", "nodot", "b.com"}},
        {"\r\na.com", {"", "a.com"}},                           // an empty first line
        {"a.com\nb.com\n", {"a.com", "b.com"}},                 // LF line ends
        {"a.com\r\nb.com\nc.com", {"a.com", "b.com", "c.com"}}, // mixed
        {"a\rb.com\r\n", {"a\rb.com"}},                         // a lone CR stays in its line
        {"a.com\r", {"a.com\r"}},
        {"\r\r\n", {"\r"}},                         // only the CR next to the LF goes
        {"\n\n\r\n", {"", "", ""}},                 // only separators
        {" a.com \t\r\n", {" a.com \t"}},           // no trimming
        {"a.com\r\na.com\r\n", {"a.com", "a.com"}}, // duplicates kept
        {"\xEF\xBB\xBF"
         "a.com\r\n",
         {"\xEF\xBB\xBF"
          "a.com"}}, // a UTF-8 BOM stays
        // Bytes of 0x80 or more before a line end, an odd number of them as in UTF-8: no GBK
        // character ends in LF or CR, so the line ends all the same.
        {"\x81\nx.com\n", {"\x81", "x.com"}},
        {"\x81\r\nx", {"\x81", "x"}},
        {"a/\xE6\x96\xB0\nb.org\n", {"a/\xE6\x96\xB0", "b.org"}},
        {"ab\x81", {"ab\x81"}}, // a final lead byte
        {"\xD6\xD0\xCE\xC4.cn\r\n\xD6\xD0.com", {"\xD6\xD0\xCE\xC4.cn", "\xD6\xD0.com"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(owned(split_lines(c.text)), c.expected)
            << testing::PrintToString(std::string(c.text));
}

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
