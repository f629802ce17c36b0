#include "ui/qt_desktop_services.h"

#include "net/url_encoding.h"
#include "services/file_io.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTranslator>

namespace lomarind {
namespace {

QMessageBox::Icon box_icon(NoticeIcon icon) {
    switch (icon) {
    case NoticeIcon::Error:
        return QMessageBox::Critical;
    case NoticeIcon::Exclamation:
        return QMessageBox::Warning;
    case NoticeIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

// A UI-thread box or dialog blocks the window that owns it, not the whole program: a worker's
// notice stays usable beside it.
void block_the_window_only(QDialog& dialog) {
    if (dialog.parentWidget())
        dialog.setWindowModality(Qt::WindowModal);
}

// "description|pattern" becomes Qt's "description (pattern)".
QString qt_name_filter(const QString& filter) {
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + QLatin1Char(')');
}

// Qt's own Chinese words for its dialogs and boxes, whatever the system's language: the program
// speaks Chinese throughout. Without the translations installed Qt's English words remain.
void install_qt_translations() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace

QtDesktopServices::QtDesktopServices()
    : program_directory_(QDir::cleanPath(QCoreApplication::applicationDirPath())) {
    QDir::setCurrent(program_directory_);
    install_qt_translations();
}

QtDesktopServices::~QtDesktopServices() {
    stop_workers();
}

void QtDesktopServices::show_notice(const QString& text, NoticeIcon icon) {
    if (workers_.on_ui_thread()) {
        QMessageBox box(box_icon(icon), NOTICE_TITLE, text, QMessageBox::Ok, dialog_parent_);
        block_the_window_only(box);
        box.exec();
        return;
    }
    // A worker's notice: a box of its own, without the window's look, that leaves the main
    // window usable. The worker waits until it is closed or the program ends.
    workers_.call_on_ui([this, text, icon](std::function<void()> done) {
        auto* box = new QMessageBox(box_icon(icon), NOTICE_TITLE, text, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        QObject::connect(box, &QMessageBox::finished, box, [done] { done(); });
        worker_notices_.emplace_back(box);
        box->show();
    });
}

int QtDesktopServices::ask_ok_cancel(const QString& text) {
    QMessageBox box(QMessageBox::Question, NOTICE_TITLE, text,
                    QMessageBox::Ok | QMessageBox::Cancel, dialog_parent_);
    block_the_window_only(box);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Ok) ? ANSWER_OK : ANSWER_CANCEL;
}

std::optional<QString> QtDesktopServices::choose_open_file(const QString& filter,
                                                           const QString& initial_directory,
                                                           const QString& initial_file_name) {
    QFileDialog dialog(dialog_parent_);
    block_the_window_only(dialog);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qt_name_filter(filter));
    if (!initial_directory.isEmpty())
        dialog.setDirectory(initial_directory);
    if (!initial_file_name.isEmpty())
        dialog.selectFile(initial_file_name);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.size() != 1 || !QFileInfo(files.front()).isFile())
        return std::nullopt;
    return files.front();
}

std::string QtDesktopServices::read_file_bytes(const QString& path) {
    return read_file_text(path);
}

bool QtDesktopServices::write_file_bytes(const QString& path,
                                         std::span<const std::string_view> pieces) {
    return replace_file(path, pieces);
}

HttpResult QtDesktopServices::http_get(std::string_view address) {
    return http_.get(address);
}

void QtDesktopServices::shell_open(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktopServices::open_in_browser(std::string_view address) {
    const std::string encoded = browser_address(address);
    if (encoded.empty())
        return;
    const QByteArray bytes(encoded.data(), static_cast<qsizetype>(encoded.size()));
    const QUrl url = QUrl::fromEncoded(bytes, QUrl::TolerantMode);
#if defined(Q_OS_LINUX)
    // Qt writes a URL out in its own normal form, which drops what it thinks means nothing: the
    // empty port of "http://https://a.com" would reach the browser as "http://https//a.com".
    // Such an address goes to the desktop's URL handler itself, byte for byte.
    if (url.toEncoded() != bytes) {
        const QString handler = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!handler.isEmpty() &&
            QProcess::startDetached(handler, {QString::fromLatin1(bytes)}, QString()))
            return;
    }
#endif
    QDesktopServices::openUrl(url);
}

bool QtDesktopServices::start_worker(std::function<void()> routine) {
    return workers_.start(std::move(routine));
}

bool QtDesktopServices::run_on_ui(std::function<void()> task) {
    return workers_.run_on_ui(std::move(task));
}

bool QtDesktopServices::stopping() const {
    return workers_.stopping();
}

void QtDesktopServices::stop_workers() {
    workers_.request_stop();
    http_.abort();
    workers_.stop_and_join();
    for (const QPointer<QMessageBox>& box : worker_notices_)
        delete box.data();
    worker_notices_.clear();
}

} // namespace lomarind
