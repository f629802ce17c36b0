#include "loopback_server.h"
#include "modal.h"
#include "temp_dir.h"
#include "ui/qt_desktop_services.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

using namespace lomarind;
using lomarind::test::TempDir;
using lomarind::test::when_modal_opens;

namespace {

TEST(QtDesktopServices, ProgramDirectoryIsTheExecutablesFolderAndTheCurrentOne) {
    QtDesktopServices services;
    EXPECT_EQ(services.program_directory(), QCoreApplication::applicationDirPath());
    EXPECT_FALSE(services.program_directory().endsWith(QLatin1Char('/')));
    EXPECT_EQ(QDir::currentPath(), services.program_directory());
}

TEST(QtDesktopServices, QuestionAnswersOkOnlyForOk) {
    QtDesktopServices services;
    QWidget owner;
    services.set_dialog_parent(&owner);
    struct Case {
        const char* what;
        std::function<void(QMessageBox*)> act;
        int expected;
    };
    const Case cases[] = {
        {"ok", [](QMessageBox* b) { b->button(QMessageBox::Ok)->click(); }, ANSWER_OK},
        {"cancel", [](QMessageBox* b) { b->button(QMessageBox::Cancel)->click(); }, ANSWER_CANCEL},
        {"esc", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }, ANSWER_CANCEL},
        {"close box", [](QMessageBox* b) { b->close(); }, ANSWER_CANCEL},
    };
    for (const Case& c : cases) {
        QString title, text;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool modal = false;
        when_modal_opens(owner, [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b :
                 {box->button(QMessageBox::Ok), box->button(QMessageBox::Cancel)})
                buttons << b->text();
            modal = box->windowModality() == Qt::WindowModal && box->parentWidget() == &owner;
            c.act(box);
        });
        EXPECT_EQ(services.ask_ok_cancel(QStringLiteral("确定退出吗？")), c.expected) << c.what;
        EXPECT_EQ(title, NOTICE_TITLE);
        EXPECT_EQ(text, QStringLiteral("确定退出吗？"));
        EXPECT_EQ(icon, QMessageBox::Question);
        // Qt's own Chinese words; the box blocks its window only.
        EXPECT_EQ(buttons, (QStringList{QStringLiteral("确定"), QStringLiteral("取消")}));
        EXPECT_TRUE(modal);
    }
}

TEST(QtDesktopServices, NoticeOnTheUiThreadIsModalWithItsIcon) {
    QtDesktopServices services;
    QWidget owner;
    services.set_dialog_parent(&owner);
    const std::pair<NoticeIcon, QMessageBox::Icon> icons[] = {
        {NoticeIcon::Exclamation, QMessageBox::Warning},
        {NoticeIcon::Information, QMessageBox::Information},
        {NoticeIcon::Error, QMessageBox::Critical},
    };
    for (const auto& [given, shown] : icons) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        when_modal_opens(owner, [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
            EXPECT_EQ(box->windowTitle(), NOTICE_TITLE);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        services.show_notice(QStringLiteral("提示"), given);
        EXPECT_EQ(icon, shown);
        EXPECT_EQ(buttons, 1);
    }
}

TEST(QtDesktopServices, WorkerNoticeLeavesTheWindowUsableAndWaitsForItsClosing) {
    QtDesktopServices services;
    QWidget owner;
    owner.setStyleSheet(QStringLiteral("QPushButton { color: red; }"));
    services.set_dialog_parent(&owner);
    std::atomic<bool> returned{false};
    ASSERT_TRUE(services.start_worker([&] {
        services.show_notice(QStringLiteral("完毕"), NoticeIcon::Information);
        returned = true;
    }));
    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                box = b;
        return box != nullptr;
    }));
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->parentWidget(), nullptr); // not the window's look, not blocking it
    EXPECT_EQ(box->text(), QStringLiteral("完毕"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QTest::qWait(50);
    EXPECT_FALSE(returned);
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load(); }));
    services.stop_workers();
}

QMessageBox* visible_box_other_than(const QWidget* other) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b != other && b->isVisible())
            return b;
    return nullptr;
}

TEST(QtDesktopServices, WorkerNoticeCanBeClosedWhileAUiThreadNoticeIsOpen) {
    QtDesktopServices services;
    QWidget owner;
    owner.resize(300, 200);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    services.set_dialog_parent(&owner);
    std::atomic<bool> worker_returned{false};
    when_modal_opens(owner, [&](QWidget* ui_box) {
        ASSERT_TRUE(services.start_worker([&] {
            services.show_notice(QStringLiteral("完毕"), NoticeIcon::Information);
            worker_returned = true;
        }));
        QMessageBox* worker_box = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (worker_box = visible_box_other_than(ui_box)); }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(worker_box));
        // A real click, through the window system: a window that a modal box blocks drops it.
        const QAbstractButton* ok = worker_box->button(QMessageBox::Ok);
        QTest::mouseClick(worker_box->windowHandle(), Qt::LeftButton, {},
                          ok->mapTo(worker_box, ok->rect().center()));
        (void)QTest::qWaitFor([&] { return worker_returned.load(); }, 2'000);
        QTest::keyClick(ui_box, Qt::Key_Escape);
    });
    services.show_notice(QStringLiteral("导出失败"), NoticeIcon::Error);
    EXPECT_TRUE(worker_returned);
    services.stop_workers();
}

