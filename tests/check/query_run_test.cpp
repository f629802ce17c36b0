#include "app/app_state.h"
#include "app/main_window.h"
#include "check/query_run.h"
#include "check/verdict.h"
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
const std::string kResultsPage =
    "<html><div id=\"content_left\"><div class=\"result\">example</div></div></html>";

// The engine as the fake sees it: "fail" anywhere in the URL fails the query, "none" gives the
// no-result page, anything else a page of results.
HttpResult fake_engine(std::string_view address) {
    if (address.find("fail") != std::string_view::npos)
        return {};
    const bool none = address.find("none") != std::string_view::npos;
    return {none ? kMarkerPage : kResultsPage, true, 200, std::string(address)};
}

class QueryRunTest : public lomarind::test::WindowTest {
  protected:
    void add_rows(std::initializer_list<std::string_view> urls) {
        for (std::string_view url : urls)
            window.url_list().append_url_row(state, url);
    }
    std::string status(int row) { return window.url_list().cell_text(row, COLUMN_STATUS); }
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
                                              "其中有1个URL查询失败，未计入收录结果。"));
    EXPECT_EQ(notices[0].icon, NoticeIcon::Information);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.按钮查询收录情况->text() == DONE_CAPTION; }));
    EXPECT_FALSE(window.按钮查询收录情况->isEnabled());
}

TEST_F(QueryRunTest, CompletionNoticeIsThePlainTextWhenNothingFailed) {
    EXPECT_EQ(run_done_text(0), QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！"));
    EXPECT_EQ(run_done_text(12), QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！\n"
                                                "其中有12个URL查询失败，未计入收录结果。"));
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
