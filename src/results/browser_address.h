#pragma once

#include <string>
#include <string_view>

namespace lomarind {

inline constexpr std::string_view HTTP_SCHEME_PREFIX = "http://";

// What a right-click opens: the URL text, with "http://" in front unless it begins with exactly
// that (case-sensitive).
std::string address_for_url(std::string_view url_text);

} // namespace lomarind
