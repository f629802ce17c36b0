#include "app/shell.h"

#include "app/app_context.h"
#include "app/app_state.h"
#include "app/look.h"
#include "app/main_window.h"
#include "platform/desktop_services.h"

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
