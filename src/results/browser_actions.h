#pragma once

#include <string>
#include <string_view>

namespace lomarind {

struct AppContext;

inline constexpr std::string_view HTTP_SCHEME_PREFIX = "http://";

// What a right-click opens: the URL text, with "http://" in front unless it begins with exactly
// that (case-sensitive).
std::string address_for_url(std::string_view url_text);

// A left double-click in the list: the engine's result page for the selected row's URL.
void list_double_clicked(AppContext& ctx);

// The right button going down in the list, before the list moves its selection: the URL of the
// row selected until now.
void list_right_pressed(AppContext& ctx);

} // namespace lomarind
