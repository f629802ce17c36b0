// Imports a generated 1,000,000-line URL file into the real window (offscreen, fake dialogs),
// scrolls through the list, then types rows into it. Prints the times and the peak memory.
//
//   import_bench [lines]      (default 1000000)
#include "fake_services.h"
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
#include <fstream>
#include <string>
#include <vector>

using namespace lomarind;
using Clock = std::chrono::steady_clock;

namespace {

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1'000'000;

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

    test::FakeServices services(dir.path());
    AppState state;
    MainWindow window(services, state);
    window.show();
    QApplication::processEvents();
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
