#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lomarind {
namespace {

bool is_lead_byte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// The end of the run of bytes below 0x80 that starts at `from`, looking no further than `to`.
// Eight words at a time, so a page of markup is crossed at close to the speed of memchr.
std::size_t ascii_run_end(std::string_view text, std::size_t from, std::size_t to) {
    constexpr std::uint64_t HIGH_BITS = 0x8080808080808080;
    constexpr std::size_t STEP = 8 * sizeof(std::uint64_t);
    while (to - from >= STEP) {
        std::uint64_t words[8];
        std::memcpy(words, text.data() + from, STEP);
        std::uint64_t any = 0;
        for (const std::uint64_t w : words)
            any |= w;
        if ((any & HIGH_BITS) != 0)
            break;
        from += STEP;
    }
    while (from < to && !is_lead_byte(text[from]))
        ++from;
    return from;
}

} // namespace

std::ptrdiff_t find_text(std::string_view text, std::string_view part) {
    if (text.empty())
        return -1;
    if (part.empty())
        return 1;
    // The library's search finds each candidate; the scan then walks the characters from the
    // last known boundary up to it, crossing single-byte runs quickly and stepping pairs only
    // through the double-byte ones. `at` is always where a character begins.
    std::size_t at = 0;
    for (;;) {
        const std::size_t candidate = text.find(part, at);
        if (candidate == std::string_view::npos)
            return -1;
        while (at < candidate) {
            if (!is_lead_byte(text[at]))
                at = ascii_run_end(text, at, candidate);
            else
                at += 2;
        }
        if (at == candidate) {
            // A lead byte that is the last byte of the text ends the scan: no character begins
            // there.
            if (is_lead_byte(text[at]) && at + 1 == text.size())
                return -1;
            return static_cast<std::ptrdiff_t>(candidate) + 1;
        }
        // The candidate began on the second byte of a character; `at` is just past it.
    }
}

bool contains_dot(std::string_view text) {
    // No GBK character has 0x2E as its second byte, so a plain byte search sees every dot of a
    // GBK text, and does not lose the dot of a text that is not GBK.
    return text.find('.') != std::string_view::npos;
}

std::string_view cut_at_zero(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

std::vector<std::string_view> split_lines(std::string_view text) {
    // A plain byte search: neither LF nor CR is ever the second byte of a GBK character.
    std::vector<std::string_view> lines;
    // Counting first costs a quick pass; growing instead would touch and copy twice the memory
    // for the million lines of a large file.
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        const std::size_t end = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

std::string decimal(long long value) {
    return std::to_string(value);
}

} // namespace lomarind
