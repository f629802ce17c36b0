#pragma once

#include <string>
#include <string_view>

namespace lomarind {

// Percent-encodes (upper-case hex) every byte an address cannot carry raw: bytes below 0x21,
// 0x7F, bytes of 0x80 or more, and " < > \ ^ ` { | }. Every other byte, "%" "&" "=" "?" "/"
// included, stays as it is, so the address means what its text says.
std::string percent_encode_unsafe(std::string_view address);

} // namespace lomarind
