#include "urls/url_list.h"

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

std::string_view& UrlList::url_of(std::size_t row) {
    return url_blocks_[row / BLOCK_ROWS][row % BLOCK_ROWS];
}

std::string& UrlList::status_of(std::size_t row) {
    const std::size_t block = row / BLOCK_ROWS;
    if (block >= status_blocks_.size())
        status_blocks_.resize(block + 1);
    if (!status_blocks_[block])
        status_blocks_[block] = std::make_unique<std::string[]>(BLOCK_ROWS);
    return status_blocks_[block][row % BLOCK_ROWS];
}

std::string_view UrlList::cell_bytes(std::int32_t row, int column, std::string& scratch) const {
    if (!has_row(row))
        return {};
    const auto at = static_cast<std::size_t>(row);
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
        return url_blocks_[at / BLOCK_ROWS][at % BLOCK_ROWS];
    case COLUMN_STATUS: {
        const std::size_t block = at / BLOCK_ROWS;
        if (block >= status_blocks_.size() || !status_blocks_[block])
            return {};
        return status_blocks_[block][at % BLOCK_ROWS];
    }
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
    const auto at = static_cast<std::size_t>(row);
    switch (column) {
    case COLUMN_NUMBER:
        written_[written_key(row, column)].assign(text);
        break;
    case COLUMN_URL: {
        std::string& url = written_[written_key(row, column)];
        url.assign(text);
        url_of(at) = url;
        break;
    }
    case COLUMN_STATUS:
        status_of(at).assign(text);
        break;
    default:
        return;
    }
    const QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole, Qt::ToolTipRole});
}

void UrlList::set_note_describer(NoteDescriber describe) {
    describe_note_ = std::move(describe);
}

void UrlList::set_status_note(std::int32_t row, std::uint8_t code, std::string_view detail) {
    if (!has_row(row))
        return;
    const auto at = static_cast<std::size_t>(row);
    if (at >= note_codes_.size()) {
        // The rows of a run are noted one after another: room for all of them at once.
        note_codes_.resize(std::max(at + 1, size_));
        note_details_.resize(note_codes_.size());
    }
    note_codes_[at] = code;
    note_details_[at] = 0;
    detail = detail.substr(0, MAX_NOTE_DETAIL);
    const std::size_t needed = detail.size() + 1;
    const bool new_chunk = note_chunk_used_ + needed > NOTE_CHUNK;
    // Offsets are 32-bit: past 4 GiB of details, further ones are not kept.
    const bool room = !new_chunk || (note_chunks_.size() + 1) * NOTE_CHUNK <
                                        std::numeric_limits<std::uint32_t>::max();
    if (!detail.empty() && room) {
        if (new_chunk) {
            note_chunks_.push_back(std::make_unique<char[]>(NOTE_CHUNK));
            note_chunk_used_ = 0;
        }
        char* place = note_chunks_.back().get() + note_chunk_used_;
        place[0] = static_cast<char>(detail.size());
        std::copy(detail.begin(), detail.end(), place + 1);
        note_details_[at] = static_cast<std::uint32_t>((note_chunks_.size() - 1) * NOTE_CHUNK +
                                                       note_chunk_used_ + 1);
        note_chunk_used_ += needed;
    }
    const QModelIndex i = index(row, COLUMN_STATUS);
    Q_EMIT dataChanged(i, i, {Qt::ToolTipRole});
}

std::uint8_t UrlList::status_note_code(std::int32_t row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= note_codes_.size())
        return 0;
    return note_codes_[static_cast<std::size_t>(row)];
}

std::string_view UrlList::status_note_detail(std::int32_t row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= note_details_.size())
        return {};
    const std::uint32_t stored = note_details_[static_cast<std::size_t>(row)];
    if (stored == 0)
        return {};
    const std::size_t offset = stored - 1;
    const char* place = note_chunks_[offset / NOTE_CHUNK].get() + offset % NOTE_CHUNK;
    return {place + 1, static_cast<unsigned char>(place[0])};
}

std::size_t UrlList::status_note_bytes() const {
    return note_codes_.capacity() * sizeof(std::uint8_t) +
           note_details_.capacity() * sizeof(std::uint32_t) +
           note_chunks_.capacity() * sizeof(note_chunks_[0]) + note_chunks_.size() * NOTE_CHUNK;
}

std::optional<std::int32_t> UrlList::append_url_row(std::string_view url) {
    return append_url_rows(std::vector<std::string_view>{url});
}

std::optional<std::int32_t> UrlList::append_url_rows(const std::vector<std::string_view>& urls) {
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
    return append_url_rows(std::move(bytes), copies);
}

std::optional<std::int32_t> UrlList::append_url_rows(std::string&& bytes,
                                                     const std::vector<std::string_view>& urls) {
    if (urls.empty())
        return std::nullopt;
    // The row index is a 32-bit number; a batch that would pass it is not inserted at all.
    if (size_ + urls.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    std::size_t used = 0;
    for (std::string_view url : urls)
        used += url.size();
    // Keeping a large file for a few short URLs would hold on to memory nobody can see.
    if (used < bytes.size() / 2)
        return append_url_rows(urls);
    const char* old_base = bytes.data();
    auto buffer = std::make_unique<const std::string>(std::move(bytes));
    const char* new_base = buffer->data(); // differs from old_base for a short text
    buffers_.push_back(std::move(buffer));

    const std::size_t first = size_;
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + urls.size() - 1));
    for (std::string_view url : urls) {
        if (size_ == url_blocks_.size() * BLOCK_ROWS)
            url_blocks_.push_back(std::make_unique<std::string_view[]>(BLOCK_ROWS));
        if (!url.empty())
            url_of(size_) = std::string_view(new_base + (url.data() - old_base), url.size());
        ++size_;
    }
    endInsertRows();
    return static_cast<std::int32_t>(size_ - 1);
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
    case Qt::ToolTipRole:
        if (index.column() == COLUMN_STATUS && describe_note_) {
            if (const std::uint8_t code = status_note_code(index.row()); code != 0)
                return describe_note_(code, status_note_detail(index.row()));
        }
        [[fallthrough]];
    case Qt::DisplayRole: {
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
