#pragma once

#include <QString>

namespace lomarind {

struct AppContext;

// "description|pattern", the one entry of the open-file dialog.
inline const QString URL_FILE_FILTER = QStringLiteral("文本文件（*.txt）|*.txt");
inline const QString OPEN_FAILED_TEXT = QStringLiteral("打开文件失败...");

// The click of 按钮到导入网址: asks for a file, remembers it for the next time and imports it. A
// cancelled dialog only shows OPEN_FAILED_TEXT in 编辑框导入地址.
void import_clicked(AppContext& ctx);

// Appends every URL line of the file to the list as one batch, then gives the focus to the list.
// A file that cannot be read, or holds no URL, appends nothing and says nothing.
void import_url_file(AppContext& ctx, const QString& path);

} // namespace lomarind
