// The byte texts of the double-byte code page: finding a text, the dot test, the line splitter.
#include "text/text.h"

#include <gtest/gtest.h>
#include <random>
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

TEST(FindText, FindsThePartOnlyWhereACharacterBegins) {
    struct Case {
        const char* name;
        std::string_view text;
        std::string_view part;
        std::ptrdiff_t expected;
    };
    const Case cases[] = {
        {"empty text, empty part", "", "", -1},
        {"empty text", "", "a", -1},
        {"empty part", "abc", "", 1},
        {"at the start", "abc", "a", 1},
        {"at the end", "abc", "c", 3},
        {"inside", "abc", "bc", 2},
        {"the first of two", "abcabc", "ca", 3},
        {"longer than the text", "abc", "abcd", -1},
        {"running past the end", "xxab", "abc", -1},
        {"absent", "abc", "x", -1},
        {"a zero byte does not end the text", "a\0b"sv, "b", 3},
        // 中文 in GBK: D6D0 CEC4. A part made of the end of one character and the start of the
        // next is no match, nor is the second byte of a character that looks like ASCII.
        {"a whole GBK character", "\xD6\xD0\xCE\xC4", "\xCE\xC4", 3},
        {"across two GBK characters", "\xD6\xD0\xCE\xC4", "\xD0\xCE", -1},
        {"a second byte that is ASCII",
         "\x81"
         "Ab",
         "Ab", -1},
        {"after a character whose second byte is ASCII",
         "\x81"
         "AAb",
         "Ab", 3},
        // A three-byte UTF-8 character reads as a pair and a lead byte, which takes the next byte.
        {"after an odd run of high bytes",
         "\xE6\x96\xB0"
         "ab",
         "ab", -1},
        // A lead byte that is the last byte of the text begins no character: the scan ends.
        {"a lead byte that ends the text", "ab\x81", "\x81", -1},
        {"nothing after a final lead byte", "ab\x81", "b\x81", 2},
        {"the marker in a page", "<div id=\"content_left\"><div class=\"nors\">",
         "div class=\"nors\"", 25},
    };
    for (const Case& c : cases)
        EXPECT_EQ(find_text(c.text, c.part), c.expected) << c.name;
}

TEST(FindText, CountsBytesFarIntoALongText) {
    std::string text;
    for (int i = 0; i < (1 << 19); ++i)
        text += "\xD6\xD0"; // 中
    text += "nors";
    EXPECT_EQ(find_text(text, "nors"), (1 << 20) + 1);
    EXPECT_EQ(find_text(text, "\xD0\xD6"), -1);
}

// Past the quick steps over single bytes: a long run of markup, then characters.
TEST(FindText, KeepsCountOfCharactersAcrossLongRuns) {
    struct Case {
        std::string text;
        std::string part;
        std::ptrdiff_t expected;
    };
    const std::string lead = "\x81";
    const std::string gbk = "\xD6\xD0\xCE\xC4"; // 中文
    const std::string utf8 = "\xE4\xB8\xAD";    // 中 in UTF-8: three high bytes, an odd run
    const std::string markup(100, 'x');
    const Case cases[] = {
        {markup + lead + "div div", "div", 106}, // the first "d" is the second byte of a pair
        {markup + gbk + gbk + markup + "div", "div", 209},
        {markup + utf8 + "div", "div", -1}, // the run's third byte pairs with the "d"
        {markup + utf8 + "div", "iv", 105},
        {markup + "abc" + lead, lead, -1},
        {markup + lead + lead + "a", lead + "a", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(find_text(c.text, c.part), c.expected)
            << testing::PrintToString(c.text) << " / " << testing::PrintToString(c.part);
}

// The rule itself, a character at a time: what the quick scan must agree with.
std::ptrdiff_t find_by_characters(std::string_view text, std::string_view part) {
    if (text.empty())
        return -1;
    if (part.empty())
        return 1;
    for (std::size_t i = 0; i < text.size();) {
        const bool lead = static_cast<unsigned char>(text[i]) >= 0x80;
        if (lead && i + 1 == text.size())
            return -1;
        if (text.substr(i).starts_with(part))
            return static_cast<std::ptrdiff_t>(i) + 1;
        i += lead ? 2 : 1;
    }
    return -1;
}

TEST(FindText, AgreesWithACharacterByCharacterScanOnMixedTexts) {
    // Long single-byte runs, pairs, odd runs of high bytes, and parts made of the same bytes.
    const std::string pieces[] = {"a", "b", "\x81", "\xB0\xA1", "ab", std::string(75, 'a')};
    std::mt19937 random(13);
    for (int round = 0; round < 20'000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k)
            text += pieces[random() % std::size(pieces)];
        std::string part;
        const int part_count = 1 + static_cast<int>(random() % 2);
        for (int k = 0; k < part_count; ++k)
            part += pieces[random() % 5];
        ASSERT_EQ(find_text(text, part), find_by_characters(text, part))
            << testing::PrintToString(text) << " / " << testing::PrintToString(part);
    }
}

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

} // namespace
