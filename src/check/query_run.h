#pragma once

#include <QString>
#include <functional>

namespace lomarind {

class DesktopServices;
class Journals;
class RunTally;
class UrlList;

inline const QString RUN_DONE_TEXT = QStringLiteral("恭喜您，所有待查询的URL均已操作完毕！");

// The completion notice; a second line counts the URLs whose query failed, when there are any,
// and their causes.
QString run_done_text(const RunTally& tally);

// What a run tells the one who started it. Both are called on the UI thread, inside the step they
// belong to, while the worker waits.
struct RunReport {
    // The progress text: once the rows are counted, then with each row's mark.
    std::function<void(const QString& progress)> progress;
    // The run has ended and its completion notice was closed.
    std::function<void()> finished;
};

// The worker routine. Checks the rows that exist when it starts, one after another, writing each
// mark and its reason into the list and each verdict line into the journals, and reporting the
// progress. Every access to the list and every report is carried out by the UI thread while the
// worker waits, in one hand-off per row (its mark, and the next row's URL); when the program
// begins to end the run stops between two steps and records and reports nothing more.
void run_index_check(DesktopServices& services, UrlList& list, Journals& journals,
                     const RunReport& report);

} // namespace lomarind
