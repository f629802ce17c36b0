#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lomarind {

struct AppState;

constexpr int COLUMN_NUMBER = 0;
constexpr int COLUMN_URL = 1;
constexpr int COLUMN_STATUS = 2;

// One row of the URL list: three GBK byte cells, kept exactly as written.
struct UrlRow {
    std::string number;
    std::string url;
    std::string status;
};

// The rows of the list control. The view asks only for the rows on screen, and only those are
// decoded for display; the bytes themselves are never changed. Rows are only ever appended.
// Lives on the UI thread: other threads reach it through DesktopServices::run_on_ui.
class UrlList final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit UrlList(QObject* parent = nullptr);

    std::int32_t row_count() const;
    // The cell's bytes; empty for a row or column that does not exist.
    std::string cell_text(std::int32_t row, int column) const;
    // Replaces the cell's bytes; nothing happens for a row or column that does not exist.
    void set_cell_text(std::int32_t row, int column, std::string_view text);
    // Appends one numbered row, setting state.new_row_index first.
    void append_url_row(AppState& state, std::string_view url);
    // Appends the rows as one insertion, numbered as if appended one by one.
    void append_url_rows(AppState& state, const std::vector<std::string_view>& urls);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::string* cell(std::int32_t row, int column);

    std::vector<UrlRow> rows_;
};

} // namespace lomarind
