#include "net/url_encoding.h"

#include "net/address_parts.h"
#include "text/gbk.h"

#include <QUrl>

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

bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    return text;
}

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Percent-encoded as percent_encode_unsafe does, and a "%" that starts no escape as "%25".
std::string encode_rest(std::string_view rest) {
    std::string out;
    out.reserve(rest.size());
    std::size_t from = 0;
    for (std::size_t i = rest.find('%'); i != std::string_view::npos; i = rest.find('%', i + 1)) {
        if (i + 2 < rest.size() && is_hex(rest[i + 1]) && is_hex(rest[i + 2]))
            continue;
        out += percent_encode_unsafe(rest.substr(from, i - from));
        out += "%25";
        from = i + 1;
    }
    out += percent_encode_unsafe(rest.substr(from));
    return out;
}

bool has_high_byte(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

bool is_browsable(const std::string& address) {
    const QUrl url = QUrl::fromEncoded(
        QByteArray(address.data(), static_cast<qsizetype>(address.size())), QUrl::TolerantMode);
    return url.isValid() && !url.host().isEmpty();
}

std::string user_input_address(std::string_view text) {
    const QUrl url = QUrl::fromUserInput(decode_gbk(text));
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QByteArray encoded = url.toEncoded();
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
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

std::string browser_address(std::string_view address) {
    // Encoding never shortens the rest of an address, so this also bounds the work on a huge one.
    if (address.size() > BROWSER_ADDRESS_LIMIT)
        return {};
    const std::string_view text = trimmed(address);
    const std::optional<AddressParts> split = split_address(text);
    if (!split)
        return user_input_address(text);
    const std::string_view scheme = split->scheme;
    const std::string_view after_scheme = text.substr(scheme.size() + 3);
    const std::string_view authority = trimmed(split->authority);
    const std::string_view rest = after_scheme.substr(split->authority.size());

    std::string_view user_info, host_port = authority;
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        user_info = authority.substr(0, at + 1);
        host_port = authority.substr(at + 1);
    }
    const std::size_t host_end =
        host_port.starts_with('[') ? host_port.find(']') + 1 : host_port.find(':');
    std::string_view host = host_port.substr(0, host_end);
    const std::string_view port =
        host_end < host_port.size() ? host_port.substr(host_end) : std::string_view{};
    std::string ace;
    if (has_high_byte(host)) {
        const QByteArray international = QUrl::toAce(decode_gbk(host));
        if (international.isEmpty())
            return {};
        ace.assign(international.constData(), static_cast<std::size_t>(international.size()));
        host = ace;
    }

    std::string out(scheme);
    out += "://";
    out += percent_encode_unsafe(user_info);
    out += host;
    out += port;
    out += encode_rest(rest);
    if (out.size() > BROWSER_ADDRESS_LIMIT || !is_browsable(out))
        return {};
    return out;
}

} // namespace lomarind
