#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lomarind {

constexpr int COLUMN_NUMBER = 0;
constexpr int COLUMN_URL = 1;
constexpr int COLUMN_STATUS = 2;

constexpr std::size_t MAX_NOTE_DETAIL = 255;

// A cell longer than this shows only its first bytes (and a trailing ellipsis): the column is a
// few hundred pixels wide, and laying out a cell of many megabytes on every repaint would freeze
// the window. The cell's bytes are never shortened.
constexpr std::size_t DISPLAY_LIMIT = 1024;

// One row of the URL list: three GBK byte cells.
struct UrlRow {
    std::string number;
    std::string url;
    std::string status;

    friend bool operator==(const UrlRow&, const UrlRow&) = default;
};

// The rows of the list control. The view asks only for the rows on screen, and only those are
// decoded for display; the bytes themselves are never changed. Rows are only ever appended.
// Lives on the UI thread: other threads reach it through DesktopServices::run_on_ui.
//
// Built for a million rows: a row holds a view of its URL bytes, which live in a few large
// buffers (an imported file's bytes are kept whole rather than copied line by line); the number
// cell is the row's position until someone writes it; rows sit in fixed blocks, so appending
// never moves the rows already there.
class UrlList final : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit UrlList(QObject* parent = nullptr);
    ~UrlList() override;

    std::int32_t row_count() const;
    // The cell's bytes; empty for a row or column that does not exist.
    std::string cell_text(std::int32_t row, int column) const;
    // The length of that text, without copying it.
    std::size_t cell_size(std::int32_t row, int column) const;
    // Replaces the cell's bytes; nothing happens for a row or column that does not exist.
    void set_cell_text(std::int32_t row, int column, std::string_view text);
    // Appends one numbered row and returns its index; nothing when the list is full.
    std::optional<std::int32_t> append_url_row(std::string_view url);
    // Appends the rows as one insertion, numbered as if appended one by one, and returns the
    // index of the last of them; nothing when no row was appended. The URL bytes are copied.
    std::optional<std::int32_t> append_url_rows(const std::vector<std::string_view>& urls);
    // The same, for URLs that are views into `bytes`: the list takes the bytes over instead of
    // copying each URL, unless the URLs are only a small part of them.
    std::optional<std::int32_t> append_url_rows(std::string&& bytes,
                                                const std::vector<std::string_view>& urls);
    // The three cells of a row; empty cells for a row that does not exist.
    UrlRow row(std::int32_t row) const;

    // A note on a row's status, which the status cell shows as its tooltip: a one-byte code
    // (0 for none) and a few bytes of detail, turned into text by the describer.
    using NoteDescriber = std::function<QString(std::uint8_t code, std::string_view detail)>;
    void set_note_describer(NoteDescriber describe);
    // Sets the row's note; nothing happens for a row that does not exist. The detail is cut at
    // MAX_NOTE_DETAIL bytes.
    void set_status_note(std::int32_t row, std::uint8_t code, std::string_view detail);
    std::uint8_t status_note_code(std::int32_t row) const;
    std::string_view status_note_detail(std::int32_t row) const;
    // The memory the notes take, in bytes.
    std::size_t status_note_bytes() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    static constexpr std::size_t BLOCK_ROWS = 4096;

    bool has_row(std::int32_t row) const;
    // Into one of buffers_, or into a written cell of written_.
    std::string_view& url_of(std::size_t row);
    // The row's status cell, made (with the rest of its block) when first written.
    std::string& status_of(std::size_t row);
    // The cell's bytes; `scratch` holds a number cell that was never written.
    std::string_view cell_bytes(std::int32_t row, int column, std::string& scratch) const;

    // The rows' URL views in fixed blocks, so appending never moves the rows already there; the
    // status cells in blocks of their own, made only once a row of the block has a status, so an
    // import touches no memory for the statuses of a million rows.
    std::vector<std::unique_ptr<std::string_view[]>> url_blocks_;
    std::vector<std::unique_ptr<std::string[]>> status_blocks_;
    std::size_t size_ = 0;
    std::vector<std::unique_ptr<const std::string>> buffers_;
    // Number and URL cells written after the append, by row * 3 + column. Rare.
    std::unordered_map<std::int64_t, std::string> written_;

    // The notes, kept apart from the rows and compact: a million rows are judged in one run.
    // A code per row; for a row with a detail, where it starts in the detail store (plus one, 0
    // for none). The store is a series of fixed chunks, each detail a length byte and its
    // bytes, never split over two chunks; a detail that is replaced is not reclaimed.
    static constexpr std::size_t NOTE_CHUNK = std::size_t{1} << 16;
    std::vector<std::uint8_t> note_codes_;
    std::vector<std::uint32_t> note_details_;
    std::vector<std::unique_ptr<char[]>> note_chunks_;
    std::size_t note_chunk_used_ = NOTE_CHUNK;
    NoteDescriber describe_note_;
};

// The text a cell shows: its bytes decoded from GBK, cut after DISPLAY_LIMIT bytes at a
// character boundary.
QString display_text(std::string_view cell);

} // namespace lomarind
