#include "fake_services.h"

#include "net/url_encoding.h"
#include "services/file_io.h"

namespace lomarind::test {

FakeServices::FakeServices(QString program_directory)
    : program_directory_(std::move(program_directory)) {}

FakeServices::~FakeServices() {
    stop_workers();
}

template <class T> static std::vector<T> locked_copy(std::mutex& m, const std::vector<T>& v) {
    std::lock_guard lock(m);
    return v;
}

std::vector<RecordedNotice> FakeServices::notices() const {
    return locked_copy(mutex_, notices_);
}
std::vector<QString> FakeServices::questions() const {
    return locked_copy(mutex_, questions_);
}
std::vector<RecordedFileDialog> FakeServices::file_dialogs() const {
    return locked_copy(mutex_, file_dialogs_);
}
std::vector<std::string> FakeServices::http_requests() const {
    return locked_copy(mutex_, http_requests_);
}
std::vector<std::string> FakeServices::browser_addresses() const {
    return locked_copy(mutex_, browser_addresses_);
}
std::vector<std::string> FakeServices::browser_urls() const {
    std::vector<std::string> urls;
    for (const std::string& address : browser_addresses())
        if (std::string url = browser_address(address); !url.empty())
            urls.push_back(std::move(url));
    return urls;
}
std::vector<QString> FakeServices::opened_documents() const {
    return locked_copy(mutex_, opened_documents_);
}
bool FakeServices::worker_started() const {
    std::lock_guard lock(mutex_);
    return worker_started_;
}

void FakeServices::close_worker_notices() {
    std::vector<std::function<void()>> held;
    {
        std::lock_guard lock(mutex_);
        held.swap(held_notices_);
    }
    for (auto& done : held)
        done();
}

void FakeServices::show_notice(const QString& text, NoticeIcon icon) {
    if (workers_.on_ui_thread()) {
        std::lock_guard lock(mutex_);
        notices_.push_back({text, icon, false});
        return;
    }
    workers_.call_on_ui([this, text, icon](std::function<void()> done) {
        std::lock_guard lock(mutex_);
        notices_.push_back({text, icon, true});
        if (hold_worker_notices)
            held_notices_.push_back(std::move(done));
        else
            done();
    });
}

int FakeServices::ask_ok_cancel(const QString& text) {
    std::lock_guard lock(mutex_);
    questions_.push_back(text);
    if (next_answers.empty())
        return ANSWER_CANCEL;
    const int answer = next_answers.front();
    next_answers.pop_front();
    return answer;
}

std::optional<QString> FakeServices::choose_open_file(const QString& filter,
                                                      const QString& initial_directory,
                                                      const QString& initial_file_name) {
    std::lock_guard lock(mutex_);
    file_dialogs_.push_back({filter, initial_directory, initial_file_name});
    if (next_files.empty())
        return std::nullopt;
    std::optional<QString> file = next_files.front();
    next_files.pop_front();
    return file;
}

std::string FakeServices::read_file_bytes(const QString& path) {
    return read_file_text(path);
}

bool FakeServices::write_file_bytes(const QString& path, std::span<const std::string_view> pieces) {
    return replace_file(path, pieces);
}

HttpResult FakeServices::http_get(std::string_view address) {
    {
        std::lock_guard lock(mutex_);
        http_requests_.emplace_back(address);
    }
    return http_handler ? http_handler(address) : HttpResult{};
}

void FakeServices::shell_open(const QString& path) {
    std::lock_guard lock(mutex_);
    opened_documents_.push_back(path);
}

void FakeServices::open_in_browser(std::string_view address) {
    std::lock_guard lock(mutex_);
    browser_addresses_.emplace_back(address);
}

bool FakeServices::start_worker(std::function<void()> routine) {
    {
        std::lock_guard lock(mutex_);
        worker_started_ = true;
    }
    return workers_.start(std::move(routine));
}

bool FakeServices::run_on_ui(std::function<void()> task) {
    return workers_.run_on_ui(std::move(task));
}

bool FakeServices::stopping() const {
    return workers_.stopping();
}

void FakeServices::stop_workers() {
    workers_.stop_and_join();
}

} // namespace lomarind::test
