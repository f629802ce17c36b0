#include "ui/export_button.h"

#include "services/desktop_services.h"
#include "ui/app_context.h"
#include "ui/app_state.h"
#include "ui/main_window.h"

#include <QRadioButton>

namespace lomarind {

std::optional<ExportKind> chosen_export_kind(const MainWindow& w) {
    if (w.单选框仅收录->isChecked())
        return ExportKind{JournalKind::Indexed, HEADING_INDEXED};
    if (w.单选框全部结果->isChecked())
        return ExportKind{JournalKind::All, HEADING_ALL};
    if (w.单选框仅未收录->isChecked())
        return ExportKind{JournalKind::Unindexed, HEADING_NOT_INDEXED};
    return std::nullopt;
}

void export_clicked(AppContext& ctx) {
    const std::optional<ExportKind> kind = chosen_export_kind(ctx.window);
    if (!kind)
        return;
    const JournalSnapshot journal = journal_for_export(ctx.state.journals, *kind);
    const QString path = ctx.services.program_directory() + RESULT_FILE_NAME;
    if (ctx.services.write_file_bytes(path, journal)) {
        ctx.services.show_notice(EXPORT_OK_TEXT, NoticeIcon::Information);
        ctx.services.shell_open(path);
        ctx.state.export_done = 1;
    } else {
        ctx.services.show_notice(EXPORT_FAILED_TEXT, NoticeIcon::Error);
    }
}

} // namespace lomarind
