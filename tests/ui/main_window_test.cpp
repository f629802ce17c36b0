#include "ui/app_state.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "urls/url_list.h"
#include "window_test.h"

#include <QAbstractButton>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace lomarind;

namespace {

class MainWindowTest : public lomarind::test::WindowTest {
  protected:
    template <class W = QWidget> W* control(const char* name) {
        auto* w = window.findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(MainWindowTest, EveryControlHasItsPlaceSizeAndText) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("LomarindV1.0"));
    EXPECT_EQ(window.size(), QSize(535, 489));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()); // not resizable
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowIcon().isNull());

    struct Expected {
        const char* name;
        QRect geometry;
        const char* text;
    };
    const Expected controls[] = {
        {"透明标签1", {9, 8, 65, 24}, "URL地址："},
        {"编辑框url地址", {83, 8, 345, 24}, ""},
        {"按钮添加网址", {435, 7, 87, 27}, "添加网址"},
        {"线1", {-1, 42, 531, 1}, nullptr},
        {"透明标签2", {6, 53, 76, 24}, "批量导入："},
        {"编辑框导入地址", {83, 52, 345, 24}, ""},
        {"按钮到导入网址", {435, 51, 87, 27}, "导入网址"},
        {"透明标签3", {7, 78, 519, 17}, "说明：<支持.txt格式文本文档，url地址每行一个>"},
        {"线2", {-1, 99, 531, 1}, nullptr},
        {"超级列表框网址详情", {0, 108, 530, 297}, nullptr},
        {"按钮查询收录情况", {16, 411, 152, 30}, "查询收录情况"},
        {"透明标签5", {184, 418, 88, 17}, "导出结果："},
        {"单选框仅收录", {266, 420, 62, 16}, "仅收录"},
        {"单选框仅未收录", {335, 420, 74, 16}, "仅未收录"},
        {"单选框全部结果", {411, 420, 53, 16}, "全部"},
        {"按钮导出结果", {468, 415, 53, 24}, "导出"},
        {"透明标签4",
         {8, 444, 519, 17},
         "备注：双击单条url地址可以查看收录详情，右击可以查看该网页！"},
    };
    for (const Expected& e : controls) {
        QWidget* w = control(e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), e.geometry) << e.name;
        EXPECT_EQ(w->parentWidget(), &window) << e.name;
        if (!e.text)
            continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            text = edit->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        EXPECT_EQ(text, QString::fromUtf8(e.text)) << e.name;
    }
    // The members are the controls with those names.
    EXPECT_EQ(window.按钮查询收录情况, control<QPushButton>("按钮查询收录情况"));
    EXPECT_EQ(window.超级列表框网址详情, control<QTableView>("超级列表框网址详情"));
}

TEST_F(MainWindowTest, StartsWithAllCheckedTheImportBoxDisabledAndNoRowSelected) {
    EXPECT_TRUE(window.单选框全部结果->isChecked());
    EXPECT_FALSE(window.单选框仅收录->isChecked());
    EXPECT_FALSE(window.单选框仅未收录->isChecked());
    QTest::mouseClick(window.单选框仅收录, Qt::LeftButton);
    EXPECT_TRUE(window.单选框仅收录->isChecked());
    EXPECT_FALSE(window.单选框全部结果->isChecked());

    EXPECT_FALSE(window.编辑框导入地址->isEnabled());
    EXPECT_TRUE(window.编辑框导入地址->isReadOnly());
    EXPECT_EQ(window.编辑框导入地址->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(window.编辑框url地址->isEnabled());
    EXPECT_FALSE(window.编辑框url地址->isReadOnly());
    for (QPushButton* b : window.findChildren<QPushButton*>()) {
        EXPECT_TRUE(b->isEnabled());
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->objectName().toStdString();
    }

    const QTableView* list = window.超级列表框网址详情;
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(list->model()->columnCount(), 3);
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list->showGrid());
    EXPECT_FALSE(list->isSortingEnabled());
    const QHeaderView* header = list->horizontalHeader();
    const std::pair<const char*, int> columns[] = {
        {"编号", 50}, {"URL地址", 370}, {"收录情况", 80}};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(columns[c].first));
        EXPECT_EQ(header->sectionSize(c), columns[c].second);
    }
}

TEST_F(MainWindowTest, ColoursAndFontsOfLabelsLinesEditsAndList) {
    const std::pair<const char*, QColor> labels[] = {
        {"透明标签1", {0, 128, 0}},   {"透明标签2", {0, 128, 0}},  {"透明标签5", {0, 128, 0}},
        {"透明标签3", {128, 128, 0}}, {"透明标签4", {192, 96, 0}},
    };
    for (const auto& [name, colour] : labels)
        EXPECT_EQ(control(name)->palette().color(QPalette::WindowText), colour) << name;
    for (const char* name : {"透明标签1", "透明标签2", "透明标签5"})
        EXPECT_EQ(control(name)->font().pixelSize(), 16) << name;
    for (const char* name : {"线1", "线2"})
        EXPECT_EQ(control(name)->palette().color(QPalette::Window), QColor(128, 128, 0)) << name;

    for (QLineEdit* edit : {window.编辑框url地址, window.编辑框导入地址}) {
        EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0, 128, 128));
        EXPECT_EQ(edit->font().pixelSize(), 14);
        EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    }
    EXPECT_EQ(window.编辑框url地址->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(window.编辑框导入地址->palette().color(QPalette::Disabled, QPalette::Base),
              QColor(236, 236, 236));
    EXPECT_EQ(window.超级列表框网址详情->palette().color(QPalette::Text), QColor(128, 128, 255));
    // The olive look: edit boxes framed in RGB(164,185,127).
    EXPECT_TRUE(window.styleSheet().contains(QStringLiteral("rgb(164, 185, 127)")));
}

