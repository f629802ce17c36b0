// The list's model on its own: the bytes of its rows, batches that take over or copy their bytes.
#include "text/text.h"
#include "urls/url_lines.h"
#include "urls/url_list.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace lomarind;

namespace {

TEST(UrlListModel, KeepsBytesExactlyAndAnswersOutOfRangeWithNothing) {
    UrlList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<std::string_view> urls = {"\xEF\xBB\xBF"
                                                "a.com",
                                                "a\rb.com", "\x81.\xFF", "\xD6\xD0\xCE\xC4.cn"};
    list.append_url_rows(urls);
    ASSERT_EQ(list.row_count(), 4);
    for (std::int32_t r = 0; r < 4; ++r)
        EXPECT_EQ(list.cell_text(r, COLUMN_URL), urls[static_cast<std::size_t>(r)]);
    EXPECT_EQ(list.data(list.index(3, COLUMN_URL), Qt::DisplayRole).toString(),
              QStringLiteral("中文.cn"));

    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.set_cell_text(2, COLUMN_STATUS, "\xA1\xCC"); // "√"
    EXPECT_EQ(list.cell_text(2, COLUMN_STATUS), "\xA1\xCC");
    EXPECT_EQ(list.data(list.index(2, COLUMN_STATUS), Qt::DisplayRole).toString(),
              QStringLiteral("√"));
    EXPECT_EQ(changed.size(), 1);

    // Number and URL cells can be written too, and keep what was written.
    list.set_cell_text(1, COLUMN_NUMBER, "seven");
    list.set_cell_text(1, COLUMN_URL, "short");
    list.set_cell_text(1, COLUMN_URL, std::string(100, 'u'));
    EXPECT_EQ(list.row(1), (UrlRow{"seven", std::string(100, 'u'), ""}));
    EXPECT_EQ(list.row(0), (UrlRow{"1",
                                   "\xEF\xBB\xBF"
                                   "a.com",
                                   ""}));
    EXPECT_EQ(list.row(2), (UrlRow{"3", "\x81.\xFF", "\xA1\xCC"}));
    EXPECT_EQ(changed.size(), 4);

    list.set_cell_text(4, COLUMN_STATUS, "x");
    list.set_cell_text(-1, COLUMN_URL, "x");
    list.set_cell_text(0, 3, "x");
    EXPECT_EQ(changed.size(), 4);
    EXPECT_EQ(list.row_count(), 4);
    EXPECT_EQ(list.cell_text(4, COLUMN_URL), "");
    EXPECT_EQ(list.cell_text(-1, COLUMN_URL), "");
    EXPECT_EQ(list.cell_text(0, 3), "");
}

TEST(UrlListModel, KeepsTheUrlsOfAFileWhetherItTakesOverOrCopiesItsBytes) {
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "www.site" + std::to_string(i) + ".com\r\n";
    const std::string cases[] = {
        "a.c\nb.d", // fits inside the string object itself
        many,       // mostly URLs: taken over
        "x.y\r\n" + std::string(1, '\0') + std::string(5000, 'z'), // mostly not URLs: copied
    };
    UrlList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<std::string> expected;
    std::optional<std::int32_t> last_row;
    for (std::string bytes : cases) {
        const auto urls = url_lines(bytes);
        expected.insert(expected.end(), urls.begin(), urls.end());
        last_row = list.append_url_rows(std::move(bytes), urls);
    }
    ASSERT_EQ(list.row_count(), static_cast<std::int32_t>(expected.size()));
    for (std::int32_t r = 0; r < list.row_count(); ++r)
        EXPECT_EQ(list.row(r), (UrlRow{decimal(r + 1), expected[static_cast<std::size_t>(r)], ""}));
    EXPECT_EQ(last_row, list.row_count() - 1);
}

} // namespace
