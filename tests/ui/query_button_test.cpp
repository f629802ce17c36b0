#include "check/query_run.h"
#include "check/run_tally.h"
#include "check/verdict.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/query_button.h"
#include "urls/url_list.h"
#include "window_test.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

using namespace lomarind;
using lomarind::test::RecordedNotice;

namespace {

const std::string kMarkerPage =
    "<html><div id=\"content_left\"><div class=\"nors\"><p>no results</p></div></div></html>";
const std::string kResultsPage = "<html><div id=\"content_left\"><div class=\"result c-container\" "
                                 "mu=\"http://first.example/a.html\">example</div></div></html>";

// The engine as the fake sees it: "fail" anywhere in the URL fails the query, "captcha" sends it
// on to the engine's verification, "busy" gets a 503, "none" the no-result page, anything else a
// page of results.
HttpResult fake_engine(std::string_view address) {
    const auto has = [&](std::string_view part) {
        return address.find(part) != std::string_view::npos;
    };
    if (has("fail"))
        return {};
    if (has("captcha"))
        return {kResultsPage, true, 200, "https://wappass.baidu.com/static/captcha"};
    if (has("busy"))
        return {kResultsPage, true, 503, std::string(address)};
    return {has("none") ? kMarkerPage : kResultsPage, true, 200, std::string(address)};
}

class QueryRunTest : public lomarind::test::WindowTest {
  protected:
    void add_rows(std::initializer_list<std::string_view> urls) {
        for (std::string_view url : urls)
            window.url_list().append_url_row(url);
    }
    std::string status(int row) { return window.url_list().cell_text(row, COLUMN_STATUS); }
    QString status_tooltip(int row) {
        const UrlList& list = window.url_list();
        return list.data(list.index(row, COLUMN_STATUS), Qt::ToolTipRole).toString();
    }
    bool wait_for_worker_notice() {
        return QTest::qWaitFor([&] {
            for (const RecordedNotice& n : services.notices())
                if (n.from_worker)
                    return true;
            return false;
        });
    }
};

TEST_F(QueryRunTest, ChecksEveryRowInOrderAndRecordsEachVerdict) {
    services.http_handler = fake_engine;
    add_rows({"a.com", "none.com/x", "fail.com", "a.com", "\xC4\xE3 b.com"});
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    ASSERT_TRUE(wait_for_worker_notice());

    std::vector<std::string> expected_requests;
    for (int row = 0; row < 5; ++row)
        expected_requests.push_back(build_search_url(window.url_list().cell_text(row, COLUMN_URL)));
    EXPECT_EQ(services.http_requests(), expected_requests);

    EXPECT_EQ(status(0), MARK_INDEXED);
    EXPECT_EQ(status(1), MARK_NOT_INDEXED);
    EXPECT_EQ(status(2), MARK_QUERY_FAILED);
    EXPECT_EQ(status(3), MARK_INDEXED);
    EXPECT_EQ(status(4), MARK_INDEXED);

    const std::string a = verdict_line("a.com", IndexVerdict::Indexed);
    const std::string none = verdict_line("none.com/x", IndexVerdict::NotIndexed);
    const std::string fail = verdict_line("fail.com", IndexVerdict::QueryFailed);
    const std::string gbk = verdict_line("\xC4\xE3 b.com", IndexVerdict::Indexed);
    EXPECT_EQ(state.journals.copy(JournalKind::All), a + none + fail + a + gbk);
    EXPECT_EQ(state.journals.copy(JournalKind::Indexed), a + a + gbk);
    EXPECT_EQ(state.journals.copy(JournalKind::Unindexed), none);

    const auto notices = services.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！\n"
                                              "其中有1个URL查询失败，未计入收录结果。"
                                              "原因：请求失败 1 个"));
    EXPECT_EQ(notices[0].icon, NoticeIcon::Information);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.按钮查询收录情况->text() == DONE_CAPTION; }));
    EXPECT_FALSE(window.按钮查询收录情况->isEnabled());
}

TEST_F(QueryRunTest, EachRowSaysWhyAndTheNoticeAndTheButtonCountTheCauses) {
    services.http_handler = fake_engine;
    add_rows({"a.com", "none.com", "captcha1.com", "busy.com", "captcha2.com", "fail.com",
              "captcha3.com"});
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    ASSERT_TRUE(wait_for_worker_notice());

    const QString expected_tooltips[] = {
        QStringLiteral("有搜索结果\n首条结果：http://first.example/a.html"),
        QStringLiteral("无搜索结果"),
        QStringLiteral("安全验证：wappass.baidu.com"),
        QStringLiteral("HTTP 503"),
        QStringLiteral("安全验证：wappass.baidu.com"),
        QStringLiteral("请求失败"),
        QStringLiteral("安全验证：wappass.baidu.com"),
    };
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(status_tooltip(row), expected_tooltips[row]) << row;
    // The marks, the journals and every other cell are what they were without reasons.
    EXPECT_EQ(status(2), MARK_QUERY_FAILED);
    EXPECT_EQ(window.url_list().data(window.url_list().index(0, COLUMN_URL), Qt::ToolTipRole),
              QStringLiteral("a.com"));
    EXPECT_EQ(state.journals.copy(JournalKind::Indexed),
              verdict_line("a.com", IndexVerdict::Indexed));

    ASSERT_EQ(services.notices().size(), 1u);
    EXPECT_EQ(services.notices()[0].text,
              QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！\n"
                             "其中有5个URL查询失败，未计入收录结果。"
                             "原因：安全验证 3 个，HTTP 503 1 个，请求失败 1 个"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.按钮查询收录情况->text() == DONE_CAPTION; }));
    EXPECT_EQ(window.按钮查询收录情况->toolTip(),
              QStringLiteral("已查询 7 / 7：√ 1，× 1，查询失败 5"));
}

