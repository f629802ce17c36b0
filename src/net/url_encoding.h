#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lomarind {

// Percent-encodes (upper-case hex) every byte an address cannot carry raw: bytes below 0x21,
// 0x7F, bytes of 0x80 or more, and " < > \ ^ ` { | }. Every other byte, "%" "&" "=" "?" "/"
// included, stays as it is, so the address means what its text says.
std::string percent_encode_unsafe(std::string_view address);

// The longest address the desktop can hand to a browser: the URL handler gets it as one
// argument, and Linux takes at most 128 KiB for one argument, its terminating zero included.
inline constexpr std::size_t BROWSER_ADDRESS_LIMIT = 128 * 1024 - 1;

// The address (a GBK byte text) as the browser is given it, in ASCII; empty when no URL can
// express it. What a browser's address bar would make of a typed text: blanks and other ASCII
// white space around the address and around its host are dropped, a host with Chinese characters
// becomes its international (IDNA) form, and the rest keeps its bytes, percent-encoded where an
// address cannot carry them raw (a "%" that starts no escape becomes "%25"). Empty for an address
// without a host ("http://"), a host that no domain name can be, and an address longer than
// BROWSER_ADDRESS_LIMIT. A text without "scheme://" is completed as Qt's address bar does it.
std::string browser_address(std::string_view address);

} // namespace lomarind
