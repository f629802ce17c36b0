// A query run over 10,000 URLs with the real window, the real services and the real HTTP client,
// against an engine on loopback that answers at once, measured against its limits in the same
// process: in alternating rounds, the run itself, a bare libcurl loop over the same URLs (the
// fastest this engine can be asked and judged from one thread) and a Python urllib loop (timed
// inside the interpreter). Also reports the memory the run added per URL beyond its journals, and
// the memory the verdicts' reasons and evidence take per row for a million rows.
//
//   run_bench [urls] [rounds] [--real-pages]
//
// The engine serves made-up pages by default (60 KB result pages, a 30 KB page without results
// for every fourth URL); with --real-pages it serves the engine's real pages (200 to 370 KB,
// UTF-8), so that the page search is measured on what the program meets.
#include "check/verdict.h"
#include "loopback_server.h"
#include "measure.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_services.h"
#include "ui/query_button.h"
#include "urls/url_list.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <fstream>
#include <malloc.h>
#include <sstream>
#include <string>
#include <vector>

using namespace lomarind;
using namespace lomarind::bench;

namespace {

constexpr const char* ENGINE_HOST = "www.baidu.com";
constexpr const char* USER_AGENT = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

long rss_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

// The bytes the program holds on its heap, over all of malloc's arenas.
std::size_t heap_in_use() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

double seconds_since(Clock::time_point start) {
    return ms_since(start) / 1000;
}

std::string file_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// How many of each answer a contender saw: a check that all three judged the same pages.
struct Tally {
    int indexed = 0;
    int not_indexed = 0;
    int failed = 0;
    friend bool operator==(const Tally&, const Tally&) = default;
};

struct RunRound {
    double seconds = 0;
    Tally tally;
    long long heap_added = 0;      // heap bytes in use after the run, minus before the click
    std::size_t journal_bytes = 0; // the bytes of the three journals
    std::size_t note_bytes = 0;    // what the reasons and evidence of the rows take
    long rss_added_kib = 0;
};

// Waits in the UI thread's own event loop until a message box is shown.
class NoticeWatch final : public QObject {
  public:
    QMessageBox* wait() {
        qApp->installEventFilter(this);
        loop_.exec();
        qApp->removeEventFilter(this);
        return box_;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && box_ == nullptr) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                box_ = box;
                loop_.quit();
            }
        }
        return false;
    }

  private:
    QEventLoop loop_;
    QMessageBox* box_ = nullptr;
};

// One real run in a window of its own, from the click to the completion notice.
RunRound real_run(const std::vector<std::string_view>& urls, std::uint16_t port) {
    RunRound round;
    AppState state;
    QtDesktopServices services;
    services.http_client().set_connect_to(
        {std::string(ENGINE_HOST) + ":80:127.0.0.1:" + std::to_string(port)});
    MainWindow window(services, state);
    services.set_dialog_parent(&window);
    window.show();
    window.url_list().append_url_rows(urls);
    QApplication::processEvents();
    const long rss_before = rss_kib("VmRSS:");
    const std::size_t heap_before = heap_in_use();

    NoticeWatch watch;
    const auto start = Clock::now();
    QTest::mouseClick(window.按钮查询收录情况, Qt::LeftButton);
    QMessageBox* notice = watch.wait();
    round.seconds = seconds_since(start);

    notice->button(QMessageBox::Ok)->click();
    if (!QTest::qWaitFor([&] { return window.按钮查询收录情况->text() == DONE_CAPTION; }))
        std::fprintf(stderr, "the caption did not change after the notice\n");
    services.stop_workers();
    // Once the notice is gone and the worker has ended, what is left is what the run keeps.
    round.heap_added = static_cast<long long>(heap_in_use()) - static_cast<long long>(heap_before);
    round.rss_added_kib = rss_kib("VmRSS:") - rss_before;

    for (const JournalKind kind : {JournalKind::All, JournalKind::Indexed, JournalKind::Unindexed})
        round.journal_bytes += state.journals.copy(kind).size();
    round.note_bytes = window.url_list().status_note_bytes();
    for (std::int32_t row = 0; row < window.url_list().row_count(); ++row) {
        const std::string mark = window.url_list().cell_text(row, COLUMN_STATUS);
        if (mark == MARK_INDEXED)
            ++round.tally.indexed;
        else if (mark == MARK_NOT_INDEXED)
            ++round.tally.not_indexed;
        else
            ++round.tally.failed;
    }
    return round;
}

