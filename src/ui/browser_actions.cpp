#include "ui/browser_actions.h"

#include "check/verdict.h"
#include "net/url_encoding.h"
#include "results/browser_address.h"
#include "services/desktop_services.h"
#include "ui/app_context.h"
#include "ui/main_window.h"
#include "ui/selected_row.h"
#include "urls/url_list.h"

#include <QTableView>

namespace lomarind {
namespace {

std::string selected_url(AppContext& ctx) {
    const std::int32_t row = selected_row(*ctx.window.超级列表框网址详情);
    const UrlList& list = ctx.window.url_list();
    // Its address could never reach the browser: opening nothing, at once, beats copying and
    // encoding megabytes first.
    if (list.cell_size(row, COLUMN_URL) > BROWSER_ADDRESS_LIMIT)
        return {};
    return list.cell_text(row, COLUMN_URL);
}

} // namespace

void list_double_clicked(AppContext& ctx) {
    const std::string url = selected_url(ctx);
    if (!url.empty())
        ctx.services.open_in_browser(build_search_url(url));
}

void list_right_pressed(AppContext& ctx) {
    const std::string url = selected_url(ctx);
    if (!url.empty())
        ctx.services.open_in_browser(address_for_url(url));
}

} // namespace lomarind
