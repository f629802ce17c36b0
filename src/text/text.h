#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Byte texts in the double-byte code page (GBK). A byte of 0x80 or more starts a two-byte
// character, whose second byte may be any byte from 0x40 up but never LF, CR or ".".
namespace lomarind {

// 1-based position of the first occurrence of `part` in `text`, or -1. A match only begins where
// a character begins; a lead byte that is the last byte of the text ends the scan. An empty part
// is found at 1 in a non-empty text and nowhere in the empty text.
std::ptrdiff_t find_text(std::string_view text, std::string_view part);

// Whether the text holds a "." (byte 0x2E) anywhere.
bool contains_dot(std::string_view text);

// The bytes before the first zero byte (all of them when there is none).
std::string_view cut_at_zero(std::string_view bytes);

// The lines of an import text. A line ends at LF, and a CR directly before the LF belongs to the
// line end; a lone CR stays in its line.
// Empty lines between separators are kept, a text after the last separator is a line only when it
// is not empty, and the empty text has no lines.
std::vector<std::string_view> split_lines(std::string_view text);

// Plain decimal digits, no grouping.
std::string decimal(long long value);

} // namespace lomarind
