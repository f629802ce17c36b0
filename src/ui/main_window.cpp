#include "ui/main_window.h"

#include "check/verdict_reason.h"
#include "services/desktop_services.h"
#include "ui/browser_actions.h"
#include "ui/export_button.h"
#include "ui/look.h"
#include "ui/manual_entry.h"
#include "ui/query_button.h"
#include "ui/shell.h"
#include "ui/url_import.h"
#include "urls/url_list.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>

namespace lomarind {
namespace {

const QColor kLabelGreen(0, 128, 0);
const QColor kLabelOlive(128, 128, 0);
const QColor kLabelOrange(192, 96, 0);
const QColor kEditText(0, 128, 128);
const QColor kImportBackground(236, 236, 236);
const QColor kListText(128, 128, 255);

void set_colour(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::All, role, colour);
    w->setPalette(p);
}

template <class W> W* place(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

// A label whose text the window paints, unclipped, through the label's transparent body: a
// text wider than its label runs on beyond it instead of being cut off.
class TransparentLabel final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {}
};

QLabel* make_label(QWidget* parent, const char* name, QRect r, const QString& text,
                   Qt::Alignment align, const QColor& colour, int pixel_size) {
    auto* label = place<TransparentLabel>(parent, name, r.x(), r.y(), r.width(), r.height());
    label->setText(text);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TranslucentBackground);
    set_colour(label, QPalette::WindowText, colour);
    if (pixel_size > 0) {
        QFont f = label->font();
        f.setPixelSize(pixel_size);
        f.setWeight(QFont::Normal);
        label->setFont(f);
    }
    return label;
}

QFrame* make_line(QWidget* parent, const char* name, int y) {
    auto* line = place<QFrame>(parent, name, -1, y, 531, 1);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    set_colour(line, QPalette::Window, kLabelOlive);
    return line;
}

QLineEdit* make_edit(QWidget* parent, const char* name, int y, const QColor& background) {
    auto* edit = place<QLineEdit>(parent, name, 83, y, 345, 24);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFrame(true);
    QFont f = edit->font();
    f.setPixelSize(14);
    f.setWeight(QFont::Normal);
    edit->setFont(f);
    QPalette p = edit->palette();
    p.setColor(QPalette::All, QPalette::Text, kEditText);
    p.setColor(QPalette::All, QPalette::Base, background);
    edit->setPalette(p);
    return edit;
}

QPushButton* make_button(QWidget* parent, const char* name, QRect r, const QString& text) {
    auto* button = place<CaptionButton>(parent, name, r.x(), r.y(), r.width(), r.height());
    button->setText(text);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QRadioButton* make_radio(QWidget* parent, const char* name, int x, int w, const QString& text) {
    auto* radio = place<CentredRadioButton>(parent, name, x, 420, w, 16);
    radio->setText(text);
    set_colour(radio, QPalette::WindowText, Qt::black);
    return radio;
}

} // namespace

MainWindow::MainWindow(DesktopServices& services, AppState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(services), state_(state), url_list_(new UrlList(this)) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(WINDOW_CAPTION);
    setWindowIcon(window_icon());
    setFixedSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    url_list_->set_note_describer([](std::uint8_t code, std::string_view detail) {
        return reason_tooltip(static_cast<VerdictReason>(code), detail);
    });
    build_controls();
    wire_events();
    AppContext ctx = context();
    window_created(ctx);
}

MainWindow::~MainWindow() {
    // A running query reads this window's list: it must be gone before the list is.
    services_.stop_workers();
}

