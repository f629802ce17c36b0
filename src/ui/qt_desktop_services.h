#pragma once

#include "services/desktop_services.h"
#include "services/worker_host.h"
#include "ui/http_client.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <vector>

class QMessageBox;
class QWidget;

namespace lomarind {

// The desktop services on Qt and libcurl. Construct on the UI thread after the QApplication: the
// program directory is computed here, once, and becomes the current directory, and Qt's own
// Chinese translations are installed for its dialogs and boxes.
class QtDesktopServices final : public DesktopServices {
  public:
    QtDesktopServices();
    ~QtDesktopServices() override;

    // The window that owns the UI thread's boxes and dialogs (and so gives them its look); they
    // block that window only.
    void set_dialog_parent(QWidget* parent) { dialog_parent_ = parent; }
    // The HTTP client behind http_get, for benchmarks that point the engine at a local server.
    HttpClient& http_client() { return http_; }

    void show_notice(const QString& text, NoticeIcon icon) override;
    int ask_ok_cancel(const QString& text) override;
    std::optional<QString> choose_open_file(const QString& filter, const QString& initial_directory,
                                            const QString& initial_file_name) override;
    std::string read_file_bytes(const QString& path) override;
    bool write_file_bytes(const QString& path, std::span<const std::string_view> pieces) override;
    QString program_directory() const override { return program_directory_; }
    HttpResult http_get(std::string_view address) override;
    void shell_open(const QString& path) override;
    void open_in_browser(std::string_view address) override;
    bool start_worker(std::function<void()> routine) override;
    bool run_on_ui(std::function<void()> task) override;
    bool stopping() const override;
    void stop_workers() override;

  private:
    QString program_directory_;
    QPointer<QWidget> dialog_parent_;
    std::vector<QPointer<QMessageBox>> worker_notices_;
    HttpClient http_;
    WorkerHost workers_;
};

} // namespace lomarind
