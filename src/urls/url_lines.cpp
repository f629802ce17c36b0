#include "urls/url_lines.h"

#include "text/text.h"

namespace lomarind {

std::vector<std::string_view> url_lines(std::string_view file_bytes) {
    std::vector<std::string_view> lines = split_lines(cut_at_zero(file_bytes));
    std::erase_if(lines, [](std::string_view line) { return !contains_dot(line); });
    return lines;
}

} // namespace lomarind
