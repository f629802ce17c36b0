#pragma once

#include <QString>

namespace lomarind {

struct AppContext;

inline const QString EMPTY_LIST_TEXT = QStringLiteral("尚未添加等待查询的地址！");
inline const QString RUNNING_CAPTION = QStringLiteral("正在查询...");
inline const QString DONE_CAPTION = QStringLiteral("查询完毕！");

// The click of 按钮查询收录情况: starts the one query run of the process, which keeps the button's
// tooltip on its progress and sets DONE_CAPTION when it has ended.
void query_clicked(AppContext& ctx);

} // namespace lomarind
