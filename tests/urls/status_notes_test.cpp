// The notes on the status cells of the list: what the tooltip of a judged row says.
#include "urls/url_list.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace lomarind;

namespace {

QString tooltip(const UrlList& list, int row, int column = COLUMN_STATUS) {
    return list.data(list.index(row, column), Qt::ToolTipRole).toString();
}

TEST(StatusNotes, EachRowKeepsItsOwnNoteWhateverItsSize) {
    UrlList list;
    constexpr int rows = 2000;
    std::vector<std::string> urls;
    for (int i = 0; i < rows; ++i)
        urls.push_back("u" + std::to_string(i) + ".com");
    list.append_url_rows(std::vector<std::string_view>(urls.begin(), urls.end()));
    list.set_note_describer([](std::uint8_t code, std::string_view detail) {
        return QString::number(code) + QLatin1Char('/') + QString::fromUtf8(detail);
    });

    // Details of every length up to the longest kept, enough of them to fill several chunks of
    // the store; every third row has none.
    const auto detail_of = [](int row) {
        return row % 3 == 0 ? std::string()
                            : std::string(static_cast<std::size_t>(row % 256), 'a' + row % 26);
    };
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    for (int row = 0; row < rows; ++row)
        list.set_status_note(row, static_cast<std::uint8_t>(1 + row % 200), detail_of(row));
    EXPECT_EQ(changed.size(), rows);
    for (int row = 0; row < rows; ++row) {
        SCOPED_TRACE(row);
        ASSERT_EQ(list.status_note_code(row), 1 + row % 200);
        ASSERT_EQ(list.status_note_detail(row), detail_of(row));
    }
    EXPECT_EQ(tooltip(list, 5), QStringLiteral("6/") + QString(5, QLatin1Char('f')));

    // A longer detail is cut; a note written again replaces the first.
    list.set_status_note(7, 9, std::string(1000, 'z'));
    list.set_status_note(7, 9, std::string(300, 'y'));
    EXPECT_EQ(list.status_note_detail(7), std::string(MAX_NOTE_DETAIL, 'y'));
    list.set_status_note(8, 2, {});
    EXPECT_EQ(list.status_note_detail(8), "");
    EXPECT_EQ(list.status_note_detail(9), detail_of(9));

    // Rows that do not exist take no note and have none.
    list.set_status_note(rows, 1, "x");
    list.set_status_note(-1, 1, "x");
    EXPECT_EQ(list.status_note_code(rows), 0);
    EXPECT_EQ(list.status_note_code(-1), 0);
    EXPECT_EQ(list.status_note_detail(rows), "");
}

TEST(StatusNotes, ARowWithoutANoteShowsItsCellAsBefore) {
    UrlList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
    list.append_url_rows(std::vector<std::string_view>{"a.com", "b.com", "c.com"});
    list.set_cell_text(0, COLUMN_STATUS, "\xA1\xCC");
    list.set_cell_text(1, COLUMN_STATUS, "\xA1\xCC");
    list.set_status_note(1, 3, "seen before a describer");
    EXPECT_EQ(tooltip(list, 1), QStringLiteral("√")); // no describer yet
    list.set_note_describer([](std::uint8_t, std::string_view) { return QStringLiteral("note"); });
    list.set_status_note(2, 0, "no code, no note");

    EXPECT_EQ(tooltip(list, 0), QStringLiteral("√"));
    EXPECT_EQ(tooltip(list, 1), QStringLiteral("note"));
    EXPECT_FALSE(list.data(list.index(2, COLUMN_STATUS), Qt::ToolTipRole).isValid());
    EXPECT_EQ(tooltip(list, 1, COLUMN_URL), QStringLiteral("b.com"));
    EXPECT_EQ(list.data(list.index(1, COLUMN_STATUS), Qt::DisplayRole).toString(),
              QStringLiteral("√"));
}

} // namespace
