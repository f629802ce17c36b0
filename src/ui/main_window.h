#pragma once

#include "ui/app_context.h"

#include <QMargins>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace lomarind {

class DesktopServices;
class UrlList;
struct AppState;

inline const QString WINDOW_CAPTION = QStringLiteral("LomarindV1.0");
constexpr int WINDOW_WIDTH = 535;
constexpr int WINDOW_HEIGHT = 489;

// The settings the open-file dialog is opened with; it has no visible part.
struct OpenFileDialogComponent {
    QString filter;
    QString initial_directory; // set once when the window has been created
    QString file_name;         // the path chosen last, pre-filled the next time
};

// The one window. It holds the controls and hands their events to the handlers; the behaviour
// lives in the handlers.
class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    MainWindow(DesktopServices& services, AppState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppContext context() { return {*this, services_, state_}; }
    UrlList& url_list() { return *url_list_; }

    // Moves the window so that its outer frame is centred on the primary screen.
    void centre_on_screen();

    QLabel* 透明标签1;
    QLineEdit* 编辑框url地址;
    QPushButton* 按钮添加网址;
    QFrame* 线1;
    QLabel* 透明标签2;
    QLineEdit* 编辑框导入地址;
    QPushButton* 按钮到导入网址;
    QLabel* 透明标签3;
    QFrame* 线2;
    QTableView* 超级列表框网址详情;
    QPushButton* 按钮查询收录情况;
    QLabel* 透明标签5;
    QRadioButton* 单选框仅收录;
    QRadioButton* 单选框仅未收录;
    QRadioButton* 单选框全部结果;
    QPushButton* 按钮导出结果;
    QLabel* 透明标签4;
    OpenFileDialogComponent 通用对话框打开文件;

  Q_SIGNALS:
    // The close request was allowed and the window is closing.
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_controls();
    void wire_events();
    void fit_outer_size();

    DesktopServices& services_;
    AppState& state_;
    UrlList* url_list_;
    QMargins fitted_frame_; // the window manager's frame the size was last fitted to
};

} // namespace lomarind
