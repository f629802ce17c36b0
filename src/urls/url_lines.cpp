#include "urls/url_lines.h"

#include "text/file_text.h"
#include "text/text.h"
#include "urls/url_list.h"

#include <new>

namespace lomarind {

std::vector<std::string_view> url_lines(std::string_view file_bytes) {
    std::vector<std::string_view> lines = split_lines(cut_at_zero(file_bytes));
    std::erase_if(lines, [](std::string_view line) { return !contains_dot(line); });
    return lines;
}

std::optional<std::int32_t> import_url_bytes(UrlList& list, std::string file_bytes) {
    std::string text;
    std::vector<std::string_view> urls;
    try {
        text = file_text(std::move(file_bytes));
        urls = url_lines(text);
    } catch (const std::bad_alloc&) {
        // A text too large for the memory to hold its lines: like an unreadable file.
        urls.clear();
    }
    return list.append_url_rows(std::move(text), urls);
}

} // namespace lomarind
