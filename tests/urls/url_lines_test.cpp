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

TEST(ContainsDot, ScansCharacterByCharacter) {
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
        {"\xD6\xD0\xCE\xC4.cn", true}, // GBK characters, then a dot of its own
        {"\x81.", false},              // the dot is the trail byte of 0x81
        {"\x81.com", false},           // ... and no other dot follows
        {"\x81.x.y", true},            // a later dot is seen
        {"\x81\x81.", true},           // 0x81 0x81 is one character, the dot stands alone
        {"abc\x81", false},            // a lead byte as the last byte ends the scan
        {".\x81", true},
        {"\xFF\xFF.", true}, // invalid GBK still steps by two
        {"a\0.b"sv, true},   // a view may hold a zero byte; the scan does not stop
    };
    for (const Case& c : cases)
        EXPECT_EQ(contains_dot(c.text), c.expected) << testing::PrintToString(std::string(c.text));
}

TEST(SplitLines, EndsLinesAtCrLfOrLoneLf) {
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
          "a.com"}},                        // a UTF-8 BOM stays
        {"\x81\nx.com\n", {"\x81\nx.com"}}, // LF as a trail byte ends nothing
        {"\x81\r\nx", {"\x81\r", "x"}},     // CR as a trail byte: a lone LF
        {"ab\x81", {"ab\x81"}},             // a final lead byte
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
        {"invalid GBK", "\x81.com\r\nb\xFF\xFF.com\r\n\x80", {"b\xFF\xFF.com"}},
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

TEST(UrlLines, GbkCharactersNeverHideOrFakeALineEnd) {
    // 0x0A after a lead byte is its trail byte; the same line with an ASCII byte before the LF
    // splits. Every line stays in the same order.
    const std::string bytes =
        std::string(ZHONGWEN) + "\x81\n.x\r\n" + std::string(ZHONGWEN) + "a\n.y\r\n";
    EXPECT_EQ(owned(url_lines(bytes)), (Lines{std::string(ZHONGWEN) + "\x81\n.x", ".y"}));
}

} // namespace
