#pragma once

#include "services/desktop_services.h"
#include "services/worker_host.h"

#include <deque>
#include <mutex>
#include <vector>

namespace lomarind::test {

struct RecordedNotice {
    QString text;
    NoticeIcon icon;
    bool from_worker; // shown for the worker thread rather than by the UI thread
};

struct RecordedFileDialog {
    QString filter;
    QString initial_directory;
    QString initial_file_name;
};

// Desktop services for tests: records every call and answers from queues the test fills. Files
// are real (in the folder given as the program directory); threads and the hand-off to the UI
// thread are the real ones.
class FakeServices final : public DesktopServices {
  public:
    explicit FakeServices(QString program_directory = {});
    ~FakeServices() override;

    // Answers, taken in order. Without one, a question is answered Cancel and a dialog is
    // cancelled.
    std::deque<int> next_answers;
    std::deque<std::optional<QString>> next_files;
    // Answers http_get; runs on the calling (worker) thread. Without one every request fails.
    std::function<HttpResult(std::string_view address)> http_handler;
    // While true, a worker's notice stays open until close_worker_notices().
    bool hold_worker_notices = false;

    std::vector<RecordedNotice> notices() const;
    std::vector<QString> questions() const;
    std::vector<RecordedFileDialog> file_dialogs() const;
    std::vector<std::string> http_requests() const;
    std::vector<std::string> browser_addresses() const;
    // What the real services hand the desktop for those addresses (browser_address), leaving out
    // the ones that open nothing.
    std::vector<std::string> browser_urls() const;
    std::vector<QString> opened_documents() const;
    bool worker_started() const;
    // Closes the worker notices held open; call on the UI thread.
    void close_worker_notices();

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
    mutable std::mutex mutex_;
    std::vector<RecordedNotice> notices_;
    std::vector<QString> questions_;
    std::vector<RecordedFileDialog> file_dialogs_;
    std::vector<std::string> http_requests_;
    std::vector<std::string> browser_addresses_;
    std::vector<QString> opened_documents_;
    std::vector<std::function<void()>> held_notices_;
    bool worker_started_ = false;
    WorkerHost workers_;
};

} // namespace lomarind::test
