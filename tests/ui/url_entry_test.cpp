// Manual entry and batch import driven through the real window, with fake services and real files.
#include "text/gbk.h"
#include "text/text.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/manual_entry.h"
#include "ui/url_import.h"
#include "urls/url_list.h"
#include "window_test.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIdentityProxyModel>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

using namespace lomarind;

namespace {

class UrlEntryTest : public lomarind::test::WindowTest {
  protected:
    UrlList& list = window.url_list();
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};

    void SetUp() override { show_active(); }

    void type_and_add(const QString& text) {
        QLineEdit* edit = window.编辑框url地址;
        edit->clear();
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            QTest::keyClicks(edit, text);
        } else {
            // Chinese arrives from an input method as one committed string.
            edit->setFocus();
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(edit, &commit);
        }
        ASSERT_EQ(window.编辑框url地址->text(), text);
        QTest::mouseClick(window.按钮添加网址, Qt::LeftButton);
    }

    // Answers the next open-file dialog with `path` (nothing: cancelled) and clicks 导入网址.
    void import(std::optional<QString> path) {
        services.next_files.push_back(std::move(path));
        QTest::mouseClick(window.按钮到导入网址, Qt::LeftButton);
    }

    std::vector<std::string> column(int column) const {
        std::vector<std::string> cells;
        for (std::int32_t r = 0; r < list.row_count(); ++r)
            cells.push_back(list.cell_text(r, column));
        return cells;
    }

    QWidget* focus() const { return QApplication::focusWidget(); }
};

TEST_F(UrlEntryTest, ManualEntryHasThreeOutcomesAndAlwaysRefocusesTheEditBox) {
    struct Case {
        const char* name;
        QString typed;
        const QString* notice; // nullptr: accepted
        std::string row;       // the URL bytes of the new row when accepted
    };
    const Case cases[] = {
        {"empty", QString(), &URL_EMPTY_TEXT, {}},
        {"blanks only", QStringLiteral("   "), &URL_INVALID_TEXT, {}},
        {"bare host name", QStringLiteral("localhost"), &URL_INVALID_TEXT, {}},
        {"single dot", QStringLiteral("."), nullptr, "."},
        {"blanks kept", QStringLiteral(" www.a.com/x?y=1 "), nullptr, " www.a.com/x?y=1 "},
        {"GBK text", QStringLiteral("中文.com"), nullptr, "\xD6\xD0\xCE\xC4.com"},
        {"Chinese full stop is no dot", QStringLiteral("中文。com"), &URL_INVALID_TEXT, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows_before = list.row_count();
        const auto notices_before = services.notices().size();
        window.超级列表框网址详情->setFocus();
        type_and_add(c.typed);

        const auto notices = services.notices();
        if (c.notice) {
            ASSERT_EQ(notices.size(), notices_before + 1);
            EXPECT_EQ(notices.back().text, *c.notice);
            EXPECT_EQ(notices.back().icon, NoticeIcon::Exclamation);
            EXPECT_EQ(list.row_count(), rows_before);
        } else {
            EXPECT_EQ(notices.size(), notices_before);
            ASSERT_EQ(list.row_count(), rows_before + 1);
            EXPECT_EQ(list.cell_text(rows_before, COLUMN_URL), c.row);
            EXPECT_EQ(list.cell_text(rows_before, COLUMN_NUMBER), decimal(rows_before + 1));
            EXPECT_EQ(list.cell_text(rows_before, COLUMN_STATUS), "");
            EXPECT_EQ(state.new_row_index, rows_before);
        }
        EXPECT_EQ(window.编辑框url地址->text(), QString());
        EXPECT_EQ(focus(), window.编辑框url地址);
    }
}

TEST_F(UrlEntryTest, ACharacterOutsideGbkKeepsEveryTypedCharacter) {
    // GB18030 holds it in four bytes; the GBK characters around it keep their GBK bytes.
    const QString typed = QStringLiteral("中\U0001F600\u00E9.com");
    window.编辑框url地址->setText(typed);
    QTest::mouseClick(window.按钮添加网址, Qt::LeftButton);
    ASSERT_EQ(list.row_count(), 1);
    const std::string url = list.cell_text(0, COLUMN_URL);
    EXPECT_EQ(url.substr(0, 2), "\xD6\xD0");
    EXPECT_EQ(url.substr(url.size() - 4), ".com");
    EXPECT_EQ(decode_gbk(url), typed);
    EXPECT_EQ(list.data(list.index(0, COLUMN_URL), Qt::DisplayRole).toString(), typed);
}

TEST_F(UrlEntryTest, EnterInTheEditBoxAddsNothing) {
    QTest::keyClicks(window.编辑框url地址, QStringLiteral("a.com"));
    QTest::keyClick(window.编辑框url地址, Qt::Key_Return);
    EXPECT_EQ(list.row_count(), 0);
    EXPECT_TRUE(services.notices().empty());
}

TEST_F(UrlEntryTest, ImportAppendsInFileOrderAfterExistingRowsAsOneBatch) {
    type_and_add(QStringLiteral("first.com"));
    const QString path =
        dir.write(QStringLiteral("urls.txt"), "b.com\r\nnodot\r\n\r\n\xD6\xD0.cn\nd.com\r\nb.com");
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&list, &QAbstractItemModel::modelReset);

    import(path);

    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 4);
    EXPECT_EQ(reset.size(), 0);
    EXPECT_EQ(column(COLUMN_URL),
              (std::vector<std::string>{"first.com", "b.com", "\xD6\xD0.cn", "d.com", "b.com"}));
    EXPECT_EQ(column(COLUMN_NUMBER), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(column(COLUMN_STATUS), std::vector<std::string>(5));
    EXPECT_EQ(state.new_row_index, 4);
    EXPECT_EQ(window.编辑框导入地址->text(), path);
    EXPECT_EQ(focus(), window.超级列表框网址详情);
    EXPECT_TRUE(services.notices().empty());

    const auto dialogs = services.file_dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].filter, QStringLiteral("文本文件（*.txt）|*.txt"));
    EXPECT_EQ(dialogs[0].initial_directory, dir.path());
    EXPECT_EQ(dialogs[0].initial_file_name, QString());

    // The same file again: every line again, numbered on; a typed row follows them.
    import(path);
    type_and_add(QStringLiteral("last.com"));
    ASSERT_EQ(list.row_count(), 10);
    EXPECT_EQ(list.cell_text(5, COLUMN_URL), "b.com");
    EXPECT_EQ(list.cell_text(9, COLUMN_URL), "last.com");
    EXPECT_EQ(list.cell_text(9, COLUMN_NUMBER), "10");
    EXPECT_EQ(services.file_dialogs()[1].initial_file_name, path);
}

