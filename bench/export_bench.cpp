// Exports a journal of 1,000,000 verdict lines (about 48 MB) from the real window (offscreen,
// fake dialogs, real files) against its limit in the same process: in alternating rounds, the
// click of the export button, and a bare write of the same bytes to a temporary file with fsync
// and a rename over the result file.
//
//   export_bench [lines] [rounds]      (default 1000000 lines, 5 rounds)
#include "bench_window.h"
#include "check/verdict.h"
#include "measure.h"
#include "ui/app_state.h"
#include "ui/export_button.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lomarind;
using namespace lomarind::bench;

namespace {

// The limit: the bytes written whole to a new file beside the target, synced to disk, and
// renamed over the target. Returns the milliseconds, or -1.
double bare_replace(const std::string& target, std::string_view bytes) {
    const auto start = Clock::now();
    const std::string temporary = target + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (written != bytes.size() || !synced || ::rename(temporary.c_str(), target.c_str()) != 0)
        return -1;
    return ms_since(start);
}

} // namespace

int main(int argc, char** argv) {
    offscreen_unless_chosen();
    QApplication app(argc, argv);
    const int lines = number_argument(argc, argv, 1, 1'000'000);
    const int rounds = std::max(1, number_argument(argc, argv, 2, 5));

    QTemporaryDir dir;
    BenchWindow bench(dir.path());
    AppState& state = bench.state;
    MainWindow& window = bench.window;
    for (int i = 0; i < lines; ++i) {
        const IndexVerdict verdict = i % 4 == 0 ? IndexVerdict::NotIndexed : IndexVerdict::Indexed;
        state.journals.append(JournalKind::All,
                              verdict_line("https://www.site" + std::to_string(i % 977) +
                                               ".com/page/" + std::to_string(i) + ".htm",
                                           verdict));
    }
    window.单选框全部结果->setChecked(true);
    const QString result = dir.path() + RESULT_FILE_NAME;
    const std::string bare_target = dir.filePath(QStringLiteral("bare.txt")).toStdString();

    // The first export puts the heading in front; every later one writes the same bytes.
    window.按钮导出结果->click();
    const std::string bytes = state.journals.copy(JournalKind::All);
    std::printf("journal: %d lines, %.1f MB; load average at the start: %s\n", lines,
                static_cast<double>(bytes.size()) / 1e6, load_average().c_str());

    std::vector<double> exports, bares, ratios;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        window.按钮导出结果->click();
        const double export_ms = ms_since(start);
        const double bare_ms = bare_replace(bare_target, bytes);
        const bool whole = QFileInfo(result).size() == static_cast<qint64>(bytes.size());
        exports.push_back(export_ms);
        bares.push_back(bare_ms);
        ratios.push_back(export_ms / bare_ms);
        std::printf("  round %d: export %.0f ms%s, bare write, fsync and rename %.0f ms\n", r + 1,
                    export_ms, whole ? "" : " (THE FILE IS NOT WHOLE)", bare_ms);
    }
    std::printf("medians: export %.0f ms, bare write, fsync and rename %.0f ms\n", median(exports),
                median(bares));
    std::printf("ratio_vs_bare_write=%.2f (limit 1.3)\n", median(ratios));
    std::printf("load average at the end: %s\n", load_average().c_str());
    return 0;
}
