#include "urls/url_list.h"

#include "app/app_state.h"
#include "text/gbk.h"
#include "text/text.h"

#include <algorithm>
#include <limits>

namespace lomarind {
namespace {

Qt::Alignment column_alignment(int column) {
    return column == COLUMN_NUMBER ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
}

// Length of the longest prefix of at most `limit` bytes that ends on a character boundary.
std::size_t whole_characters_within(std::string_view text, std::size_t limit) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t step = static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return std::min(i, text.size());
}

std::int64_t written_key(std::int32_t row, int column) {
    return static_cast<std::int64_t>(row) * 3 + column;
}

} // namespace

QString display_text(std::string_view cell) {
    if (cell.size() <= DISPLAY_LIMIT)
        return decode_gbk(cell);
    QString shown = decode_gbk(cell.substr(0, whole_characters_within(cell, DISPLAY_LIMIT)));
    shown += QChar(0x2026);
    return shown;
}

UrlList::UrlList(QObject* parent) : QAbstractTableModel(parent) {}

UrlList::~UrlList() = default;

std::int32_t UrlList::row_count() const {
    return static_cast<std::int32_t>(size_);
}

bool UrlList::has_row(std::int32_t row) const {
    return row >= 0 && static_cast<std::size_t>(row) < size_;
}

UrlList::StoredRow& UrlList::stored(std::size_t row) {
    return blocks_[row / BLOCK_ROWS][row % BLOCK_ROWS];
}

const UrlList::StoredRow& UrlList::stored(std::size_t row) const {
    return blocks_[row / BLOCK_ROWS][row % BLOCK_ROWS];
}

std::string_view UrlList::cell_bytes(std::int32_t row, int column, std::string& scratch) const {
    if (!has_row(row))
        return {};
    const StoredRow& r = stored(static_cast<std::size_t>(row));
    switch (column) {
    case COLUMN_NUMBER:
        if (!written_.empty()) {
            const auto w = written_.find(written_key(row, column));
            if (w != written_.end())
                return w->second;
        }
        scratch = decimal(row + 1LL);
        return scratch;
    case COLUMN_URL:
        return r.url;
    case COLUMN_STATUS:
        return r.status;
    default:
        return {};
    }
}

std::string UrlList::cell_text(std::int32_t row, int column) const {
    std::string scratch;
    return std::string(cell_bytes(row, column, scratch));
}

std::size_t UrlList::cell_size(std::int32_t row, int column) const {
    std::string scratch;
    return cell_bytes(row, column, scratch).size();
}

UrlRow UrlList::row(std::int32_t row) const {
    return {cell_text(row, COLUMN_NUMBER), cell_text(row, COLUMN_URL),
            cell_text(row, COLUMN_STATUS)};
}

void UrlList::set_cell_text(std::int32_t row, int column, std::string_view text) {
    if (!has_row(row))
        return;
    StoredRow& r = stored(static_cast<std::size_t>(row));
    switch (column) {
    case COLUMN_NUMBER:
        written_[written_key(row, column)].assign(text);
        break;
    case COLUMN_URL: {
        std::string& url = written_[written_key(row, column)];
        url.assign(text);
        r.url = url;
        break;
    }
    case COLUMN_STATUS:
        r.status.assign(text);
        break;
    default:
        return;
    }
    const QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole, Qt::ToolTipRole});
}

void UrlList::append_url_row(AppState& state, std::string_view url) {
    append_url_rows(state, std::vector<std::string_view>{url});
}

void UrlList::append_url_rows(AppState& state, const std::vector<std::string_view>& urls) {
    std::size_t total = 0;
    for (std::string_view url : urls)
        total += url.size();
    std::string bytes;
    bytes.reserve(total);
    for (std::string_view url : urls)
        bytes += url;
    std::vector<std::string_view> copies;
    copies.reserve(urls.size());
    std::size_t at = 0;
    for (std::string_view url : urls) {
        copies.emplace_back(bytes.data() + at, url.size());
        at += url.size();
    }
    append_url_rows(state, std::move(bytes), copies);
}

void UrlList::append_url_rows(AppState& state, std::string&& bytes,
                              const std::vector<std::string_view>& urls) {
    if (urls.empty())
        return;
    // The row index is a 32-bit number; a batch that would pass it is not inserted at all.
    if (size_ + urls.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return;
    std::size_t used = 0;
    for (std::string_view url : urls)
        used += url.size();
    // Keeping a large file for a few short URLs would hold on to memory nobody can see.
    if (used < bytes.size() / 2) {
        append_url_rows(state, urls);
        return;
    }
    const char* old_base = bytes.data();
    auto buffer = std::make_unique<const std::string>(std::move(bytes));
    const char* new_base = buffer->data(); // differs from old_base for a short text
    buffers_.push_back(std::move(buffer));

    const std::size_t first = size_;
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + urls.size() - 1));
    for (std::string_view url : urls) {
        state.new_row_index = static_cast<std::int32_t>(size_);
        if (size_ == blocks_.size() * BLOCK_ROWS)
            blocks_.push_back(std::make_unique<StoredRow[]>(BLOCK_ROWS));
        if (!url.empty())
            stored(size_).url = std::string_view(new_base + (url.data() - old_base), url.size());
        ++size_;
    }
    endInsertRows();
}

int UrlList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(size_);
}

int UrlList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant UrlList::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        std::string scratch;
        const std::string_view cell = cell_bytes(index.row(), index.column(), scratch);
        if (role == Qt::ToolTipRole && cell.empty())
            return {};
        return display_text(cell);
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