TEST_F(UrlEntryTest, ACancelledDialogShowsOpenFailedAndKeepsTheRememberedPath) {
    const QString path = dir.write(QStringLiteral("urls.txt"), "a.com\r\n");
    import(path);
    import(std::nullopt);

    EXPECT_EQ(window.编辑框导入地址->text(), QStringLiteral("打开文件失败..."));
    EXPECT_EQ(list.row_count(), 1);
    EXPECT_TRUE(services.notices().empty());
    EXPECT_EQ(window.通用对话框打开文件.file_name, path);
    EXPECT_NE(focus(), window.超级列表框网址详情); // the focus stays where the click put it

    import(std::nullopt);
    const auto dialogs = services.file_dialogs();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[2].initial_file_name, path);
}

TEST_F(UrlEntryTest, AFileWithoutUrlsAppendsNothingButShowsItsPathAndFocusesTheList) {
    type_and_add(QStringLiteral("a.com"));
    type_and_add(QStringLiteral("b.com"));
    const QString gone = dir.write(QStringLiteral("gone.txt"), "x.com\r\n");
    struct Case {
        const char* name;
        QString path;
    };
    const Case cases[] = {
        {"empty file", dir.write(QStringLiteral("empty.txt"), "")},
        {"no dotted line", dir.write(QStringLiteral("nodot.txt"), "abc\r\n\r\ndef")},
        {"UTF-16 without a dotted line",
         dir.write(QStringLiteral("utf16.txt"), std::string_view("\xFF\xFEx\0y\0", 6))},
        {"UTF-16 without a mark", // ends at its first zero byte
         dir.write(QStringLiteral("utf16-nomark.txt"), std::string_view("x\0.\0y\0", 6))},
        {"missing", dir.file(QStringLiteral("missing.txt"))},
        {"folder", dir.path()},
        // chosen, then removed before it is read
        {"removed", gone},
    };
    ASSERT_TRUE(QFile::remove(gone));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.编辑框url地址->setFocus();
        import(c.path);
        EXPECT_EQ(column(COLUMN_URL), (std::vector<std::string>{"a.com", "b.com"}));
        EXPECT_EQ(window.编辑框导入地址->text(), c.path);
        EXPECT_EQ(focus(), window.超级列表框网址详情);
    }
    EXPECT_TRUE(services.notices().empty());
}

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string utf16(const QString& text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8), low = static_cast<char>(c.unicode());
        bytes += big_endian ? high : low;
        bytes += big_endian ? low : high;
    }
    return bytes;
}

