#pragma once

#include <string_view>
#include <vector>

namespace lomarind {

// The URLs of an import file, in file order: its bytes up to the first zero byte, split into
// lines, keeping every line that contains a dot exactly as it stands. The views point into
// `file_bytes`.
std::vector<std::string_view> url_lines(std::string_view file_bytes);

} // namespace lomarind
