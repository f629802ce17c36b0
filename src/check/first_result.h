#pragma once

#include <string>
#include <string_view>

namespace lomarind {

// The first result of the engine's result page, as evidence the user can check a √ against: the
// real address its container carries (the "mu" attribute), else the address the page displays
// for it ("c-showurl"), with entities decoded and white space collapsed, at most
// MAX_REASON_DETAIL bytes. Empty when the page has no first result that can be recognised.
// A few targeted searches of the page, no parse of the whole of it.
std::string first_result_address(std::string_view page);

} // namespace lomarind