TEST_F(UrlEntryTest, EachKindOfFileGivesExactlyTheRowsItHolds) {
    const auto gbk = [](const char16_t* text) { return encode_gbk(QString::fromUtf16(text)); };
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"GBK, CR LF",
         gbk(u"中文.cn\r\nnodot\r\nwww.新闻.com/页\r\n"),
         {gbk(u"中文.cn"), gbk(u"www.新闻.com/页")}},
        {"GBK, LF",
         gbk(u"中文.cn\nwww.新闻.com/页\na.com"),
         {gbk(u"中文.cn"), gbk(u"www.新闻.com/页"), "a.com"}},
        // Not UTF-8 however few its characters: 联通 is C1 AA CD A8, and C1 starts no UTF-8
        // character (it would be an overlong form).
        {"GBK, one character", gbk(u"新.com\n"), {gbk(u"新.com")}},
        {"GBK, 联通", gbk(u"联通.com\r\n"), {gbk(u"联通.com")}},
        {"GBK, many characters",
         gbk(u"www.example.com/联通中国新闻网页搜索\r\n"),
         {gbk(u"www.example.com/联通中国新闻网页搜索")}},
        {"UTF-8, LF, lines ending in one and two Chinese characters",
         utf8(
             u"www.example.com/a\nwww.example.com/新\nwww.example.org/中文\nwww.example.org/b\n"_qs),
         {"www.example.com/a", gbk(u"www.example.com/新"), gbk(u"www.example.org/中文"),
          "www.example.org/b"}},
        {"UTF-8 with mark, CR LF",
         bom + utf8(u"例子.中国/新\r\nb.com\r\n"_qs),
         {gbk(u"例子.中国/新"), "b.com"}},
        {"UTF-8 淘宝网.com", utf8(u"淘宝网.com"_qs), {gbk(u"淘宝网.com")}},
        // Outside GBK: its GB18030 bytes, as typed text.
        {"UTF-8 with a character outside GBK", utf8(u"a.com/😀"_qs), {gbk(u"a.com/😀")}},
        {"UTF-16 LE with mark",
         utf16(u"中文.cn\r\na.com\r\nnodot\r\n"_qs, false),
         {gbk(u"中文.cn"), "a.com"}},
        {"UTF-16 BE with mark", utf16(u"中文.cn\na.com"_qs, true), {gbk(u"中文.cn"), "a.com"}},
        // GBK text is read as UTF-8 only when it is valid UTF-8 with a character of more than one
        // byte: every byte of 0x80 or more stands in a UTF-8 sequence, as 楼 (C2 A5) does, which
        // is "¥" in UTF-8. Any other GBK character (first byte E0 or more, or second byte C0 or
        // more, or C0/C1 first) makes the text GBK.
        {"GBK that is valid UTF-8 by accident", gbk(u"楼.com"), {gbk(u"¥.com")}},
        {"GBK that looks like UTF-8 up to a character",
         gbk(u"楼.com\n中.com"),
         {gbk(u"楼.com"), gbk(u"中.com")}},
        {"UTF-8 that is not valid throughout is GBK",
         utf8(u"新.com\n"_qs) + "\xC1\xAA.com",
         {utf8(u"新.com"_qs), "\xC1\xAA.com"}},
        {"zero byte in GBK", gbk(u"中.com\r\n") + '\0' + "b.com", {gbk(u"中.com")}},
        {"zero byte in UTF-8", utf8(u"新.com\n"_qs) + '\0' + "b.com", {gbk(u"新.com")}},
        {"zero byte in UTF-8 with mark", bom + "a.com\n" + '\0' + "b.com", {"a.com"}},
        {"zero character in UTF-16",
         utf16(u"中.cn\r\n"_qs, false) + std::string(2, '\0') + utf16(u"b.com"_qs, false).substr(2),
         {gbk(u"中.cn")}},
        {"empty file", "", {}},
        {"only a mark", bom, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = list.row_count();
        import(dir.write(QStringLiteral("kind.txt"), c.bytes));
        std::vector<std::string> rows = column(COLUMN_URL);
        rows.erase(rows.begin(), rows.begin() + before);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(focus(), window.超级列表框网址详情);
    }
    EXPECT_TRUE(services.notices().empty());
}

long peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(UrlEntryTest, AHugeFileOfZeroBytesIsReadNoFurtherThanItsFirstByte) {
    type_and_add(QStringLiteral("keep.me"));
    for (const qint64 size : {64LL << 30, 2LL << 30}) {
        SCOPED_TRACE(size);
        const QString path = dir.file(QStringLiteral("zeros.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(ftruncate(file.handle(), size), 0); // sparse: reads as zero bytes
        file.close();
        const long rss_before = peak_rss_kib();
        QElapsedTimer timer;
        timer.start();
        import(path);
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_LT(peak_rss_kib() - rss_before, 64 * 1024); // nothing like the file's size
        EXPECT_EQ(column(COLUMN_URL), std::vector<std::string>{"keep.me"});
        EXPECT_EQ(window.编辑框导入地址->text(), path);
        EXPECT_EQ(focus(), window.超级列表框网址详情);
    }
    EXPECT_TRUE(services.notices().empty());
}

TEST_F(UrlEntryTest, RandomBytesNeverLoseRowsOrBreakTheList) {
    type_and_add(QStringLiteral("keep.me"));
    std::mt19937 random(20240611);
    for (int round = 0; round < 4; ++round) {
        std::string bytes(256 * 1024, '\0');
        for (char& b : bytes) {
            // Mostly text-like with plenty of dots, line ends, lead bytes and an odd zero byte.
            const auto r = random() % 64;
            b = r < 4    ? '.'
                : r < 7  ? '\n'
                : r < 9  ? '\r'
                : r < 30 ? static_cast<char>(0x80 + random() % 128)
                         : static_cast<char>('a' + r % 26);
        }
        bytes[bytes.size() * 3 / 4] = '\0';
        const QString path = dir.write(QStringLiteral("random.txt"), bytes);
        const auto before = list.row_count();
        import(path);

        ASSERT_GT(list.row_count(), before);
        EXPECT_EQ(list.cell_text(0, COLUMN_URL), "keep.me");
        // Each new row is a dotted piece of the text before the zero byte, in file order.
        const std::string_view text = cut_at_zero(bytes);
        std::size_t from = 0;
        for (std::int32_t r = before; r < list.row_count(); ++r) {
            const std::string url = list.cell_text(r, COLUMN_URL);
            ASSERT_TRUE(contains_dot(url)) << r;
            const auto at = text.find(url, from);
            ASSERT_NE(at, std::string_view::npos) << r;
            from = at + url.size();
            ASSERT_EQ(list.cell_text(r, COLUMN_NUMBER), decimal(r + 1));
        }
        // Scroll through and paint: undecodable cells are shown, not fatal.
        window.超级列表框网址详情->scrollToBottom();
        EXPECT_FALSE(window.grab().isNull());
    }
}

TEST_F(UrlEntryTest, AHundredMegabyteLineBecomesOneRowAndStaysCheapToShow) {
    type_and_add(QStringLiteral("keep.me"));
    std::string line(100 << 20, 'a');
    line[line.size() / 2] = '.';
    line[1000] = '\xD6'; // a GBK character across the shown part's end
    line[1001] = '\xD0';
    line[DISPLAY_LIMIT - 1] = '\xCE';
    line[DISPLAY_LIMIT] = '\xC4';
    const QString path = dir.write(QStringLiteral("long.txt"), line);
    import(path);

    ASSERT_EQ(list.row_count(), 2);
    EXPECT_EQ(list.cell_text(0, COLUMN_URL), "keep.me");
    EXPECT_TRUE(list.cell_text(1, COLUMN_URL) == line);
    const QString shown = list.data(list.index(1, COLUMN_URL), Qt::DisplayRole).toString();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_FALSE(shown.contains(QChar(0xFFFD))); // cut between characters, not inside one
    EXPECT_TRUE(shown.contains(QStringLiteral("中")));
    EXPECT_FALSE(window.grab().isNull());
}

// Counts which rows the view asks to display.
class DisplayedRows final : public QIdentityProxyModel {
  public:
    std::set<int> rows;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole)
            const_cast<DisplayedRows*>(this)->rows.insert(index.row());
        return QIdentityProxyModel::data(index, role);
    }
};

TEST_F(UrlEntryTest, TheListAsksOnlyForTheRowsOnScreen) {
    std::string bytes;
    for (int i = 0; i < 200'000; ++i)
        bytes += "www.example.com/" + std::to_string(i) + "\r\n";
    QTableView* view = window.超级列表框网址详情;
    DisplayedRows proxy;
    proxy.setSourceModel(&list);
    view->setModel(&proxy);

    import(dir.write(QStringLiteral("many.txt"), bytes));
    ASSERT_EQ(list.row_count(), 200'000);
    QApplication::processEvents();
    (void)window.grab();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    (void)window.grab();
    view->scrollToBottom();
    (void)window.grab();

    EXPECT_TRUE(proxy.rows.count(199'999)); // the last row was shown
    EXPECT_LT(proxy.rows.size(), 200u);     // three screens of about 15 rows, not the list
}

} // namespace
