#include "text/text.h"

namespace lomarind {
namespace {

bool is_lead_byte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

} // namespace

std::ptrdiff_t find_text(std::string_view text, std::string_view part) {
    if (text.empty())
        return -1;
    if (part.empty())
        return 1;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (text[i] == part[0] && text.compare(i, part.size(), part) == 0)
            return static_cast<std::ptrdiff_t>(i) + 1;
        if (is_lead_byte(text[i])) {
            if (i + 1 >= n)
                break;
            i += 2;
        } else {
            i += 1;
        }
    }
    return -1;
}

bool contains_dot(std::string_view text) {
    return find_text(text, ".") > 0;
}

std::string_view cut_at_zero(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    const std::size_t n = text.size();
    std::size_t start = 0;
    bool after_cr = false; // the previous character was a CR of its own, not a trail byte
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            const std::size_t end = after_cr ? i - 1 : i;
            lines.push_back(text.substr(start, end - start));
            start = ++i;
            after_cr = false;
        } else {
            after_cr = c == '\r';
            i += is_lead_byte(c) ? 2 : 1; // may step past the end after a final lead byte
        }
    }
    if (start < n)
        lines.push_back(text.substr(start));
    return lines;
}

std::string decimal(long long value) {
    return std::to_string(value);
}

} // namespace lomarind