std::size_t append_body(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// The limit: one easy handle reused, the program's request (HTTP/1.0, its agent and headers, the
// same host through the same redirection to loopback), and the verdict's two searches.
struct BareRound {
    double seconds = 0;
    Tally tally;
};

BareRound bare_libcurl(const std::vector<std::string_view>& urls, std::uint16_t port) {
    BareRound round;
    CURL* easy = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Accept: */*");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    const std::string rule = std::string(ENGINE_HOST) + ":80:127.0.0.1:" + std::to_string(port);
    curl_slist* connect_to = curl_slist_append(nullptr, rule.c_str());
    std::string body;
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, USER_AGENT);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_CONNECT_TO, connect_to);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &append_body);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);

    const auto start = Clock::now();
    for (std::string_view url : urls) {
        const std::string address = build_search_url(url);
        curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
        body.clear();
        if (curl_easy_perform(easy) != CURLE_OK)
            ++round.tally.failed;
        else if (std::string_view(body).find(NO_RESULT_MARKER) != std::string_view::npos)
            ++round.tally.not_indexed;
        else if (std::string_view(body).find(RESULT_PAGE_SIGN) != std::string_view::npos)
            ++round.tally.indexed;
        else
            ++round.tally.failed;
    }
    round.seconds = seconds_since(start);
    curl_slist_free_all(connect_to);
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    return round;
}

// The same requests from Python's urllib, timed inside one interpreter so that its start-up does
// not count. Returns the seconds, or -1.
constexpr const char* PYTHON_LOOP = R"(
import sys, time, urllib.request
port, path = int(sys.argv[1]), sys.argv[2]
urls = open(path, 'rb').read().decode('latin-1').split('\n')
headers = {'User-Agent': sys.argv[3], 'Accept': '*/*', 'Pragma': 'no-cache', 'Host': sys.argv[4]}
marker, sign = b'div class="nors"', b'content_left'
tally = [0, 0, 0]
start = time.perf_counter()
for url in urls:
    request = urllib.request.Request('http://127.0.0.1:%d/s?wd=%s' % (port, url), headers=headers)
    body = urllib.request.urlopen(request).read()
    tally[1 if marker in body else 0 if sign in body else 2] += 1
print(time.perf_counter() - start, *tally)
)";

BareRound python_loop(const QTemporaryDir& dir, std::uint16_t port) {
    BareRound round{-1, {}};
    const std::string script = dir.filePath(QStringLiteral("loop.py")).toStdString();
    std::ofstream(script) << PYTHON_LOOP;
    const std::string command = "python3 '" + script + "' " + std::to_string(port) + " '" +
                                dir.filePath(QStringLiteral("urls.txt")).toStdString() + "' '" +
                                USER_AGENT + "' " + ENGINE_HOST;
    FILE* python = popen(command.c_str(), "r");
    if (python == nullptr)
        return round;
    double seconds = -1;
    if (std::fscanf(python, "%lf %d %d %d", &seconds, &round.tally.indexed,
                    &round.tally.not_indexed, &round.tally.failed) == 4)
        round.seconds = seconds;
    if (pclose(python) != 0)
        round.seconds = -1;
    return round;
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

// The engine's answers: made-up pages, or the real pages saved from the engine.
struct Pages {
    std::vector<std::string> results;
    std::vector<std::string> none;
};

Pages made_up_pages() {
    // The first result as the engine marks it up: its container with the real address, and the
    // address it displays.
    const std::string results =
        "<html><div id=\"content_left\"><div class=\"result c-container \" id=\"1\" "
        "mu=\"https://www.example.com/some/page/of/the/site.html\"><h3>t</h3><a "
        "class=\"c-showurl\">"
        "www.example.com/some/...</a></div>" +
        std::string(60'000, 'x') + "</div></html>";
    const std::string none =
        "<html>" + std::string(30'000, 'y') +
        "<div id=\"content_left\"><div class=\"nors\"><p>none</p></div></div></html>";
    return {{test::http_response(200, results)}, {test::http_response(200, none)}};
}

Pages real_pages() {
    const std::string dir = LOMARIND_ENGINE_PAGES;
    Pages pages;
    for (const char* name : {"baidu-results-1.html", "baidu-results-2.html"})
        pages.results.push_back(test::http_response(200, file_bytes(dir + "/" + name)));
    for (const char* name : {"baidu-noresult-1.html", "baidu-noresult-2.html"})
        pages.none.push_back(test::http_response(200, file_bytes(dir + "/" + name)));
    return pages;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool real = std::erase(args, "--real-pages") > 0;
    const int n = args.size() > 0 ? std::atoi(args[0].c_str()) : 10'000;
    const int rounds = std::max(1, args.size() > 1 ? std::atoi(args[1].c_str()) : 3);

    const Pages pages = real ? real_pages() : made_up_pages();
    std::atomic<unsigned> answered{0};
    test::LoopbackServer engine(
        [&](std::string_view request) {
            const unsigned k = answered.fetch_add(1);
            const auto& kind =
                request.find("/none/") != std::string_view::npos ? pages.none : pages.results;
            return kind[k % kind.size()];
        },
        test::LoopbackServer::RequestLog::Discarded);
    if (engine.port() == 0) {
        std::fprintf(stderr, "cannot start the loopback engine\n");
        return 1;
    }

    std::vector<std::string> urls;
    for (int i = 0; i < n; ++i)
        urls.push_back("www.example" + std::to_string(i % 97) + ".com/" +
                       (i % 4 == 0 ? "none/" : "page/") + std::to_string(i) + ".html");
    const std::vector<std::string_view> views(urls.begin(), urls.end());
    QTemporaryDir dir;
    {
        std::ofstream list(dir.filePath(QStringLiteral("urls.txt")).toStdString(),
                           std::ios::binary);
        for (int i = 0; i < n; ++i)
            list << urls[static_cast<std::size_t>(i)] << (i + 1 < n ? "\n" : "");
    }

    std::printf("query run over %d URLs, %s pages, %d rounds; load average at the start: %s\n", n,
                real ? "the engine's real" : "made-up", rounds, load_average().c_str());
    std::vector<double> run_rates, bare_rates, python_rates, vs_bare, vs_python;
    std::vector<RunRound> runs;
    bool same_verdicts = true;
    for (int r = 0; r < rounds; ++r) {
        const RunRound run = real_run(views, engine.port());
        const BareRound bare = bare_libcurl(views, engine.port());
        const BareRound python = python_loop(dir, engine.port());
        run_rates.push_back(n / run.seconds);
        bare_rates.push_back(n / bare.seconds);
        vs_bare.push_back(bare.seconds / run.seconds);
        if (python.seconds > 0) {
            python_rates.push_back(n / python.seconds);
            vs_python.push_back(python.seconds / run.seconds);
        }
        same_verdicts = same_verdicts && run.tally == bare.tally &&
                        (python.seconds <= 0 || python.tally == run.tally);
        std::printf("  round %d: run %.0f URL/s (%d √, %d ×, %d failed), bare libcurl %.0f URL/s, "
                    "Python %.0f URL/s\n",
                    r + 1, n / run.seconds, run.tally.indexed, run.tally.not_indexed,
                    run.tally.failed, n / bare.seconds,
                    python.seconds > 0 ? n / python.seconds : 0.0);
        runs.push_back(run);
    }
    std::printf("medians: run %.0f URL/s, bare libcurl %.0f URL/s, Python urllib %.0f URL/s\n",
                median(run_rates), median(bare_rates),
                python_rates.empty() ? 0.0 : median(python_rates));
    std::printf("ratio_vs_bare_libcurl=%.2f\n", median(vs_bare));
    std::printf("ratio_vs_python=%.2f\n", vs_python.empty() ? 0.0 : median(vs_python));

    // Memory: the heap bytes in use once the run has ended, minus those before the click; the
    // journals' own bytes are counted apart. The first round's RSS is given as well (later rounds
    // reuse memory the earlier ones freed).
    std::vector<double> added, beyond;
    for (const RunRound& run : runs) {
        added.push_back(static_cast<double>(run.heap_added) / n);
        beyond.push_back(
            (static_cast<double>(run.heap_added) - static_cast<double>(run.journal_bytes)) / n);
    }
    std::printf("memory added by the run (heap in use, median of rounds): %.0f B/URL, of which "
                "the journals' bytes %.0f B/URL and the reasons and evidence %.0f B/URL\n",
                median(added), static_cast<double>(runs[0].journal_bytes) / n,
                static_cast<double>(runs[0].note_bytes) / n);
    std::printf("memory_beyond_journals=%.0f B/URL (limit 150); first round's RSS +%ld KiB\n",
                median(beyond), runs[0].rss_added_kib);
    std::printf("load average at the end: %s\n", load_average().c_str());
    if (!same_verdicts)
        std::printf("the contenders did not judge the same pages alike\n");

    const bool notes_fit = million_row_notes();
    const bool none_failed = std::all_of(runs.begin(), runs.end(),
                                         [](const RunRound& run) { return run.tally.failed == 0; });
    return none_failed && same_verdicts && notes_fit ? 0 : 1;
}
