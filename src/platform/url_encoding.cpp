#include "platform/url_encoding.h"

namespace lomarind {
namespace {

bool must_encode(unsigned char c) {
    if (c < 0x21 || c >= 0x7F)
        return true;
    switch (c) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string percent_encode_unsafe(std::string_view address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(address.size());
    for (const char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (must_encode(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace lomarind
