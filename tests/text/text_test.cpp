// The text find of the double-byte code page: a match begins only where a character begins.
#include "text/text.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>

using namespace lomarind;

namespace {

TEST(FindText, MatchesOnlyWhereACharacterBegins) {
    struct Case {
        std::string text;
        std::string part;
        std::ptrdiff_t expected;
    };
    const std::string lead = "\x81";            // a byte that begins a two-byte character
    const std::string gbk = "\xD6\xD0\xCE\xC4"; // 中文
    const std::string utf8 = "\xE4\xB8\xAD";    // 中 in UTF-8: three high bytes, an odd run
    const std::string markup(100, 'x');         // longer than the quick steps over single bytes
    const Case cases[] = {
        {"", "", -1},
        {"", "a", -1},
        {"a", "", 1},
        {"abc", "abc", 1},
        {"abc", "c", 3},
        {"abc", "abcd", -1},
        {"aXbX", "X", 2},
        {"Abc", "a", -1},                    // case counts
        {lead + "aa", "a", 3},               // the first "a" is the second byte of a character
        {lead + lead + "a", lead + "a", -1}, // so is the second lead byte
        {"ab" + gbk, gbk.substr(2), 5},
        {gbk, "\xD0\xCE", -1},    // across two characters
        {"abc" + lead, lead, -1}, // a lead byte that ends the text ends the scan
        {"abc" + lead, "c", 3},
        {lead, lead, -1},
        {std::string("a\0b\0c", 5), std::string("\0c", 2), 4}, // zero bytes are bytes too
        {markup + lead + "div div", "div", 106},
        {markup + gbk + gbk + markup + "div", "div", 209},
        {markup + utf8 + "div", "div", -1}, // the run's third byte pairs with the "d"
        {markup + utf8 + "div", "iv", 105},
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

} // namespace
