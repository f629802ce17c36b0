#pragma once

#include <QString>

namespace lomarind {

struct AppContext;

inline const QString URL_EMPTY_TEXT = QStringLiteral("URL地址内容为空，请先填写！");
inline const QString URL_INVALID_TEXT = QStringLiteral("这条URL地址不合法，请重试！");

// The click of 按钮添加网址: appends the typed URL when it holds a dot, otherwise tells the user
// why not. The focus goes back to 编辑框url地址 in every case.
void add_url_clicked(AppContext& ctx);

} // namespace lomarind
