#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lomarind {

class UrlList;

// The URLs of an import file, in file order: its bytes up to the first zero byte, split into
// lines, keeping every line that contains a dot exactly as it stands. The views point into
// `file_bytes`.
std::vector<std::string_view> url_lines(std::string_view file_bytes);

// Imports the bytes of a file as the program does: its text (file_text) split into URL lines,
// appended to the list as one batch. A text too large for the memory appends nothing. Gives the
// index of the last row appended, if any.
std::optional<std::int32_t> import_url_bytes(UrlList& list, std::string file_bytes);

} // namespace lomarind
