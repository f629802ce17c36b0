#pragma once

#include <cstdint>

class QAbstractItemView;

namespace lomarind {

// Index of the first selected row of the view as it is now, -1 when no row is selected.
std::int32_t selected_row(const QAbstractItemView& view);

} // namespace lomarind
