#include "check/query_run.h"

#include "check/run_tally.h"
#include "check/verdict.h"
#include "results/journals.h"
#include "services/desktop_services.h"
#include "text/text.h"
#include "urls/url_list.h"

namespace lomarind {

QString run_done_text(const RunTally& tally) {
    if (tally.failed() <= 0)
        return RUN_DONE_TEXT;
    return RUN_DONE_TEXT + QStringLiteral("\n其中有") +
           QString::fromStdString(decimal(tally.failed())) +
           QStringLiteral("个URL查询失败，未计入收录结果。") + tally.causes_text();
}

void run_index_check(DesktopServices& services, UrlList& list, Journals& journals,
                     const RunReport& report) {
    // One hand-off to the UI thread per row: it writes the row's mark and hands over the URL of
    // the next row, while the worker waits. (A row's URL never changes once appended.)
    std::int32_t count = 0;
    std::string url; // of the row to be queried next
    if (!services.run_on_ui([&] {
            count = list.row_count();
            report.progress(RunTally(count).progress_text());
            url = list.cell_text(0, COLUMN_URL);
        }))
        return;
    RunTally tally(count);
    for (std::int32_t row = 0; row < count; ++row) {
        const CheckOutcome outcome = check_url(services, url);
        const IndexVerdict verdict = outcome.verdict;
        tally.add(outcome);
        const QString progress = tally.progress_text();
        std::string next_url;
        // A request cut off because the program is ending is no verdict: once stopping has
        // begun, run_on_ui refuses, and the run ends here without recording it.
        if (!services.run_on_ui([&] {
                list.set_cell_text(row, COLUMN_STATUS, status_mark(verdict));
                list.set_status_note(row, static_cast<std::uint8_t>(outcome.reason),
                                     outcome.detail);
                report.progress(progress);
                if (row + 1 < count)
                    next_url = list.cell_text(row + 1, COLUMN_URL);
            }))
            return;
        const std::string line = verdict_line(url, verdict);
        switch (verdict) {
        case IndexVerdict::Indexed:
            journals.append(JournalKind::Indexed, line);
            break;
        case IndexVerdict::NotIndexed:
            journals.append(JournalKind::Unindexed, line);
            break;
        case IndexVerdict::QueryFailed:
            break; // neither indexed nor not: it goes to the "all" journal only
        }
        journals.append(JournalKind::All, line);
        url = std::move(next_url);
    }
    services.show_notice(run_done_text(tally), NoticeIcon::Information);
    services.run_on_ui([&] { report.finished(); });
}

} // namespace lomarind
