#include "results/browser_address.h"

namespace lomarind {

std::string address_for_url(std::string_view url_text) {
    if (url_text.starts_with(HTTP_SCHEME_PREFIX))
        return std::string(url_text);
    std::string address(HTTP_SCHEME_PREFIX);
    address += url_text;
    return address;
}

} // namespace lomarind
