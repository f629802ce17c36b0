#include "app/app_state.h"
#include "app/main_window.h"
#include "check/verdict.h"
#include "results/browser_actions.h"
#include "urls/selected_row.h"
#include "urls/url_list.h"
#include "window_test.h"

#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace lomarind;

namespace {

TEST(AddressForUrl, PutsHttpInFrontUnlessTheTextBeginsWithExactlyIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://a.com/x", "http://a.com/x"},          {"http://", "http://"},
        {"https://a.com", "http://https://a.com"},     {"HTTP://A.COM", "http://HTTP://A.COM"},
        {"http:/a.com", "http://http:/a.com"},         {"a.b", "http://a.b"},
        {" a.com/\xC4\xE3", "http:// a.com/\xC4\xE3"},
    };
    for (const auto& [url, address] : cases)
        EXPECT_EQ(address_for_url(url), address) << url;
}

class BrowserActionsTest : public lomarind::test::WindowTest {
  protected:
    QTableView* list = window.超级列表框网址详情;

    void SetUp() override {
        for (std::string_view url :
             {"r1.com", "r2.com", "https://r3.com", "\xC4\xE3 r4.com", "http://r5.com"})
            window.url_list().append_url_row(state, url);
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