// The columns and rows of `widget` as painted that hold dark (text) pixels inside `area`.
QRect ink_in(QWidget* widget, const QRect& area) {
    const QImage image = widget->grab().toImage();
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(MainWindowTest, RadioTextsAreCentredBesideTheirIndicators) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (QRadioButton* radio :
         {window.单选框仅收录, window.单选框仅未收录, window.单选框全部结果}) {
        QStyleOptionButton option;
        option.initFrom(radio);
        const QRect contents =
            radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
        const QRect ink = ink_in(radio, contents);
        ASSERT_FALSE(ink.isEmpty()) << radio->objectName().toStdString();
        const int left_gap = ink.left() - contents.left();
        const int right_gap = contents.right() - ink.right();
        EXPECT_LE(std::abs(left_gap - right_gap), 2) << radio->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, CaptionsWiderThanTheirControlWrap) {
    const QFontMetrics metrics = window.按钮查询收录情况->fontMetrics();
    const int three = metrics.horizontalAdvance(QStringLiteral("查询收"));
    const struct {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {
        {"查询收录情况", 1000, "查询收录情况"},
        {"查询收录情况", three, "查询收\n录情况"},
        {"查询收录情况", three - 1, "查询\n收录\n情况"},
        {"Export the results", metrics.horizontalAdvance(QStringLiteral("Export the r")),
         "Export the\nresults"},
        {"", 10, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrap_caption(QString::fromUtf8(c.text), metrics, c.width),
                  QString::fromUtf8(c.expected))
            << c.text << " in " << c.width;

    // A push button paints the lines one under the other.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QPushButton* button = window.按钮导出结果;
    const int one_line = ink_in(button, button->rect()).height();
    button->setText(QStringLiteral("导出结果"));
    EXPECT_GT(ink_in(button, button->rect()).height(), one_line + metrics.height() / 2);
}

TEST_F(MainWindowTest, IconIsSixteenColoursWithoutAntialiasing) {
    const QImage icon =
        window.windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(16, 16));
    QSet<QRgb> colours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb pixel = icon.pixel(x, y);
            ASSERT_TRUE(qAlpha(pixel) == 0 || qAlpha(pixel) == 255) << x << "," << y;
            if (qAlpha(pixel) == 255)
                colours.insert(pixel);
        }
    EXPECT_GE(colours.size(), 3);
    for (const QRgb colour : colours)
        EXPECT_NE(std::find(ICON_PALETTE.begin(), ICON_PALETTE.end(), colour), ICON_PALETTE.end())
            << std::hex << colour;
}

TEST_F(MainWindowTest, CreatedEventPointsTheOpenFileDialogAtTheProgramDirectory) {
    EXPECT_EQ(window.通用对话框打开文件.initial_directory, dir.path());
    EXPECT_EQ(window.通用对话框打开文件.file_name, QString());
    EXPECT_EQ(window.通用对话框打开文件.filter, QStringLiteral("文本文件（*.txt）|*.txt"));
}

TEST_F(MainWindowTest, ClosingAsksUntilAnExportSucceeded) {
    window.show();
    const QString question = QStringLiteral("请确认是否已经导出收录查询结果，确定退出吗？");

    services.next_answers.push_back(ANSWER_CANCEL);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(services.questions(), std::vector<QString>{question});

    services.next_answers.push_back(ANSWER_OK);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(services.questions().size(), 2u);

    window.show();
    state.export_done = 1;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(services.questions().size(), 2u); // no question once exported
}

TEST_F(MainWindowTest, EscAndEnterDoNothingAtWindowLevel) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.编辑框url地址->setFocus();
    QTest::keyClicks(window.编辑框url地址, QStringLiteral("example.com"));
    QTest::keyClick(window.编辑框url地址, Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(services.questions().empty());
    EXPECT_EQ(window.url_list().row_count(), 0);
    EXPECT_EQ(window.编辑框url地址->text(), QStringLiteral("example.com"));
}

TEST_F(MainWindowTest, HeaderClicksNeitherSortNorSelect) {
    window.url_list().append_url_row("b.com");
    window.url_list().append_url_row("a.com");
    window.show();
    QHeaderView* header = window.超级列表框网址详情->horizontalHeader();
    for (int c = 0; c < 3; ++c) {
        const QPoint p(header->sectionViewportPosition(c) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, p);
    }
    EXPECT_FALSE(window.超级列表框网址详情->selectionModel()->hasSelection());
    EXPECT_EQ(window.url_list().cell_text(0, COLUMN_URL), "b.com");
}

} // namespace
