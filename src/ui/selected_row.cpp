#include "ui/selected_row.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <algorithm>

namespace lomarind {

std::int32_t selected_row(const QAbstractItemView& view) {
    const QItemSelectionModel* selection = view.selectionModel();
    if (!selection)
        return -1;
    int first = -1;
    for (const QModelIndex& i : selection->selectedRows())
        first = first < 0 ? i.row() : std::min(first, i.row());
    return first;
}

} // namespace lomarind
