#include "check/verdict.h"
#include "results/journal_export.h"
#include "temp_dir.h"
#include "text/gbk.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "urls/url_list.h"
#include "window_test.h"

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace lomarind;
using lomarind::test::RecordedNotice;
using lomarind::test::TempDir;

namespace {

std::string heading_line(std::string_view heading) {
    return std::string(heading) + "\r\n";
}

class ExportTest : public lomarind::test::WindowTest {
  protected:
    const QString result_path = dir.path() + QStringLiteral("/网址收录查询结果.txt");

    std::string export_with(QRadioButton* radio) {
        radio->setChecked(true);
        QTest::mouseClick(window.按钮导出结果, Qt::LeftButton);
        return TempDir::read(result_path);
    }
    void record(std::string_view url, IndexVerdict v) {
        const std::string line = verdict_line(url, v);
        if (v == IndexVerdict::Indexed)
            state.journals.append(JournalKind::Indexed, line);
        if (v == IndexVerdict::NotIndexed)
            state.journals.append(JournalKind::Unindexed, line);
        state.journals.append(JournalKind::All, line);
    }
};

TEST_F(ExportTest, WritesTheChosenJournalWithItsHeadingByteForByte) {
    // A real run over three rows: U1 and U3 indexed, U2 not.
    services.http_handler = [](std::string_view address) {
        const bool none = address.find("u2") != std::string_view::npos;
        return HttpResult{none ? "<div id=\"content_left\"><div class=\"nors\">"
                               : "<div id=\"content_left\"><p>hit</p>",
                          true, 200, std::string(address)};
    };
    for (std::string_view url : {"www.u1.com/a.html", "u2.com/\xC4\xE3 x", "u3.com"})
        window.url_list().append_url_row(url);
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.notices().size() == 1; }));

    const std::string u1 = std::string("www.u1.com/a.html") + std::string(SUFFIX_INDEXED);
    const std::string u2 = std::string("u2.com/\xC4\xE3 x") + std::string(SUFFIX_NOT_INDEXED);
    const std::string u3 = std::string("u3.com") + std::string(SUFFIX_INDEXED);
    const std::string all = heading_line(HEADING_ALL) + u1 + u2 + u3;

    EXPECT_EQ(export_with(window.单选框全部结果), all);
    EXPECT_EQ(all.size(), 24 + 3 * 14 + 17 + 11 + 6u);
    EXPECT_EQ(export_with(window.单选框仅收录), heading_line(HEADING_INDEXED) + u1 + u3);
    EXPECT_EQ(export_with(window.单选框仅未收录), heading_line(HEADING_NOT_INDEXED) + u2);
    EXPECT_EQ(export_with(window.单选框全部结果), all); // the heading is not repeated

    int successes = 0;
    for (const RecordedNotice& n : services.notices())
        if (!n.from_worker) {
            EXPECT_EQ(n.text, QStringLiteral("恭喜您，查询结果导出成功！"));
            EXPECT_EQ(n.icon, NoticeIcon::Information);
            ++successes;
        }
    EXPECT_EQ(successes, 4);
    EXPECT_EQ(services.opened_documents(), std::vector<QString>(4, result_path));
    EXPECT_EQ(state.export_done, 1);
}

TEST_F(ExportTest, BeforeAnyRunTheFileHoldsTheHeadingAloneAndClosingNoLongerAsks) {
    EXPECT_EQ(export_with(window.单选框全部结果), heading_line(HEADING_ALL));
    EXPECT_EQ(heading_line(HEADING_ALL).size(), 24u);
    EXPECT_EQ(export_with(window.单选框仅收录).size(), 26u);
    EXPECT_EQ(state.export_done, 1);
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(services.questions().empty());
}

TEST_F(ExportTest, AJournalGetsItsHeadingEvenWhenAUrlHoldsTheHeadingText) {
    const std::string url = "a.com/" + std::string(HEADING_ALL);
    record(url, IndexVerdict::Indexed);
    EXPECT_EQ(export_with(window.单选框全部结果),
              heading_line(HEADING_ALL) + verdict_line(url, IndexVerdict::Indexed));
}

TEST_F(ExportTest, LinesRecordedAfterAnExportFollowTheHeading) {
    record("a.com", IndexVerdict::Indexed);
    export_with(window.单选框全部结果);
    record("b.com", IndexVerdict::NotIndexed);
    EXPECT_EQ(export_with(window.单选框全部结果),
              heading_line(HEADING_ALL) + verdict_line("a.com", IndexVerdict::Indexed) +
                  verdict_line("b.com", IndexVerdict::NotIndexed));
}

TEST_F(ExportTest, AReadOnlyResultFileIsReportedAndLeftAlone) {
    record("a.com", IndexVerdict::Indexed);
    dir.write(QStringLiteral("网址收录查询结果.txt"), "an earlier result");
    QFile::setPermissions(result_path, QFileDevice::ReadOwner | QFileDevice::ReadUser);

    window.单选框全部结果->setChecked(true);
    QTest::mouseClick(window.按钮导出结果, Qt::LeftButton);
    EXPECT_EQ(TempDir::read(result_path), "an earlier result");
    const auto notices = services.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, QStringLiteral("查询结果导出失败，请检查可能出现的错误！"));
    EXPECT_EQ(notices[0].icon, NoticeIcon::Error);
    EXPECT_TRUE(services.opened_documents().empty());
    EXPECT_EQ(state.export_done, 0);

    window.show();
    services.next_answers.push_back(ANSWER_CANCEL);
    EXPECT_FALSE(window.close()); // still asks

    // Once the file can be written, the heading that stayed in the journal is not doubled.
    QFile::setPermissions(result_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(export_with(window.单选框全部结果),
              heading_line(HEADING_ALL) + verdict_line("a.com", IndexVerdict::Indexed));
    EXPECT_EQ(state.export_done, 1);
}

} // namespace
