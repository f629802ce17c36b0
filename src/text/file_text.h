#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text of an import file. Most files are GBK, but today's editors write UTF-8 (with or without
// a byte-order mark) and UTF-16 with a mark; each becomes the system's GBK byte text here.
namespace lomarind {

// Where the text of a file ends, for a reader that gets its bytes piece by piece: the index of
// the first zero byte at or after `from` (for UTF-16, by its mark, of the first zero character
// beginning at or after `from`), or npos when the bytes so far hold no end.
std::size_t text_end(std::string_view bytes, std::size_t from = 0);

// The file's text as GBK bytes, up to its end:
// - a UTF-8 mark: UTF-8, the mark removed;
// - a UTF-16 LE or BE mark: UTF-16, the mark removed, up to the first zero character;
// - otherwise, valid UTF-8 (no overlong forms, no surrogates, nothing beyond U+10FFFF) holding
//   at least one character of more than one byte: UTF-8;
// - otherwise: GBK, the bytes as they stand (an ASCII file reads the same in all three).
// Converted text keeps a character that GBK lacks as its GB18030 bytes. Nothing on a failure to
// allocate.
std::string file_text(std::string bytes);

} // namespace lomarind
