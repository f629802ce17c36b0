#pragma once

#include "app/app_state.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace lomarind {

struct AppContext;
class MainWindow;

// 以下是已经被收录的网址：
inline constexpr std::string_view HEADING_INDEXED =
    "\xD2\xD4\xCF\xC2\xCA\xC7\xD2\xD1\xBE\xAD\xB1\xBB"
    "\xCA\xD5\xC2\xBC\xB5\xC4\xCD\xF8\xD6\xB7\xA3\xBA";
// 所有网址收录情况如下：
inline constexpr std::string_view HEADING_ALL = "\xCB\xF9\xD3\xD0\xCD\xF8\xD6\xB7\xCA\xD5\xC2"
                                                "\xBC\xC7\xE9\xBF\xF6\xC8\xE7\xCF\xC2\xA3\xBA";
// 以下网址尚未被收录：
inline constexpr std::string_view HEADING_NOT_INDEXED = "\xD2\xD4\xCF\xC2\xCD\xF8\xD6\xB7\xC9\xD0"
                                                        "\xCE\xB4\xB1\xBB\xCA\xD5\xC2\xBC\xA3\xBA";

// A path separator, then the file name, appended to the program directory.
inline const QString RESULT_FILE_NAME = QStringLiteral("/网址收录查询结果.txt");

inline const QString EXPORT_OK_TEXT = QStringLiteral("恭喜您，查询结果导出成功！");
inline const QString EXPORT_FAILED_TEXT =
    QStringLiteral("查询结果导出失败，请检查可能出现的错误！");

struct ExportKind {
    JournalKind journal;
    std::string_view heading;
};

// The kind the radio buttons choose, tested as 仅收录, 全部, 仅未收录.
std::optional<ExportKind> chosen_export_kind(const MainWindow& window);

// Puts the heading line in front of the journal unless the journal already begins with it, and
// returns a copy of the journal, both under the journals' lock.
std::string journal_for_export(Journals& journals, const ExportKind& kind);

// The click of 按钮导出结果.
void export_clicked(AppContext& ctx);

} // namespace lomarind
