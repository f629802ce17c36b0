#include "ui/url_import.h"

#include "services/desktop_services.h"
#include "ui/app_context.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "urls/url_lines.h"

#include <QLineEdit>
#include <QTableView>

namespace lomarind {

void import_clicked(AppContext& ctx) {
    OpenFileDialogComponent& dialog = ctx.window.通用对话框打开文件;
    const std::optional<QString> chosen =
        ctx.services.choose_open_file(dialog.filter, dialog.initial_directory, dialog.file_name);
    if (!chosen) {
        ctx.window.编辑框导入地址->setText(OPEN_FAILED_TEXT);
        return;
    }
    dialog.file_name = *chosen;
    import_url_file(ctx, *chosen);
    ctx.window.编辑框导入地址->setText(*chosen);
}

void import_url_file(AppContext& ctx, const QString& path) {
    if (const auto last =
            import_url_bytes(ctx.window.url_list(), ctx.services.read_file_bytes(path)))
        ctx.state.new_row_index = *last;
    ctx.window.超级列表框网址详情->setFocus(Qt::OtherFocusReason);
}

} // namespace lomarind