TEST(QtDesktopServices, WorkerNoticeGivesUpWhenTheProgramEnds) {
    QtDesktopServices services;
    std::atomic<bool> returned{false};
    ASSERT_TRUE(services.start_worker([&] {
        services.show_notice(QStringLiteral("完毕"), NoticeIcon::Information);
        returned = true;
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w) && w->isVisible())
                return true;
        return false;
    }));
    services.stop_workers();
    EXPECT_TRUE(returned);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMessageBox*>(w) && w->isVisible());
}

TEST(QtDesktopServices, StoppingEndsARequestHangingOnASilentServer) {
    test::LoopbackServer silent({{{}, test::ConnectionEnd::Stall}});
    ASSERT_NE(silent.port(), 0);
    QtDesktopServices services;
    std::atomic<bool> sent{false};
    HttpResult result{"untouched", true, 200, {}};
    ASSERT_TRUE(services.start_worker([&] {
        sent = true;
        result = services.http_get(silent.origin() + "/s?wd=a.com");
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent && silent.connections() == 1; }, 10'000));
    QTest::qWait(100);
    QElapsedTimer stopping;
    stopping.start();
    services.stop_workers(); // joins the worker: returns only once the request has ended
    EXPECT_LT(stopping.elapsed(), 5'000);
    EXPECT_FALSE(result.complete);
    EXPECT_TRUE(result.body.empty());
}

TEST(QtDesktopServices, OpenFileDialogStartsWhereAskedAndReturnsTheChoice) {
    TempDir dir;
    const QString chosen = dir.write(QStringLiteral("网址.txt"), "a.com\r\n");
    QtDesktopServices services;
    QWidget owner;
    services.set_dialog_parent(&owner);
    for (const bool accept : {true, false}) {
        QStringList filters, buttons;
        QString directory, title;
        Qt::WindowModality modality = Qt::NonModal;
        when_modal_opens(owner, [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            filters = dialog->nameFilters();
            directory = dialog->directory().absolutePath();
            EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
            // Qt's default title and its own Chinese words on the buttons.
            title = dialog->windowTitle();
            const auto* box = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(box, nullptr);
            for (const QAbstractButton* b : box->buttons())
                buttons << b->text();
            modality = dialog->windowModality();
            if (accept) {
                dialog->selectFile(chosen);
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                QMetaObject::invokeMethod(dialog, "reject");
            }
        });
        const auto result = services.choose_open_file(QStringLiteral("文本文件（*.txt）|*.txt"),
                                                      dir.path(), QString());
        EXPECT_EQ(filters, QStringList{QStringLiteral("文本文件（*.txt） (*.txt)")});
        EXPECT_EQ(directory, dir.path());
        EXPECT_EQ(title, QStringLiteral("打开"));
        EXPECT_EQ(buttons, (QStringList{QStringLiteral("打开(&O)"), QStringLiteral("取消")}));
        EXPECT_EQ(modality, Qt::WindowModal);
        if (accept)
            EXPECT_EQ(result, std::optional<QString>(chosen));
        else
            EXPECT_EQ(result, std::nullopt);
    }
}

// Records what QDesktopServices is asked to open.
class UrlRecorder final : public QObject {
    Q_OBJECT
  public:
    std::vector<QByteArray> opened;
  public Q_SLOTS:
    void open(const QUrl& url) { opened.push_back(url.toEncoded()); }
};

TEST(QtDesktopServices, HandsTheBrowserAddressToTheDesktop) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    QtDesktopServices services;
    services.open_in_browser("http:// \xC0\xFD\xD7\xD3.\xD6\xD0\xB9\xFA/\xD0\xC2 x");
    services.open_in_browser("http://");
    services.open_in_browser("http://a.com/" + std::string(200'000, 'x'));
    services.open_in_browser("http://www.baidu.com/s?wd=a.com");
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(recorder.opened, (std::vector<QByteArray>{"http://xn--fsqu00a.xn--fiqs8s/%D0%C2%20x",
                                                        "http://www.baidu.com/s?wd=a.com"}));
}

} // namespace

#include "qt_services_test.moc"
