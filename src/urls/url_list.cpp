#include "urls/url_list.h"

#include "app/app_state.h"
#include "text/gbk.h"
#include "text/text.h"


namespace lomarind {
namespace {

Qt::Alignment column_alignment(int column) {
    return column == COLUMN_NUMBER ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
}

} // namespace

UrlList::UrlList(QObject* parent) : QAbstractTableModel(parent) {}

std::int32_t UrlList::row_count() const { return static_cast<std::int32_t>(rows_.size()); }

std::string* UrlList::cell(std::int32_t row, int column) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return nullptr;
    UrlRow& r = rows_[static_cast<std::size_t>(row)];
    switch (column) {
    case COLUMN_NUMBER:
        return &r.number;
    case COLUMN_URL:
        return &r.url;
    case COLUMN_STATUS:
        return &r.status;
    default:
        return nullptr;
    }
}

std::string UrlList::cell_text(std::int32_t row, int column) const {
    const std::string* c = const_cast<UrlList*>(this)->cell(row, column);
    return c ? *c : std::string();
}

void UrlList::set_cell_text(std::int32_t row, int column, std::string_view text) {
    std::string* c = cell(row, column);
    if (!c)
        return;
    c->assign(text);
    const QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
}

void UrlList::append_url_row(AppState& state, std::string_view url) {
    append_url_rows(state, {url});
}

void UrlList::append_url_rows(AppState& state, const std::vector<std::string_view>& urls) {
    if (urls.empty())
        return;
    const std::size_t first = rows_.size();
    const std::size_t last = first + urls.size() - 1;
    if (last >= static_cast<std::size_t>(INT32_MAX))
        return; // the list's row index is a 32-bit number
    rows_.reserve(std::max(last + 1, rows_.capacity()));
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
    for (std::string_view url : urls) {
        state.new_row_index = static_cast<std::int32_t>(rows_.size());
        rows_.push_back(UrlRow{decimal(state.new_row_index + 1LL), std::string(url), {}});
    }
    endInsertRows();
}

int UrlList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int UrlList::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant UrlList::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const std::string* c = const_cast<UrlList*>(this)->cell(index.row(), index.column());
        return c ? QVariant(decode_gbk(*c)) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column_alignment(index.column()));
    default:
        return {};
    }
}

QVariant UrlList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
        case COLUMN_NUMBER:
            return QStringLiteral("编号");
        case COLUMN_URL:
            return QStringLiteral("URL地址");
        case COLUMN_STATUS:
            return QStringLiteral("收录情况");
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column_alignment(section));
    return {};
}

} // namespace lomarind
