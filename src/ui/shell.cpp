#include "ui/shell.h"

#include "services/desktop_services.h"
#include "ui/app_context.h"
#include "ui/app_state.h"
#include "ui/look.h"
#include "ui/main_window.h"

namespace lomarind {

void window_created(AppContext& ctx) {
    ctx.window.setStyleSheet(olive_style_sheet());
    ctx.window.通用对话框打开文件.initial_directory = ctx.services.program_directory();
}

bool close_requested(AppContext& ctx) {
    if (ctx.state.export_done == 1)
        return true;
    return ctx.services.ask_ok_cancel(CLOSE_QUESTION) == ANSWER_OK;
}

} // namespace lomarind