TEST(RunTally, CountsAndOrdersTheCausesMostFrequentFirst) {
    RunTally tally(20);
    EXPECT_EQ(run_done_text(tally), QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！"));
    EXPECT_EQ(tally.causes_text(), QString());
    const auto fail = [&](VerdictReason reason, std::string detail, int times) {
        for (int i = 0; i < times; ++i)
            tally.add({IndexVerdict::QueryFailed, reason, detail});
    };
    tally.add({IndexVerdict::Indexed, VerdictReason::ResultsShown, "x"});
    tally.add({IndexVerdict::NotIndexed, VerdictReason::NoResults, {}});
    fail(VerdictReason::ConnectionRefused, {}, 1);
    fail(VerdictReason::HttpStatus, "503", 2);
    fail(VerdictReason::Verification, "wappass.baidu.com", 3);
    fail(VerdictReason::Verification, {}, 1); // the same cause, whatever the host
    fail(VerdictReason::HttpStatus, "404", 2);
    EXPECT_EQ(tally.progress_text(), QStringLiteral("已查询 11 / 20：√ 1，× 1，查询失败 9"));
    EXPECT_EQ(tally.causes_text(), QStringLiteral("原因：安全验证 4 个，HTTP 503 2 个，HTTP 404 2 "
                                                  "个，无法连接：连接被拒绝 1 个"));
    EXPECT_EQ(run_done_text(tally), QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！\n"
                                                   "其中有9个URL查询失败，未计入收录结果。") +
                                        tally.causes_text());

    // Beyond six causes the rest are summed up.
    for (const char* status : {"500", "502", "504"})
        fail(VerdictReason::HttpStatus, status, 1);
    EXPECT_EQ(tally.causes_text(),
              QStringLiteral("原因：安全验证 4 个，HTTP 503 2 个，HTTP 404 2 个，"
                             "无法连接：连接被拒绝 1 个，HTTP 500 1 个，HTTP 502 1 个，其他 1 个"));
}

TEST_F(QueryRunTest, RowsAddedDuringTheRunAreNotQueriedAndTheButtonStaysDisabled) {
    std::atomic<bool> gate_open{false};
    services.http_handler = [&](std::string_view address) {
        while (!gate_open && !services.stopping())
            QThread::msleep(1);
        return fake_engine(address);
    };
    services.hold_worker_notices = true;
    add_rows({"a.com", "b.com"});
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    EXPECT_FALSE(window.按钮查询收录情况->isEnabled());
    EXPECT_EQ(window.按钮查询收录情况->text(), RUNNING_CAPTION);

    // While the first request hangs, the window takes more rows; a click on the disabled button
    // starts nothing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.http_requests().size() == 1; }));
    EXPECT_EQ(window.按钮查询收录情况->toolTip(),
              QStringLiteral("已查询 0 / 2：√ 0，× 0，查询失败 0"));
    add_rows({"late1.com", "late2.com"});
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    gate_open = true;

    ASSERT_TRUE(wait_for_worker_notice());
    QTest::qWait(20);
    EXPECT_EQ(window.按钮查询收录情况->text(), RUNNING_CAPTION); // until the notice is closed
    EXPECT_EQ(services.http_requests().size(), 2u);
    EXPECT_EQ(status(1), MARK_INDEXED);
    EXPECT_EQ(status(2), "");
    EXPECT_EQ(status(3), "");
    EXPECT_EQ(status_tooltip(2), QString());
    EXPECT_EQ(window.按钮查询收录情况->toolTip(),
              QStringLiteral("已查询 2 / 2：√ 2，× 0，查询失败 0"));

    services.close_worker_notices();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.按钮查询收录情况->text() == DONE_CAPTION; }));
    EXPECT_FALSE(window.按钮查询收录情况->isEnabled());
    EXPECT_EQ(services.notices().size(), 1u);
}

TEST_F(QueryRunTest, AnEmptyListIsReportedAndNothingStarts) {
    show_active();
    window.按钮导出结果->setFocus();
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);

    const auto notices = services.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, QStringLiteral("尚未添加等待查询的地址！"));
    EXPECT_EQ(notices[0].icon, NoticeIcon::Exclamation);
    EXPECT_FALSE(notices[0].from_worker);
    EXPECT_EQ(QApplication::focusWidget(), window.编辑框url地址);
    EXPECT_TRUE(window.按钮查询收录情况->isEnabled());
    EXPECT_EQ(window.按钮查询收录情况->text(), QStringLiteral("查询收录情况"));
    EXPECT_FALSE(services.worker_started());
}

TEST_F(QueryRunTest, EndingTheProgramMidRequestRecordsNothingMore) {
    // A request that hangs until the program ends, as on a silent server.
    services.http_handler = [&](std::string_view address) {
        if (address.find("hang") != std::string_view::npos)
            while (!services.stopping())
                QThread::msleep(1);
        return fake_engine(address);
    };
    add_rows({"a.com", "hang.com", "c.com"});
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.http_requests().size() == 2; }));
    services.stop_workers();

    EXPECT_EQ(status(0), MARK_INDEXED);
    EXPECT_EQ(status(1), "");
    EXPECT_EQ(status(2), "");
    EXPECT_EQ(state.journals.copy(JournalKind::All), verdict_line("a.com", IndexVerdict::Indexed));
    EXPECT_TRUE(services.notices().empty());
    EXPECT_EQ(window.按钮查询收录情况->text(), RUNNING_CAPTION);
}

} // namespace
