#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The one door from the program's logic to the desktop: message boxes, the open-file dialog,
// files, the program directory, HTTP, the browser and the worker thread. No operation shows
// anything or logs on its own; failures come back as values.
namespace lomarind {

inline const QString NOTICE_TITLE = QStringLiteral("Kelvora-温馨提示");

enum class NoticeIcon { Error = 16, Exclamation = 48, Information = 64 };

// Answers of ask_ok_cancel.
constexpr int ANSWER_OK = 0;
constexpr int ANSWER_CANCEL = 1;

// Why an exchange did not end whole.
enum class HttpFailure : std::uint8_t {
    None,             // it did, or nothing is known of the failure
    BadAddress,       // the address could not be split
    AddressTooLong,   // its path with query is over MAX_REQUEST_TARGET bytes; nothing was sent
    NameLookup,       // the host name did not resolve
    Refused,          // the server refused the connection
    Tls,              // the secure connection could not be set up
    Connect,          // the connection failed otherwise
    TimedOut,         // no byte came for too long, or the whole exchange took too long
    CutShort,         // the connection broke off, or the body passed its cap
    TooManyRedirects, // redirects went on past their limit
    Aborted,          // the program is ending
    Other,            // any other error of the exchange
};

// The longest path with query (before percent-encoding, cut before the "#") that is sent.
constexpr std::size_t MAX_REQUEST_TARGET = 2048;

// What one GET exchange brought back.
struct HttpResult {
    std::string body;      // the body of the final response, whole or as far as it was read
    bool complete = false; // the exchange ended without a transfer error and the body is whole
    long status = 0;       // status code of the final response, 0 when none arrived
    std::string final_url; // the address of the final response after redirects
    HttpFailure failure = HttpFailure::None;
};

class DesktopServices {
  public:
    virtual ~DesktopServices() = default;

    // A modal box with NOTICE_TITLE and one OK button; returns when it is closed. Called on the UI
    // thread it blocks the main window. Called on the worker thread it is shown for the worker,
    // leaves the main window usable, and returns when closed or when the program is ending.
    virtual void show_notice(const QString& text, NoticeIcon icon) = 0;

    // OK and Cancel with the question icon: ANSWER_OK, or ANSWER_CANCEL for Cancel, Esc and the
    // close box.
    virtual int ask_ok_cancel(const QString& text) = 0;

    // filter: "description|pattern". The chosen file's full path, or nothing on cancel or failure.
    virtual std::optional<QString> choose_open_file(const QString& filter,
                                                    const QString& initial_directory,
                                                    const QString& initial_file_name) = 0;

    // The file's bytes up to the end of its text (the first zero byte; in UTF-16 the first zero
    // character), or the whole file; empty bytes on any failure, a file too large for the memory
    // included. Never reads past the end of the text.
    virtual std::string read_file_bytes(const QString& path) = 0;

    // Replaces the file with exactly these bytes, given as pieces that follow one another,
    // atomically: on failure the previous file is left as it was and false comes back. Only a
    // writable file in a folder where nothing can be created is rewritten in place instead. A
    // read-only file is never touched.
    virtual bool write_file_bytes(const QString& path,
                                  std::span<const std::string_view> pieces) = 0;

    // The folder of the running program, without a trailing separator.
    virtual QString program_directory() const = 0;

    // One GET exchange; blocks the calling thread, never throws.
    virtual HttpResult http_get(std::string_view address) = 0;

    // Opens a document with the application registered for its type; reports nothing.
    virtual void shell_open(const QString& path) = 0;

    // Hands an address (a byte text) to the desktop's browser; reports nothing.
    virtual void open_in_browser(std::string_view address) = 0;

    // Starts the routine on a new thread. The thread is stopped and joined by stop_workers().
    virtual bool start_worker(std::function<void()> routine) = 0;

    // Carries out `task` on the UI thread and waits until it is done. Returns false without
    // running it when the program is ending. On the UI thread itself it runs the task at once.
    virtual bool run_on_ui(std::function<void()> task) = 0;

    // True once the program has begun to end: a worker checks this between steps.
    virtual bool stopping() const = 0;

    // Stops every worker (a hanging request and a waiting hand-off give up) and joins it.
    virtual void stop_workers() = 0;
};

} // namespace lomarind
