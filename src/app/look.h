#pragma once

#include <QIcon>
#include <QString>

namespace lomarind {

// The flat olive-green look of the UI thread's push buttons, radio and check boxes, edit boxes,
// combo and spin boxes and group boxes. Set on the main window, it reaches every box and dialog
// the window owns; a worker's notice has no owner and keeps the platform's look.
QString olive_style_sheet();

// The window's 16 x 16 icon.
QIcon window_icon();

} // namespace lomarind
