#pragma once

#include <optional>
#include <string_view>

namespace lomarind {

// The pieces of an absolute address "scheme://authority/path?query#fragment". Every piece looks
// into the text that was split, which must outlive it.
struct AddressParts {
    std::string_view scheme;    // before "://"
    std::string_view authority; // between "://" and the first "/", "?" or "#"
    std::string_view host;      // the authority without user info and port; IPv6 keeps "[ ]"
    std::string_view port;      // what follows the host's ":", empty when there is none
    std::string_view path;      // from the end of the authority to the first "?" or "#"
    std::string_view query;     // after the "?" up to the first "#", without the "?"
    std::string_view target;    // path and "?query" as a request carries them: cut before "#"
};

// Splits an absolute address; nothing when it has no "scheme://" or no host. Bytes are taken as
// they stand: nothing is decoded, checked or lower-cased.
std::optional<AddressParts> split_address(std::string_view address);

// Whether two host names are the same, ignoring ASCII case.
bool same_host(std::string_view a, std::string_view b);

} // namespace lomarind
