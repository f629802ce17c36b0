#include "net/address_parts.h"

#include <algorithm>

namespace lomarind {
namespace {

bool is_scheme_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

bool is_alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<AddressParts> split_address(std::string_view address) {
    const auto separator = address.find("://");
    if (separator == std::string_view::npos || separator == 0 || !is_alpha(address[0]))
        return std::nullopt;
    AddressParts parts;
    parts.scheme = address.substr(0, separator);
    if (!std::all_of(parts.scheme.begin(), parts.scheme.end(), is_scheme_char))
        return std::nullopt;

    const std::string_view after_scheme = address.substr(separator + 3);
    const auto authority_end = std::min(after_scheme.find_first_of("/?#"), after_scheme.size());
    parts.authority = after_scheme.substr(0, authority_end);
    const std::string_view rest = after_scheme.substr(authority_end);

    std::string_view host_port = parts.authority;
    if (const auto at = host_port.rfind('@'); at != std::string_view::npos)
        host_port = host_port.substr(at + 1);
    std::size_t host_end = std::string_view::npos;
    if (!host_port.empty() && host_port.front() == '[') {
        const auto close = host_port.find(']');
        host_end = close == std::string_view::npos ? host_port.size() : close + 1;
    } else {
        host_end = std::min(host_port.find(':'), host_port.size());
    }
    parts.host = host_port.substr(0, host_end);
    if (host_end < host_port.size() && host_port[host_end] == ':')
        parts.port = host_port.substr(host_end + 1);
    if (parts.host.empty())
        return std::nullopt;

    parts.target = rest.substr(0, std::min(rest.find('#'), rest.size()));
    const auto question = parts.target.find('?');
    parts.path = parts.target.substr(0, std::min(question, parts.target.size()));
    if (question != std::string_view::npos)
        parts.query = parts.target.substr(question + 1);
    return parts;
}

bool same_host(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ascii_lower(x) == ascii_lower(y);
           });
}

} // namespace lomarind
