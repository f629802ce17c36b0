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
