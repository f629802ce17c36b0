#include "ui/manual_entry.h"

#include "services/desktop_services.h"
#include "text/gbk.h"
#include "text/text.h"
#include "ui/app_context.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "urls/url_list.h"

#include <QLineEdit>

namespace lomarind {

void add_url_clicked(AppContext& ctx) {
    QLineEdit* edit = ctx.window.编辑框url地址;
    // A character outside GBK keeps its GB18030 bytes: the row holds everything that was typed.
    const std::string typed = encode_gbk(edit->text());
    const std::string_view url = cut_at_zero(typed);
    if (url.empty()) {
        ctx.services.show_notice(URL_EMPTY_TEXT, NoticeIcon::Exclamation);
    } else if (!contains_dot(url)) {
        ctx.services.show_notice(URL_INVALID_TEXT, NoticeIcon::Exclamation);
        edit->clear();
    } else {
        if (const auto row = ctx.window.url_list().append_url_row(url))
            ctx.state.new_row_index = *row;
        edit->clear();
    }
    edit->setFocus(Qt::OtherFocusReason);
}

} // namespace lomarind
