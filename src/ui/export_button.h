#pragma once

#include "results/journal_export.h"

#include <QString>
#include <optional>

namespace lomarind {

struct AppContext;
class MainWindow;

// A path separator, then the file name, appended to the program directory.
inline const QString RESULT_FILE_NAME = QStringLiteral("/网址收录查询结果.txt");

inline const QString EXPORT_OK_TEXT = QStringLiteral("恭喜您，查询结果导出成功！");
inline const QString EXPORT_FAILED_TEXT =
    QStringLiteral("查询结果导出失败，请检查可能出现的错误！");

// The kind the radio buttons choose, tested as 仅收录, 全部, 仅未收录.
std::optional<ExportKind> chosen_export_kind(const MainWindow& window);

// The click of 按钮导出结果.
void export_clicked(AppContext& ctx);

} // namespace lomarind
