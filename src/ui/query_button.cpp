#include "ui/query_button.h"

#include "check/query_run.h"
#include "services/desktop_services.h"
#include "ui/app_context.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "urls/url_list.h"

#include <QLineEdit>
#include <QPushButton>

namespace lomarind {

void query_clicked(AppContext& ctx) {
    MainWindow& w = ctx.window;
    if (w.url_list().row_count() == 0) {
        ctx.services.show_notice(EMPTY_LIST_TEXT, NoticeIcon::Exclamation);
        w.编辑框url地址->setFocus();
        return;
    }
    w.按钮查询收录情况->setEnabled(false);
    w.按钮查询收录情况->setText(RUNNING_CAPTION);
    DesktopServices& services = ctx.services;
    UrlList& list = w.url_list();
    QPushButton& button = *w.按钮查询收录情况;
    Journals& journals = ctx.state.journals;
    services.start_worker([&services, &list, &button, &journals] {
        run_index_check(services, list, journals,
                        {[&button](const QString& progress) { button.setToolTip(progress); },
                         [&button] { button.setText(DONE_CAPTION); }});
    });
}

} // namespace lomarind
