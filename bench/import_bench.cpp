// Imports a generated 1,000,000-line URL file into the real window (offscreen, fake dialogs),
// against its limit in the same process: in alternating rounds, the import into a new window and
// a bare read of the same file with a split of its bytes into line views. Then scrolls through
// the list and types rows into it. Prints the times and the peak memory.
//
//   import_bench [lines] [rounds]      (default 1000000 lines, 5 rounds)
#include "bench_window.h"
#include "fake_services.h"
#include "measure.h"
#include "services/file_io.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "urls/url_lines.h"
#include "urls/url_list.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace lomarind;
using namespace lomarind::bench;

namespace {

// Peak resident memory of the process so far, in MiB (VmHWM).
double peak_rss_mib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

// About 40 bytes a line: mostly ASCII URLs, every 20th a GBK one, every 25th without a dot;
// CR LF and LF line ends mixed.
std::string url_file(int lines) {
    const std::string gbk_host = "\xD6\xD0\xCE\xC4\xCD\xF8\xD5\xBE"; // "中文网站"
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(lines) * 42);
    for (int i = 0; i < lines; ++i) {
        const std::string n = std::to_string(i);
        if (i % 25 == 7)
            bytes += "not-a-url-line-" + n;
        else if (i % 20 == 3)
            bytes += "http://" + gbk_host + n + ".cn/" + gbk_host + "/p.html";
        else
            bytes += "https://www.site" + std::to_string(i % 977) + ".com/page/" + n + ".htm";
        bytes += i % 2 ? "\r\n" : "\n";
    }
    return bytes;
}

// The limit: the file read whole with one read() into memory nobody wrote before, and its bytes
// cut into views at each LF (less the CR before it), the views counted first so that they are
// stored once. Returns the milliseconds, or -1; `lines` gets the count.
double bare_read_and_split(const std::string& path, std::size_t& lines) {
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return -1;
    const auto size = static_cast<std::size_t>(info.st_size);
    const auto bytes = std::make_unique_for_overwrite<char[]>(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.get() + got, size - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const char* p = bytes.get();
    const char* const end = p + got;
    std::vector<std::string_view> views;
    views.reserve(static_cast<std::size_t>(std::count(p, end, '\n')) + 1);
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* line_end = lf ? lf : end;
        views.emplace_back(p, line_end - p - (lf && line_end > p && line_end[-1] == '\r'));
        p = lf ? lf + 1 : end;
    }
    lines = views.size();
    return ms_since(start);
}

// The import of the file into a new window, from the dialog's answer to the rows in the model.
double import_into_new_window(const QTemporaryDir& dir, const QString& path, int& rows) {
    BenchWindow bench(dir.path());
    bench.services.next_files.push_back(path);
    const auto start = Clock::now();
    bench.window.按钮到导入网址->click();
    const double ms = ms_since(start);
    rows = bench.window.url_list().row_count();
    return ms;
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("  %s: %.3f ms on average, median %.3f ms, worst %.3f ms\n", what,
                sum / static_cast<double>(times.size()), times[times.size() / 2], times.back());
}

// Types rows one by one: the click alone (the handler, the model and the view's bookkeeping),
// and the click with the events it causes (the view's layout and repaint).
void type_rows(MainWindow& window, int count, const char* where) {
    std::vector<double> clicks;
    std::vector<double> with_events;
    for (int i = 0; i < count; ++i) {
        window.编辑框url地址->setText(QStringLiteral("www.typed%1.com").arg(i));
        const auto add = Clock::now();
        window.按钮添加网址->click();
        clicks.push_back(ms_since(add));
        QApplication::processEvents();
        window.repaint();
        with_events.push_back(ms_since(add));
    }
    std::printf("%d typed rows %s (%d rows at the end):\n", count, where,
                window.url_list().row_count());
    report("click alone", clicks);
    report("click, layout and repaint", with_events);
}

} // namespace

int main(int argc, char** argv) {
    offscreen_unless_chosen();
    QApplication app(argc, argv);
    const int lines = number_argument(argc, argv, 1, 1'000'000);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("urls.txt"));
    {
        const std::string bytes = url_file(lines);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("file: %d lines, %.1f MB\n", lines, static_cast<double>(bytes.size()) / 1e6);
    }

    const int rounds = std::max(1, number_argument(argc, argv, 2, 5));
    std::printf("load average at the start: %s\n", load_average().c_str());
    std::vector<double> imports, bares, ratios;
    for (int r = 0; r < rounds; ++r) {
        int rows = 0;
        std::size_t lines_split = 0;
        const double import_ms = import_into_new_window(dir, path, rows);
        const double bare_ms = bare_read_and_split(path.toStdString(), lines_split);
        imports.push_back(import_ms);
        bares.push_back(bare_ms);
        ratios.push_back(import_ms / bare_ms);
        std::printf(
            "  round %d: import %.0f ms (%d rows), bare read and split %.0f ms (%zu lines)\n",
            r + 1, import_ms, rows, bare_ms, lines_split);
    }
    std::printf("medians: import %.0f ms, bare read and split %.0f ms\n", median(imports),
                median(bares));
    std::printf("ratio_vs_bare_read_split=%.2f (limit 1.2)\n", median(ratios));
    std::printf("load average after the rounds: %s\n", load_average().c_str());

    BenchWindow bench(dir.path());
    test::FakeServices& services = bench.services;
    MainWindow& window = bench.window;
    type_rows(window, 100, "into an empty list");
    std::printf("peak RSS before the import: %.0f MiB\n", peak_rss_mib());

    const std::int32_t rows_before = window.url_list().row_count();
    services.next_files.push_back(path);
    auto start = Clock::now();
    window.按钮到导入网址->click();
    const double import_ms = ms_since(start);
    QApplication::processEvents();
    window.repaint();
    const double shown_ms = ms_since(start);
    std::printf("import: %.0f ms from the dialog's answer to the rows in the model "
                "(%.0f ms until the window has repainted), %d rows imported\n",
                import_ms, shown_ms, window.url_list().row_count() - rows_before);
    std::printf("peak RSS after the import: %.0f MiB\n", peak_rss_mib());

    QTableView* view = window.超级列表框网址详情;
    QScrollBar* bar = view->verticalScrollBar();
    constexpr int SCROLL_STEPS = 50;
    double worst_scroll = 0;
    start = Clock::now();
    for (int i = 0; i <= SCROLL_STEPS; ++i) {
        const auto step = Clock::now();
        bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / SCROLL_STEPS));
        view->viewport()->repaint();
        worst_scroll = std::max(worst_scroll, ms_since(step));
    }
    std::printf("scroll and repaint: %.2f ms a step on average, %.2f ms at worst (%d steps)\n",
                ms_since(start) / (SCROLL_STEPS + 1), worst_scroll, SCROLL_STEPS + 1);

    type_rows(window, 1000, "into the imported list");
    std::printf("peak RSS at the end: %.0f MiB\n", peak_rss_mib());

    // The same file without a window, to show where the import's time goes.
    start = Clock::now();
    std::string bytes = read_file_text(path);
    const double read_ms = ms_since(start);
    start = Clock::now();
    const std::vector<std::string_view> urls = url_lines(bytes);
    const double split_ms = ms_since(start);
    start = Clock::now();
    UrlList bare;
    bare.append_url_rows(std::move(bytes), urls);
    std::printf("without a window: read %.0f ms, lines %.0f ms, rows %.0f ms\n", read_ms, split_ms,
                ms_since(start));
    return 0;
}