void MainWindow::build_controls() {
    透明标签1 = make_label(this, "透明标签1", {9, 8, 65, 24}, QStringLiteral("URL地址："),
                           Qt::AlignLeft, kLabelGreen, 16);
    编辑框url地址 = make_edit(this, "编辑框url地址", 8, Qt::white);
    按钮添加网址 = make_button(this, "按钮添加网址", {435, 7, 87, 27}, QStringLiteral("添加网址"));
    线1 = make_line(this, "线1", 42);
    透明标签2 = make_label(this, "透明标签2", {6, 53, 76, 24}, QStringLiteral("批量导入："),
                           Qt::AlignLeft, kLabelGreen, 16);
    编辑框导入地址 = make_edit(this, "编辑框导入地址", 52, kImportBackground);
    编辑框导入地址->setStyleSheet(
        QStringLiteral("background: rgb(236, 236, 236); color: rgb(0, 128, 128);"));
    编辑框导入地址->setReadOnly(true);
    编辑框导入地址->setEnabled(false);
    编辑框导入地址->setFocusPolicy(Qt::NoFocus);
    按钮到导入网址 =
        make_button(this, "按钮到导入网址", {435, 51, 87, 27}, QStringLiteral("导入网址"));
    透明标签3 = make_label(this, "透明标签3", {7, 78, 519, 17},
                           QStringLiteral("说明：<支持.txt格式文本文档，url地址每行一个>"),
                           Qt::AlignHCenter, kLabelOlive, 0);
    线2 = make_line(this, "线2", 99);

    auto* list = place<QTableView>(this, "超级列表框网址详情", 0, 108, 530, 297);
    超级列表框网址详情 = list;
    list->setModel(url_list_);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setDragEnabled(false);
    list->setTabKeyNavigation(false);
    list->setFrameShape(QFrame::Box);
    list->setLineWidth(1);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    QHeaderView* header = list->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->resizeSection(COLUMN_NUMBER, 50);
    header->resizeSection(COLUMN_URL, 370);
    header->resizeSection(COLUMN_STATUS, 80);
    // Header items press like buttons but select nothing and sort nothing.
    QObject::disconnect(header, &QHeaderView::sectionPressed, list, nullptr);
    QObject::disconnect(header, &QHeaderView::sectionEntered, list, nullptr);
    QPalette lp = list->palette();
    lp.setColor(QPalette::All, QPalette::Text, kListText);
    lp.setColor(QPalette::All, QPalette::Base, Qt::white);
    // The highlight shows only while the list has the focus.
    lp.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    lp.setColor(QPalette::Inactive, QPalette::HighlightedText, kListText);
    list->setPalette(lp);
    list->viewport()->installEventFilter(this);

    按钮查询收录情况 =
        make_button(this, "按钮查询收录情况", {16, 411, 152, 30}, QStringLiteral("查询收录情况"));
    透明标签5 = make_label(this, "透明标签5", {184, 418, 88, 17}, QStringLiteral("导出结果："),
                           Qt::AlignHCenter, kLabelGreen, 16);
    单选框仅收录 = make_radio(this, "单选框仅收录", 266, 62, QStringLiteral("仅收录"));
    单选框仅未收录 = make_radio(this, "单选框仅未收录", 335, 74, QStringLiteral("仅未收录"));
    单选框全部结果 = make_radio(this, "单选框全部结果", 411, 53, QStringLiteral("全部"));
    单选框全部结果->setChecked(true);
    按钮导出结果 = make_button(this, "按钮导出结果", {468, 415, 53, 24}, QStringLiteral("导出"));
    透明标签4 =
        make_label(this, "透明标签4", {8, 444, 519, 17},
                   QStringLiteral("备注：双击单条url地址可以查看收录详情，右击可以查看该网页！"),
                   Qt::AlignHCenter, kLabelOrange, 0);

    通用对话框打开文件.filter = URL_FILE_FILTER;

    setTabOrder(编辑框url地址, 按钮添加网址);
    setTabOrder(按钮添加网址, 按钮到导入网址);
    setTabOrder(按钮到导入网址, 超级列表框网址详情);
    setTabOrder(超级列表框网址详情, 按钮查询收录情况);
    setTabOrder(按钮查询收录情况, 单选框仅收录);
    setTabOrder(单选框仅收录, 按钮导出结果);
}

void MainWindow::wire_events() {
    connect(按钮添加网址, &QPushButton::clicked, this, [this] {
        AppContext ctx = context();
        add_url_clicked(ctx);
    });
    connect(按钮到导入网址, &QPushButton::clicked, this, [this] {
        AppContext ctx = context();
        import_clicked(ctx);
    });
    connect(按钮查询收录情况, &QPushButton::clicked, this, [this] {
        AppContext ctx = context();
        query_clicked(ctx);
    });
    connect(按钮导出结果, &QPushButton::clicked, this, [this] {
        AppContext ctx = context();
        export_clicked(ctx);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The list's mouse events are handled before the list itself sees them, so a right-button
    // press finds the selection as it was; the list's own handling follows unchanged. A right
    // double-click comes as a press and a double-click event, so it raises one event.
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched == 超级列表框网址详情->viewport() &&
        (press || event->type() == QEvent::MouseButtonDblClick)) {
        const Qt::MouseButton button = static_cast<const QMouseEvent*>(event)->button();
        AppContext ctx = context();
        if (press && button == Qt::RightButton)
            list_right_pressed(ctx);
        else if (!press && button == Qt::LeftButton)
            list_double_clicked(ctx);
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    for (const QLabel* label : {透明标签1, 透明标签2, 透明标签3, 透明标签5, 透明标签4}) {
        painter.setFont(label->font());
        painter.setPen(label->palette().color(QPalette::WindowText));
        painter.drawText(label->geometry(), static_cast<int>(label->alignment()) | Qt::TextDontClip,
                         label->text());
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    AppContext ctx = context();
    if (close_requested(ctx)) {
        event->accept();
        Q_EMIT closing();
    } else {
        event->ignore();
    }
}

void MainWindow::centre_on_screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect whole = screen->geometry();
    move(whole.x() + (whole.width() - WINDOW_WIDTH) / 2,
         whole.y() + (whole.height() - WINDOW_HEIGHT) / 2);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fit_outer_size();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager's frame shows in the geometry only once the manager has taken the window
    // in, which moves it; its extents may come later than the show event.
    fit_outer_size();
}

void MainWindow::fit_outer_size() {
    // The outer size, frame included, is the stated one, as long as the client area still holds
    // every control; the window is centred by that size again. Only a new frame does this, so
    // a window the user moved stays where it was put.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame == fitted_frame_)
        return;
    fitted_frame_ = frame;
    setFixedSize(std::max(WINDOW_WIDTH - frame.left() - frame.right(), 530),
                 std::max(WINDOW_HEIGHT - frame.top() - frame.bottom(), 461));
    centre_on_screen();
}

} // namespace lomarind
