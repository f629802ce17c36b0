// A query run over 10,000 URLs with the real window, the real services and the real HTTP client,
// against an engine on loopback that answers at once. Reports URLs per second end to end, the
// memory the run added against the size of its journals, the memory the verdicts' reasons and
// evidence take per row (in the run, and for a million rows against its limit), and, for
// comparison, the rate of a plain curl command loop and of a Python urllib loop against the same
// engine.
#include "check/verdict.h"
#include "loopback_server.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_services.h"
#include "ui/query_button.h"
#include "urls/url_list.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace lomarind;
using Clock = std::chrono::steady_clock;

namespace {

long rss_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a shell loop of `n` requests and returns requests per second, or -1.
double loop_rate(const std::string& command, int n) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        return -1;
    return n / seconds_since(start);
}

// The reasons and evidence of a million judged rows, as the run stores them: every fourth row ×,
// the others √ with the evidence the engine's pages give (real addresses of 30 to 90 bytes),
// and, as the worst case, √ rows that all carry the longest evidence kept.
bool million_row_notes() {
    constexpr int rows = 1'000'000;
    constexpr double limit = 100;
    std::vector<std::string_view> urls(rows, "www.example.com/page.html");
    bool fits = true;
    for (const bool longest : {false, true}) {
        UrlList list;
        list.append_url_rows(urls);
        const long rss_before = rss_kib("VmRSS:");
        for (int row = 0; row < rows; ++row) {
            if (row % 4 == 0) {
                list.set_status_note(row, static_cast<std::uint8_t>(VerdictReason::NoResults), {});
                continue;
            }
            std::string evidence = "https://www.site" + std::to_string(row % 977) + ".com/";
            evidence.resize(longest ? MAX_REASON_DETAIL : 30 + row % 61, 'p');
            list.set_status_note(row, static_cast<std::uint8_t>(VerdictReason::ResultsShown),
                                 evidence);
        }
        const double per_row = static_cast<double>(list.status_note_bytes()) / rows;
        const double rss_per_row = (rss_kib("VmRSS:") - rss_before) * 1024.0 / rows;
        std::printf("reasons and evidence of %d rows (%s): %.1f bytes a row held, %.1f by RSS; "
                    "limit %.0f: %s\n",
                    rows, longest ? "all evidence at its longest" : "evidence as on real pages",
                    per_row, rss_per_row, limit, per_row <= limit ? "ok" : "OVER");
        fits = fits && per_row <= limit;
    }
    return fits;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 10'000;

    // The first result as the engine marks it up: its container with the real address, and the
    // address it displays.
    const std::string results_page =
        "<html><div id=\"content_left\"><div class=\"result c-container \" id=\"1\" "
        "mu=\"https://www.example.com/some/page/of/the/site.html\"><h3>t</h3><a "
        "class=\"c-showurl\">"
        "www.example.com/some/...</a></div>" +
        std::string(60'000, 'x') + "</div></html>";
    const std::string none_page =
        "<html>" + std::string(30'000, 'y') +
        "<div id=\"content_left\"><div class=\"nors\"><p>none</p></div></div></html>";
    test::LoopbackServer engine([&](std::string_view request) {
        const bool none = request.find("none") != std::string_view::npos;
        return test::http_response(200, none ? none_page : results_page);
    });
    if (engine.port() == 0) {
        std::fprintf(stderr, "cannot start the loopback engine\n");
        return 1;
    }

    AppState state;
    QtDesktopServices services;
    services.http_client().set_connect_to(
        {"www.baidu.com:80:127.0.0.1:" + std::to_string(engine.port())});
    MainWindow window(services, state);
    services.set_dialog_parent(&window);
    window.show();

    std::vector<std::string> urls;
    for (int i = 0; i < n; ++i)
        urls.push_back("www.example" + std::to_string(i % 97) + ".com/" +
                       (i % 4 == 0 ? "none/" : "page/") + std::to_string(i) + ".html");
    std::vector<std::string_view> views(urls.begin(), urls.end());
    window.url_list().append_url_rows(views);
    QApplication::processEvents();
    const long rss_before = rss_kib("VmRSS:");

    const auto start = Clock::now();
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    QMessageBox* notice = nullptr;
    while (!notice) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                notice = box;
    }
    const double elapsed = seconds_since(start);
    const long rss_after = rss_kib("VmRSS:");
    notice->button(QMessageBox::Ok)->click();
    if (!QTest::qWaitFor([&] { return window.按钮查询收录情况->text() == DONE_CAPTION; }))
        std::fprintf(stderr, "the caption did not change after the notice\n");

    const std::size_t journal_bytes = state.journals.copy(JournalKind::All).size() +
                                      state.journals.copy(JournalKind::Indexed).size() +
                                      state.journals.copy(JournalKind::Unindexed).size();
    int failed = 0;
    for (int row = 0; row < n; ++row)
        failed +=
            window.url_list().cell_text(row, COLUMN_STATUS) == "\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC";

    std::printf("query run: %d URLs in %.2f s = %.0f URLs/s (%d failed)\n", n, elapsed, n / elapsed,
                failed);
    std::printf("memory: RSS %ld KiB before, %ld KiB after (+%ld KiB); journals hold %zu KiB\n",
                rss_before, rss_after, rss_after - rss_before, journal_bytes / 1024);
    std::printf("reasons and evidence in the run: %.1f bytes a row\n",
                static_cast<double>(window.url_list().status_note_bytes()) / n);
    const bool notes_fit = million_row_notes();

    const int m = 1000;
    const std::string address =
        "http://127.0.0.1:" + std::to_string(engine.port()) + "/s?wd=www.example.com/page.html";
    const double curl_rate =
        loop_rate("for i in $(seq " + std::to_string(m) + "); do curl -s -o /dev/null -0 '" +
                      address + "' || exit 1; done",
                  m);
    const double python_rate =
        loop_rate("python3 -c 'import urllib.request\nfor i in range(" + std::to_string(m) +
                      "): urllib.request.urlopen(\"" + address + "\").read()'",
                  m);
    std::printf("for comparison, %d requests each: curl command loop %.0f/s, "
                "Python urllib loop %.0f/s\n",
                m, curl_rate, python_rate);
    services.stop_workers();
    return failed == 0 && notes_fit ? 0 : 1;
}
