#pragma once

#include <QString>

namespace lomarind {

struct AppContext;

inline const QString CLOSE_QUESTION =
    QStringLiteral("请确认是否已经导出收录查询结果，确定退出吗？");

// The window and its controls exist: turn on the look and point the open-file dialog at the
// program directory.
void window_created(AppContext& ctx);

// The user asks to close the window: true to let it close.
bool close_requested(AppContext& ctx);

} // namespace lomarind
