#include "check/verdict.h"
#include "net/url_encoding.h"
#include "ui/app_context.h"
#include "ui/app_state.h"
#include "ui/browser_actions.h"
#include "ui/main_window.h"
#include "ui/selected_row.h"
#include "urls/url_list.h"
#include "window_test.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace lomarind;

namespace {

class BrowserActionsTest : public lomarind::test::WindowTest {
  protected:
    QTableView* list = window.超级列表框网址详情;

    void SetUp() override {
        for (std::string_view url :
             {"r1.com", "r2.com", "https://r3.com", "\xC4\xE3 r4.com", "http://r5.com"})
            window.url_list().append_url_row(url);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QPoint row_point(int row) { return list->visualRect(list->model()->index(row, 1)).center(); }
    void click(int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(list->viewport(), button, {}, row_point(row));
    }
    void right_press(int row) {
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, row_point(row));
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, row_point(row));
    }
    void double_click(QPoint p) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    }
    std::vector<std::string> opened() { return services.browser_addresses(); }
};

TEST_F(BrowserActionsTest, RightPressOpensTheRowSelectedBeforeThePress) {
    right_press(1); // nothing selected yet: nothing opens, then row 2 is selected
    EXPECT_TRUE(opened().empty());
    EXPECT_EQ(selected_row(*list), 1);

    click(1);
    right_press(4); // opens row 2, then row 5 is selected
    EXPECT_EQ(opened(), std::vector<std::string>{"http://r2.com"});
    EXPECT_EQ(selected_row(*list), 4);
    right_press(4);
    EXPECT_EQ(opened(), (std::vector<std::string>{"http://r2.com", "http://r5.com"}));

    click(2);
    right_press(2);
    click(3);
    right_press(3);
    EXPECT_EQ(opened(),
              (std::vector<std::string>{"http://r2.com", "http://r5.com", "http://https://r3.com",
                                        "http://\xC4\xE3 r4.com"}));
}

TEST_F(BrowserActionsTest, ARightDoubleClickRaisesOneEvent) {
    click(0);
    // As the system delivers it: press, release, then the double-click in place of a 2nd press.
    right_press(0);
    QTest::mouseDClick(list->viewport(), Qt::RightButton, {}, row_point(0));
    EXPECT_EQ(opened(), std::vector<std::string>{"http://r1.com"});
}

TEST_F(BrowserActionsTest, DoubleClickOpensTheSearchPageOfTheRowDoubleClicked) {
    click(0);
    double_click(row_point(3));
    EXPECT_EQ(opened(), std::vector<std::string>{build_search_url("\xC4\xE3 r4.com")});
    EXPECT_EQ(opened()[0], "http://www.baidu.com/s?wd=\xC4\xE3 r4.com");

    // Below the last row the first click clears the selection: nothing opens.
    double_click(QPoint(100, list->viewport()->height() - 5));
    EXPECT_EQ(opened().size(), 1u);
    EXPECT_EQ(selected_row(*list), -1);
}

TEST_F(BrowserActionsTest, EveryUrlTextReachesTheBrowserAsAnAddressItCanOpen) {
    struct Case {
        std::string url;
        std::string right_click;  // what the desktop is handed; empty: nothing opens
        std::string double_click; // after the engine's "http://www.baidu.com/s?wd="
    };
    const Case cases[] = {
        {"a.com ", "http://a.com", "a.com"},
        {" a.com", "http://a.com", "%20a.com"},
        {"a.com\t", "http://a.com", "a.com"},
        {"www.example.com /x", "http://www.example.com/x", "www.example.com%20/x"},
        {"\xC0\xFD\xD7\xD3.\xD6\xD0\xB9\xFA", "http://xn--fsqu00a.xn--fiqs8s", // 例子.中国
         "%C0%FD%D7%D3.%D6%D0%B9%FA"},
        {"http://\xD6\xD0.cn/\xD0\xC2 x", "http://xn--fiq.cn/%D0%C2%20x", // 中.cn/新 x
         "http://%D6%D0.cn/%D0%C2%20x"},
        {"https://a.com", "http://https://a.com", "https://a.com"},
        {"HTTP://A.COM", "http://HTTP://A.COM", "HTTP://A.COM"},
        {"http://", "", "http://"},
        {"http://a b.com", "", "http://a%20b.com"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        window.url_list().append_url_row(c.url);
        const int row = window.url_list().row_count() - 1;
        list->scrollTo(list->model()->index(row, 1));
        const auto before = services.browser_urls();
        click(row);
        right_press(row);
        double_click(row_point(row));
        std::vector<std::string> expected = before;
        if (!c.right_click.empty())
            expected.push_back(c.right_click);
        expected.push_back("http://www.baidu.com/s?wd=" + c.double_click);
        EXPECT_EQ(services.browser_urls(), expected);
    }
}

TEST_F(BrowserActionsTest, ARowTooLongForAnyAddressOpensNothingAtOnce) {
    window.url_list().append_url_row("a.com/" + std::string(100 << 20, 'x'));
    const int row = window.url_list().row_count() - 1;
    list->scrollTo(list->model()->index(row, 1));
    click(row);
    AppContext ctx{window, services, state};
    QElapsedTimer timer;
    timer.start();
    list_right_pressed(ctx);
    list_double_clicked(ctx);
    EXPECT_LT(timer.elapsed(), 100); // copying and encoding the row took seconds
    EXPECT_TRUE(opened().empty());

    // The longest row whose search address the desktop still takes opens; one byte more does not.
    const std::string longest(BROWSER_ADDRESS_LIMIT - SEARCH_PREFIX.size(), 'y');
    window.url_list().append_url_row(longest);
    window.url_list().append_url_row(longest + "y");
    list->selectRow(row + 1);
    list_double_clicked(ctx);
    list->selectRow(row + 2);
    list_double_clicked(ctx);
    EXPECT_EQ(services.browser_urls(), std::vector<std::string>{build_search_url(longest)});
}

TEST_F(BrowserActionsTest, HeaderClicksRaiseNothing) {
    click(0);
    QHeaderView* header = list->horizontalHeader();
    const QPoint p(header->sectionViewportPosition(1) + 5, header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, p);
    EXPECT_TRUE(opened().empty());
    EXPECT_EQ(selected_row(*list), 0);
}

} // namespace
